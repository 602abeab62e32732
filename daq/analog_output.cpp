#include "daq/analog_output.h"

#include <cstdio>

#include "daq/driver_status.h"
#include "platform/ui/toolkit.h"

TaskHandle Wfm_id_mx = nullptr;

namespace {

using trelvanix::daq::NoteDriverCall;

constexpr double kWriteTimeout = 10.0;

std::string& lastError() {
    static std::string text;
    return text;
}

// A task of AOUpdateChannel that the driver would not clear. The driver keeps one task of that
// name, so it is cleared before the next update creates its own.
TaskHandle leftoverUpdateTask = nullptr;

std::string outputName(short device, const char* channels) {
    char name[64];
    std::snprintf(name, sizeof name, "Dev%d/ao%s", device, channels ? channels : "");
    return name;
}

// Writes the driver's text of the error just reported (or the failed call and its status) to
// the error output, and keeps it for the operator's message.
void reportDriverError(int32 status) {
    lastError() = trelvanix::daq::ReportDriverError(status);
}

// Stops and clears an output task, reporting each refusal. Returns the clear's status: a task
// the driver would not clear still holds its name and its output.
int32 releaseTask(TaskHandle task, const char* name) {
    const int32 cleared = trelvanix::daq::ReleaseTask(task, &lastError());
    if (cleared < 0) {
        ErrorPrintf(
            "The output task \"%s\" could not be released; it is cleared again before "
            "its next use and at exit.",
            name);
    }
    return cleared;
}

int32 clearLeftoverUpdateTask() {
    if (leftoverUpdateTask == nullptr) return 0;
    const int32 status = releaseTask(leftoverUpdateTask, "AOUpdateChannel");
    if (status >= 0) leftoverUpdateTask = nullptr;
    return status;
}

}  // namespace

int32 AOGenerateWaveforms(short device, const char* channels, double rate, double points,
                          int unused, const double* waveform) {
    const std::string name = outputName(device, channels);
    const auto count = static_cast<uInt64>(points);
    // A task still held (one the driver would not clear before) goes first: the driver keeps
    // one task of this name.
    if (const int32 left = AOClearWaveforms(); left < 0) return left;
    TaskHandle task = nullptr;
    int32 status = NoteDriverCall("DAQmxCreateTask", DAQmxCreateTask("AOGenerateWaveforms", &task));
    if (status >= 0)
        status = NoteDriverCall("DAQmxCreateAOVoltageChan",
                                DAQmxCreateAOVoltageChan(task, name.c_str(), "", -kOutputLimit,
                                                         kOutputLimit, DAQmx_Val_Volts, ""));
    if (status >= 0)
        status = NoteDriverCall("DAQmxCfgSampClkTiming",
                                DAQmxCfgSampClkTiming(task, "OnboardClock", rate, DAQmx_Val_Rising,
                                                      DAQmx_Val_ContSamps, count));
    if (status >= 0)
        status = NoteDriverCall(
            "DAQmxWriteAnalogF64",
            DAQmxWriteAnalogF64(task, static_cast<int32>(count), 1, kWriteTimeout,
                                DAQmx_Val_GroupByChannel, waveform, nullptr, nullptr));
    if (status < 0) {
        reportDriverError(status);
        const std::string reason = lastError();
        // A task the driver would not clear is kept, to be cleared before the next start.
        if (task != nullptr && releaseTask(task, "AOGenerateWaveforms") < 0) Wfm_id_mx = task;
        lastError() = reason;  // the operator hears why the start failed
        return status;
    }
    Wfm_id_mx = task;
    return status;
}

int32 AOClearWaveforms() {
    if (Wfm_id_mx == nullptr) return 0;
    // The driver keeps one task of this name: one it would not clear is kept, and cleared
    // again before the next waveform creates its own.
    const int32 status = releaseTask(Wfm_id_mx, "AOGenerateWaveforms");
    if (status < 0) return status;
    Wfm_id_mx = nullptr;
    return 0;
}

int32 AOUpdateChannel(short device, const char* channels, double value) {
    const std::string name = outputName(device, channels);
    if (const int32 left = clearLeftoverUpdateTask(); left < 0) return left;
    TaskHandle task = nullptr;
    int32 status = NoteDriverCall("DAQmxCreateTask", DAQmxCreateTask("AOUpdateChannel", &task));
    if (status >= 0)
        status = NoteDriverCall("DAQmxCreateAOVoltageChan",
                                DAQmxCreateAOVoltageChan(task, name.c_str(), "", -kOutputLimit,
                                                         kOutputLimit, DAQmx_Val_Volts, ""));
    if (status >= 0)
        status = NoteDriverCall("DAQmxWriteAnalogScalarF64",
                                DAQmxWriteAnalogScalarF64(task, 1, kWriteTimeout, value, nullptr));
    if (status >= 0) status = NoteDriverCall("DAQmxStartTask", DAQmxStartTask(task));
    if (status < 0) reportDriverError(status);
    // The output keeps the value written even when its task cannot be released.
    if (task != nullptr && releaseTask(task, "AOUpdateChannel") < 0) leftoverUpdateTask = task;
    return status;
}

namespace trelvanix {

const std::string& AnalogOutputError() {
    return lastError();
}

void ReleaseOutputTasksLeftBehind() {
    AOClearWaveforms();
    clearLeftoverUpdateTask();
}

void ResetAnalogOutputState() {
    Wfm_id_mx = nullptr;
    leftoverUpdateTask = nullptr;
    lastError().clear();
}

}  // namespace trelvanix
