#include "platform/driver/simulated_board.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/driver/driver_errors.h"
#include "platform/driver/fault_injection.h"
#include "platform/driver/physical_channels.h"

namespace trelvanix::driver {

using namespace task_checks;

namespace {

constexpr double kMaxRate = 1.0e6;  // samples per second per channel

}  // namespace

SimulatedBoard::SimulatedBoard(BoardConfig config, ClockSource clock)
    : config_(std::move(config)), clock_(clock) {
    for (int ch = 0; ch < kSimulatedInputs; ++ch)
        generators_.emplace_back(config_.inputs[ch], config_.seed, ch);
    quantisers_.resize(config_.ranges.size());
}

Outcome SimulatedBoard::inputRanges(std::string_view device, std::vector<RangePair>* ranges) {
    if (Outcome bad = checkDeviceName(device, kSimulatedDevice); bad.failed()) return bad;
    *ranges = config_.ranges;
    return Outcome::success();
}

Outcome SimulatedBoard::createTask(TaskId id, std::string_view name) {
    if (!name.empty()) {
        for (const auto& [other, task] : tasks_)
            if (task.name == name)
                return Outcome::failure(kErrorDuplicateTask, "a task named \"" + std::string(name) +
                                                                 "\" already exists");
    }
    tasks_[id].name = std::string(name);
    return Outcome::success();
}

Outcome SimulatedBoard::addInputChannel(TaskId id, std::string_view physicalChannels,
                                        TerminalConfig terminalConfig, double min, double max) {
    Task* task;
    if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
    if (Outcome bad = checkChannelsCanBeAdded(*task, TaskKind::Input); bad.failed()) return bad;
    if (terminalConfig != TerminalConfig::ReferencedSingleEnded &&
        terminalConfig != TerminalConfig::Default)
        return invalidValue(
            "the terminal configuration is not supported; the inputs are referenced single-ended");
    if (Outcome bad = checkLimitsOrdered(min, max); bad.failed()) return bad;
    // As the driver does: the narrowest range that holds both limits.
    const RangePair* chosen = nullptr;
    for (const RangePair& range : config_.ranges) {
        if (range.low <= min && max <= range.high &&
            (!chosen || range.high - range.low < chosen->high - chosen->low))
            chosen = &range;
    }
    if (!chosen)
        return invalidValue("no input range holds " + number(min) + " V to " + number(max) + " V");
    std::vector<int> channels;
    if (Outcome bad = parsePhysicalChannels(physicalChannels, kSimulatedDevice, "ai",
                                            kSimulatedInputs, &channels);
        bad.failed())
        return bad;
    // A channel given twice is refused, and the task is left as it was.
    for (std::size_t i = 0; i < channels.size(); ++i) {
        bool twice = std::count(channels.begin(), channels.begin() + i, channels[i]) > 0;
        for (const InputChannel& present : task->inputs)
            twice = twice || present.physical == channels[i];
        if (twice) return alreadyInTask("Dev1/ai" + std::to_string(channels[i]), *task);
    }
    std::optional<Quantiser>& quantiser = quantisers_[chosen - config_.ranges.data()];
    if (!quantiser) quantiser.emplace(*chosen);
    for (int ch : channels) task->inputs.push_back({ch, *quantiser});
    task->kind = TaskKind::Input;
    return Outcome::success();
}

Outcome SimulatedBoard::addOutputChannel(TaskId id, std::string_view physicalChannels, double min,
                                         double max) {
    Task* task;
    if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
    if (Outcome bad = checkChannelsCanBeAdded(*task, TaskKind::Output); bad.failed()) return bad;
    if (!(min < max) || min < -kSimulatedOutputLimit || max > kSimulatedOutputLimit)
        return invalidValue("output limits " + number(min) + " V to " + number(max) +
                            " V are outside -10 V to 10 V");
    std::vector<int> channels;
    if (Outcome bad = parsePhysicalChannels(physicalChannels, kSimulatedDevice, "ao",
                                            kSimulatedOutputs, &channels);
        bad.failed())
        return bad;
    for (int ch : channels) task->outputs.push_back({ch, min, max});
    task->kind = TaskKind::Output;
    task->waveforms.clear();
    task->pendingLevels.clear();
    return Outcome::success();
}

Outcome SimulatedBoard::configureSampleClock(TaskId id, std::string_view source, double rate,
                                             ClockEdge activeEdge,
                                             std::uint64_t samplesPerChannel) {
    Task* task;
    if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
    if (Outcome bad = checkClockable(*task, source); bad.failed()) return bad;
    if (!(rate > 0.0 && rate <= kMaxRate))
        return invalidValue("rate " + number(rate) + " S/s is outside 0 to 1e6 S/s");
    if (Outcome bad = checkBufferSize(samplesPerChannel); bad.failed()) return bad;
    if (task->kind == TaskKind::Input)
        if (Outcome bad = checkAggregateRate(*task, rate); bad.failed()) return bad;
    task->clocked = true;
    task->rate = rate;
    task->bufferSize = samplesPerChannel;
    return Outcome::success();
}

std::uint64_t SimulatedBoard::acquired(const Task& task) const {
    if (!task.running) return task.started ? task.acquiredAtStop : 0;
    return static_cast<std::uint64_t>(
        std::max(0LL, sampleIndexAt(now(), task.startTime, task.rate)));
}

Outcome SimulatedBoard::checkAggregateRate(const Task& task, double rate) const {
    const double total = rate * double(task.inputs.size());
    if (total <= config_.maxAggregateRate) return Outcome::success();
    return invalidValue(
        "Requested value is not a supported value for this property.\n"
        "Property: DAQmx_SampClk_Rate\nRequested Value: " +
        number(rate) +
        "\nMaximum Value: " + number(config_.maxAggregateRate / double(task.inputs.size())) +
        "\nThe board samples at most " + number(config_.maxAggregateRate) + " S/s in all; task \"" +
        task.name + "\" asks for " + number(total) + " S/s on " +
        std::to_string(task.inputs.size()) + " channels");
}

Outcome SimulatedBoard::reserve(const Task& task) const {
    for (const auto& [id, other] : tasks_) {
        if (&other == &task || !other.running || other.kind != task.kind) continue;
        std::string resource;
        if (task.kind == TaskKind::Input) {
            resource = "the analog-input timing engine of Dev1";
        } else if (task.clocked && other.clocked) {
            resource = "the analog-output timing engine of Dev1";
        } else {
            for (const OutputChannel& mine : task.outputs)
                for (const OutputChannel& theirs : other.outputs)
                    if (mine.physical == theirs.physical)
                        resource = "Dev1/ao" + std::to_string(mine.physical);
        }
        if (!resource.empty()) return reserved(task, other, resource);
    }
    return Outcome::success();
}

Outcome SimulatedBoard::startTask(Task& task) {
    if (task.running) return Outcome::success();
    if (task.kind == TaskKind::Empty) return noChannels(task);
    if (task.kind == TaskKind::Input && !task.clocked) return noSampleClock(task);
    if (task.kind == TaskKind::Input)
        if (Outcome bad = checkAggregateRate(task, task.rate); bad.failed()) return bad;
    if (Outcome bad = reserve(task); bad.failed()) return bad;
    const double t = now();
    if (task.kind == TaskKind::Input) {
        task.startTime = t;
        task.readPosition = 0;
        for (InputChannel& channel : task.inputs)
            generators_[channel.physical].resume(t, task.rate, outputs_);
    } else if (task.clocked) {
        if (task.waveforms.empty())
            return Outcome::failure(kErrorGenerationBufferEmpty,
                                    "task \"" + task.name + "\" has no waveform written");
        for (std::size_t i = 0; i < task.outputs.size(); ++i)
            outputs_.play(task.outputs[i].physical, t, task.waveforms[i], task.rate);
        forgetOldOutput();
    } else if (!task.pendingLevels.empty()) {
        holdLevels(task, task.pendingLevels);
        task.pendingLevels.clear();
    }
    task.running = true;
    task.started = true;
    return Outcome::success();
}

Outcome SimulatedBoard::acquiredPerChannel(TaskId id, std::uint64_t* total) {
    Task* task;
    if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
    if (task->kind != TaskKind::Input) return notAnInputTask(*task);
    *total = acquired(*task);
    return Outcome::success();
}

Outcome SimulatedBoard::waitForSamples(Task& task, std::uint64_t needed, double timeout) {
    Clock& clock = clock_();
    const double deadline =
        timeout < 0 ? std::numeric_limits<double>::infinity() : clock.seconds() + timeout;
    double due = task.startTime + double(needed) / task.rate;
    while (acquired(task) < needed) {
        const double t = clock.seconds();
        if (t >= deadline) return Outcome::failure(kErrorSamplesNotYetAvailable, "");
        // Where rounding leaves the count one short at the due time, step past it.
        if (t >= due) due = std::nextafter(t, std::numeric_limits<double>::infinity());
        clock.waitUntil(std::min(due, deadline));
    }
    return Outcome::success();
}

Outcome SimulatedBoard::read(TaskId id, const ReadRequest& request, std::int32_t* samplesRead) {
    *samplesRead = 0;
    Task* task;
    if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
    if (Outcome bad = checkReadable(*task); bad.failed()) return bad;
    // Reading a task that is not running starts it, as the driver does.
    if (Outcome bad = startTask(*task); bad.failed()) return bad;
    if (Outcome bad = checkReadSize(*task, request); bad.failed()) return bad;

    const std::uint64_t behind = acquired(*task) - task->readPosition;
    if (behind > task->bufferSize)
        return Outcome::failure(
            kErrorSamplesNoLongerAvailable,
            "task \"" + task->name + "\": the samples requested have been overwritten; the " +
                "reader fell " + std::to_string(behind) +
                " samples per channel behind a buffer of " + std::to_string(task->bufferSize));
    const std::uint64_t wanted = request.samplesPerChannel == kReadAllAvailable
                                     ? behind
                                     : std::uint64_t(request.samplesPerChannel);
    const std::size_t channels = task->inputs.size();
    if (Outcome bad = checkReadCapacity(wanted, channels, request.capacity); bad.failed())
        return bad;

    const Outcome waited = waitForSamples(*task, task->readPosition + wanted, request.timeout);
    const std::uint64_t available = std::min(wanted, acquired(*task) - task->readPosition);
    const std::size_t count = static_cast<std::size_t>(available);
    // Scans of several channels interleave: each channel goes through a block of its own first.
    // One channel's scans are its samples in order.
    const bool interleave = request.groupByScan && channels > 1;
    if (interleave && channelSamples_.size() < count) channelSamples_.resize(count);
    for (std::size_t c = 0; c < channels; ++c) {
        InputChannel& channel = task->inputs[c];
        double* samples = interleave ? channelSamples_.data() : request.data + c * count;
        generators_[channel.physical].generate(count, samples, outputs_);
        channel.quantiser.convert(samples, count);
        if (interleave)
            for (std::size_t k = 0; k < count; ++k) request.data[k * channels + c] = samples[k];
    }
    task->readPosition += available;
    *samplesRead = static_cast<std::int32_t>(available);
    if (waited.failed())
        return Outcome::failure(
            kErrorSamplesNotYetAvailable,
            "task \"" + task->name + "\": " + std::to_string(wanted) +
                " samples per channel were not all acquired within the timeout of " +
                number(request.timeout) + " s; " + std::to_string(available) + " were read");
    return Outcome::success();
}

Outcome SimulatedBoard::checkOutputValues(const Task& task, const double* values, std::size_t count,
                                          bool groupByScan, std::size_t perChannel) const {
    const std::size_t channels = task.outputs.size();
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t c = groupByScan ? k % channels : k / perChannel;
        const OutputChannel& channel = task.outputs[c];
        if (!(values[k] >= channel.min && values[k] <= channel.max))
            return Outcome::failure(
                kErrorAODataOutOfRange,
                "value " + number(values[k]) + " V for ao" + std::to_string(channel.physical) +
                    " is outside " + number(channel.min) + " V to " + number(channel.max) + " V");
    }
    return Outcome::success();
}

