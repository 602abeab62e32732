// Board files: what they set, how their faults are reported, and that a bad one leaves the
// board alone.

#include "platform/driver/board_file.h"

#include <cstdio>
#include <fstream>

#include "platform/driver/driver_errors.h"
#include "tests/platform/driver/driver_test_support.h"

namespace trelvanix::driver::testing {
namespace {

using BoardFileTest = DriverTest;

TEST_F(BoardFileTest, ASettingPerLineOverridesTheDefaultBoard) {
    BoardConfig config;
    std::string error;
    ASSERT_TRUE(
        parseBoardText("# a bench with a unipolar range first\r\n"
                       "seed 42\n"
                       "\n"
                       "ranges 0 10  -10 10 -2 2   # volts\n"
                       "input ai0 cell output=ao1 tau=0.05\n"
                       "input ai7 constant value=-1.5 sigma=0.2\n"
                       "fault DAQmxStartTask 2 -200284\n",
                       "bench.board", &config, &error))
        << error;
    EXPECT_EQ(config.seed, 42u);
    EXPECT_EQ(config.ranges, (std::vector<RangePair>{{0, 10}, {-10, 10}, {-2, 2}}));
    EXPECT_EQ(config.inputs[0].source, SignalSource::Cell);
    EXPECT_EQ(config.inputs[0].output, 1);
    EXPECT_EQ(config.inputs[0].tau, 0.05);
    EXPECT_EQ(config.inputs[0].rest, defaultSignal(SignalSource::Cell).rest);
    EXPECT_EQ(config.inputs[7].source, SignalSource::Constant);
    EXPECT_EQ(config.inputs[7].value, -1.5);
    EXPECT_EQ(config.inputs[7].sigma, 0.2);
    EXPECT_EQ(config.inputs[3].source, defaultBoardConfig().inputs[3].source);
    ASSERT_EQ(config.faults.size(), 1u);
    EXPECT_EQ(config.faults[0].operation, "DAQmxStartTask");
    EXPECT_EQ(config.faults[0].call, 2);
    EXPECT_EQ(config.faults[0].status, -200284);
}

TEST_F(BoardFileTest, ALoadedBoardReportsItsRangesAndInjectsItsFaults) {
    std::string error;
    ASSERT_EQ(loadBoardFile(writeBoardFile("ranges 0 5 -5 5\nfault DAQmxReadAnalogF64 2 -50103\n"),
                            &error),
              0)
        << error;
    std::vector<double> ranges(128, 7.0);
    ASSERT_EQ(DAQmxGetDevAIVoltageRngs("Dev1", ranges.data(), 128), 0);
    EXPECT_EQ(std::vector<double>(ranges.begin(), ranges.begin() + 5),
              (std::vector<double>{0, 5, -5, 5, 0}));

    TaskHandle task = inputTask({0}, 1000, 1000, -5, 5);
    ASSERT_EQ(DAQmxStartTask(task), 0);
    std::vector<double> data(10);
    int32 got = 0;
    EXPECT_EQ(DAQmxReadAnalogF64(task, 10, 10.0, 1, data.data(), 10, &got, nullptr), 0);
    EXPECT_EQ(DAQmxReadAnalogF64(task, 10, 10.0, 1, data.data(), 10, &got, nullptr), -50103);
    release(task);
}

TEST_F(BoardFileTest, FaultsAreReportedWithTheFileAndLine) {
    struct Case {
        const char* text;
        const char* where;
        const char* what;
    };
    const Case cases[] = {
        {"seed 1\nsede 2\n", "line 2", "unknown setting \"sede\""},
        {"seed -4\n", "line 1", "seed"},
        {"seed 1\nseed 2\n", "line 2", "twice"},
        {"ranges -10 10 -5\n", "line 1", "pairs"},
        {"ranges 5 -5\n", "line 1", "low limit"},
        {"ranges -1 x\n", "line 1", "number"},
        {"\n\ninput ai8 sine\n", "line 3", "ai8"},
        {"input ai2 sinus\n", "line 1", "unknown source \"sinus\""},
        {"input ai2 sine colour=red\n", "line 1", "no parameter \"colour\""},
        {"input ai2 sine amplitude\n", "line 1", "name=value"},
        {"input ai2 sine amplitude=1V\n", "line 1", "not a number"},
        {"input ai0 cell tau=0\n", "line 1", "tau must be greater than 0"},
        {"input ai3 noise sigma=-1\n", "line 1", "sigma must not be negative"},
        {"input ai0 cell output=ao2\n", "line 1", "ao2"},
        {"input ai1 readback\ninput ai1 noise\n", "line 2", "twice"},
        {"fault DAQmxReadAnalog 1 -1\n", "line 1", "DAQmxReadAnalog"},
        {"fault DAQmxStartTask 0 -1\n", "line 1", "call number"},
        {"fault DAQmxStartTask 1 5\n", "line 1", "negative"},
        {"fault DAQmxStartTask 1\n", "line 1", "fault needs"},
    };
    for (const Case& c : cases) {
        BoardConfig config;
        std::string error;
        EXPECT_FALSE(parseBoardText(c.text, "bench.board", &config, &error)) << c.text;
        EXPECT_EQ(error.rfind(std::string("bench.board, ") + c.where + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.what), std::string::npos) << error;
    }
}

TEST_F(BoardFileTest, ABadFileLeavesTheCurrentBoardAsItWas) {
    std::string error;
    const std::string path =
        writeBoardFile("ranges 0 10\nfault DAQmxCreateTask 1 -1\ninput ai0 nothing\n");
    EXPECT_EQ(loadBoardFile(path, &error), kErrorBoardFileInvalid);
    EXPECT_NE(error.find(path + ", line 3"), std::string::npos) << error;
    double ranges[128];
    ASSERT_EQ(DAQmxGetDevAIVoltageRngs("Dev1", ranges, 128), 0);
    EXPECT_EQ(ranges[0], -10.0);  // still the default board, and its fault was never armed
    TaskHandle task = nullptr;
    EXPECT_EQ(DAQmxCreateTask("", &task), 0);
    release(task);

    EXPECT_EQ(loadBoardFile(path + ".missing", &error), kErrorBoardFileInvalid);
    EXPECT_NE(error.find(path + ".missing"), std::string::npos) << error;
}

TEST_F(BoardFileTest, AFolderADeviceOrAHugeFileIsRefusedAndTheBoardKept) {
    struct Case {
        std::string path, says;
    };
    const std::string huge = writeBoardFile(std::string((1 << 20) + 1, '#'));
    for (const Case& c :
         {Case{::testing::TempDir(), "a folder"}, Case{"/dev/zero", "a device or a pipe"},
          Case{huge, "larger than 1 MB"}}) {
        std::string error;
        EXPECT_EQ(loadBoardFile(c.path, &error), kErrorBoardFileInvalid) << c.path;
        EXPECT_NE(error.find(c.path + ": "), std::string::npos) << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
    std::string error;
    EXPECT_EQ(loadBoardFile(writeBoardFile(std::string(1 << 20, '#')), &error), 0) << error;
}

TEST_F(BoardFileTest, TheSeedOfTheFileDecidesTheNoise) {
    const auto noiseFrom = [&](const char* text) {
        std::string error;
        EXPECT_EQ(loadBoardFile(writeBoardFile(text), &error), 0) << error;
        TaskHandle task = inputTask({5}, 1000, 1000);
        auto samples = read(task, 200, 1);
        release(task);
        return samples;
    };
    const auto first = noiseFrom("seed 7\n");
    EXPECT_EQ(noiseFrom("seed 7\n"), first);
    EXPECT_NE(noiseFrom("seed 8\n"), first);
}

}  // namespace
}  // namespace trelvanix::driver::testing
