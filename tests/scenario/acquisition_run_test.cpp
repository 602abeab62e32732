// Whole-program acquisition runs: the operator presses Acquire and watches, changes the
// channels, saves at intervals; the board fails in the middle of a run.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using ::testing::HasSubstr;

namespace {

TEST(Acquisition, TheElapsedSecondsCountWhileAcquiringAndStopStops) {
    const ProgramRun run = runScript(
        "press PANEL ACQUIRE\n"
        "wait 2.5\n"
        "get PANEL ELAPSED\n"
        "get PANEL ACQ_LAMP\n"
        "wait 10\n"
        "get PANEL ELAPSED\n"
        "press PANEL STOP\n"
        "wait 3\n"
        "get PANEL ELAPSED\n"
        "get PANEL ACQ_LAMP\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "PANEL ELAPSED = 2\nPANEL ACQ_LAMP = 1\nPANEL ELAPSED = 12\n"
              "PANEL ELAPSED = 12\nPANEL ACQ_LAMP = 0\n");
}

TEST(Acquisition, AStretchOfFewerThanTwoSamplesIsRefused) {
    const ProgramRun run = runScript(
        "menu MENUBAR_RATE_KS_0_1\n"
        "menu MENUBAR_STRETCH_S_0_01\n"
        "expect popup \"Error!\" \"A stretch of 0.01 s at 100 samples per second holds fewer "
        "than 2 samples per channel.\\nChoose a longer stretch or a higher sampling rate.\"\n"
        "press PANEL ACQUIRE\n"
        "wait 1\n"
        "get PANEL ACQ_LAMP\n"
        "get PANEL ELAPSED\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("PANEL ACQ_LAMP = 0\nPANEL ELAPSED = 0\n"));
}

// The 20th read fails: the run ends with the driver's text on the error output, and the
// program goes on without acquiring.
TEST(Acquisition, ADriverErrorInTheMiddleOfARunGoesToTheErrorOutput) {
    const auto board = dataFolder() / "failing_read.board";
    std::ofstream(board) << "fault DAQmxReadAnalogF64 20 -200279\n";
    const auto script = dataFolder() / "failing_read.script";
    std::ofstream(script) << "press PANEL ACQUIRE\nwait 5\nget PANEL ELAPSED\n";
    const ProgramRun run = runProgram(
        {"--headless", "--sim-time", "--board", board.string(), "--script", script.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("DAQmxReadAnalogF64: injected fault"));
    EXPECT_THAT(run.err, HasSubstr("-200279"));
    EXPECT_EQ(run.out, "PANEL ELAPSED = 1\n");
}

TEST(Acquisition, TickingAChannelStopsTheRunAndTheNextRunAcquiresIt) {
    const ProgramRun run = runScript(
        "press PANEL ACQUIRE\n"
        "wait 1.05\n"
        "set PANEL CHECK_2 1\n"
        "wait 2\n"
        "get PANEL ACQ_LAMP\n"
        "get PANEL ELAPSED\n"
        "press PANEL ACQUIRE\n"
        "wait 1.55\n"
        "get PANEL ACQ_LAMP\n"
        "get PANEL ELAPSED\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "PANEL ACQ_LAMP = 0\nPANEL ELAPSED = 1\nPANEL ACQ_LAMP = 1\nPANEL ELAPSED = 1\n");
}

TEST(Acquisition, TheSaveIntervalDialogStartsSavingInPeriods) {
    const auto folder = std::filesystem::temp_directory_path() / "trelvanix_scenario_intervals";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    useDataFolder(folder);
    const ProgramRun run = runScript(
        "press PANEL ACQUIRE\n"
        "wait 0.5\n"
        "menu MENUBAR_FILE_SAVE\n"
        "set INTERVAL SAVING 1\n"
        "set INTERVAL PAUSE 0\n"
        "press INTERVAL OK\n"
        "wait 2.6\n"
        "get PANEL SAVE_LAMP\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "PANEL SAVE_LAMP = 1\n");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files += entry.path().extension() == ".vnx";
    EXPECT_GE(files, 2) << "a new file for each saving period";
    std::filesystem::remove_all(folder);
}

}  // namespace
