#pragma once
// Reports of the acquisition engine's failed driver calls. A call's status passes through
// NoteDriverCall, which remembers the operation that failed, so that the report names it even
// when the driver cannot give its own description.

#include <string>

#include "platform/driver/daqmx.h"

namespace trelvanix::daq {

// Returns `status`; a negative one marks `operation` as the call that failed last.
int32 NoteDriverCall(const char* operation, int32 status);
// The driver's description of the last error, or, when it cannot be fetched, a line naming the
// failed operation and the status.
std::string DriverErrorText(int32 status);
// Writes DriverErrorText to the error output and returns it; for the statuses an operator
// meets on a bench, a line of advice follows it there.
std::string ReportDriverError(int32 status);
// Stops and clears `task`, reporting each refusal (the last report also in *report, when
// given). Returns the clear's status: a task the driver would not clear still holds its name.
int32 ReleaseTask(TaskHandle task, std::string* report = nullptr);
// That line of advice ("Advice: ..."), or an empty text for other statuses.
std::string DriverAdvice(int32 status);

}  // namespace trelvanix::daq
