#pragma once
// How a headless or scripted run ends with an exit status. The program flushes its output and
// ends the process; tests install their own to observe the status without exiting.

#include <functional>

namespace trelvanix::ui {

using RunEnding = std::function<void(int status)>;

// Flushes standard output and standard error, then ends the process with the status.
RunEnding exitProcess();

}  // namespace trelvanix::ui
