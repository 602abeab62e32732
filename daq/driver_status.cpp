#include "daq/driver_status.h"

#include <string>

#include "platform/driver/driver_errors.h"
#include "platform/ui/toolkit.h"
#include "state/program_events.h"

namespace trelvanix::daq {

namespace {

constexpr int kExtendedErrorSize = 2048;
// The driver's status when a wait for an operation outlasts its timeout.
constexpr int32 kErrorOperationTimedOut = -200474;
const char* lastFailedOperation = "A driver operation";

}  // namespace

int32 NoteDriverCall(const char* operation, int32 status) {
    if (status < 0) lastFailedOperation = operation;
    return status;
}

std::string DriverErrorText(int32 status) {
    char error[kExtendedErrorSize] = "";
    if (DAQmxGetExtendedErrorInfo(error, sizeof error) >= 0 && error[0] != '\0') return error;
    return std::string(lastFailedOperation) + " failed with status " + std::to_string(status) +
           " (the driver gave no description of the error).";
}

int32 ReleaseTask(TaskHandle task, std::string* report) {
    const auto reported = [&](const char* operation, int32 status) {
        if (NoteDriverCall(operation, status) < 0) {
            std::string text = ReportDriverError(status);
            if (report) *report = std::move(text);
        }
        return status;
    };
    reported("DAQmxStopTask", DAQmxStopTask(task));
    return reported("DAQmxClearTask", DAQmxClearTask(task));
}

std::string DriverAdvice(int32 status) {
    using namespace trelvanix::driver;
    switch (status) {
        case kErrorSamplesNoLongerAvailable:
            return "Advice: the program fell behind and the board overwrote samples before they "
                   "were read. Acquire fewer channels, at a lower sampling rate or in longer "
                   "stretches, or close other busy programs.";
        case kErrorSamplesNotYetAvailable:
        case kErrorOperationTimedOut:
            return "Advice: the board delivered no samples in time. Check that it is connected "
                   "and powered, and that its clock runs.";
        case kErrorResourceReserved:
            return "Advice: another task holds the board (a stimulus still playing, or another "
                   "program such as the vendor's test panels). Stop or close it, then try again.";
        case kErrorInvalidAttributeValue:
            return "Advice: the board does not offer a value asked for (a sampling rate above "
                   "its maximum for these channels, or an input range). Choose a lower rate, "
                   "fewer channels or another board range.";
        case kErrorAODataOutOfRange:
            return "Advice: the stimulus asks the output for more than -10 V to +10 V. Lower its "
                   "amplitude or raise the units per volt.";
        default:
            return {};
    }
}

std::string ReportDriverError(int32 status) {
    std::string text = DriverErrorText(status);
    ErrorPrintf("%s", text.c_str());
    events::Event report{events::Kind::DriverError};
    report.number = static_cast<int>(status);
    report.text = text;
    events::Publish(report);
    if (const std::string advice = DriverAdvice(status); !advice.empty())
        ErrorPrintf("%s", advice.c_str());
    return text;
}

}  // namespace trelvanix::daq
