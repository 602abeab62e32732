// The DAQmx operations: each counts the call for fault injection, checks what it can without
// the board, hands the rest to the installed back end and keeps the text of the last error.

#include "platform/driver/daqmx.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/driver/backend_registry.h"
#include "platform/driver/driver_backend.h"
#include "platform/driver/driver_errors.h"
#include "platform/driver/fault_injection.h"

namespace trelvanix::driver {
namespace {

std::unique_ptr<DriverBackend>& installedBackend() {
    static std::unique_ptr<DriverBackend> backend;
    return backend;
}

BoardInUse& installedBoard() {
    static BoardInUse board;
    return board;
}

std::string& lastErrorText() {
    static std::string text;
    return text;
}

TaskId& lastTaskId() {
    static TaskId id = 0;
    return id;
}

void recordError(DriverOperation operation, int32 status, const std::string& cause) {
    const std::string statusLine = "Status Code: " + std::to_string(status);
    lastErrorText() = std::string(operationName(operation)) + ": " + cause;
    // A vendor's own text already ends with its status line.
    if (cause.find(statusLine) == std::string::npos) lastErrorText() += "\n" + statusLine;
}

// Runs one operation: an injected fault replaces the call; an error leaves its text behind.
template <typename Body>
int32 run(DriverOperation operation, Body&& body) {
    if (const int32 injected = takeInjectedFault(operation)) {
        recordError(operation, injected, "injected fault");
        return injected;
    }
    const Outcome outcome = body();
    if (outcome.failed()) recordError(operation, outcome.status, outcome.cause);
    return outcome.status;
}

Outcome taskIdOf(TaskHandle handle, TaskId* id) {
    *id = static_cast<TaskId>(reinterpret_cast<std::uintptr_t>(handle));
    if (*id == 0) return Outcome::failure(kErrorInvalidTask, "the task handle is 0");
    return Outcome::success();
}

Outcome missing(const char* what) {
    return Outcome::failure(kErrorInvalidAttributeValue, std::string(what) + " is missing");
}

std::string_view textOrEmpty(const char* text) {
    return text ? std::string_view(text) : "";
}

Outcome terminalConfigOf(int32 value, TerminalConfig* config) {
    switch (value) {
        case DAQmx_Val_Cfg_Default:
            *config = TerminalConfig::Default;
            return Outcome::success();
        case DAQmx_Val_RSE:
            *config = TerminalConfig::ReferencedSingleEnded;
            return Outcome::success();
        case DAQmx_Val_NRSE:
            *config = TerminalConfig::NonReferencedSingleEnded;
            return Outcome::success();
        case DAQmx_Val_Diff:
            *config = TerminalConfig::Differential;
            return Outcome::success();
    }
    return Outcome::failure(
        kErrorInvalidAttributeValue,
        "terminal configuration " + std::to_string(value) + " is not a terminal configuration");
}

Outcome checkVolts(int32 units) {
    if (units == DAQmx_Val_Volts) return Outcome::success();
    return Outcome::failure(kErrorInvalidAttributeValue, "units must be volts");
}

}  // namespace

DriverBackend& driverBackend() {
    if (!installedBackend()) {
        // The first registered back end with default settings makes the default board.
        const BackendEntry& first = *registeredBackends().front();
        std::string error;
        installedBackend() = first.make(BoardSettings{}, &error);
        installedBoard() = {first.name, first.simulated, {}, {}, {}};
    }
    return *installedBackend();
}

void installDriverBackend(std::unique_ptr<DriverBackend> backend, BoardInUse board) {
    installedBackend() = std::move(backend);
    installedBoard() = std::move(board);
    lastErrorText().clear();
}

const BoardInUse& boardInUse() {
    driverBackend();
    return installedBoard();
}

}  // namespace trelvanix::driver

using namespace trelvanix::driver;

int32 DAQmxGetDevAIVoltageRngs(const char device[], float64* data, uInt32 arraySizeInElements) {
    return run(DriverOperation::GetDevAIVoltageRngs, [&]() -> Outcome {
        if (!device) return missing("the device name");
        std::vector<RangePair> ranges;
        Outcome outcome = driverBackend().inputRanges(device, &ranges);
        if (outcome.failed()) return outcome;
        const auto needed = static_cast<uInt32>(2 * ranges.size());
        // As the published driver does: asked with no room, it answers with the size it needs.
        if (!data || arraySizeInElements == 0) return {static_cast<int32>(needed), {}};
        std::fill(data, data + arraySizeInElements, 0.0);
        if (arraySizeInElements < needed)
            return Outcome::failure(kErrorReadBufferTooSmall,
                                    "the array holds " + std::to_string(arraySizeInElements) +
                                        " values but the device has " + std::to_string(needed));
        for (std::size_t i = 0; i < ranges.size(); ++i) {
            data[2 * i] = ranges[i].low;
            data[2 * i + 1] = ranges[i].high;
        }
        return Outcome::success();
    });
}