void SimulatedBoard::holdLevels(const Task& task, const std::vector<double>& levels) {
    const double t = now();
    for (std::size_t i = 0; i < task.outputs.size(); ++i)
        outputs_.hold(task.outputs[i].physical, t, levels[i]);
    forgetOldOutput();
}

void SimulatedBoard::forgetOldOutput() {
    // Inputs may still ask for the output at the time of their oldest unread sample.
    double oldest = now();
    for (const auto& [id, task] : tasks_)
        if (task.kind == TaskKind::Input && task.started)
            oldest = std::min(oldest, task.startTime + double(task.readPosition) / task.rate);
    outputs_.forgetBefore(oldest);
}

Outcome SimulatedBoard::write(TaskId id, const WriteRequest& request, std::int32_t* written) {
    *written = 0;
    Task* task;
    if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
    if (Outcome bad = checkWritable(*task, request); bad.failed()) return bad;
    const std::size_t perChannel = static_cast<std::size_t>(request.samplesPerChannel);
    const std::size_t channels = task->outputs.size();
    if (Outcome bad = checkOutputValues(*task, request.data, perChannel * channels,
                                        request.groupByScan, perChannel);
        bad.failed())
        return bad;

    std::vector<std::vector<double>> perOutput(channels, std::vector<double>(perChannel));
    for (std::size_t c = 0; c < channels; ++c)
        for (std::size_t j = 0; j < perChannel; ++j)
            perOutput[c][j] = writtenValue(request, channels, j, c);
    // An on-demand write that starts its task needs the output channels for that moment.
    if (!task->clocked && !task->running && request.autoStart)
        if (Outcome bad = reserve(*task); bad.failed()) return bad;
    *written = request.samplesPerChannel;
    if (!task->clocked) {
        std::vector<double> levels(channels);
        for (std::size_t c = 0; c < channels; ++c) levels[c] = perOutput[c][0];
        if (task->running || request.autoStart) {
            holdLevels(*task, levels);
        } else {
            task->pendingLevels = levels;
        }
        return Outcome::success();
    }
    task->waveforms.clear();
    for (auto& samples : perOutput)
        task->waveforms.push_back(std::make_shared<const std::vector<double>>(std::move(samples)));
    if (task->running) {
        // A new waveform on a running task replaces the old one from now on.
        for (std::size_t i = 0; i < channels; ++i)
            outputs_.play(task->outputs[i].physical, now(), task->waveforms[i], task->rate);
        forgetOldOutput();
        return Outcome::success();
    }
    return request.autoStart ? startTask(*task) : Outcome::success();
}

