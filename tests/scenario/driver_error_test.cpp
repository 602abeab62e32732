#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "recording/vnx_reader.h"
#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using namespace trelvanix::vnx;
namespace fs = std::filesystem;

namespace {

// The read of stretch 30 fails and the driver cannot describe the error: the operator still
// learns which call failed with which status, what to do about it and that acquisition has
// stopped, in the messages window, and the recording that was running is complete on disk.
TEST(DriverError, ARunEndedByADriverErrorIsShownStoppedWithItsRecordingFinalised) {
    const fs::path folder = dataFolder() / "driver_error";
    fs::create_directories(folder);
    useDataFolder(folder);
    std::ofstream(folder / "board.txt") << "fault DAQmxReadAnalogF64 30 -200279\n"
                                           "fault DAQmxGetExtendedErrorInfo 1 -200000\n";
    std::ofstream(folder / "run.txt") << "press PANEL ACQUIRE\n"
                                         "wait 0.5\n"
                                         "press PANEL RECORD\n"
                                         "wait 5\n"
                                         "get PANEL ACQ_LAMP\n"
                                         "get PANEL SAVE_LAMP\n"
                                         "get MESSAGES TEXT\n";
    const ProgramRun run =
        runProgram({"--headless", "--sim-time", "--board", (folder / "board.txt").string(),
                    "--script", (folder / "run.txt").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("PANEL ACQ_LAMP = 0\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("PANEL SAVE_LAMP = 0\n"), std::string::npos) << run.out;
    // The error with the time of day, a line of advice, and what became of the run.
    for (const char* line :
         {"DAQmxReadAnalogF64 failed with status -200279", "Advice: the program fell behind",
          "Acquisition has stopped because of this error; the recording was ended"})
        EXPECT_NE(run.out.find(line), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("MESSAGES TEXT = 12:00:0"), run.out.find("MESSAGES TEXT = ")) << run.out;

    fs::path file;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".vnx") file = entry.path();
    ASSERT_FALSE(file.empty());
    std::string error;
    const auto info = readHeader(file.string(), &error);
    ASSERT_TRUE(info) << error;
    EXPECT_GT(info->samples, 0);
    EXPECT_EQ(info->declaredSamples, info->samples);
    fs::remove_all(folder);
}

}  // namespace
