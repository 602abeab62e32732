#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using ::testing::HasSubstr;

namespace {

const char* kAboutPopup =
    "popup \"About Trelvanix\" \"Trelvanix 8.07\\nBench acquisition and stimulation\\nBoard: Dev1, "
    "simulated board (back end simulated)\\nRemote control: off\"\n";

TEST(Startup, TheAboutItemShowsItsPopUpAndTheRunEndsWell) {
    const ProgramRun run = runScript(
        "# the Help menu's About item\n"
        "expect popup \"About Trelvanix\" \"Trelvanix 8.07\\nBench acquisition and "
        "stimulation\\nBoard: Dev1, simulated board (back end simulated)\\nRemote control: "
        "off\"\n"
        "menu MENUBAR_HELP_ABOUT\n"
        "wait 2\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, kAboutPopup);
}

TEST(Startup, ACommandOnAPanelNotLoadedFails) {
    const ProgramRun run = runScript("menu MENUBAR_HELP_ABOUT\nget NO_SUCH_PANEL VALUE\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, kAboutPopup);  // what ran before the failure was done
    EXPECT_THAT(run.err, HasSubstr(":2: no panel NO_SUCH_PANEL is loaded"));
}

TEST(Startup, AWrongExpectationFails) {
    const ProgramRun run = runScript(
        "expect popup \"About Trelvanix\" \"Version 9\"\n"
        "menu MENUBAR_HELP_ABOUT\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, HasSubstr(":1: expected popup \"About Trelvanix\" \"Version 9\""));
}

TEST(Startup, ABadScriptLineFailsBeforeAnythingRuns) {
    const ProgramRun run = runScript("menu MENUBAR_HELP_ABOUT\nfly PANEL\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, HasSubstr(":2: unknown command \"fly\""));
}

TEST(Startup, BadCommandLinesAreRefusedWithTheUsage) {
    const ProgramRun bad = runProgram({"--headless", "--turbo"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_THAT(bad.err, HasSubstr("unknown option \"--turbo\""));
    EXPECT_THAT(bad.err, HasSubstr("usage: trelvanix"));

    const ProgramRun missing = runProgram({"--headless", "--script", "/nonexistent/run.txt"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_THAT(missing.err, HasSubstr("cannot read script file /nonexistent/run.txt"));

    const ProgramRun help = runProgram({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("--sim-time"));
}

TEST(Startup, AHeadlessRunWithNothingToDoEndsAtOnce) {
    const ProgramRun run = runProgram({"--headless", "--sim-time"});
    EXPECT_EQ(run.status, 0) << run.err;
}

}  // namespace
