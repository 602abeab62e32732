// The operator loads one of the shipped waveform files through the file dialog and builds a
// cell stimulus whose periods start at their maximum.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using ::testing::HasSubstr;

namespace {

// The shipped action-potential file: a 100 ms period from -0.2 to 1, resting at 0 before the
// spike, amplitude 100.
std::string actionPotentialFile() {
    return (std::filesystem::path(TRELVANIX_SOURCE_DIR) / "resources" / "waveforms" /
            "action_potential.wfm")
        .string();
}

std::string buildWithPhase(const std::string& screenshots) {
    return "menu MENUBAR_STIMULUS_INJECT\n"
           "set INJECT WAVEFORM 2\n"
           "set INJECT PRE_TIME 50\n"
           "set INJECT POST_TIME 0\n"
           "answer file \"" +
           actionPotentialFile() +
           "\"\n"
           "press CELL LOAD\n"
           "get CELL DUR\n"
           "get CELL AMP\n"
           "get CELL MIN\n"
           "set CELL REPEATS 3\n"
           "press CELL UPDATE\n" +
           (screenshots.empty() ? "" : "screenshot INJECT " + screenshots + "/plain.png\n") +
           "set CELL PHASE 1\n"
           "press CELL CLOSE\n"
           "get INJECT LENGTH\n" +
           (screenshots.empty() ? "" : "screenshot INJECT " + screenshots + "/shifted.png\n") +
           "quit\n";
}

// The time in ms of the first spike of a preview of `lastMs` ms whose spikes come every
// `periodMs`: the leftmost columns of the blue plot line that reach the top tenth of the line's
// height, the first two spikes giving the scale and the line's right end (drawn at `lastMs`)
// the origin. The left end is not used: an axis tick may cover the line's first pixels.
double firstSpikeMs(const std::string& png, double lastMs, double periodMs) {
    const QImage image(QString::fromStdString(png));
    auto blue = [&](int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return c.blue() > 180 && c.red() < 90 && c.green() < 90;
    };
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (blue(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right <= left || bottom <= top) return -1.0;
    std::vector<int> spikes;  // the first column of each spike
    int previous = -10;
    for (int x = left; x <= right; ++x)
        for (int y = top; y <= top + (bottom - top) / 10; ++y)
            if (blue(x, y)) {
                if (x > previous + 2) spikes.push_back(x);
                previous = x;
                break;
            }
    if (spikes.size() < 2) return -1.0;
    const double msPerPixel = periodMs / (spikes[1] - spikes[0]);
    return lastMs - (right - spikes[0]) * msPerPixel;
}

TEST(WaveformFile, AShippedFileLoadsAndItsPeriodsStartAtTheirMaximum) {
    // Without a window: the dialog's answer, the file's header values, the stimulus length.
    const ProgramRun run = runScript(buildWithPhase(""));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("CELL DUR = 100\nCELL AMP = 100\nCELL MIN = -0.2\n"));
    EXPECT_THAT(run.out, HasSubstr("INJECT LENGTH = 350\n"));  // pre-time and 3 periods

    // With the window on the offscreen platform: the preview itself.
    const std::filesystem::path shots = dataFolder() / "shots";
    std::filesystem::create_directories(shots);
    const std::filesystem::path script = dataFolder() / "phase.txt";
    {
        FILE* f = std::fopen(script.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(buildWithPhase(shots.string()).c_str(), f);
        std::fclose(f);
    }
    const ProgramRun window = runProgram({"--sim-time", "--script", script.string()});
    ASSERT_EQ(window.status, 0) << window.err;
    // The file's spike comes 10 ms into its period; shifted, the period starts with it, right
    // after the 50 ms pre-time. The preview's 350 values are drawn from 0 to 349 ms.
    EXPECT_NEAR(firstSpikeMs((shots / "plain.png").string(), 349.0, 100.0), 60.0, 3.0);
    EXPECT_NEAR(firstSpikeMs((shots / "shifted.png").string(), 349.0, 100.0), 50.0, 3.0);
}

}  // namespace
