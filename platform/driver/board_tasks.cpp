#include "platform/driver/board_tasks.h"

#include <cstdio>

#include "platform/driver/driver_errors.h"
#include "platform/driver/physical_channels.h"

namespace trelvanix::driver::task_checks {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string quotedTask(const std::string& name) {
    return "task \"" + name + "\"";
}

Outcome invalidValue(std::string cause) {
    return Outcome::failure(kErrorInvalidAttributeValue, std::move(cause));
}

Outcome checkDeviceName(std::string_view device, std::string_view board) {
    if (sameNameIgnoringCase(device, board)) return Outcome::success();
    return Outcome::failure(kErrorInvalidDeviceId, "device \"" + std::string(device) +
                                                       "\" does not exist; the board is \"" +
                                                       std::string(board) + "\"");
}

Outcome unknownTask(TaskId id) {
    return Outcome::failure(kErrorInvalidTask,
                            "task " + std::to_string(id) + " is invalid or has been cleared");
}

Outcome noChannels(const TaskState& task) {
    return Outcome::failure(kErrorNoChannelsInTask, quotedTask(task.name) + " has no channels");
}

Outcome noSampleClock(const TaskState& task) {
    return invalidValue(quotedTask(task.name) +
                        " has no sample clock; the board acquires only with one");
}

Outcome notAnInputTask(const TaskState& task) {
    return Outcome::failure(kErrorChanTypeMismatch,
                            quotedTask(task.name) + " is not an input task");
}

Outcome notAnOutputTask(const TaskState& task) {
    return Outcome::failure(kErrorChanTypeMismatch,
                            quotedTask(task.name) + " is not an output task");
}

Outcome checkChannelsCanBeAdded(const TaskState& task, TaskKind adding) {
    if (task.kind != TaskKind::Empty && task.kind != adding)
        return invalidValue(quotedTask(task.name) + " already holds " +
                            (adding == TaskKind::Input ? "output" : "input") + " channels");
    if (task.running) return invalidValue(quotedTask(task.name) + " is running");
    return Outcome::success();
}

Outcome checkLimitsOrdered(double min, double max) {
    if (min < max) return Outcome::success();
    return invalidValue("minimum " + number(min) + " V is not below maximum " + number(max) + " V");
}

Outcome alreadyInTask(const std::string& channel, const TaskState& task) {
    return Outcome::failure(kErrorChanAlreadyInTask,
                            channel + " is already in " + quotedTask(task.name));
}

Outcome checkClockable(const TaskState& task, std::string_view source) {
    if (task.kind == TaskKind::Empty) return noChannels(task);
    if (task.running) return invalidValue(quotedTask(task.name) + " is running");
    if (!source.empty() && !sameNameIgnoringCase(source, "OnboardClock"))
        return invalidValue("clock source \"" + std::string(source) +
                            "\" does not exist; use the onboard clock");
    return Outcome::success();
}

Outcome checkBufferSize(std::uint64_t samplesPerChannel) {
    if (samplesPerChannel >= 2) return Outcome::success();
    return invalidValue("a buffer of " + std::to_string(samplesPerChannel) +
                        " samples per channel is too small");
}

Outcome reserved(const TaskState& task, const TaskState& other, const std::string& resource) {
    return Outcome::failure(kErrorResourceReserved,
                            "The specified resource is reserved. The operation could not be "
                            "completed as specified.\nResource: " +
                                resource + ", reserved by task \"" + other.name +
                                "\"\nTask Name: " + task.name);
}

Outcome checkReadable(const TaskState& task) {
    if (task.kind == TaskKind::Empty) return noChannels(task);
    if (task.kind != TaskKind::Input) return notAnInputTask(task);
    return Outcome::success();
}

Outcome checkReadSize(const TaskState& task, const ReadRequest& request) {
    if (request.samplesPerChannel < kReadAllAvailable)
        return invalidValue("cannot read " + std::to_string(request.samplesPerChannel) +
                            " samples per channel");
    if (request.samplesPerChannel > 0 && std::uint64_t(request.samplesPerChannel) > task.bufferSize)
        return invalidValue("cannot read " + std::to_string(request.samplesPerChannel) +
                            " samples per channel from a buffer of " +
                            std::to_string(task.bufferSize));
    return Outcome::success();
}

Outcome checkReadCapacity(std::uint64_t wanted, std::size_t channels, std::uint32_t capacity) {
    if (wanted * channels <= capacity) return Outcome::success();
    return Outcome::failure(kErrorReadBufferTooSmall,
                            "the read array holds " + std::to_string(capacity) + " samples but " +
                                std::to_string(wanted * channels) + " were requested");
}

Outcome checkWritable(const TaskState& task, const WriteRequest& request) {
    if (task.kind == TaskKind::Empty) return noChannels(task);
    if (task.kind != TaskKind::Output) return notAnOutputTask(task);
    if (request.samplesPerChannel < 0)
        return invalidValue("cannot write " + std::to_string(request.samplesPerChannel) +
                            " samples per channel");
    if (task.clocked && request.samplesPerChannel < 2)
        return invalidValue("a waveform needs at least 2 samples per channel");
    if (!task.clocked && request.samplesPerChannel != 1)
        return invalidValue(quotedTask(task.name) +
                            " has no sample clock; write one sample per channel");
    return Outcome::success();
}

}  // namespace trelvanix::driver::task_checks
