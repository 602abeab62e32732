#pragma once
// Board files (--board FILE): a simulated board described in text, one setting a line.
//
//   # comment
//   seed 42
//   ranges 0 10 -10 10 -5 5           low/high pairs in volts, in the device's order
//   input ai2 sine amplitude=1 frequency=5 sigma=0.01
//   fault DAQmxReadAnalogF64 3 -200279
//
// Anything not given keeps the default board's value. The README describes every setting.

#include <string>
#include <string_view>

#include "platform/driver/board_config.h"
#include "platform/driver/daqmx.h"

namespace trelvanix::driver {

// Reads board text into *config (starting from the default board). On a fault returns false
// and sets *error to "NAME, line N: what is wrong", where NAME is `sourceName`.
bool parseBoardText(std::string_view text, const std::string& sourceName, BoardConfig* config,
                    std::string* error);

// Reads the board file at `path` and installs the simulated board it describes. Returns 0,
// or a negative status with *error naming the file, the line and the fault; the current
// board is then left as it was.
int32 loadBoardFile(const std::string& path, std::string* error);

}  // namespace trelvanix::driver
