#include "analysis/spectrum_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/spectrum_stage.h"
#include "platform/ui/model.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "tests/app/program_fixture.h"

using namespace trelvanix;
using namespace trelvanix::testing;
// The callbacks the resource file names, as the panels call them.
using namespace trelvanix::callbacks;
using ::testing::HasSubstr;

namespace {

class SpectrumWindow : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(startProgram());
    }

    static const ui::Graph& graph() {
        return *ui::Model::instance().control(FourierHandle, SPECTRUM_GRAPH)->graph;
    }
    static int lamp() {
        int on = -1;
        GetCtrlVal(FourierHandle, SPECTRUM_LAMP, &on);
        return on;
    }
    // Power of the plotted spectrum at the point nearest `hertz`, and the largest power
    // within one point of it.
    static double powerNear(double hertz) {
        const ui::Plot& plot = graph().plots.at(0);
        const auto nearest = std::min_element(
            plot.x.begin(), plot.x.end(),
            [&](double a, double b) { return std::abs(a - hertz) < std::abs(b - hertz); });
        const std::size_t i = nearest - plot.x.begin();
        return std::max({plot.y[i], plot.y[std::max<std::size_t>(i, 1) - 1],
                         plot.y[std::min(i + 1, plot.y.size() - 1)]});
    }
};

// The board's mains hum on ai3 (50 Hz with a third of 0.3 its size) seen through a 1 s
// collection at two sampling rates: the axis follows the rate, the peak is at 50 Hz, the
// third harmonic stands out at 150 Hz and the absent second one does not.
class MainsHum : public SpectrumWindow, public ::testing::WithParamInterface<int> {};

TEST_P(MainsHum, PeaksAt50HzWithItsThirdHarmonicAt150Hz) {
    const int rate = GetParam();
    useScript(std::string("menu MENUBAR_RATE_") + (rate == 4000 ? "KS_4" : "KS_10") +
              "\n"
              "set PANEL CHECK_3 1\n"
              "menu MENUBAR_ANALYSIS_SPECTRUM\n"
              "set SPECTRUM CHANNEL 3\n"
              "set SPECTRUM LENGTH 1000\n"
              "set SPECTRUM PEAK 1\n"
              "press PANEL ACQUIRE\n"
              "wait 0.3\n"
              "press SPECTRUM START\n"
              "wait 2.5\n"
              "press SPECTRUM STOP\n"
              "press PANEL STOP\n"
              "wait 0.5\n");
    runFor(10.0);
    ASSERT_EQ(endStatus(), 0);
    ASSERT_EQ(NumScans, rate);
    const int length = rate == 4000 ? 2048 : 8192;  // 4000 and 10000 values wanted
    ASSERT_EQ(graph().plots.size(), 1u);
    const ui::Plot& plot = graph().plots[0];
    EXPECT_EQ(plot.color, VAL_BLUE);
    ASSERT_EQ(plot.x.size(), std::size_t(length / 2 - 1));
    EXPECT_DOUBLE_EQ(plot.x[0], double(rate) / length);
    EXPECT_DOUBLE_EQ(plot.x.back(), double(rate) * (length / 2 - 1) / length);
    const auto highest = std::max_element(plot.y.begin(), plot.y.end()) - plot.y.begin();
    EXPECT_NEAR(plot.x[highest], 50.0, double(rate) / length);
    const double hum = powerNear(50.0), third = powerNear(150.0);
    EXPECT_GT(third / hum, 0.03);
    EXPECT_LT(third / hum, 0.15);
    EXPECT_LT(powerNear(100.0) / hum, 1e-3);
    EXPECT_EQ(graph().xAxis.name, "Frequency (Hz)");
    EXPECT_EQ(graph().yAxis.name, "Power (V\u00B2)");
    EXPECT_EQ(textOf(FourierHandle, SPECTRUM_PEAK_TEXT).substr(0, 3), "50.");
}

INSTANTIATE_TEST_SUITE_P(AtTwoRates, MainsHum, ::testing::Values(4000, 10000));

