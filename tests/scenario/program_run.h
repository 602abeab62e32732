#pragma once
// Runs the trelvanix program with arguments and, optionally, a script written to a temporary
// file, and returns what it printed and its exit status.

#include <filesystem>
#include <string>
#include <vector>

namespace trelvanix::scenario {

struct ProgramRun {
    int status = -1;  // exit status; -1 when the program did not exit normally
    std::string out, err;
};

// The data folder the runs are given (TRELVANIX_DATA_FOLDER): a fresh scratch folder of this
// test process unless useDataFolder chose another. Data files of the runs land there.
std::filesystem::path dataFolder();
// Points later runs at another data folder; it need not exist.
void useDataFolder(const std::filesystem::path& folder);

ProgramRun runProgram(const std::vector<std::string>& args);
// Runs `trelvanix --headless --sim-time --script FILE` with the script text in FILE.
ProgramRun runScript(const std::string& script);

}  // namespace trelvanix::scenario