int32 DAQmxCreateTask(const char taskName[], TaskHandle* taskHandle) {
    // A failed creation leaves 0, so callers that clear non-zero handles clear nothing.
    if (taskHandle) *taskHandle = nullptr;
    return run(DriverOperation::CreateTask, [&]() -> Outcome {
        if (!taskHandle) return missing("the address of the task handle");
        const TaskId id = lastTaskId() + 1;
        Outcome outcome = driverBackend().createTask(id, textOrEmpty(taskName));
        if (outcome.failed()) return outcome;
        lastTaskId() = id;
        *taskHandle = reinterpret_cast<TaskHandle>(static_cast<std::uintptr_t>(id));
        return outcome;
    });
}

int32 DAQmxCreateAIVoltageChan(TaskHandle taskHandle, const char physicalChannel[],
                               const char nameToAssignToChannel[], int32 terminalConfig,
                               float64 minVal, float64 maxVal, int32 units,
                               const char customScaleName[]) {
    return run(DriverOperation::CreateAIVoltageChan, [&]() -> Outcome {
        TaskId id;
        if (Outcome bad = taskIdOf(taskHandle, &id); bad.failed()) return bad;
        if (!physicalChannel) return missing("the physical channel");
        if (!textOrEmpty(customScaleName).empty())
            return Outcome::failure(kErrorInvalidAttributeValue,
                                    "custom scales are not supported; pass an empty scale name");
        TerminalConfig config = TerminalConfig::Default;
        if (Outcome bad = terminalConfigOf(terminalConfig, &config); bad.failed()) return bad;
        if (Outcome bad = checkVolts(units); bad.failed()) return bad;
        return driverBackend().addInputChannel(id, physicalChannel, config, minVal, maxVal);
    });
}

int32 DAQmxCreateAOVoltageChan(TaskHandle taskHandle, const char physicalChannel[],
                               const char nameToAssignToChannel[], float64 minVal, float64 maxVal,
                               int32 units, const char customScaleName[]) {
    return run(DriverOperation::CreateAOVoltageChan, [&]() -> Outcome {
        TaskId id;
        if (Outcome bad = taskIdOf(taskHandle, &id); bad.failed()) return bad;
        if (!physicalChannel) return missing("the physical channel");
        if (!textOrEmpty(customScaleName).empty())
            return Outcome::failure(kErrorInvalidAttributeValue,
                                    "custom scales are not supported; pass an empty scale name");
        if (Outcome bad = checkVolts(units); bad.failed()) return bad;
        return driverBackend().addOutputChannel(id, physicalChannel, minVal, maxVal);
    });
}

int32 DAQmxCfgSampClkTiming(TaskHandle taskHandle, const char source[], float64 rate,
                            int32 activeEdge, int32 sampleMode, uInt64 sampsPerChanToAcquire) {
    return run(DriverOperation::CfgSampClkTiming, [&]() -> Outcome {
        TaskId id;
        if (Outcome bad = taskIdOf(taskHandle, &id); bad.failed()) return bad;
        if (activeEdge != DAQmx_Val_Rising && activeEdge != DAQmx_Val_Falling)
            return Outcome::failure(
                kErrorInvalidAttributeValue,
                "active edge " + std::to_string(activeEdge) + " is not an edge");
        if (sampleMode != DAQmx_Val_ContSamps)
            return Outcome::failure(kErrorInvalidAttributeValue,
                                    "sample mode " + std::to_string(sampleMode) +
                                        " is not supported; only continuous samples");
        const ClockEdge edge =
            activeEdge == DAQmx_Val_Rising ? ClockEdge::Rising : ClockEdge::Falling;
        return driverBackend().configureSampleClock(id, textOrEmpty(source), rate, edge,
                                                    sampsPerChanToAcquire);
    });
}

int32 DAQmxStartTask(TaskHandle taskHandle) {
    return run(DriverOperation::StartTask, [&]() -> Outcome {
        TaskId id;
        if (Outcome bad = taskIdOf(taskHandle, &id); bad.failed()) return bad;
        return driverBackend().start(id);
    });
}

