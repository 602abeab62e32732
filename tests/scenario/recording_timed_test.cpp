#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "recording/vnx_reader.h"
#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using namespace trelvanix::vnx;
namespace fs = std::filesystem;

namespace {

// Runs the program headless on simulated time with a board file and a script.
ProgramRun runWithBoard(const std::string& board, const std::string& script) {
    const fs::path boardFile = dataFolder() / "board.txt", scriptFile = dataFolder() / "run.txt";
    std::ofstream(boardFile) << board;
    std::ofstream(scriptFile) << script;
    ProgramRun run = runProgram({"--headless", "--sim-time", "--board", boardFile.string(),
                                 "--script", scriptFile.string()});
    fs::remove(boardFile);
    fs::remove(scriptFile);
    return run;
}

TEST(RecordingTimed, TenSecondsOfTwoChannelsAreFinalisedAndReadBackAsTheBoardsSignal) {
    const ProgramRun run = runWithBoard(
        "seed 3\ninput ai0 constant value=1.25 sigma=0\ninput ai1 constant value=-2.5 sigma=0\n",
        "set PANEL CHECK_1 1\n"
        "set PANEL LABEL_0 membrane\n"
        "set PANEL LABEL_1 command\n"
        "set PANEL COMMENT \"slice 3\\nbath 32 C\"\n"
        "set PANEL SUFFIX run1\n"
        "set PANEL RECORD_TIME 10\n"
        "press PANEL ACQUIRE\n"
        "wait 0.5\n"
        "press PANEL RECORD\n"
        "wait 11\n"
        "get PANEL FILENAME\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "PANEL FILENAME = 2026_01_01_12_00_00_run1.vnx\n");

    const fs::path file = dataFolder() / "2026_01_01_12_00_00_run1.vnx";
    std::string error;
    const auto info = readHeader(file.string(), &error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->scanRate, 4000);
    EXPECT_EQ(info->channels, 2);
    EXPECT_EQ(info->declaredSamples, 80000);
    EXPECT_EQ(info->samples, 80000);
    EXPECT_EQ(info->comment, "slice 3\nbath 32 C\n");
    EXPECT_EQ(info->channel[0].label, "membrane");
    EXPECT_EQ(info->channel[1].label, "command");
    EXPECT_EQ(info->channel[0].unit, "V");
    EXPECT_EQ(info->channel[0].gainWord, 1);
    EXPECT_EQ(info->hour, 12);

    std::vector<std::int16_t> values;
    ASSERT_TRUE(readScans(file.string(), *info, 0, info->scans(), &values, &error)) << error;
    for (std::size_t k = 0; k < values.size(); k += 2) {
        ASSERT_DOUBLE_EQ(userValue(info->channel[0], values[k]), 1.25) << k;
        ASSERT_DOUBLE_EQ(userValue(info->channel[1], values[k + 1]), -2.5) << k;
    }
    fs::remove(file);
}

}  // namespace
