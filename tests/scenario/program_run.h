#pragma once
// Runs the trelvanix program with arguments and, optionally, a script written to a temporary
// file, and returns what it printed and its exit status.

#include <string>
#include <vector>

namespace trelvanix::scenario {

struct ProgramRun {
    int status = -1;  // exit status; -1 when the program did not exit normally
    std::string out, err;
};

ProgramRun runProgram(const std::vector<std::string>& args);
// Runs `trelvanix --headless --sim-time --script FILE` with the script text in FILE.
ProgramRun runScript(const std::string& script);

}  // namespace trelvanix::scenario
