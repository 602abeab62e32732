#pragma once
// Runs the trelvanix program with arguments and, optionally, a script written to a temporary
// file, and returns what it printed and its exit status.

#include <filesystem>
#include <string>
#include <vector>

namespace trelvanix::scenario {

struct ProgramRun {
    int status = -1;  // exit status; -1 when the program did not exit normally
    int signal = 0;   // the signal that ended it, or 0
    std::string out, err;
};

// The data folder the runs are given (TRELVANIX_DATA_FOLDER): a fresh scratch folder of this
// test process unless useDataFolder chose another. Data files of the runs land there.
std::filesystem::path dataFolder();
// Points later runs at another data folder; it need not exist.
void useDataFolder(const std::filesystem::path& folder);

ProgramRun runProgram(const std::vector<std::string>& args);
// The same in two steps, for tests that act on the running program (signals).
struct RunningProgram {
    int pid = -1;
};
RunningProgram startProgram(const std::vector<std::string>& args);
// Waits for the program to end and collects what it printed.
ProgramRun finishProgram(const RunningProgram& program);
// Runs `trelvanix --headless --sim-time --script FILE` with the script text in FILE.
ProgramRun runScript(const std::string& script);

}  // namespace trelvanix::scenario
