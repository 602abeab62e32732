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

void ReportDriverError(int32 status) {
    char error[kExtendedErrorSize] = "";
    if (DAQmxGetExtendedErrorInfo(error, sizeof error) >= 0 && error[0] != '\0') {
        ErrorPrintf("%s", error);
        return;
    }
    ErrorPrintf("%s failed with status %d (the driver gave no description of the error).",
                lastFailedOperation, static_cast<int>(status));
}

}  // namespace trelvanix::daq
