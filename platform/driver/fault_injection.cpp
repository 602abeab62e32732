#include "platform/driver/fault_injection.h"

#include <array>
#include <vector>

namespace trelvanix::driver {
namespace {

constexpr std::array<const char*, kDriverOperationCount> kNames = {
    "DAQmxGetDevAIVoltageRngs",
    "DAQmxCreateTask",
    "DAQmxCreateAIVoltageChan",
    "DAQmxCreateAOVoltageChan",
    "DAQmxCfgSampClkTiming",
    "DAQmxStartTask",
    "DAQmxGetReadTotalSampPerChanAcquired",
    "DAQmxReadAnalogF64",
    "DAQmxWriteAnalogF64",
    "DAQmxWriteAnalogScalarF64",
    "DAQmxStopTask",
    "DAQmxClearTask",
    "DAQmxGetExtendedErrorInfo",
};

struct PendingFault {
    long long atCall;  // absolute call count at which it fires
    std::int32_t status;
};

struct FaultPlan {
    std::array<long long, kDriverOperationCount> calls{};
    std::array<std::vector<PendingFault>, kDriverOperationCount> pending;
};

FaultPlan& plan() {
    static FaultPlan faults;
    return faults;
}

}  // namespace

const char* operationName(DriverOperation operation) {
    return kNames[static_cast<std::size_t>(operation)];
}

std::optional<DriverOperation> operationNamed(std::string_view name) {
    for (std::size_t i = 0; i < kNames.size(); ++i)
        if (name == kNames[i]) return static_cast<DriverOperation>(i);
    return std::nullopt;
}

bool injectDriverFault(std::string_view operation, long long call, std::int32_t status,
                       std::string* error) {
    const auto fail = [&](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };
    const auto op = operationNamed(operation);
    if (!op) return fail("unknown driver operation \"" + std::string(operation) + "\"");
    if (call < 1) return fail("the call number must be 1 or more");
    if (status >= 0) return fail("the status of a fault must be negative");
    const auto index = static_cast<std::size_t>(*op);
    plan().pending[index].push_back({plan().calls[index] + call, status});
    return true;
}

void clearDriverFaults() {
    plan() = FaultPlan{};
}

std::int32_t takeInjectedFault(DriverOperation operation) {
    const auto index = static_cast<std::size_t>(operation);
    const long long call = ++plan().calls[index];
    auto& pending = plan().pending[index];
    for (auto it = pending.begin(); it != pending.end(); ++it) {
        if (it->atCall == call) {
            const std::int32_t status = it->status;
            pending.erase(it);
            return status;
        }
    }
    return 0;
}

}  // namespace trelvanix::driver
