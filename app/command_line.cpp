#include "app/command_line.h"

#include "platform/driver/board_choice.h"

namespace trelvanix::app {

std::variant<CommandLine, CommandLineError> parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--headless") {
            line.headless = true;
        } else if (arg == "--sim-time") {
            line.simulatedTime = true;
        } else if (arg == "--listen") {
            line.listen = true;
        } else if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--script" || arg == "--board") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return CommandLineError{arg + " needs a file name"};
            std::string& path = arg == "--script" ? line.scriptPath : line.boardPath;
            if (!path.empty()) return CommandLineError{arg + " is given twice"};
            path = args[++i];
        } else if (arg == "--backend" || arg == "--driver-library") {
            const bool backend = arg == "--backend";
            if (i + 1 >= args.size() || args[i + 1].empty())
                return CommandLineError{arg + (backend ? " needs a name" : " needs a file name")};
            std::string& value = backend ? line.backendName : line.driverLibraryPath;
            if (!value.empty()) return CommandLineError{arg + " is given twice"};
            value = args[++i];
        } else {
            return CommandLineError{"unknown option \"" + arg + "\""};
        }
    }
    return line;
}

std::string usageText() {
    return "usage: trelvanix [--headless] [--sim-time] [--script FILE] [--board FILE]\n"
           "                 [--backend NAME] [--driver-library FILE] [--listen] [--help]\n"
           "  --headless      run without a window (pop-ups are answered by the script)\n"
           "  --sim-time      run on simulated time: waiting costs nothing, runs repeat exactly\n"
           "  --script FILE   replay the operator actions in FILE, then end\n"
           "  --board FILE    describe the board in FILE (the simulated board's signals and\n"
           "                  seed, or for a real board a driver-library line and, through\n"
           "                  Comedi, a device-file line)\n"
           "  --backend NAME  drive the board through the back end NAME, one of:\n" +
           driver::backendListText() +
           "  --driver-library FILE\n"
           "                  load the board vendor's driver library FILE (libnidaqmx.so,\n"
           "                  nicaiu.dll) and drive the real board through it; with\n"
           "                  --backend comedi, the libcomedi to load in place of the system's\n"
           "  --listen        let programs on this machine drive this one (remote control;\n"
           "                  the socket's path is printed and shown in Help > About)\n"
           "  --help          show this text\n";
}

}  // namespace trelvanix::app