int32 DAQmxGetReadTotalSampPerChanAcquired(TaskHandle taskHandle, uInt64* data) {
    return run(DriverOperation::GetReadTotalSampPerChanAcquired, [&]() -> Outcome {
        TaskId id;
        if (Outcome bad = taskIdOf(taskHandle, &id); bad.failed()) return bad;
        if (!data) return missing("the address of the count");
        return driverBackend().acquiredPerChannel(id, data);
    });
}

int32 DAQmxReadAnalogF64(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout,
                         bool32 fillMode, float64 readArray[], uInt32 arraySizeInSamps,
                         int32* sampsPerChanRead, bool32* reserved) {
    if (sampsPerChanRead) *sampsPerChanRead = 0;
    return run(DriverOperation::ReadAnalogF64, [&]() -> Outcome {
        TaskId id;
        if (Outcome bad = taskIdOf(taskHandle, &id); bad.failed()) return bad;
        if (!readArray && arraySizeInSamps > 0) return missing("the read array");
        if (fillMode != DAQmx_Val_GroupByChannel && fillMode != DAQmx_Val_GroupByScanNumber)
            return Outcome::failure(kErrorInvalidAttributeValue,
                                    "unknown fill mode " + std::to_string(fillMode));
        ReadRequest request{numSampsPerChan, timeout, fillMode == DAQmx_Val_GroupByScanNumber,
                            readArray, arraySizeInSamps};
        int32 read = 0;
        Outcome outcome = driverBackend().read(id, request, &read);
        if (sampsPerChanRead) *sampsPerChanRead = read;
        return outcome;
    });
}

int32 DAQmxWriteAnalogF64(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart,
                          float64 timeout, bool32 dataLayout, const float64 writeArray[],
                          int32* sampsPerChanWritten, bool32* reserved) {
    if (sampsPerChanWritten) *sampsPerChanWritten = 0;
    return run(DriverOperation::WriteAnalogF64, [&]() -> Outcome {
        TaskId id;
        if (Outcome bad = taskIdOf(taskHandle, &id); bad.failed()) return bad;
        if (!writeArray && numSampsPerChan > 0) return missing("the write array");
        if (dataLayout != DAQmx_Val_GroupByChannel && dataLayout != DAQmx_Val_GroupByScanNumber)
            return Outcome::failure(kErrorInvalidAttributeValue,
                                    "unknown data layout " + std::to_string(dataLayout));
        WriteRequest request{numSampsPerChan, autoStart != 0, timeout,
                             dataLayout == DAQmx_Val_GroupByScanNumber, writeArray};
        int32 written = 0;
        Outcome outcome = driverBackend().write(id, request, &written);
        if (sampsPerChanWritten) *sampsPerChanWritten = written;
        return outcome;
    });
}

int32 DAQmxWriteAnalogScalarF64(TaskHandle taskHandle, bool32 autoStart, float64 timeout,
                                float64 value, bool32* reserved) {
    return run(DriverOperation::WriteAnalogScalarF64, [&]() -> Outcome {
        TaskId id;
        if (Outcome bad = taskIdOf(taskHandle, &id); bad.failed()) return bad;
        return driverBackend().writeScalar(id, autoStart != 0, timeout, value);
    });
}

int32 DAQmxStopTask(TaskHandle taskHandle) {
    return run(DriverOperation::StopTask, [&]() -> Outcome {
        TaskId id;
        if (Outcome bad = taskIdOf(taskHandle, &id); bad.failed()) return bad;
        return driverBackend().stop(id);
    });
}

int32 DAQmxClearTask(TaskHandle taskHandle) {
    return run(DriverOperation::ClearTask, [&]() -> Outcome {
        TaskId id;
        if (Outcome bad = taskIdOf(taskHandle, &id); bad.failed()) return bad;
        return driverBackend().clear(id);
    });
}

int32 DAQmxGetExtendedErrorInfo(char errorString[], uInt32 bufferSize) {
    // Fetching the text must not replace it, so an injected fault here leaves it alone.
    if (const int32 injected = takeInjectedFault(DriverOperation::GetExtendedErrorInfo)) {
        if (errorString && bufferSize > 0) errorString[0] = '\0';
        return injected;
    }
    const std::string& text = lastErrorText();
    if (!errorString || bufferSize == 0) return static_cast<int32>(text.size() + 1);
    const std::size_t copied = std::min<std::size_t>(text.size(), bufferSize - 1);
    std::memcpy(errorString, text.data(), copied);
    errorString[copied] = '\0';
    return 0;
}
