#pragma once
// Runs `vnxinfo FILE --stimulus` on a recorded data file and reads back the stimulus it
// rebuilds from the file's header.

#include <filesystem>
#include <string>
#include <vector>

namespace trelvanix::scenario {

struct RebuiltStimulusRun {
    int status = -1;
    std::string output;                        // standard output and standard error, as printed
    std::vector<double> times, values, volts;  // the CSV's columns, when it gave them
};

RebuiltStimulusRun rebuildRecordedStimulus(const std::filesystem::path& file);

}  // namespace trelvanix::scenario
