// vnxinfo FILE [--csv | --stimulus]: prints the header of a Trelvanix data file and its sample
// count; with --csv writes the samples, one scan per line, in each channel's user unit; with
// --stimulus writes the recorded stimulus rebuilt from the header, one value per line.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "recording/recorded_stimulus.h"
#include "recording/vnx_reader.h"

using namespace trelvanix::vnx;

namespace {

const char* kStimulusKinds[] = {"pulse train",   "ramp train", "cell waveform", "frequency sweep",
                                "Poisson train", "sine",       "noise"};

int usage() {
    std::fprintf(
        stderr,
        "usage: vnxinfo FILE [--csv | --stimulus]\n"
        "  (no option)  the header and the sample count\n"
        "  --csv        time (s) and every channel in its unit, one scan per line\n"
        "  --stimulus   the stimulus recorded with the file, rebuilt from its header by the\n"
        "               program's own assembly: time (s), value in the stimulus unit and in\n"
        "               volts (value / units per volt), one value per line. Pulse and ramp\n"
        "               trains only: the header does not hold what the other kinds need.\n"
        "               The header stores the settings rounded up to whole numbers, so a\n"
        "               stimulus with fractional settings is rebuilt from the rounded ones.\n");
    return 2;
}

std::string lineOf(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

void printHeader(const std::string& path, const FileInfo& info) {
    std::printf("file: %s\n", path.c_str());
    std::printf("version: %d\n", info.version);
    std::printf("rate: %d samples/s per channel\n", info.scanRate);
    std::printf("channels: %d\n", info.channels);
    std::printf("date: %04d-%02d-%02d %02d:%02d:%02d\n", info.year, info.month, info.day, info.hour,
                info.minute, info.second);
    std::printf("header: %d blocks\n", info.headerBlocks);
    std::printf("samples: %lld (%lld per channel, %.6g s)%s\n",
                static_cast<long long>(info.samples), static_cast<long long>(info.scans()),
                double(info.scans()) / info.scanRate,
                info.declaredSamples == -1 ? ", counted from the file size" : "");
    std::printf("comment: \"%s\"\n", lineOf(info.comment).c_str());
    for (int i = 0; i < info.channels; ++i) {
        const ChannelInfo& c = info.channel[i];
        std::printf(
            "channel %d: label \"%s\" unit \"%s\" gain %d scale %.9g V/%s "
            "filter %d low %.6g Hz high %.6g Hz window %d size %d\n",
            i, lineOf(c.label).c_str(), c.unit.c_str(), c.gainWord, c.scaleFactor, c.unit.c_str(),
            c.filter.type, c.filter.lowHz, c.filter.highHz, c.filter.windowType,
            c.filter.windowSize);
    }
    if (info.stimulus) {
        const StimulusInfo& s = *info.stimulus;
        const char* kind = s.kind >= 0 && s.kind <= 6 ? kStimulusKinds[s.kind] : "unknown";
        std::printf("stimulus: kind %d (%s) values", s.kind, kind);
        for (std::int32_t v : s.values) std::printf(" %d", v);
        if (!s.cellWaveform.empty()) std::printf(" waveform %zu values", s.cellWaveform.size());
        std::printf("\n");
    } else {
        std::printf("stimulus: none\n");
    }
}

// A CSV field (RFC 4180): quoted, with its quotes doubled, when it holds a comma, a quote or a
// line break, so that any label or unit stays one field.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

bool writeCsv(const std::string& path, const FileInfo& info) {
    std::printf("time (s)");
    for (int i = 0; i < info.channels; ++i) {
        const ChannelInfo& c = info.channel[i];
        const std::string name = c.label.empty() ? "channel " + std::to_string(i) : c.label;
        const std::string field = "," + csvField(name + " (" + c.unit + ")");
        std::fwrite(field.data(), 1, field.size(), stdout);
    }
    std::printf("\n");
    constexpr std::int64_t kChunk = 65536;
    std::vector<std::int16_t> values;
    for (std::int64_t first = 0; first < info.scans(); first += kChunk) {
        const std::int64_t count = std::min(kChunk, info.scans() - first);
        std::string error;
        if (!readScans(path, info, first, count, &values, &error)) {
            std::fprintf(stderr, "vnxinfo: %s: %s\n", path.c_str(), error.c_str());
            return false;
        }
        for (std::int64_t j = 0; j < count; ++j) {
            std::printf("%.9g", double(first + j) / info.scanRate);
            for (int i = 0; i < info.channels; ++i)
                std::printf(",%.9g", userValue(info.channel[i], values[j * info.channels + i]));
            std::printf("\n");
        }
    }
    return true;
}

// The rebuilt stimulus as CSV: time (s), value in the stimulus unit, value in volts.
bool writeStimulus(const std::string& path, const FileInfo& info) {
    if (!info.stimulus) {
        std::fprintf(stderr,
                     "vnxinfo: %s: no stimulus was recorded with this file (its header has no "
                     "stimulus section)\n",
                     path.c_str());
        return false;
    }
    std::string error;
    const auto rebuilt = rebuildStimulus(*info.stimulus, &error);
    if (!rebuilt) {
        std::fprintf(stderr, "vnxinfo: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    std::printf("time (s),stimulus (unit),stimulus (V)\n");
    for (std::size_t i = 0; i < rebuilt->values.size(); ++i) {
        const double value = rebuilt->values[i];
        std::printf("%.9g,%.9g,%.9g\n", double(i) * rebuilt->msPerValue / 1000.0, value,
                    value / rebuilt->conversion);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string path;
    bool csv = false, stimulus = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--csv") == 0)
            csv = true;
        else if (std::strcmp(argv[i], "--stimulus") == 0)
            stimulus = true;
        else if (argv[i][0] == '-' || !path.empty())
            return usage();
        else
            path = argv[i];
    }
    if (path.empty() || (csv && stimulus)) return usage();

    std::string error;
    const auto info = readHeader(path, &error);
    if (!info) {
        std::fprintf(stderr, "vnxinfo: %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    if (info->truncated())
        std::fprintf(stderr,
                     "vnxinfo: %s: truncated: the header declares %d samples, the file "
                     "holds %lld\n",
                     path.c_str(), info->declaredSamples, static_cast<long long>(info->samples));
    if (info->samples % info->channels != 0)
        std::fprintf(stderr, "vnxinfo: %s: the last scan is incomplete and is left out\n",
                     path.c_str());
    if (stimulus) return writeStimulus(path, *info) ? 0 : 1;
    if (csv) return writeCsv(path, *info) ? 0 : 1;
    printHeader(path, *info);
    return 0;
}
