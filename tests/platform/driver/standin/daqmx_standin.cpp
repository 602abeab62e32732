// A stand-in for the vendor's DAQmx driver library, built only for the tests. It exports the
// C functions the program calls, with their published C signatures, written here apart from
// the program's own so that a wrong signature on either side shows.
//
//   TRELVANIX_STANDIN_LOG=FILE                   appends a line per call (its name and
//                                                arguments), DAQmxGetExtendedErrorInfo aside
//   TRELVANIX_STANDIN_FAIL="NAME CALL STATUS"    call number CALL of NAME fails with STATUS,
//                                                calls counted from when the variable changed
//
// Device "Dev1" has the ranges ±10, ±5, ±0.5 and ±0.05 V. Its inputs are clocked by the real
// clock; input aiP serves a ramp of counts (P + 1) * 1000 + (sample index mod 100), a quarter
// count above the code, in volts of the range its channel was created with.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#define STANDIN_EXPORT extern "C" __declspec(dllexport)
#else
#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

using Clock = std::chrono::steady_clock;

struct Channel {
    int physical;
    double min, max;
};

struct Task {
    std::string name;
    std::vector<Channel> inputs;
    int outputs = 0;
    double rate = 0.0;
    std::uint64_t buffer = 0;
    bool running = false;
    Clock::time_point started;
    std::uint64_t readPosition = 0;
    std::uint64_t acquiredAtStop = 0;
};

std::set<Task*> tasks;
std::map<std::string, long> calls;
std::string failRequest;
std::string lastError;

