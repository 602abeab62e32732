#include "platform/driver/comedi_board.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/driver/driver_errors.h"
#include "platform/driver/physical_channels.h"

namespace trelvanix::driver {

using namespace comedi_library;
using namespace task_checks;

namespace {

constexpr const char* kDevice = "Dev1";
constexpr double kLateSamplesAllowance = 0.25;  // seconds

unsigned int analogReference(TerminalConfig config) {
    switch (config) {
        case TerminalConfig::NonReferencedSingleEnded:
            return kAnalogRefCommon;
        case TerminalConfig::Differential:
            return kAnalogRefDiff;
        case TerminalConfig::ReferencedSingleEnded:
        case TerminalConfig::Default:
            break;
    }
    return kAnalogRefGround;
}

// The task's channels as the command scans them: channel, range and reference of each.
std::vector<unsigned int> chanlistOf(const comedi_tasks::Task& task) {
    std::vector<unsigned int> chanlist;
    for (const comedi_tasks::Channel& channel : task.channels)
        chanlist.push_back(packChannel(channel.physical, channel.range, channel.aref));
    return chanlist;
}

// As the vendor's driver does: the narrowest range that holds both limits; an output with no
// such range gets its widest, and values beyond it are refused when written.
const ComediRange* chooseRange(const std::vector<ComediRange>& ranges, double min, double max,
                               bool widestOtherwise) {
    const auto span = [](const ComediRange& r) { return r.limits.high - r.limits.low; };
    const ComediRange* chosen = nullptr;
    for (const ComediRange& range : ranges)
        if (range.limits.low <= min && max <= range.limits.high &&
            (!chosen || span(range) < span(*chosen)))
            chosen = &range;
    if (chosen || !widestOtherwise) return chosen;
    for (const ComediRange& range : ranges)
        if (!chosen || span(range) > span(*chosen)) chosen = &range;
    return chosen;
}

void appendSample(std::vector<std::uint8_t>* bytes, RawSample sample, std::size_t sampleBytes) {
    std::uint8_t raw[4];
    if (sampleBytes == 2) {
        const auto shortSample = static_cast<std::uint16_t>(sample);
        std::memcpy(raw, &shortSample, 2);
    } else {
        std::memcpy(raw, &sample, 4);
    }
    bytes->insert(bytes->end(), raw, raw + sampleBytes);
}

RawSample sampleAt(const std::uint8_t* bytes, std::size_t sampleBytes) {
    if (sampleBytes == 2) {
        std::uint16_t sample;
        std::memcpy(&sample, bytes, 2);
        return sample;
    }
    RawSample sample;
    std::memcpy(&sample, bytes, 4);
    return sample;
}

}  // namespace

ComediBoard::~ComediBoard() {
    // Nothing is left running on the board, and no waveform left playing, once it is closed.
    for (auto& [id, task] : tasks_) stopTask(task);
}

Outcome ComediBoard::inputRanges(std::string_view device, std::vector<RangePair>* ranges) {
    if (Outcome bad = checkDeviceName(device, kDevice); bad.failed()) return bad;
    std::vector<ComediRange> found;
    if (Outcome bad = device_->ranges(device_->inputSubdevice(), 0, &found); bad.failed())
        return bad;
    // The unipolar ranges come first, as the program expects, each kind in the board's order.
    ranges->clear();
    for (const ComediRange& range : found)
        if (range.limits.low >= 0.0) ranges->push_back(range.limits);
    for (const ComediRange& range : found)
        if (range.limits.low < 0.0) ranges->push_back(range.limits);
    return Outcome::success();
}

Outcome ComediBoard::createTask(TaskId id, std::string_view name) {
    tasks_[id].name = std::string(name);
    return Outcome::success();
}

Outcome ComediBoard::addInputChannel(TaskId id, std::string_view physicalChannels,
                                     TerminalConfig terminalConfig, double min, double max) {
    Task* task;
    if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
    if (Outcome bad = checkChannelsCanBeAdded(*task, TaskKind::Input); bad.failed()) return bad;
    if (Outcome bad = checkLimitsOrdered(min, max); bad.failed()) return bad;
    const unsigned int subdevice = device_->inputSubdevice();
    std::vector<int> physical;
    if (Outcome bad = parsePhysicalChannels(physicalChannels, kDevice, "ai",
                                            device_->channelCount(subdevice), &physical);
        bad.failed())
        return bad;
    std::vector<Channel> added;
    for (const int ch : physical) {
        const std::string name = "Dev1/ai" + std::to_string(ch);
        bool twice = false;
        for (const Channel& present : task->channels) twice = twice || int(present.physical) == ch;
        for (const Channel& present : added) twice = twice || int(present.physical) == ch;
        if (twice) return alreadyInTask(name, *task);
        std::vector<ComediRange> ranges;
        if (Outcome bad = device_->ranges(subdevice, ch, &ranges); bad.failed()) return bad;
        const ComediRange* range = chooseRange(ranges, min, max, false);
        if (!range)
            return invalidValue("no input range of " + name + " holds " + number(min) + " V to " +
                                number(max) + " V");
        added.push_back({static_cast<unsigned int>(ch), range->index,
                         analogReference(terminalConfig), min, max, range->limits,
                         device_->converter(subdevice, ch, range->index, true)});
    }
    task->channels.insert(task->channels.end(), added.begin(), added.end());
    task->kind = TaskKind::Input;
    return Outcome::success();
}

Outcome ComediBoard::addOutputChannel(TaskId id, std::string_view physicalChannels, double min,
                                      double max) {
    Task* task;
    if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
    if (Outcome bad = checkChannelsCanBeAdded(*task, TaskKind::Output); bad.failed()) return bad;
    if (Outcome bad = checkLimitsOrdered(min, max); bad.failed()) return bad;
    if (device_->outputSubdevice() < 0)
        return Outcome::failure(kErrorPhysicalChanDoesNotExist,
                                "the board has no analog outputs: \"" +
                                    std::string(physicalChannels) + "\" does not exist");
    const auto subdevice = static_cast<unsigned int>(device_->outputSubdevice());
    std::vector<int> physical;
    if (Outcome bad = parsePhysicalChannels(physicalChannels, kDevice, "ao",
                                            device_->channelCount(subdevice), &physical);
        bad.failed())
        return bad;
    std::vector<Channel> added;
    for (const int ch : physical) {
        std::vector<ComediRange> ranges;
        if (Outcome bad = device_->ranges(subdevice, ch, &ranges); bad.failed()) return bad;
        const ComediRange* range = chooseRange(ranges, min, max, true);
        if (!range) return invalidValue("Dev1/ao" + std::to_string(ch) + " has no range in volts");
        added.push_back({static_cast<unsigned int>(ch), range->index, kAnalogRefGround, min, max,
                         range->limits, device_->converter(subdevice, ch, range->index, false)});
    }
    task->channels.insert(task->channels.end(), added.begin(), added.end());
    task->kind = TaskKind::Output;
    task->waveform.clear();
    task->pendingLevels.clear();
    return Outcome::success();
}

Outcome ComediBoard::configureSampleClock(TaskId id, std::string_view source, double rate,
                                          ClockEdge activeEdge, std::uint64_t samplesPerChannel) {
    Task* task;
    if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
    if (Outcome bad = checkClockable(*task, source); bad.failed()) return bad;
    if (!(rate > 0.0)) return invalidValue("rate " + number(rate) + " S/s is not above 0");
    if (Outcome bad = checkBufferSize(samplesPerChannel); bad.failed()) return bad;
    task->clocked = true;
    task->rate = rate;
    task->bufferSize = samplesPerChannel;
    return Outcome::success();
}

Outcome ComediBoard::reserve(const Task& task) const {
    for (const auto& [id, other] : tasks_) {
        if (&other == &task || !other.running || other.kind != task.kind) continue;
        // A running command holds its whole subdevice; on-demand writes share the outputs.
        if (task.kind == TaskKind::Output && !task.clocked && !other.clocked) continue;
        return reserved(task, other,
                        task.kind == TaskKind::Input ? "the analog-input subdevice of Dev1"
                                                     : "the analog-output subdevice of Dev1");
    }
    return Outcome::success();
}

Outcome ComediBoard::startTask(Task& task) {
    if (task.running) return Outcome::success();
    if (task.kind == TaskKind::Empty) return noChannels(task);
    if (Outcome bad = reserve(task); bad.failed()) return bad;
    if (task.kind == TaskKind::Input) return startInput(task);
    if (task.clocked) return startOutput(task);
    if (!task.pendingLevels.empty()) {
        if (Outcome bad = setLevels(task, task.pendingLevels); bad.failed()) return bad;
        task.pendingLevels.clear();
    }
    task.running = true;
    return Outcome::success();
}

Outcome ComediBoard::startInput(Task& task) {
    if (!task.clocked) return noSampleClock(task);
    const unsigned int subdevice = device_->inputSubdevice();
    std::vector<unsigned int> chanlist = chanlistOf(task);
    const std::string what = "the input command of " + quotedTask(task.name);
    bool waitsForTrigger = false;
    if (Outcome bad =
            device_->startCommand(subdevice, chanlist, task.rate, false, what, &waitsForTrigger);
        bad.failed())
        return bad;
    task.input = std::make_unique<InputStream>(
        device_->fileDescriptor(), device_->sampleBytes(subdevice) * task.channels.size(),
        task.bufferSize);
    if (waitsForTrigger) {
        if (Outcome bad = device_->triggerInternally(subdevice, what); bad.failed()) {
            task.input.reset();
            device_->cancel(subdevice, what);
            return bad;
        }
    }
    task.running = true;
    return Outcome::success();
}

Outcome ComediBoard::startOutput(Task& task) {
    if (task.waveform.empty())
        return Outcome::failure(kErrorGenerationBufferEmpty,
                                quotedTask(task.name) + " has no waveform written");
    const auto subdevice = static_cast<unsigned int>(device_->outputSubdevice());
    std::vector<unsigned int> chanlist = chanlistOf(task);
    const std::string what = "the output command of " + quotedTask(task.name);
    bool waitsForTrigger = false;
    if (Outcome bad =
            device_->startCommand(subdevice, chanlist, task.rate, true, what, &waitsForTrigger);
        bad.failed())
        return bad;
    auto stream = std::make_unique<OutputStream>(device_->fileDescriptor(), task.waveform);
    // The board's buffer is filled before the output starts, so it starts with the waveform.
    const int unwritten = stream->preload();
    Outcome started = unwritten != 0
                          ? device_->failure(what + ": the waveform cannot be written", unwritten)
                          : Outcome::success();
    if (!started.failed() && waitsForTrigger) started = device_->triggerInternally(subdevice, what);
    task.output = std::move(stream);
    task.running = true;
    if (started.failed())
        stopTask(task);
    else
        task.output->start();
    return started;
}

Outcome ComediBoard::stopTask(Task& task) {
    if (!task.running) return Outcome::success();
    task.running = false;
    const std::string what =
        (task.kind == TaskKind::Input ? "the input command of " : "the output command of ") +
        quotedTask(task.name);
    if (task.kind == TaskKind::Input) {
        task.acquiredAtStop = task.input->state().acquired;
        task.input.reset();
        return device_->cancel(device_->inputSubdevice(), what);
    }
    if (!task.clocked) return Outcome::success();  // an on-demand value holds
    task.output.reset();
    const Outcome cancelled =
        device_->cancel(static_cast<unsigned int>(device_->outputSubdevice()), what);
    std::vector<double> zero(task.channels.size(), 0.0);
    const Outcome zeroed = setLevels(task, zero);
    return cancelled.failed() ? cancelled : zeroed;
}

Outcome ComediBoard::setLevels(Task& task, const std::vector<double>& levels) {
    if (Outcome bad = reserve(task); bad.failed()) return bad;
    const auto subdevice = static_cast<unsigned int>(device_->outputSubdevice());
    for (std::size_t i = 0; i < task.channels.size(); ++i) {
        const Channel& channel = task.channels[i];
        const std::string name = "Dev1/ao" + std::to_string(channel.physical);
        if (Outcome bad = device_->writeSample(
                subdevice, channel.physical, channel.range, channel.converter.fromVolts(levels[i]),
                name + " cannot be set to " + number(levels[i]) + " V and may hold another value");
            bad.failed())
            return bad;
    }
    return Outcome::success();
}

Outcome ComediBoard::checkOutputs() {
    for (auto& [id, task] : tasks_) {
        if (!task.running || !task.output || task.output->error() == 0) continue;
        const int error = task.output->error();
        const Outcome stopped = stopTask(task);
        const std::string cause =
            device_->failure("the waveform of " + quotedTask(task.name) + " stopped", error).cause;
        return Outcome::failure(
            kErrorGenerationBufferEmpty,
            cause + (stopped.failed() ? "; " + stopped.cause : "; its outputs were set to 0 V"));
    }
    return Outcome::success();
}

Outcome ComediBoard::acquiredPerChannel(TaskId id, std::uint64_t* total) {
    Task* task;
    if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
    if (task->kind != TaskKind::Input) return notAnInputTask(*task);
    if (Outcome bad = checkOutputs(); bad.failed()) return bad;
    if (!task->running) {
        *total = task->acquiredAtStop;
        return Outcome::success();
    }
    const InputStream::State state = task->input->state();
    // A stream that ended brings no more samples: a caller waiting for them before it reads
    // would wait for ever, so the end is reported here too.
    if (state.ended) return endOfInput(*task, state);
    *total = state.acquired;
    return Outcome::success();
}

Outcome ComediBoard::endOfInput(const Task& task, const InputStream::State& state) const {
    const std::string what = quotedTask(task.name) + ": ";
    // A read gives Comedi's error; a stream that merely ended may have one to ask for.
    const int error =
        state.error != 0 ? state.error : device_->streamError(device_->inputSubdevice());
    if (statusOfComediError(error) == kErrorSamplesNoLongerAvailable)
        return device_->failure(
            what + "the board's buffer overflowed: samples were lost before they could be read",
            error);
    if (error != 0) return device_->failure(what + "the board could not be read", error);
    return Outcome::failure(kErrorDeviceCannotBeAccessed,
                            what + "the board ended the acquisition on its own");
}

Outcome ComediBoard::read(TaskId id, const ReadRequest& request, std::int32_t* samplesRead) {
    *samplesRead = 0;
    Task* task;
    if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
    if (Outcome bad = checkReadable(*task); bad.failed()) return bad;
    if (Outcome bad = checkOutputs(); bad.failed()) return bad;
    // Reading a task that is not running starts it, as the vendor's driver does.
    if (Outcome bad = startTask(*task); bad.failed()) return bad;
    if (Outcome bad = checkReadSize(*task, request); bad.failed()) return bad;
    const auto overflow = [&] {
        return Outcome::failure(
            kErrorSamplesNoLongerAvailable,
            quotedTask(task->name) + ": the samples requested have been overwritten; more than " +
                std::to_string(task->bufferSize) + " samples per channel waited to be read");
    };
    InputStream::State state = task->input->state();
    if (state.overflowed) return overflow();
    const std::uint64_t wanted = request.samplesPerChannel == kReadAllAvailable
                                     ? state.available
                                     : std::uint64_t(request.samplesPerChannel);
    if (Outcome bad = checkReadCapacity(wanted, task->channels.size(), request.capacity);
        bad.failed())
        return bad;
    if (state.available < wanted) {
        // The wait lasts as long as the missing samples take to come, and one read's worth
        // more (a quarter second at least): a board that stops delivering never holds the
        // program for long.
        double wait = double(wanted - state.available) / task->rate +
                      std::max(double(wanted) / task->rate, kLateSamplesAllowance);
        if (request.timeout >= 0) wait = std::min(wait, request.timeout);
        state = task->input->waitFor(wanted, wait);
        if (state.overflowed) return overflow();
        if (state.available < wanted) {
            if (state.ended) return endOfInput(*task, state);
            return device_->failure(quotedTask(task->name) + ": " + std::to_string(wanted) +
                                        " samples per channel were not all acquired within " +
                                        number(wait) + " s; " + std::to_string(state.available) +
                                        " were there",
                                    ETIMEDOUT);
        }
    }
    std::vector<std::uint8_t> bytes;
    task->input->take(wanted, &bytes);
    convertScans(*task, bytes, request);
    *samplesRead = static_cast<std::int32_t>(wanted);
    return Outcome::success();
}

void ComediBoard::convertScans(const Task& task, const std::vector<std::uint8_t>& bytes,
                               const ReadRequest& request) const {
    const std::size_t channels = task.channels.size();
    const std::size_t sampleBytes = device_->sampleBytes(device_->inputSubdevice());
    const std::size_t scans = bytes.size() / (sampleBytes * channels);
    for (std::size_t j = 0; j < scans; ++j)
        for (std::size_t c = 0; c < channels; ++c) {
            const RawSample sample =
                sampleAt(&bytes[(j * channels + c) * sampleBytes], sampleBytes);
            const std::size_t at = request.groupByScan ? j * channels + c : c * scans + j;
            request.data[at] = task.channels[c].converter.toVolts(sample);
        }
}

Outcome ComediBoard::checkValue(const Channel& channel, double volts) const {
    const double low = std::max(channel.min, channel.limits.low);
    const double high = std::min(channel.max, channel.limits.high);
    if (volts >= low && volts <= high) return Outcome::success();
    return Outcome::failure(kErrorAODataOutOfRange, "value " + number(volts) + " V for Dev1/ao" +
                                                        std::to_string(channel.physical) +
                                                        " is outside " + number(low) + " V to " +
                                                        number(high) + " V");
}

Outcome ComediBoard::write(TaskId id, const WriteRequest& request, std::int32_t* written) {
    *written = 0;
    Task* task;
    if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
    if (Outcome bad = checkWritable(*task, request); bad.failed()) return bad;
    const auto perChannel = static_cast<std::size_t>(request.samplesPerChannel);
    const std::size_t channels = task->channels.size();
    const auto value = [&](std::size_t scan, std::size_t c) {
        return writtenValue(request, channels, scan, c);
    };
    for (std::size_t j = 0; j < perChannel; ++j)
        for (std::size_t c = 0; c < channels; ++c)
            if (Outcome bad = checkValue(task->channels[c], value(j, c)); bad.failed()) return bad;

    if (!task->clocked) {
        std::vector<double> levels(channels);
        for (std::size_t c = 0; c < channels; ++c) levels[c] = value(0, c);
        *written = 1;
        if (task->running || request.autoStart) return setLevels(*task, levels);
        task->pendingLevels = levels;
        return Outcome::success();
    }
    const auto subdevice = static_cast<unsigned int>(device_->outputSubdevice());
    const std::size_t sampleBytes = device_->sampleBytes(subdevice);
    std::vector<std::uint8_t> waveform;
    waveform.reserve(perChannel * channels * sampleBytes);
    for (std::size_t j = 0; j < perChannel; ++j)
        for (std::size_t c = 0; c < channels; ++c)
            appendSample(&waveform, task->channels[c].converter.fromVolts(value(j, c)),
                         sampleBytes);
    // A new waveform on a running task replaces the old one: the output starts again with it.
    const bool wasRunning = task->running;
    if (wasRunning) stopTask(*task);
    task->waveform = std::move(waveform);
    *written = request.samplesPerChannel;
    return wasRunning || request.autoStart ? startTask(*task) : Outcome::success();
}

namespace {

std::unique_ptr<DriverBackend> makeFromSettings(const BoardSettings& settings, std::string* error) {
    std::unique_ptr<ComediDevice> device =
        ComediDevice::open(settings.driverLibrary, settings.deviceFile, error);
    if (!device) return nullptr;
    return std::make_unique<ComediBoard>(std::move(device));
}

}  // namespace

extern const BackendEntry kComediBackend = {"comedi",
                                            false,
                                            true,
                                            "a real board through Comedi's libcomedi (Linux)",
                                            makeFromSettings,
                                            kComediLibrary,
                                            kComediDeviceFile};

}  // namespace trelvanix::driver
