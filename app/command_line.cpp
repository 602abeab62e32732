#include "app/command_line.h"

namespace trelvanix::app {

std::variant<CommandLine, CommandLineError> parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--headless") {
            line.headless = true;
        } else if (arg == "--sim-time") {
            line.simulatedTime = true;
        } else if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--script" || arg == "--board") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return CommandLineError{arg + " needs a file name"};
            std::string& path = arg == "--script" ? line.scriptPath : line.boardPath;
            if (!path.empty()) return CommandLineError{arg + " is given twice"};
            path = args[++i];
        } else {
            return CommandLineError{"unknown option \"" + arg + "\""};
        }
    }
    return line;
}

std::string usageText() {
    return "usage: trelvanix [--headless] [--sim-time] [--script FILE] [--board FILE] [--help]\n"
           "  --headless      run without a window (pop-ups are answered by the script)\n"
           "  --sim-time      run on simulated time: waiting costs nothing, runs repeat exactly\n"
           "  --script FILE   replay the operator actions in FILE, then end\n"
           "  --board FILE    describe the simulated board (signals, seed) in FILE\n"
           "  --help          show this text\n";
}

}  // namespace trelvanix::app
