#pragma once
// The analog outputs: play a waveform continuously, stop it, and set an output to a constant
// value, through the driver operations. Nothing here knows about stimulus kinds or timing.
// Output channels are named "Dev%d/ao%s" from a device number and a channel designator text,
// and always span -10 V to +10 V.

#include <string>

#include "platform/driver/daqmx.h"

// Every output spans -kOutputLimit to +kOutputLimit volts.
constexpr double kOutputLimit = 10.0;

// The driver task of the waveform output: set by AOGenerateWaveforms, 0 once cleared; kept
// when the driver would not clear it, so the next start or stop clears it again.
extern TaskHandle Wfm_id_mx;

// Starts continuous regeneration of `points` values (volts) on output `channels` of `device`
// at `rate` values per second; the output runs from this call until AOClearWaveforms. The
// fifth argument has no effect. A waveform task still held is cleared first. Returns the
// driver status; on an error the driver's text goes to the error output and no waveform task
// is left behind.
int32 AOGenerateWaveforms(short device, const char* channels, double rate, double points,
                          int unused, const double* waveform);
// Stops and clears the waveform task started last. Returns 0, or the status of a clear the
// driver refused (its text to the error output; the task is kept to be cleared again).
int32 AOClearWaveforms();
// Writes one value (volts) to the output through a task of its own, cleared before returning;
// the output keeps the value. Returns the status of the write (a task the driver would not
// clear is reported and cleared before the next update); errors go to the error output, with
// the failed call and its status when the driver cannot describe them.
int32 AOUpdateChannel(short device, const char* channels, double value);

namespace trelvanix {
// The driver's extended error text of the last analog-output call that failed ("" before any),
// so that a caller can tell the operator why.
const std::string& AnalogOutputError();
// Clears the output tasks the driver refused to clear before (leaving the program).
void ReleaseOutputTasksLeftBehind();
// No waveform task and no error remembered, as at start.
void ResetAnalogOutputState();
}  // namespace trelvanix
