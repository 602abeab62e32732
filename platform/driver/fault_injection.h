#pragma once
// Injected driver faults, for tests and board files: the Nth call of a named operation fails
// with a chosen status instead of running.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trelvanix::driver {

enum class DriverOperation {
    GetDevAIVoltageRngs,
    CreateTask,
    CreateAIVoltageChan,
    CreateAOVoltageChan,
    CfgSampClkTiming,
    StartTask,
    GetReadTotalSampPerChanAcquired,
    ReadAnalogF64,
    WriteAnalogF64,
    WriteAnalogScalarF64,
    StopTask,
    ClearTask,
    GetExtendedErrorInfo,
};
constexpr int kDriverOperationCount = 13;

// The published name ("DAQmxReadAnalogF64") of an operation, and back.
const char* operationName(DriverOperation operation);
std::optional<DriverOperation> operationNamed(std::string_view name);

// Makes call number `call` (1 = the next one) of `operation` fail with `status`, which must
// be negative. Returns false, with the reason in *error, when the request is not valid.
bool injectDriverFault(std::string_view operation, long long call, std::int32_t status,
                       std::string* error = nullptr);
// Forgets every pending fault and restarts the call counts.
void clearDriverFaults();

// Counts one call of `operation`; returns the status injected for this call, or 0.
std::int32_t takeInjectedFault(DriverOperation operation);

}  // namespace trelvanix::driver
