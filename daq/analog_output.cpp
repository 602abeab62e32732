#include "daq/analog_output.h"

#include <cstdio>

#include "platform/ui/toolkit.h"

TaskHandle Wfm_id_mx = nullptr;

namespace {

constexpr int kExtendedErrorSize = 2048;
constexpr double kOutputLimit = 10.0;  // every output spans -10 V to +10 V
constexpr double kWriteTimeout = 10.0;

std::string& lastError() {
    static std::string text;
    return text;
}

std::string outputName(short device, const char* channels) {
    char name[64];
    std::snprintf(name, sizeof name, "Dev%d/ao%s", device, channels ? channels : "");
    return name;
}

// Fetches the driver's text of the error just reported and writes it to the error output.
void reportDriverError() {
    char text[kExtendedErrorSize] = "";
    DAQmxGetExtendedErrorInfo(text, sizeof text);
    lastError() = text;
    ErrorPrintf("%s", text);
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
    int32 status = DAQmxCreateTask("AOGenerateWaveforms", &task);
    if (status >= 0)
        status = DAQmxCreateAOVoltageChan(task, name.c_str(), "", -kOutputLimit, kOutputLimit,
                                          DAQmx_Val_Volts, "");
    if (status >= 0)
        status = DAQmxCfgSampClkTiming(task, "OnboardClock", rate, DAQmx_Val_Rising,
                                       DAQmx_Val_ContSamps, count);
    if (status >= 0)
        status = DAQmxWriteAnalogF64(task, static_cast<int32>(count), 1, kWriteTimeout,
                                     DAQmx_Val_GroupByChannel, waveform, nullptr, nullptr);
    if (status < 0) {
        reportDriverError();
        if (task != nullptr) {
            DAQmxStopTask(task);
            DAQmxClearTask(task);
        }
        return status;
    }
    Wfm_id_mx = task;
    return status;
}

int32 AOClearWaveforms() {
    if (Wfm_id_mx == nullptr) return 0;
    DAQmxStopTask(Wfm_id_mx);
    const int32 status = DAQmxClearTask(Wfm_id_mx);
    // The driver keeps one task of this name: one it would not clear is kept, and cleared
    // again before the next waveform creates its own.
    if (status < 0) {
        reportDriverError();
        return status;
    }
    Wfm_id_mx = nullptr;
    return 0;
}

int32 AOUpdateChannel(short device, const char* channels, double value) {
    const std::string name = outputName(device, channels);
    TaskHandle task = nullptr;
    int32 status = DAQmxCreateTask("AOUpdateChannel", &task);
    if (status >= 0)
        status = DAQmxCreateAOVoltageChan(task, name.c_str(), "", -kOutputLimit, kOutputLimit,
                                          DAQmx_Val_Volts, "");
    if (status >= 0) status = DAQmxWriteAnalogScalarF64(task, 1, kWriteTimeout, value, nullptr);
    if (status >= 0) status = DAQmxStartTask(task);
    if (status < 0) reportDriverError();
    if (task != nullptr) {
        DAQmxStopTask(task);
        DAQmxClearTask(task);
    }
    return status;
}

namespace trelvanix {

const std::string& AnalogOutputError() {
    return lastError();
}

void ResetAnalogOutputState() {
    Wfm_id_mx = nullptr;
    lastError().clear();
}

}  // namespace trelvanix
