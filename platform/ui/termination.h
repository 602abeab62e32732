#pragma once
// Ending the program on SIGTERM, SIGINT (Ctrl+C), SIGHUP (a closed terminal or ssh session)
// and every other signal from outside that would end it, without losing a recording or
// leaving an output live. The signal handler only notes the signal and writes a byte to a
// pipe; the event loop, which watches the pipe while it waits, runs the program's finishing
// work on its own thread and then lets the signal end the process. A file-size limit
// (SIGXFSZ) and a closed pipe (SIGPIPE) are ignored instead, so that the write fails (EFBIG,
// EPIPE) and is reported like a full disk.

#include <functional>

namespace trelvanix::ui {

// Installs the handlers and the pipe; `finish` runs before the process ends on a signal.
void installTerminationHandlers(std::function<void()> finish);
// The signal that asked the program to end, or 0.
int pendingTerminationSignal();
// The pipe's reading end: readable once a signal has come. -1 before the handlers exist.
int terminationWakeDescriptor();
// When a signal has come: runs the finishing work once and ends the process by that signal.
// Called by the event loop and by front ends whose own loops run (modal dialogs).
void endIfTerminationRequested();
// Waits until the program clock reaches `until`, a signal comes, or `alsoWakeOn` (a
// descriptor, -1 for none) turns readable, whichever is first. A simulated clock jumps to a
// finite `until`; an endless wait on it waits for the signal or the descriptor.
void waitUnlessTerminated(double until, int alsoWakeOn = -1);

}  // namespace trelvanix::ui
