// The acquisition loop run in-process on simulated time: what it reads, converts and draws,
// and how a run ends.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/messages_window.h"
#include "daq/acquisition.h"
#include "platform/clock/clock.h"
#include "platform/driver/fault_injection.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "tests/daq/acquisition_fixture.h"

// The callbacks the resource file names, as the panels call them.
using namespace trelvanix::callbacks;

using namespace trelvanix;
using namespace trelvanix::testing;
using ::testing::HasSubstr;

namespace {

constexpr double kVoltsPerCount = 10.0 / 65536.0;  // on the ±5 V range (board gain 1)

std::vector<double> yValues(const ui::Plot& plot) {
    return plot.y;
}

// With stretches of 0.1 s, stretch k is read and drawn once its samples are in, at k x 0.1 s;
// a script action due before that is carried out first.
TEST_F(AcquisitionTest, OneChannelSweepsAcrossTheGraphStretchByStretch) {
    startProgram();
    acquireDuring("wait 10.05\npress PANEL STOP\n");

    EXPECT_EQ(BufferSize, 400);
    const ui::Graph& g = graph();
    ASSERT_EQ(g.plots.size(), 100u) << "a 10 s sweep holds 100 stretches";
    for (int k = 0; k < 100; ++k) {
        const ui::Plot& plot = g.plots[k];
        EXPECT_NEAR(plot.initialX, k * 0.1, 1e-9);
        EXPECT_DOUBLE_EQ(plot.xIncrement, Ds);
        EXPECT_EQ(plot.y.size(), 400u);
        EXPECT_EQ(plot.color, Colors[0]);
    }
    EXPECT_EQ(Count, -1) << "the sweep is complete";
    // The model cell rests near -0.65 V.
    EXPECT_NEAR(g.plots[50].y[200], -0.65, 0.02);
    EXPECT_EQ(textOf(PANEL_ELAPSED), "10");
    EXPECT_EQ(AI_Task != nullptr, true);
}

TEST_F(AcquisitionTest, TheNextSweepStartsOnAnErasedGraph) {
    startProgram();
    acquireDuring("wait 10.15\npress PANEL STOP\n");
    ASSERT_EQ(graph().plots.size(), 1u);
    EXPECT_EQ(graph().plots[0].initialX, 0.0);
    EXPECT_EQ(Count, 0);
}

TEST_F(AcquisitionTest, TheAcquiringStateShowsWhileTheLoopRuns) {
    startProgram();
    acquireDuring("wait 0.5\npress PANEL STOP\n");
    EXPECT_TRUE(dimmed(PANEL_ACQUIRE));
    EXPECT_TRUE(dimmed(PANEL_BOARD_GAIN));
    EXPECT_FALSE(dimmed(PANEL_STOP));
    EXPECT_FALSE(dimmed(PANEL_RECORD));
    int lamp = 0;
    GetCtrlVal(panelHandle, PANEL_ACQ_LAMP, &lamp);
    EXPECT_EQ(lamp, 1);
}

// Channels 0 and 2 are read interleaved by scan; each is drawn in its own colour from its own
// samples. The board rounds to the nearest code: 1.0 V is 6554 counts on ±5 V.
TEST_F(AcquisitionTest, TwoChannelsAreReadInterleavedAndDrawnApart) {
    startProgram("input ai0 constant value=1.0 sigma=0\ninput ai2 constant value=-2.0 sigma=0\n");
    SetCtrlVal(panelHandle, PANEL_CHECK_2, 1);
    GetNumChs();
    acquireDuring("wait 0.55\npress PANEL STOP\n");

    EXPECT_EQ(BufferSize, 800);
    const ui::Graph& g = graph();
    ASSERT_EQ(g.plots.size(), 10u);
    for (std::size_t k = 0; k < g.plots.size(); k += 2) {
        EXPECT_EQ(g.plots[k].color, Colors[0]);
        EXPECT_EQ(g.plots[k + 1].color, Colors[2]);
        EXPECT_EQ(g.plots[k].initialX, g.plots[k + 1].initialX);
        EXPECT_THAT(yValues(g.plots[k]), ::testing::Each(6554 * kVoltsPerCount));
        EXPECT_THAT(yValues(g.plots[k + 1]), ::testing::Each(-13107 * kVoltsPerCount));
    }
    // After display, the stretch's counts are grouped by channel.
    EXPECT_EQ(HalfBuffer[0], 6554);
    EXPECT_EQ(HalfBuffer[399], 6554);
    EXPECT_EQ(HalfBuffer[400], -13107);
    EXPECT_EQ(HalfBuffer[799], -13107);
}

TEST_F(AcquisitionTest, ThreeVoltsOnTheTenVoltRangeIsPlottedWithGainAndOffset) {
    startProgram("input ai0 constant value=3.0 sigma=0\n");
    AILimitsIndex[0] = 0;  // the ±10 V item of the board-gain list
    GainList[0] = 0.5f;
    Gain_Factor[0] = 2.0;
    Offset[0] = 1.0;
    acquireDuring("wait 0.15\npress PANEL STOP\n");
    ASSERT_FALSE(graph().plots.empty());
    EXPECT_EQ(HalfBuffer[0], 9830);
    EXPECT_NEAR(graph().plots[0].y[0], 1.99994, 5e-6);
}

TEST_F(AcquisitionTest, SamplesAtTheRangeLimitsAreHeldAtTheExtremeCounts) {
    startProgram("input ai0 constant value=7 sigma=0\ninput ai1 constant value=-7 sigma=0\n");
    SetCtrlVal(panelHandle, PANEL_CHECK_1, 1);
    GetNumChs();
    acquireDuring("wait 0.25\npress PANEL STOP\n");
    ASSERT_EQ(graph().plots.size(), 4u);
    EXPECT_EQ(HalfBuffer[0], 32767);
    EXPECT_EQ(HalfBuffer[400], -32768);
    EXPECT_NEAR(graph().plots[0].y[0], 5.0, 2 * kVoltsPerCount);
    EXPECT_NEAR(graph().plots[1].y[0], -5.0, 1e-12);
}

// Single-sweep mode: the sweep freezes after its last stretch; acquisition goes on and the
// lamp goes off at Count 1 mod 4 and on at 3 mod 4.
TEST_F(AcquisitionTest, SingleSweepFreezesTheGraphWhileTheLampBlinks) {
    startProgram();
    Stretches = 10;
    Vanix_Mode = 1;
    acquireDuring("wait 3.95\npress PANEL STOP\n");

    ASSERT_EQ(graph().plots.size(), 10u);
    EXPECT_NEAR(graph().plots.back().initialX, 0.9, 1e-9);
    EXPECT_EQ(Hold_status, 1);
    EXPECT_EQ(textOf(PANEL_ELAPSED), "3") << "acquisition went on";

    int offs = 0, ons = 0;
    for (auto [count, lit] : frontEnd.lampSwitches) {
        if (lit) {
            EXPECT_EQ(count % 4, 3);
            ++ons;
        } else {
            EXPECT_EQ(count % 4, 1);
            ++offs;
        }
    }
    EXPECT_EQ(offs, 8) << "twice in each of the four sweeps";
    EXPECT_EQ(ons, 8);
}

int longPopup(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    MessagePopup("Note", "The operator reads this for five seconds.");
    programClock().waitUntil(Timer() + 5.0);
    return 0;
}

// A callback that holds the loop for 5 s: the driver buffer keeps the samples, the loop
// catches up one extra stretch per stretch time, and every stretch is drawn where it belongs.
TEST_F(AcquisitionTest, ALongPopUpIsCaughtUpWithoutLosingAStretch) {
    const char* board = "input ai0 sine amplitude=2 frequency=1.3 sigma=0\n";
    startProgram(board);
    Stretches = 200;
    acquireDuring("wait 14.95\npress PANEL STOP\n");
    const std::vector<ui::Plot> undisturbed = graph().plots;

    TearDown();
    SetUp();
    startProgram(board);
    Stretches = 200;
    onCommit(PANEL_REFRESH, longPopup);
    acquireDuring("wait 1\npress PANEL REFRESH\nwait 13.95\npress PANEL STOP\n");
    const std::vector<ui::Plot>& delayed = graph().plots;

    ASSERT_GE(undisturbed.size(), 149u);
    ASSERT_GE(delayed.size(), 148u) << "the loop has caught up";
    for (std::size_t k = 0; k < std::min(undisturbed.size(), delayed.size()); ++k) {
        EXPECT_NEAR(delayed[k].initialX, k * 0.1, 1e-9);
        EXPECT_EQ(delayed[k].y, undisturbed[k].y) << "stretch " << k;
    }
}

// When the operator acted, and how many stretches were drawn by then; the first action holds
// the loop for 1 s.
std::vector<std::pair<double, int>> actions;
int noteActionHoldingTheFirst(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    actions.emplace_back(Timer(), Count + 1);
    if (actions.size() == 1) programClock().waitUntil(Timer() + 1.0);
    return 0;
}

// A stretch is read once all its samples are in, and the operator is served while they come
// in, not after the stretch. After falling behind, the loop reads one stretch per completed
// half-stretch (two per stretch time) until it has caught up.
TEST_F(AcquisitionTest, AStretchIsReadOnceItIsInAndTheOperatorIsServedMeanwhile) {
    startProgram();
    actions.clear();
    onCommit(PANEL_REFRESH, noteActionHoldingTheFirst);
    acquireDuring(
        "wait 0.33\npress PANEL REFRESH\nwait 0.3\npress PANEL REFRESH\nwait 1.4\n"
        "press PANEL REFRESH\npress PANEL STOP\n");
    ASSERT_EQ(actions.size(), 3u);
    EXPECT_DOUBLE_EQ(actions[0].first, 0.33) << "served at once, not when the stretch is in";
    EXPECT_EQ(actions[0].second, 3) << "the stretches in by 0.3 s";
    // Held until 1.33 s: the stretch to 0.4 s at once, then one per half-stretch from 1.35 s.
    EXPECT_DOUBLE_EQ(actions[1].first, 1.63);
    EXPECT_EQ(actions[1].second, 10);
    // Caught up at 2.2 s (5 + 2 x 8.5 stretches = 22), then one per stretch.
    EXPECT_DOUBLE_EQ(actions[2].first, 3.03);
    EXPECT_EQ(actions[2].second, 30);
}

double popupSeconds = 5.0;
int popupOfChosenLength(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    MessagePopup("Note", "The operator reads this.");
    programClock().waitUntil(Timer() + popupSeconds);
    return 0;
}

// Eight channels at 50 kS/s fill the driver's buffer fastest; a five-second pop-up still
// leaves it far from full, and every stretch is read and drawn in its place.
TEST_F(AcquisitionTest, AFiveSecondPopUpAtEightTimesFiftyKilosamplesLosesNothing) {
    startProgram();
    for (int c = 1; c < 8; ++c) SetCtrlVal(panelHandle, CheckID[c], 1);
    GetNumChs();
    Set_SamplingRate(GetPanelMenuBar(panelHandle), MENUBAR_RATE_KS_50, nullptr, panelHandle);
    ASSERT_EQ(NumScans, 50000);
    ASSERT_EQ(NumChannels, 8);
    Stretches = 200;
    popupSeconds = 5.0;
    onCommit(PANEL_REFRESH, popupOfChosenLength);
    ::testing::internal::CaptureStderr();
    acquireDuring("wait 1\npress PANEL REFRESH\nwait 13.95\npress PANEL STOP\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    const std::vector<ui::Plot>& plots = graph().plots;
    ASSERT_GE(plots.size(), 8u * 148) << "the loop has caught up";
    for (std::size_t k = 0; k < plots.size(); ++k)
        EXPECT_NEAR(plots[k].initialX, double(k / 8) * 0.1, 1e-9) << "plot " << k;
    EXPECT_GT(frontEnd.highestBufferPercent, 0) << "the gauge showed the backlog";
    EXPECT_LT(frontEnd.highestBufferPercent, 50);
    EXPECT_FALSE(frontEnd.fellBehind);
}

// One channel at 4 kS/s has a buffer of 20 s: a 12 s pop-up fills it past half (a warning in
// the messages window, the lamp lit), a 25 s one overflows it and the report says how much
// was lost.
TEST_F(AcquisitionTest, ABacklogPastHalfTheBufferIsWarnedAndAnOverflowCountsTheLoss) {
    startProgram();
    popupSeconds = 12.0;
    onCommit(PANEL_REFRESH, popupOfChosenLength);
    ::testing::internal::CaptureStderr();
    acquireDuring("wait 1\npress PANEL REFRESH\nwait 20\npress PANEL STOP\n");
    const std::string warning = ::testing::internal::GetCapturedStderr();
    EXPECT_THAT(warning, HasSubstr("The input buffer is 6"));
    EXPECT_TRUE(frontEnd.fellBehind);
    EXPECT_GE(frontEnd.highestBufferPercent, 60);
    std::string shown;
    GetCtrlVal(MessagesPanel(), MESSAGES_TEXT, &shown);
    EXPECT_THAT(shown, HasSubstr("falling behind"));
    int lamp = 1;
    GetCtrlVal(panelHandle, PANEL_BUFFER_LAMP, &lamp);
    EXPECT_EQ(lamp, 0) << "off again once the loop has caught up";

    popupSeconds = 25.0;
    ::testing::internal::CaptureStderr();
    acquireDuring("wait 1\npress PANEL REFRESH\nwait 30\npress PANEL STOP\n");
    const std::string overflow = ::testing::internal::GetCapturedStderr();
    // The pop-up opens at 1 s, as the stretch from 0.9 s is in but not yet read: 25.1 s of
    // samples are waiting, of which the buffer holds 20: 5.1 s are lost.
    EXPECT_THAT(overflow, HasSubstr("The input buffer overflowed: 20400 samples per channel"));
    EXPECT_THAT(overflow, HasSubstr("are lost")) << overflow;
}

TEST_F(AcquisitionTest, ADriverErrorEndsTheRunAndReleasesTheTask) {
    startProgram();
    driver::injectDriverFault("DAQmxReadAnalogF64", 5, -200279);
    ::testing::internal::CaptureStderr();
    acquireDuring("wait 3\npress PANEL STOP\n");
    const std::string error = ::testing::internal::GetCapturedStderr();

    EXPECT_THAT(error, HasSubstr("DAQmxReadAnalogF64: injected fault"));
    EXPECT_THAT(error, HasSubstr("-200279"));
    EXPECT_EQ(graph().plots.size(), 4u);
    EXPECT_LT(Timer(), 1.0) << "the run ended at the failed read";
    EXPECT_EQ(Acquiring, 0) << "nothing acquires any more";
    EXPECT_FALSE(dimmed(PANEL_ACQUIRE)) << "the panel is back in its idle state";
    EXPECT_TRUE(dimmed(PANEL_STOP));

    // The task was cleared: a new run creates its task again and acquires.
    Acquiring = 0;
    ::testing::internal::CaptureStderr();
    acquireDuring("wait 1\npress PANEL STOP\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_GE(graph().plots.size(), 9u);
}

TEST_F(AcquisitionTest, ATaskThatCouldNotBeClearedIsClearedBeforeTheNextRun) {
    startProgram("fault DAQmxClearTask 1 -200088\n");
    ::testing::internal::CaptureStderr();
    acquireDuring("wait 1\npress PANEL STOP\n");
    const std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_THAT(report, HasSubstr("DAQmxClearTask"));
    EXPECT_THAT(report, HasSubstr("-200088"));

    graph().plots.clear();
    ::testing::internal::CaptureStderr();
    acquireDuring("wait 1\npress PANEL STOP\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_GE(graph().plots.size(), 9u) << "the next run acquires";

    // A driver that refuses the clear again: the start says why it cannot acquire.
    driver::injectDriverFault("DAQmxClearTask", 1, -200088);  // at this run's end
    driver::injectDriverFault("DAQmxClearTask", 2, -200088);  // at the next run's start
    ::testing::internal::CaptureStderr();
    acquireDuring("wait 1\npress PANEL STOP\n");
    ::testing::internal::GetCapturedStderr();
    graph().plots.clear();
    ::testing::internal::CaptureStderr();
    acquireDuring("wait 1\npress PANEL STOP\n");
    EXPECT_THAT(::testing::internal::GetCapturedStderr(),
                HasSubstr("Acquisition cannot start: the driver still holds the task"));
    EXPECT_TRUE(graph().plots.empty());
}

TEST_F(AcquisitionTest, AFailedTaskCreationEndsTheRunWithoutRestarting) {
    startProgram();
    driver::injectDriverFault("DAQmxCreateTask", 1, -200220);
    AutoSave = 1;  // a recorded stimulus asked for a restart
    ::testing::internal::CaptureStderr();
    acquireDuring("wait 1\npress PANEL STOP\n");
    EXPECT_THAT(::testing::internal::GetCapturedStderr(), HasSubstr("DAQmxCreateTask"));
    EXPECT_EQ(AutoSave, 0);
    EXPECT_TRUE(graph().plots.empty());
}

TEST_F(AcquisitionTest, ARecordedStimulusRestartRunsAcquisitionAgain) {
    startProgram();
    static int stops = 0;
    stops = 0;
    onCommit(PANEL_REFRESH, [](int, int, int event, void*, int, int) {
        if (event == EVENT_COMMIT && ++stops == 1) {
            AutoSave = 1;
            Acquiring = 0;
        }
        return 0;
    });
    acquireDuring("wait 0.5\npress PANEL REFRESH\nwait 0.5\npress PANEL STOP\n");
    EXPECT_EQ(AutoSave, 0);
    EXPECT_EQ(Timer() >= 1.0, true) << "the second run lasted until Stop";
    EXPECT_NEAR(Timer_start, 0.5, 0.11) << "the restart began a new run";
}

// With a filter, output j is the current sample and the W - 1 before it; the first stretch
// meets a zero history, the later ones the end of the stretch before.
TEST_F(AcquisitionTest, TheDisplayFilterRunsAcrossStretches) {
    startProgram("input ai0 constant value=1.0 sigma=0\n");
    Filter_type[0] = 1;
    Window_size[0] = 5;
    Coef[0] = new double[5]{0.2, 0.2, 0.2, 0.2, 0.2};
    acquireDuring("wait 0.35\npress PANEL STOP\n");

    const double v = 6554 * kVoltsPerCount;
    ASSERT_EQ(graph().plots.size(), 3u);
    const std::vector<double>& first = graph().plots[0].y;
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(first[j], 0.2 * (j + 1) * v, 1e-12) << j;
    for (int j = 4; j < 400; ++j) ASSERT_NEAR(first[j], v, 1e-12) << j;
    for (int k = 1; k < 3; ++k)
        EXPECT_THAT(graph().plots[k].y, ::testing::Each(::testing::DoubleNear(v, 1e-12)));
}

int widenFilter(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    delete[] Coef[0];
    Coef[0] = new double[9];
    std::fill(Coef[0], Coef[0] + 9, 1.0 / 9);
    Window_size[0] = 9;
    return 0;
}

TEST_F(AcquisitionTest, AWindowSizeChangedDuringARunTakesEffectAtTheNextStretch) {
    startProgram("input ai0 constant value=1.0 sigma=0\n");
    Filter_type[0] = 1;
    Window_size[0] = 5;
    Coef[0] = new double[5]{0.2, 0.2, 0.2, 0.2, 0.2};
    onCommit(PANEL_REFRESH, widenFilter);
    acquireDuring("wait 0.25\npress PANEL REFRESH\nwait 0.3\npress PANEL STOP\n");

    const double v = 6554 * kVoltsPerCount;
    ASSERT_GE(graph().plots.size(), 5u);
    for (std::size_t k = 1; k < graph().plots.size(); ++k)
        EXPECT_THAT(graph().plots[k].y, ::testing::Each(::testing::DoubleNear(v, 1e-12))) << k;
}

TEST_F(AcquisitionTest, StretchesOfFewerThanTwoSamplesAreRefused) {
    startProgram();
    NumScans = 100;
    Ds = 0.01;
    Sec_per_stretch = 0.01;
    Acquire(panelHandle, PANEL_ACQUIRE, EVENT_COMMIT, nullptr, 0, 0);

    ASSERT_EQ(frontEnd.popups.size(), 1u);
    EXPECT_EQ(frontEnd.popups[0].first, "Error!");
    EXPECT_THAT(frontEnd.popups[0].second, HasSubstr("fewer than 2 samples per channel"));
    EXPECT_EQ(Acquiring, 0);
    EXPECT_EQ(BufferSize, 0) << "nothing was prepared";
    EXPECT_FALSE(dimmed(PANEL_ACQUIRE)) << "the panel stays stopped";
    EXPECT_TRUE(graph().plots.empty());

    // Two samples a stretch is the shortest that runs.
    Sec_per_stretch = 0.02;
    acquireDuring("wait 0.95\npress PANEL STOP\n");
    ASSERT_GE(graph().plots.size(), 45u);
    EXPECT_EQ(graph().plots[0].y.size(), 2u);
}

TEST_F(AcquisitionTest, AChannelWithoutAKnownRangeIsRefused) {
    ::testing::internal::CaptureStderr();
    startProgram("fault DAQmxGetDevAIVoltageRngs 1 -200220\n");
    ::testing::internal::GetCapturedStderr();
    Acquire(panelHandle, PANEL_ACQUIRE, EVENT_COMMIT, nullptr, 0, 0);

    ASSERT_EQ(frontEnd.popups.size(), 1u);
    EXPECT_EQ(frontEnd.popups[0].first, "Error!");
    EXPECT_THAT(frontEnd.popups[0].second, HasSubstr("no input range for channel 0"));
    EXPECT_EQ(Acquiring, 0);
    EXPECT_TRUE(graph().plots.empty());
}

int tickChannel2(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_COMMIT) GetNumChs();
    return 0;
}

TEST_F(AcquisitionTest, AChangeOfChannelsStopsTheRun) {
    startProgram();
    onCommit(PANEL_CHECK_2, tickChannel2);
    acquireDuring("wait 1\nset PANEL CHECK_2 1\nwait 5\npress PANEL STOP\n");

    EXPECT_LT(Timer(), 1.2) << "the run ended after the pass in progress";
    EXPECT_EQ(Acquiring, 0);
    EXPECT_EQ(NumChannels, 2);
    EXPECT_FALSE(dimmed(PANEL_ACQUIRE));
    EXPECT_TRUE(dimmed(PANEL_STOP));

    // The next run acquires both channels with a new task.
    acquireDuring("wait 0.55\npress PANEL STOP\n");
    ASSERT_EQ(graph().plots.size(), 10u);
    EXPECT_EQ(graph().plots[0].color, Colors[0]);
    EXPECT_EQ(graph().plots[1].color, Colors[2]);
}

}  // namespace