std::string quoted(const char* text) {
    return text ? "\"" + std::string(text) + "\"" : "null";
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

void log(const std::string& line) {
    const char* path = std::getenv("TRELVANIX_STANDIN_LOG");
    if (!path || !*path) return;
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

std::int32_t fail(std::int32_t status, const std::string& text) {
    lastError = text + "\nStatus Code: " + std::to_string(status);
    return status;
}

// Counts the call and logs it; returns the status chosen to fail this call with, or 0.
std::int32_t enter(const char* function, const std::string& arguments) {
    log(std::string(function) + (arguments.empty() ? "" : " ") + arguments);
    const char* variable = std::getenv("TRELVANIX_STANDIN_FAIL");
    const std::string request = variable ? variable : "";
    if (request != failRequest) {
        failRequest = request;
        calls.clear();
    }
    const long call = ++calls[function];
    if (request.empty()) return 0;
    char name[64] = "";
    long failingCall = 0;
    int status = 0;
    if (std::sscanf(request.c_str(), "%63s %ld %d", name, &failingCall, &status) == 3 &&
        std::strcmp(name, function) == 0 && failingCall == call)
        return fail(status, "Stand-in failure of " + std::string(function) + ", call " +
                                std::to_string(call) + ".");
    return 0;
}

std::string nameOf(void* handle) {
    Task* task = static_cast<Task*>(handle);
    return tasks.count(task) ? task->name : "unknown-task";
}

Task* find(void* handle) {
    Task* task = static_cast<Task*>(handle);
    return tasks.count(task) ? task : nullptr;
}

std::int32_t invalidTask() {
    return fail(-200088, "Task specified is invalid or does not exist.");
}

std::uint64_t acquired(const Task& task) {
    if (!task.running) return task.acquiredAtStop;
    const double elapsed = std::chrono::duration<double>(Clock::now() - task.started).count();
    return static_cast<std::uint64_t>(elapsed * task.rate);
}

double sampleOf(const Channel& channel, std::uint64_t index) {
    const double count = (channel.physical + 1) * 1000 + double(index % 100) + 0.25;
    return count * (channel.max - channel.min) / 65536.0;
}

const double kRanges[] = {-10, 10, -5, 5, -0.5, 0.5, -0.05, 0.05};

}  // namespace

STANDIN_EXPORT std::int32_t DAQmxGetDevAIVoltageRngs(const char* device, double* data,
                                                     std::uint32_t size) {
    if (std::int32_t status = enter(__func__, quoted(device) + " " + std::to_string(size)))
        return status;
    if (!device || std::strcmp(device, "Dev1") != 0)
        return fail(-200220, "Device identifier is invalid.\nDevice Specified: " +
                                 std::string(device ? device : ""));
    const std::uint32_t needed = sizeof kRanges / sizeof kRanges[0];
    if (!data || size == 0) return static_cast<std::int32_t>(needed);
    if (size < needed) return fail(-200229, "Buffer is too small to fit the string.");
    std::memcpy(data, kRanges, sizeof kRanges);
    return 0;
}

STANDIN_EXPORT std::int32_t DAQmxCreateTask(const char* name, void** handle) {
    if (std::int32_t status = enter(__func__, quoted(name))) return status;
    Task* task = new Task;
    task->name = name ? name : "";
    tasks.insert(task);
    *handle = task;
    return 0;
}

STANDIN_EXPORT std::int32_t DAQmxCreateAIVoltageChan(void* handle, const char* physical,
                                                     const char* assigned, std::int32_t terminal,
                                                     double min, double max, std::int32_t units,
                                                     const char* scale) {
    if (std::int32_t status =
            enter(__func__, nameOf(handle) + " " + quoted(physical) + " " + quoted(assigned) + " " +
                                std::to_string(terminal) + " " + number(min) + " " + number(max) +
                                " " + std::to_string(units) + " " + quoted(scale)))
        return status;
    Task* task = find(handle);
    if (!task) return invalidTask();
    int channel = -1;
    if (!physical || std::sscanf(physical, "Dev1/ai%d", &channel) != 1 || channel < 0 ||
        channel > 7)
        return fail(-200170, "Physical channel specified does not exist on this device.");
    task->inputs.push_back({channel, min, max});
    return 0;
}

STANDIN_EXPORT std::int32_t DAQmxCreateAOVoltageChan(void* handle, const char* physical,
                                                     const char* assigned, double min, double max,
                                                     std::int32_t units, const char* scale) {
    if (std::int32_t status =
            enter(__func__, nameOf(handle) + " " + quoted(physical) + " " + quoted(assigned) + " " +
                                number(min) + " " + number(max) + " " + std::to_string(units) +
                                " " + quoted(scale)))
        return status;
    Task* task = find(handle);
    if (!task) return invalidTask();
    ++task->outputs;
    return 0;
}

STANDIN_EXPORT std::int32_t DAQmxCfgSampClkTiming(void* handle, const char* source, double rate,
                                                  std::int32_t edge, std::int32_t mode,
                                                  std::uint64_t perChannel) {
    if (std::int32_t status =
            enter(__func__, nameOf(handle) + " " + quoted(source) + " " + number(rate) + " " +
                                std::to_string(edge) + " " + std::to_string(mode) + " " +
                                std::to_string(perChannel)))
        return status;
    Task* task = find(handle);
    if (!task) return invalidTask();
    task->rate = rate;
    task->buffer = perChannel;
    return 0;
}

STANDIN_EXPORT std::int32_t DAQmxStartTask(void* handle) {
    if (std::int32_t status = enter(__func__, nameOf(handle))) return status;
    Task* task = find(handle);
    if (!task) return invalidTask();
    if (!task->running) {
        task->running = true;
        task->started = Clock::now();
        task->readPosition = 0;
    }
    return 0;
}

STANDIN_EXPORT std::int32_t DAQmxStopTask(void* handle) {
    if (std::int32_t status = enter(__func__, nameOf(handle))) return status;
    Task* task = find(handle);
    if (!task) return invalidTask();
    task->acquiredAtStop = acquired(*task);
    task->running = false;
    return 0;
}

STANDIN_EXPORT std::int32_t DAQmxClearTask(void* handle) {
    if (std::int32_t status = enter(__func__, nameOf(handle))) return status;
    Task* task = find(handle);
    if (!task) return invalidTask();
    tasks.erase(task);
    delete task;
    return 0;
}

#ifndef STANDIN_WITHOUT_READ_TOTAL
STANDIN_EXPORT std::int32_t DAQmxGetReadTotalSampPerChanAcquired(void* handle,
                                                                 std::uint64_t* total) {
    if (std::int32_t status = enter(__func__, nameOf(handle))) return status;
    Task* task = find(handle);
    if (!task) return invalidTask();
    *total = acquired(*task);
    return 0;
}
#endif

STANDIN_EXPORT std::int32_t DAQmxReadAnalogF64(void* handle, std::int32_t perChannel,
                                               double timeout, std::uint32_t fillMode, double* data,
                                               std::uint32_t size, std::int32_t* read,
                                               std::uint32_t* reserved) {
    if (read) *read = 0;
    if (std::int32_t status = enter(
            __func__, nameOf(handle) + " " + std::to_string(perChannel) + " " + number(timeout) +
                          " " + std::to_string(fillMode) + " " + std::to_string(size)))
        return status;
    Task* task = find(handle);
    if (!task) return invalidTask();
    if (!task->running) return fail(-200983, "The task is not running.");
    const std::uint64_t behind = acquired(*task) - task->readPosition;
    if (behind > task->buffer)
        return fail(-200279, "Attempted to read samples that are no longer available.");
    const std::uint64_t wanted = perChannel < 0 ? behind : std::uint64_t(perChannel);
    const std::size_t channels = task->inputs.size();
    if (wanted * channels > size) return fail(-200229, "Buffer is too small.");
    const auto deadline = Clock::now() + std::chrono::duration<double>(timeout);
    while (acquired(*task) < task->readPosition + wanted) {
        if (timeout >= 0 && Clock::now() >= deadline)
            return fail(-200284,
                        "Some or all of the samples requested have not yet been acquired.");
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (std::uint64_t j = 0; j < wanted; ++j)
        for (std::size_t c = 0; c < channels; ++c) {
            const double value = sampleOf(task->inputs[c], task->readPosition + j);
            if (fillMode == 1)
                data[j * channels + c] = value;
            else
                data[c * wanted + j] = value;
        }
    task->readPosition += wanted;
    if (read) *read = static_cast<std::int32_t>(wanted);
    return 0;
}

STANDIN_EXPORT std::int32_t DAQmxWriteAnalogF64(void* handle, std::int32_t perChannel,
                                                std::uint32_t autoStart, double timeout,
                                                std::uint32_t layout, const double* data,
                                                std::int32_t* written, std::uint32_t* reserved) {
    if (written) *written = 0;
    if (std::int32_t status =
            enter(__func__, nameOf(handle) + " " + std::to_string(perChannel) + " " +
                                std::to_string(autoStart) + " " + number(timeout) + " " +
                                std::to_string(layout) + " " + (data ? number(data[0]) : "null")))
        return status;
    Task* task = find(handle);
    if (!task) return invalidTask();
    if (autoStart) task->running = true;
    if (written) *written = perChannel;
    return 0;
}

STANDIN_EXPORT std::int32_t DAQmxWriteAnalogScalarF64(void* handle, std::uint32_t autoStart,
                                                      double timeout, double value,
                                                      std::uint32_t* reserved) {
    if (std::int32_t status = enter(__func__, nameOf(handle) + " " + std::to_string(autoStart) +
                                                  " " + number(timeout) + " " + number(value)))
        return status;
    if (!find(handle)) return invalidTask();
    return 0;
}

STANDIN_EXPORT std::int32_t DAQmxGetExtendedErrorInfo(char* text, std::uint32_t size) {
    if (!text || size == 0) return static_cast<std::int32_t>(lastError.size() + 1);
    const std::size_t copied = std::min<std::size_t>(lastError.size(), size - 1);
    std::memcpy(text, lastError.data(), copied);
    text[copied] = '\0';
    return 0;
}
