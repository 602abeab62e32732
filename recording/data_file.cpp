// Creating a data file with its header, appending stretches, closing, and the finalisation
// that rewrites the fixed table with what the file really holds. All file access goes through
// the toolkit's file handles, so a failing disk shows up as a negative status here.

#include "recording/data_file.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "recording/recording.h"
#include "resources/trelvanix_uir.h"
#include "state/program_events.h"
#include "state/panel_states.h"
#include "state/shared_state.h"

namespace trelvanix::recording {

namespace {

OpenDataFile openFiles[2];
std::int64_t valuesWritten[2] = {0, 0};
// The channels of the file being created, for save_filters.
std::vector<vnx::ChannelHeader> channelsBeingCreated;
// One stretch of one file as bytes; kept so that saving allocates nothing per stretch.
std::vector<char> stretchBytes;

int positionOf(int physical) {
    for (int i = 0; i < NumChannels && i < 8; ++i)
        if (ChannelList[i] == physical) return i;
    return -1;
}

// Physical channel and position in the scan of each channel of a file kind.
void channelsOfKind(int kind, std::vector<int>* physical, std::vector<int>* positions) {
    if (kind == 0) {
        for (int i = 0; i < NumChannels && i < 8; ++i) {
            physical->push_back(ChannelList[i]);
            positions->push_back(i);
        }
        return;
    }
    const int from = kind == 1 ? FromFile1 : FromFile2;
    const int to = kind == 1 ? ToFile1 : ToFile2;
    for (int c = std::max(from, 0); c <= std::min(to, 7); ++c) {
        physical->push_back(c);
        positions->push_back(positionOf(c));
    }
}

std::vector<std::string> commentLines() {
    int count = 0;
    GetNumTextBoxLines(panelHandle, PANEL_COMMENT, &count);
    std::vector<std::string> lines(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) GetTextBoxLine(panelHandle, PANEL_COMMENT, i, &lines[i]);
    return lines;
}

// The first line of the channel's label box, when the channel is ticked.
std::string labelOf(int physical) {
    int lines = 0;
    GetNumTextBoxLines(panelHandle, ChanID[physical], &lines);
    std::string label;
    if (trelvanix::ChannelTicked(physical) && lines > 0) GetTextBoxLine(panelHandle, ChanID[physical], 0, &label);
    return label;
}

vnx::StimulusSettings currentStimulus() {
    vnx::StimulusSettings s;
    s.waveform = Waveform;
    s.conversion = Conversion;
    s.preTime = Pre_time;
    s.postTime = Post_time;
    s.interburst = Interburst;
    s.numBurst = Num_burst;
    s.baseline = Baseline;
    s.interbaseline = Interbaseline;
    s.numRepeats = Num_repeats;
    for (int k = 0; k < 5; ++k) {
        s.pulseDur[k] = Pulse_dur[k];
        s.pulseAmp[k] = Pulse_amp[k];
        s.rampDur[k] = Ramp_dur[k];
        s.rampAmp[k] = Ramp_amp[k];
    }
    s.wfAmp = WF_amp;
    s.duration = Duration;
    s.frequency = Frequency;
    s.dur = Dur;
    // A loaded cell waveform holds at least 1004 values: the shape and its header values.
    if (Cell_array) s.cell.assign(Cell_array, Cell_array + 1004);
    return s;
}

// A comment longer than the header holds keeps its first lines; the operator is told which
// were left out.
void reportCutComment(const std::string& path, const std::vector<std::string>& lines) {
    const std::size_t kept = vnx::commentBytes(lines).size();
    std::string leftOut;
    std::size_t at = 0;  // where the line starts in the comment as a whole
    for (const std::string& line : lines) {
        const std::size_t end = at + line.size() + 1;
        if (end > kept) leftOut += (at < kept ? line.substr(kept - 1 - at) : line) + '\n';
        at = end;
    }
    if (leftOut.empty()) return;
    ErrorPrintf("The comment is longer than the %d bytes the header of %s holds; left out:\n%s",
                vnx::kMaxTextBytes, std::filesystem::path(path).filename().string().c_str(),
                leftOut.c_str());
}

vnx::HeaderContent headerFor(const std::vector<int>& physical) {
    vnx::HeaderContent h;
    const int nch = static_cast<int>(physical.size());
    h.scanRate = NumScans;
    h.plannedSamples = Record ? -1 : vnx::truncWord(Saving_interval * NumScans * nch);
    // Date and time from one reading of the clock, so they always belong together.
    const std::tm now = localCalendar();
    h.year = now.tm_year + 1900;
    h.month = now.tm_mon + 1;
    h.day = now.tm_mday;
    h.hour = now.tm_hour;
    h.minute = now.tm_min;
    h.second = now.tm_sec;
    h.commentLines = commentLines();
    for (int ch : physical) {
        vnx::ChannelHeader c;
        c.boardGain = GainList[ch];
        c.label = labelOf(ch);
        c.unit = std::string(Units[ch], strnlen(Units[ch], sizeof Units[ch]));
        c.scaleFactor = Scale_factor[ch];
        c.filterType = Filter_type[ch];
        c.windowType = Window_type[ch];
        c.windowSize = Window_size[ch];
        c.flp = Flp[ch];
        c.fhp = Fhp[ch];
        h.channels.push_back(c);
    }
    if (Save_inject == 1) h.stimulus = currentStimulus();
    return h;
}

int writeAll(int handle, const std::string& bytes) {
    const int status = WriteFile(handle, bytes.data(), static_cast<int>(bytes.size()));
    return status < 0 ? status : 0;
}

}  // namespace

bool filesPrepared = false;

int& handleOf(Slot slot) {
    return slot == kFirstFile ? Fd : Ft;
}

namespace {

// The slot's handle, in step with Fd or Ft: a handle that was put into the global from
// outside (or closed there and cleared) is what the slot holds from now on.
FileHandle& ownedHandle(Slot slot) {
    FileHandle& owned = openFiles[slot].handle;
    if (owned.get() != handleOf(slot)) {
        owned.release();
        owned = FileHandle(handleOf(slot));
    }
    return owned;
}

}  // namespace

const OpenDataFile& dataFile(Slot slot) {
    return openFiles[slot];
}

namespace {

// Whether the file takes every channel of the scan in the scan's order: its bytes are then
// the stretch's own, as a little-endian processor holds them.
bool takesWholeScans(const std::vector<int>& positions) {
    if (std::endian::native != std::endian::little ||
        positions.size() != static_cast<std::size_t>(NumChannels))
        return false;
    for (std::size_t i = 0; i < positions.size(); ++i)
        if (positions[i] != static_cast<int>(i)) return false;
    return true;
}

}  // namespace

int writeStretch(Slot slot) {
    const int handle = ownedHandle(slot).get();
    if (handle <= 0 || !HalfBuffer || NumChannels <= 0) return 0;
    const int scans = BufferSize / NumChannels;
    const auto& positions = openFiles[slot].positions;
    const std::size_t values = static_cast<std::size_t>(std::max(scans, 0)) * positions.size();
    if (values == 0) return 0;
    const char* bytes = reinterpret_cast<const char*>(HalfBuffer);
    if (!takesWholeScans(positions)) {
        // Sized once (it grows only for a larger stretch) and packed in place, little-endian.
        if (stretchBytes.size() < 2 * values) stretchBytes.resize(2 * values);
        auto* packed = reinterpret_cast<unsigned char*>(stretchBytes.data());
        for (int j = 0; j < scans; ++j) {
            const short* scan = HalfBuffer + static_cast<std::size_t>(j) * NumChannels;
            for (int position : positions) {
                const auto code = static_cast<std::uint16_t>(
                    position >= 0 && position < NumChannels ? scan[position] : 0);
                packed[0] = static_cast<unsigned char>(code);
                packed[1] = static_cast<unsigned char>(code >> 8);
                packed += 2;
            }
        }
        bytes = stretchBytes.data();
    }
    const int status = WriteFile(handle, bytes, static_cast<int>(2 * values));
    if (status > 0) valuesWritten[slot] += status / 2;
    return status;
}

events::Event finaliseFiles(std::initializer_list<Slot> slots,
                            void (*failed)(const std::string& path)) {
    events::Event finished{events::Kind::RecordingFinished};
    for (Slot slot : slots) {
        if (handleOf(slot) <= 0) continue;
        const std::string path = dataFile(slot).path;
        const std::vector<int> inputs = dataFile(slot).physical;
        if (finaliseAndClose(slot) < 0) {
            failed(path);
        } else {
            finished.paths.push_back(path);
            finished.inputs.push_back(inputs);
        }
    }
    return finished;
}

int finaliseAndClose(Slot slot) {
    const int handle = ownedHandle(slot).get();
    if (handle <= 0) return 0;
    OpenDataFile& file = openFiles[slot];
    // The file's size says what it holds, even after a write that failed part-way.
    const long end = SetFilePtr(handle, 0, VAL_FILE_END);
    const std::int64_t samples =
        end >= file.headerBytes ? (end - file.headerBytes) / 2 : valuesWritten[slot];
    file.table[vnx::kChannelCount] = static_cast<std::int32_t>(file.positions.size());
    file.table[vnx::kSampleCount] = static_cast<std::int32_t>(samples);
    int status = static_cast<int>(std::min<long>(SetFilePtr(handle, 0, VAL_FILE_START), 0));
    if (status == 0) status = writeAll(handle, vnx::tableBytes(file.table));
    const int closed = closeDataFile(slot);
    return status < 0 ? status : closed;
}

int closeDataFile(Slot slot) {
    FileHandle& handle = ownedHandle(slot);
    if (!handle.isOpen()) return 0;
    const int status = handle.close();
    handleOf(slot) = -1;
    valuesWritten[slot] = 0;
    return status;
}

void discardDataFile(Slot slot) {
    if (!ownedHandle(slot).isOpen()) return;
    closeDataFile(slot);
    std::error_code ignored;
    std::filesystem::remove(openFiles[slot].path, ignored);
}

void forgetDataFiles() {
    filesPrepared = false;
    for (OpenDataFile& file : openFiles) {
        file.handle.release();
        file = OpenDataFile{};
    }
    valuesWritten[0] = valuesWritten[1] = 0;
}

}  // namespace trelvanix::recording

