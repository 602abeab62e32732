#pragma once
// Telling the operator what the program did, or did not do, when it is no error: a setting
// that stopped acquisition, a button that could not act, a channel no file holds.

#include <string>

namespace trelvanix {

// Shows the text, with the time of day, on the main panel's status line; writes it to
// standard error, so a script's run shows the same line; and publishes it as a Notice event,
// which the messages window keeps.
void Notify(const std::string& text);

// A warning: the status line shows it as Notify does, and it goes to the error output, which
// brings the messages window forward.
void Warn(const std::string& text);
// Tells the operator that a settings change (`change`: "the sampling rate is now 10 kS/s")
// stopped acquisition, and ended the recording when one ran.
void NotifyAcquisitionStopped(const std::string& change, bool recordingEnded);

}  // namespace trelvanix
