#include "daq/driver_status.h"

#include "platform/ui/toolkit.h"

namespace trelvanix::daq {

namespace {

constexpr int kExtendedErrorSize = 2048;
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

std::string ReportDriverError(int32 status) {
    std::string text = DriverErrorText(status);
    ErrorPrintf("%s", text.c_str());
    return text;
}

}  // namespace trelvanix::daq
