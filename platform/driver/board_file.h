#pragma once
// Board files (--board FILE): a simulated board described in text, one setting a line.
//
//   # comment
//   seed 42
//   ranges 0 10 -10 10 -5 5           low/high pairs in volts, in the device's order
//   input ai2 sine amplitude=1 frequency=5 sigma=0.01
//   max-rate 250000                   samples per second over all inputs of a task
//   fault DAQmxReadAnalogF64 3 -200279
//   driver-library /usr/lib/x86_64-linux-gnu/libnidaqmx.so   a real board through this library
//   device-file /dev/comedi1          the device file of a real board driven through Comedi
//
// Anything not given keeps the default board's value. The README describes every setting.

#include <string>
#include <string_view>

#include "platform/driver/board_config.h"
#include "platform/driver/daqmx.h"

namespace trelvanix::driver {

struct BoardFile {
    BoardConfig simulated;      // the simulated board described; the default where nothing is said
    std::string driverLibrary;  // from a driver-library line; empty without one
    std::string deviceFile;     // from a device-file line; empty without one
    // The first setting only a simulated board takes, as "NAME, line N: seed"; empty if none.
    std::string simulatedSetting;
};

// Reads board text into *board. On a fault returns false and sets *error to
// "NAME, line N: what is wrong", where NAME is `sourceName`.
bool parseBoardFile(std::string_view text, const std::string& sourceName, BoardFile* board,
                    std::string* error);
// Reads the board file at `path`. A device file not named from the root, and a driver
// library named with a folder but not from the root, are taken relative to the board file's
// folder; a library's bare file name is left to the system's library search.
bool readBoardFile(const std::string& path, BoardFile* board, std::string* error);

// Reads the text of a simulated board into *config, as parseBoardFile does; a driver-library
// or device-file line is a fault here.
bool parseBoardText(std::string_view text, const std::string& sourceName, BoardConfig* config,
                    std::string* error);

// Reads the board file at `path` and installs the simulated board it describes (a file that
// names a driver library or a device file is refused). Returns 0,
// or a negative status with *error naming the file, the line and the fault; the current
// board is then left as it was.
int32 loadBoardFile(const std::string& path, std::string* error);

}  // namespace trelvanix::driver
