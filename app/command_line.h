#pragma once
// The program's command line:
//   trelvanix [--headless] [--sim-time] [--script FILE] [--board FILE] [--backend NAME]
//             [--driver-library FILE] [--listen] [--help]

#include <string>
#include <variant>
#include <vector>

namespace trelvanix::app {

struct CommandLine {
    bool headless = false;
    bool simulatedTime = false;
    bool help = false;
    bool listen = false;            // remote control from the start
    std::string scriptPath;         // empty: no script
    std::string boardPath;          // empty: the default simulated board
    std::string backendName;        // empty: chosen from the driver library, else the default
    std::string driverLibraryPath;  // empty: none, or the board file's
};

// The problem with the command line, to be shown with the usage text.
struct CommandLineError {
    std::string message;
};

std::variant<CommandLine, CommandLineError> parseCommandLine(const std::vector<std::string>& args);

// The usage text, ending with a newline.
std::string usageText();

// The exit status for a command line the program cannot run.
constexpr int kUsageStatus = 2;

}  // namespace trelvanix::app