// Start only while acquiring and not collecting; Stop releases the buffer; refusals of a
// channel not acquired and of a length too short say why and start nothing.
TEST_F(SpectrumWindow, StartAndStopFollowTheAcquisitionAndRefuseWhatCannotBeCollected) {
    useScript(
        "menu MENUBAR_ANALYSIS_SPECTRUM\n"
        "press SPECTRUM START\n"  // not acquiring: ignored
        "get SPECTRUM LAMP\n"
        "press PANEL ACQUIRE\n"
        "set SPECTRUM CHANNEL 5\n"
        "expect popup \"Error!\" \"Channel 5 is not acquired. Tick it on the main panel or "
        "choose an acquired channel.\"\n"
        "press SPECTRUM START\n"
        "set SPECTRUM CHANNEL 0\n"
        "set SPECTRUM LENGTH 0.5\n"
        "expect popup \"Error!\" \"A length of 0.5 ms gives 2 values at 4000 samples per "
        "second; a spectrum needs from 4 to 1048576 values (1 to 524288 ms).\"\n"
        "press SPECTRUM START\n"
        "get SPECTRUM LAMP\n"
        "set SPECTRUM LENGTH 100\n"
        "press SPECTRUM START\n"
        "get SPECTRUM LAMP\n"
        "set SPECTRUM LENGTH 128\n"
        "press SPECTRUM START\n"  // collecting: ignored
        "wait 1\n"
        "press PANEL STOP\n"
        "wait 0.3\n");
    runFor(5.0);
    ASSERT_EQ(endStatus(), 0);
    EXPECT_EQ(StartFourier, 1);
    EXPECT_EQ(LengthForAnalysis, 256) << "the second Start changed nothing";
    EXPECT_EQ(FourierChan, 0);
    ASSERT_EQ(graph().plots.size(), 1u);
    EXPECT_EQ(graph().plots[0].x.size(), 127u);
    EXPECT_DOUBLE_EQ(graph().plots[0].x.front(), 15.625);
    EXPECT_DOUBLE_EQ(graph().plots[0].x.back(), 1984.375);

    StopFourier(FourierHandle, SPECTRUM_STOP, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(StartFourier, 0);
    EXPECT_EQ(FourierData, nullptr);
    EXPECT_EQ(LengthForAnalysis, 0);
    EXPECT_EQ(DataCount, 0);
    EXPECT_EQ(lamp(), 0);
}

// Stopping acquisition puts the lamp out but keeps the collection: Start stays refused, and
// the next run goes on filling the same buffer. About 2000 values in the first run and 2800
// in the second complete the 4096 only together.
TEST_F(SpectrumWindow, ACollectionOutlivesAStopAndRestartOfAcquisition) {
    useScript(
        "menu MENUBAR_ANALYSIS_SPECTRUM\n"
        "set SPECTRUM LENGTH 1024\n"
        "press PANEL ACQUIRE\n"
        "press SPECTRUM START\n"
        "wait 0.55\n"
        "press PANEL STOP\n"
        "wait 0.5\n"
        "get SPECTRUM LAMP\n"
        "press PANEL ACQUIRE\n"
        "set SPECTRUM LENGTH 100\n"
        "press SPECTRUM START\n"  // still collecting: refused
        "wait 0.05\n"
        "get SPECTRUM LAMP\n"
        "wait 0.7\n"
        "press PANEL STOP\n"
        "wait 0.3\n");
    ::testing::internal::CaptureStdout();
    runFor(10.0);
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "SPECTRUM LAMP = 0\nSPECTRUM LAMP = 1\n")
        << "the lamp goes out with acquisition and is lit again when the collection resumes";
    ASSERT_EQ(endStatus(), 0);
    EXPECT_EQ(StartFourier, 1);
    EXPECT_EQ(LengthForAnalysis, 4096);
    ASSERT_EQ(graph().plots.size(), 1u) << "the buffer begun in the first run was completed";
    EXPECT_EQ(graph().plots[0].x.size(), 2047u);
}