using namespace trelvanix::recording;
namespace vnx = trelvanix::vnx;

namespace {

// Finalises the open files of `slots` and tells listeners of those finalised; a file that
// cannot be finalised is reported instead.
void finaliseAndPublish(std::initializer_list<Slot> slots) {
    const trelvanix::events::Event finished = finaliseFiles(slots, [](const std::string& path) {
        ErrorPrintf("Closing %s failed: %s", path.c_str(), lastFileError().c_str());
    });
    if (!finished.paths.empty()) trelvanix::events::Publish(finished);
}

}  // namespace

int open_this_file(const char* name, int kind) {
    const Slot slot = kind == 2 ? kSecondFile : kFirstFile;
    // A file still open in the slot is finalised, never left with a header that miscounts,
    // and its listeners hear of it as of any finished recording.
    finaliseAndPublish({slot});
    std::vector<int> physical, positions;
    channelsOfKind(kind, &physical, &positions);
    const vnx::HeaderContent content = headerFor(physical);
    const vnx::EncodedHeader header = vnx::encodeHeader(content);
    channelsBeingCreated = content.channels;

    const int handle = OpenFile(name, VAL_READ_WRITE, VAL_TRUNCATE, VAL_BINARY);
    if (handle < 0) return handle;
    openFiles[slot] = OpenDataFile{name,
                                   positions,
                                   physical,
                                   header.table,
                                   static_cast<int>(header.bytes.size()),
                                   FileHandle(handle)};
    handleOf(slot) = handle;
    valuesWritten[slot] = 0;

    // Everything up to the filter section, the filter section, then the padding.
    const std::size_t filters = static_cast<std::size_t>(header.table[vnx::kFiltersPosition] - 1);
    const std::size_t padding = filters + 20 * physical.size();
    int status = writeAll(handle, header.bytes.substr(0, filters));
    if (status == 0) status = save_filters(handle, static_cast<int>(physical.size()));
    if (status == 0) status = writeAll(handle, header.bytes.substr(padding));
    // A header that cannot be written leaves no file behind; lastFileError() keeps the reason.
    if (status < 0) {
        discardDataFile(slot);
        return status;
    }
    reportCutComment(name, content.commentLines);
    return status;
}

int save_filters(int handle, int count) {
    return writeAll(handle, vnx::filterSection(channelsBeingCreated, count));
}

void close_this_file() {
    Real_time = 0.0;
    // A period rarely ends on its planned sample count (stretches do not divide it, a stretch
    // may hold less than its nominal length): the header says what the file really holds.
    finaliseAndPublish({kFirstFile, kSecondFile});
}
