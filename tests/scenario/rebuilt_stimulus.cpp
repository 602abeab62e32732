#include "tests/scenario/rebuilt_stimulus.h"

#include <sys/wait.h>

#include <cstdio>
#include <sstream>

namespace trelvanix::scenario {

RebuiltStimulusRun rebuildRecordedStimulus(const std::filesystem::path& file) {
    RebuiltStimulusRun run;
    const std::string command =
        std::string(VNXINFO_PROGRAM) + " '" + file.string() + "' --stimulus 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        run.output.append(chunk, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (run.status != 0) return run;
    std::istringstream lines(run.output);
    std::string line;
    std::getline(lines, line);  // the column names
    while (std::getline(lines, line)) {
        double time = 0, value = 0, volts = 0;
        if (std::sscanf(line.c_str(), "%lf,%lf,%lf", &time, &value, &volts) != 3) break;
        run.times.push_back(time);
        run.values.push_back(value);
        run.volts.push_back(volts);
    }
    return run;
}

}  // namespace trelvanix::scenario