// Axes: an increasing pair sets that axis by hand; a pair with equal ends leaves its axis.
TEST_F(SpectrumWindow, TheAxesButtonSetsOnlyIncreasingRanges) {
    ShowFourier(0, 0, nullptr, 0);
    SetCtrlVal(FourierHandle, SPECTRUM_XMIN, 100.0);
    SetCtrlVal(FourierHandle, SPECTRUM_XMAX, 100.0);
    SetCtrlVal(FourierHandle, SPECTRUM_YMIN, 0.0);
    SetCtrlVal(FourierHandle, SPECTRUM_YMAX, 5.0);
    const ui::Axis xBefore = graph().xAxis;
    SetFourierGraph(FourierHandle, SPECTRUM_AXES, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(graph().xAxis.scalingMode, xBefore.scalingMode);
    EXPECT_EQ(graph().xAxis.min, xBefore.min);
    EXPECT_EQ(graph().xAxis.max, xBefore.max);
    EXPECT_EQ(graph().yAxis.scalingMode, VAL_MANUAL);
    EXPECT_EQ(graph().yAxis.max, 5.0);

    SetCtrlVal(FourierHandle, SPECTRUM_XMAX, 300.0);
    SetCtrlVal(FourierHandle, SPECTRUM_YMAX, 0.0);
    SetFourierGraph(FourierHandle, SPECTRUM_AXES, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(graph().xAxis.scalingMode, VAL_MANUAL);
    EXPECT_EQ(graph().xAxis.min, 100.0);
    EXPECT_EQ(graph().xAxis.max, 300.0);
    EXPECT_EQ(graph().yAxis.max, 5.0);
}

// The stage on synthetic stretches of 400 values into a 512-value buffer: the second stretch
// completes it and the rest of that stretch is dropped; the values are the channel's volts in
// its unit; a new run at another rate, or without the channel, starts over or waits.
TEST_F(SpectrumWindow, TheStageCollectsTheChannelUpToAFullBufferInItsUnit) {
    ShowFourier(0, 0, nullptr, 0);
    NumChannels = 2;
    ChannelList[0] = 1;
    ChannelList[1] = 3;
    Acquiring = 1;
    Gain_Factor[3] = 2.0;
    Offset[3] = 0.5;
    Scale_factor[3] = 0.001;
    std::strcpy(Units[3], "mV");
    SetCtrlVal(FourierHandle, SPECTRUM_CHANNEL, 3);
    SetCtrlVal(FourierHandle, SPECTRUM_LENGTH, 128.0);
    StartFourierTr(FourierHandle, SPECTRUM_START, EVENT_COMMIT, nullptr, 0, 0);
    ASSERT_EQ(StartFourier, 1);
    ASSERT_EQ(FourierChan, 1);
    ASSERT_EQ(LengthForAnalysis, 512);

    daq::RunLayout layout;
    layout.n = 400;
    layout.channels = 2;
    layout.channelList[0] = 1;
    layout.channelList[1] = 3;
    std::vector<double> other(400, 9.0), shown(400);
    for (int j = 0; j < 400; ++j) shown[j] = std::sin(0.3 * j);
    double* display[] = {other.data(), shown.data()};
    daq::StretchContext stretch{layout, 0.0, nullptr, nullptr, display};
    spectrum::SpectrumStage stage;
    stage.onRunStart(layout);
    EXPECT_EQ(lamp(), 1);

    ASSERT_EQ(stage.onStretch(stretch), 0);
    EXPECT_EQ(DataCount, 400);
    EXPECT_NEAR(FourierData[7], (shown[7] * 2.0 - 0.5) / 0.001, 1e-9);
    stage.onStretch(stretch);
    EXPECT_EQ(DataCount, 0) << "the 288 values after the full buffer are not collected";
    ASSERT_EQ(graph().plots.size(), 1u);
    EXPECT_EQ(graph().plots[0].x.size(), 255u);
    EXPECT_EQ(graph().yAxis.name, "Power (mV\u00B2)");
    stage.onStretch(stretch);
    EXPECT_EQ(DataCount, 400);

    stage.onRunEnd();
    EXPECT_EQ(lamp(), 0);
    NumScans = 10000;
    stage.onRunStart(layout);
    EXPECT_EQ(DataCount, 0) << "values of the old rate are dropped";
    EXPECT_EQ(lamp(), 1);
    stage.onStretch(stretch);
    stage.onStretch(stretch);
    EXPECT_DOUBLE_EQ(graph().plots[0].x[0], 10000.0 / 512);

    layout.channels = 1;
    ::testing::internal::CaptureStderr();
    stage.onRunStart(layout);
    EXPECT_THAT(::testing::internal::GetCapturedStderr(),
                HasSubstr("is not acquired in this run: its collection waits"));
    EXPECT_EQ(FourierChan, -1);
    EXPECT_EQ(lamp(), 0);
    stage.onStretch(stretch);
    EXPECT_EQ(DataCount, 0) << "nothing is collected while the channel is not acquired";
    Acquiring = 0;
}

// An average that cannot be held is refused where it is asked for, at Start or when the
// option changes (the arrays are sized there, not while a stretch is processed); lengths
// refused are given in plain numbers.
TEST_F(SpectrumWindow, WhatCannotBeHeldIsRefusedWhenAskedFor) {
    ShowFourier(0, 0, nullptr, 0);
    NumChannels = 1;
    ChannelList[0] = 0;
    Acquiring = 1;
    ::testing::internal::CaptureStdout();
    SetCtrlVal(FourierHandle, SPECTRUM_CHANNEL, 0);
    SetCtrlVal(FourierHandle, SPECTRUM_LENGTH, 262144.0);  // 2^20 values at 4000 per second
    SetCtrlVal(FourierHandle, SPECTRUM_AVERAGE, 100);
    StartFourierTr(FourierHandle, SPECTRUM_START, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(StartFourier, 0);
    SetCtrlVal(FourierHandle, SPECTRUM_AVERAGE, 1);
    StartFourierTr(FourierHandle, SPECTRUM_START, EVENT_COMMIT, nullptr, 0, 0);
    ASSERT_EQ(LengthForAnalysis, 1 << 20);
    SetCtrlVal(FourierHandle, SPECTRUM_AVERAGE, 100);
    SpectrumOptionsChanged(FourierHandle, SPECTRUM_AVERAGE, EVENT_COMMIT, nullptr, 0, 0);
    int averaged = 0;
    GetCtrlVal(FourierHandle, SPECTRUM_AVERAGE, &averaged);
    EXPECT_EQ(averaged, 1) << "the refused count is not shown as in force";
    StopFourier(FourierHandle, SPECTRUM_STOP, EVENT_COMMIT, nullptr, 0, 0);

    NumScans = 100;
    SetCtrlVal(FourierHandle, SPECTRUM_LENGTH, 10.0);
    StartFourierTr(FourierHandle, SPECTRUM_START, EVENT_COMMIT, nullptr, 0, 0);
    Acquiring = 0;
    const std::string refusal =
        "popup \"Error!\" \"Averaging 100 spectra of 1048576 values needs 400 MB; at most 128 "
        "MB can be held, 32 such spectra.\"\n";
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              refusal + refusal +
                  "popup \"Error!\" \"A length of 10 ms gives 1 values at 100 samples per "
                  "second; a spectrum needs from 4 to 1048576 values (40 to 20971510 ms).\"\n");
}

// Power in dB converts a power axis fixed by hand with it, both ways; a signal with no power
// at any frequency shown is named as such, not as thousands of dB below nothing.
TEST_F(SpectrumWindow, DecibelsConvertAFixedAxisAndAZeroSignalSaysSo) {
    ShowFourier(0, 0, nullptr, 0);
    SetCtrlVal(FourierHandle, SPECTRUM_YMIN, 0.01);
    SetCtrlVal(FourierHandle, SPECTRUM_YMAX, 100.0);
    SetFourierGraph(FourierHandle, SPECTRUM_AXES, EVENT_COMMIT, nullptr, 0, 0);
    SetCtrlVal(FourierHandle, SPECTRUM_DECIBELS, 1);
    SpectrumOptionsChanged(FourierHandle, SPECTRUM_DECIBELS, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_DOUBLE_EQ(graph().yAxis.min, -20.0);
    EXPECT_DOUBLE_EQ(graph().yAxis.max, 20.0);
    double shownMax = 0.0;
    GetCtrlVal(FourierHandle, SPECTRUM_YMAX, &shownMax);
    EXPECT_DOUBLE_EQ(shownMax, 20.0);
    SetCtrlVal(FourierHandle, SPECTRUM_DECIBELS, 0);
    SpectrumOptionsChanged(FourierHandle, SPECTRUM_DECIBELS, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_NEAR(graph().yAxis.min, 0.01, 1e-12);
    EXPECT_NEAR(graph().yAxis.max, 100.0, 1e-9);

    SetCtrlVal(FourierHandle, SPECTRUM_DECIBELS, 1);
    SetCtrlVal(FourierHandle, SPECTRUM_PEAK, 1);
    NumChannels = 1;
    ChannelList[0] = 0;
    Acquiring = 1;
    SetCtrlVal(FourierHandle, SPECTRUM_CHANNEL, 0);
    SetCtrlVal(FourierHandle, SPECTRUM_LENGTH, 64.0);
    StartFourierTr(FourierHandle, SPECTRUM_START, EVENT_COMMIT, nullptr, 0, 0);
    const std::vector<double> zeros(256, 0.0);
    CollectSpectrumValues(zeros.data(), 256, 0);
    Acquiring = 0;
    EXPECT_EQ(textOf(FourierHandle, SPECTRUM_PEAK_TEXT), "The signal is zero or constant");
}

}  // namespace