std::size_t SimulatedBoard::channelCount(const Task& task) const {
    return task.kind == TaskKind::Input ? task.inputs.size() : task.outputs.size();
}

Outcome SimulatedBoard::stopTask(Task& task) {
    if (!task.running) return Outcome::success();
    if (task.kind == TaskKind::Input) {
        task.acquiredAtStop = acquired(task);
    } else if (task.clocked) {
        // A stopped output holds the sample it was putting out.
        const double t = now();
        std::vector<double> last;
        for (const OutputChannel& channel : task.outputs)
            last.push_back(outputs_.levelAt(channel.physical, t));
        holdLevels(task, last);
    }
    task.running = false;
    return Outcome::success();
}

std::unique_ptr<SimulatedBoard> makeSimulatedBoard(const BoardConfig& config) {
    return std::make_unique<SimulatedBoard>(config);
}

namespace {

std::unique_ptr<DriverBackend> makeFromSettings(const BoardSettings& settings, std::string*) {
    return makeSimulatedBoard(settings.simulated);
}

}  // namespace

extern const BackendEntry kSimulatedBoardBackend = {
    "simulated",      true,    false,  "the built-in simulated board Dev1 (the default)",
    makeFromSettings, nullptr, nullptr};

std::int32_t installSimulatedBoard(const BoardConfig& config, std::string* error) {
    for (const FaultSpec& fault : config.faults) {
        if (!operationNamed(fault.operation) || fault.call < 1 || fault.status >= 0) {
            if (error)
                *error = "fault " + fault.operation + " " + std::to_string(fault.call) + " " +
                         std::to_string(fault.status) + " cannot be injected";
            return kErrorBoardFileInvalid;
        }
    }
    installDriverBackend(makeSimulatedBoard(config),
                         {kSimulatedBoardBackend.name, true, {}, {}, {}});
    clearDriverFaults();
    for (const FaultSpec& fault : config.faults)
        injectDriverFault(fault.operation, fault.call, fault.status);
    return 0;
}

void resetSimulatedBoard() {
    installSimulatedBoard(defaultBoardConfig());
}

}  // namespace trelvanix::driver
