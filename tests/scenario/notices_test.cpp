// What the program tells the operator when an action does less than asked, or stops
// something: the status line, the messages window (each line with the time of day) and
// standard error carry the same line.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

TEST(Notices, SilentStopsAndNoOpsAreToldOnThePanelInMessagesAndOnStandardError) {
    std::ofstream(dataFolder() / "notice.prt") << "1 PULSE_MV1 DOUBLE 3 \n20 40 60";
    const ProgramRun run = runScript(
        // The only channel unticked: ai0 stays acquired.
        "set PANEL CHECK_0 0\n"
        "get PANEL CHECK_0\n"
        // A new sampling rate stops acquisition.
        "press PANEL ACQUIRE\n"
        "wait 1\n"
        "menu MENUBAR_RATE_KS_10\n"
        "get PANEL ACQ_LAMP\n"
        "get PANEL STATUS\n"
        // A protocol run while not acquiring plays its first step only.
        "menu MENUBAR_STIMULUS_INJECT\n"
        "set INJECT WAVEFORM 0\n"
        "set INJECT CONVERSION 1000\n"
        "menu MENUBAR_STIMULUS_PROTOCOL\n"
        "answer file \"" +
        (dataFolder() / "notice.prt").string() +
        "\"\n"
        "press PROTOCOL LOAD\n"
        "press PROTOCOL RUN\n"
        "wait 2\n"
        "get PROTOCOL STATE\n"
        // Start with the cell kind and no waveform plays 0 V only.
        "set INJECT WAVEFORM 2\n"
        "press INJECT START\n"
        "wait 2\n"
        "get MESSAGES TEXT\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("PANEL CHECK_0 = 1\n"));
    EXPECT_THAT(run.out, HasSubstr("PANEL ACQ_LAMP = 0\n"));
    EXPECT_THAT(run.out, ::testing::ContainsRegex(
                             "PANEL STATUS = [0-9:]{8}  Acquisition stopped: the sampling rate "
                             "is now 10 kS/s. Press Acquire to go on.\n"));
    EXPECT_THAT(run.out, HasSubstr("PROTOCOL STATE = waiting for Acquire: step 2 of 3\n"));
    for (const char* told :
         {"No channel was ticked: ai0 is acquired", "Acquisition stopped: the sampling rate",
          "Not acquiring: the first step plays now", "No waveform is loaded on the cell panel"}) {
        EXPECT_THAT(run.err, HasSubstr(told));
        EXPECT_THAT(run.out, ::testing::ContainsRegex(std::string("[0-9:]{8}  ") + told)) << told;
    }
}

// A channel ticked after the save options were set is acquired but in no file: the main panel
// shows it, and the recording warns.
TEST(Notices, AChannelNoFileHoldsIsShownAndARecordingWarnsOfIt) {
    const ProgramRun run = runScript(
        "menu MENUBAR_OPTIONS_SAVE_OPTIONS\n"
        "set SAVEOPT FILE 1\n"
        "set SAVEOPT FROM 0\n"
        "set SAVEOPT TO 0\n"
        "press SAVEOPT APPLY\n"
        "get PANEL FILES\n"
        "set PANEL CHECK_1 1\n"
        "get PANEL FILES\n"
        "press PANEL ACQUIRE\n"
        "wait 0.5\n"
        "press PANEL RECORD\n"
        "wait 0.5\n"
        "press PANEL STOP\n"
        "get MESSAGES TEXT\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("PANEL FILES = 1: ai0\nPANEL FILES = 1: ai0  not saved: ai1\n"));
    EXPECT_THAT(run.out, HasSubstr("Recording without ai1: no file of the save options holds it "
                                   "(Options > Save options...)."));
    for (const auto& entry : fs::directory_iterator(dataFolder()))
        if (entry.path().extension() == ".vnx") fs::remove(entry.path());
}

}  // namespace
