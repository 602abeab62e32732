#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/driver/board_file.h"
#include "platform/driver/simulated_board.h"
#include "recording/vnx_reader.h"
#include "state/shared_state.h"
#include "tests/app/program_fixture.h"

using namespace trelvanix;
using namespace trelvanix::testing;

namespace {

// ai2 carries 1 V of level under a 2 V sine at 1 kHz; at 4 kS/s a 100 Hz low-pass keeps the
// level and removes the sine.
const char* const kBoard = "input ai2 sine amplitude=2 frequency=1000 offset=1 sigma=0\n";
constexpr double kCountsPerVolt = 6553.6;  // the +-5 V range

class FilteredDisplay : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        driver::BoardConfig config;
        std::string error;
        ASSERT_TRUE(driver::parseBoardText(kBoard, "test board", &config, &error)) << error;
        ASSERT_GE(driver::installSimulatedBoard(config, &error), 0) << error;
        ASSERT_TRUE(startProgram());
    }

    static std::vector<std::filesystem::path> dataFiles(const std::filesystem::path& folder) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".vnx") files.push_back(entry.path());
        return files;
    }
};

TEST_F(FilteredDisplay, AStopBandSineIsGoneFromTheDisplayButNotFromTheRecording) {
    useScript(
        "set PANEL CHECK_2 1\n"
        "set PANEL CHECK_0 0\n"
        "menu MENUBAR_OPTIONS_UNITS\n"
        "set UNITS CHANNEL 2\n"
        "set UNITS FILTER 1\n"
        "set UNITS WINDOW 4\n"
        "set UNITS HIGH_CUTOFF 100\n"
        "press UNITS APPLY\n"
        "press PANEL ACQUIRE\n"
        "wait 1\n"
        // A longer filter while acquiring: the loop must resize the channel's history.
        "set UNITS WINDOW_SIZE 101\n"
        "press UNITS APPLY\n"
        "wait 0.5\n"
        "press PANEL RECORD\n"
        "wait 1\n"
        "press PANEL STOP\n"
        "wait 0.5\n"
        "press PANEL STOP\n"
        "wait 0.5\n");
    runFor(20.0);
    ASSERT_EQ(endStatus(), 0);
    ASSERT_EQ(Acquiring, 0);
    ASSERT_EQ(NumChannels, 1);
    ASSERT_EQ(ChannelList[0], 2);
    EXPECT_EQ(Filter_type[2], 1);
    EXPECT_EQ(Window_size[2], 101);

    // The last stretch drawn: the level stays, the sine is attenuated far below 2 V.
    const int n = BufferSize / NumChannels;
    ASSERT_EQ(n, 400);
    const auto [low, high] = std::minmax_element(Scaled_Waveforms[0], Scaled_Waveforms[0] + n);
    EXPECT_NEAR(*low, 1.0, 0.02);
    EXPECT_NEAR(*high, 1.0, 0.02);

    // The same stretch in counts still swings from -1 V to 3 V.
    const auto [lowCount, highCount] = std::minmax_element(HalfBuffer, HalfBuffer + n);
    EXPECT_NEAR(*lowCount, -1.0 * kCountsPerVolt, 20);
    EXPECT_NEAR(*highCount, 3.0 * kCountsPerVolt, 20);

    const auto files = dataFiles(folder);
    ASSERT_EQ(files.size(), 1u);
    std::string error;
    const auto info = vnx::readHeader(files[0].string(), &error);
    ASSERT_TRUE(info) << error;
    ASSERT_EQ(info->channels, 1);
    EXPECT_EQ(info->channel[0].filter.type, 1);
    EXPECT_EQ(info->channel[0].filter.windowSize, 101);
    ASSERT_GT(info->scans(), 400);
    std::vector<std::int16_t> samples;
    ASSERT_TRUE(vnx::readScans(files[0].string(), *info, 0, info->scans(), &samples, &error))
        << error;
    const auto [first, last] = std::minmax_element(samples.begin(), samples.end());
    EXPECT_NEAR(*first, -1.0 * kCountsPerVolt, 20);
    EXPECT_NEAR(*last, 3.0 * kCountsPerVolt, 20);
}

}  // namespace
