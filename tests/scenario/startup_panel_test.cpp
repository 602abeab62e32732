#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using ::testing::HasSubstr;

TEST(StartupPanel, ShowsTheVersionAndTheFiveVoltRange) {
    const ProgramRun run = runScript("get PANEL VERSION\nget PANEL BOARD_GAIN\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "PANEL VERSION = 8.07\nPANEL BOARD_GAIN = 1\n");
}

TEST(StartupPanel, ClosingTheMainWindowKeepsTheProgramRunning) {
    const ProgramRun run = runScript("close PANEL\nwait 1\nget PANEL VERSION\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "PANEL VERSION = 8.07\n");
}

TEST(StartupPanel, QuitEndsTheProgramWithStatusOne) {
    const ProgramRun run = runScript("press PANEL QUIT\nget PANEL VERSION\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
}

TEST(StartupPanel, AMissingDataFolderAsksAndAnUnansweredQuestionFails) {
    useDataFolder("/nonexistent/trelvanix-data");
    const ProgramRun unanswered = runScript("get PANEL VERSION\n");
    EXPECT_EQ(unanswered.status, 2);
    // The question names the folder looked for, in the window and in the terminal.
    EXPECT_THAT(unanswered.err,
                HasSubstr("has no answer: \"/nonexistent/trelvanix-data not found. Do you want "
                          "to set a different directory?\""));
    EXPECT_THAT(unanswered.err, HasSubstr("trelvanix: /nonexistent/trelvanix-data not found."));

    const ProgramRun declined = runScript("answer confirm no\nget PANEL VERSION\n");
    EXPECT_EQ(declined.status, 0) << declined.err;
}
