#pragma once
// Writes small .vnx files with chosen samples for the results tests.

#include <cstdint>
#include <string>
#include <vector>

#include "recording/vnx_format.h"

namespace trelvanix::testing {

// One channel of a test file: its samples (counts) and how they convert.
struct TestChannel {
    std::vector<std::int16_t> counts;
    double boardGain = 1.0;
    double scaleFactor = 10.0 / 65536.0;  // volts per unit: one count is one unit at gain 1
    std::string unit = "u";
};

// Writes the file (a recorded-stimulus header when `stimulus`) and returns its path.
std::string writeVnxFile(const std::string& path, int scanRate,
                         const std::vector<TestChannel>& channels, bool stimulus = false);

}  // namespace trelvanix::testing
