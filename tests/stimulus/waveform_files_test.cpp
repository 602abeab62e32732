// Waveform files and the cell waveform inside the program: loading, the header values, the
// two-file stimulus, the cell filter, the baseline from the minimum and the phase search.

#include "stimulus/waveform_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/analysis/analysis.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/stimulus.h"
#include "tests/app/program_fixture.h"

using namespace trelvanix;
using namespace trelvanix::callbacks;
using ::testing::HasSubstr;

namespace {

struct Header {
    double duration = 100, maximum = 1, minimum = 0, dc = 0, amplitude = 0, extra = 0;
};

class WaveformFiles : public trelvanix::testing::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ResetStimulusState();
        ASSERT_TRUE(startProgram());
        inject(0, 0, nullptr, 0);
        cell = Handle[kCell];
    }
    void TearDown() override {
        ResetStimulusState();
        ProgramTest::TearDown();
    }

    // Writes a waveform file of the shape's 1000 values and the header; returns its path.
    std::string writeFile(const std::string& name, const std::function<double(int)>& shape,
                          const Header& h, const char* lineEnd = "\n") {
        const std::string path = (folder / name).string();
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < 1000; ++i) out << shape(i) << lineEnd;
        for (double v : {h.duration, h.maximum, h.minimum, h.dc, h.amplitude, h.extra})
            out << v << lineEnd;
        return path;
    }
    void chooseKind(int kind) {
        SetCtrlVal(InjectHandle, INJECT_WAVEFORM, kind);
        Set_waveform(InjectHandle, INJECT_WAVEFORM, EVENT_COMMIT, nullptr, 0, 0);
    }
    // The operator presses a button of the cell sub-panel, answering the file pop-up with
    // `answer` (a path or "cancel"); returns the callback's result.
    int press(int (*callback)(int, int, int, void*, int, int), const std::string& answer = "") {
        if (!answer.empty()) useScript("answer file \"" + answer + "\"\n");
        return callback(cell, 0, EVENT_COMMIT, nullptr, 0, 0);
    }
    double doubleOf(int panel, int control) const {
        double value = 0;
        GetCtrlVal(panel, control, &value);
        return value;
    }
    int dimmed(int panel, int control) const {
        int value = 0;
        GetCtrlAttribute(panel, control, ATTR_DIMMED, &value);
        return value;
    }
    std::vector<double> shape() const { return {Cell_array, Cell_array + 1000}; }
    std::vector<double> buffer(int from, int to) const {
        return {WF_buffer + from, WF_buffer + to};
    }

    int cell = 0;
};

double ramp(int i) {
    return i / 1000.0;
}

TEST_F(WaveformFiles, LoadingShowsTheHeaderThenZeroesItInTheWaveform) {
    chooseKind(kCell);
    // No amplitude in the file: the panel's amplitude is 10 and the extra value is dimmed.
    press(Load_file, writeFile("plain.wfm", ramp, {250.7, 0.999, -0.5, 0.25, 0.0, 3.0}));
    EXPECT_EQ(doubleOf(cell, CELL_AMP), 10.0);
    EXPECT_EQ(doubleOf(cell, CELL_EXTRA), 0.0);
    EXPECT_EQ(dimmed(cell, CELL_EXTRA), 1);
    int duration = 0;
    GetCtrlVal(cell, CELL_DUR, &duration);
    EXPECT_EQ(duration, 250);  // truncated
    EXPECT_EQ(Num_wf_points, 1250);

    // Windows line ends and exponent forms; an amplitude of 2.5 shows with the extra value.
    const std::string path = (folder / "crlf.wfm").string();
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < 1000; ++i) out << (i == 10 ? "1.5E+00" : "-2.5e-1") << "\r\n";
        out << "1e2\r\n 1.5 \r\n-2.5E-1\r\n+0.125\r\n2.5\r\n7.25e0\r\n";
    }
    press(Load_file, path);
    EXPECT_EQ(doubleOf(cell, CELL_AMP), 2.5);
    EXPECT_EQ(doubleOf(cell, CELL_EXTRA), 7.25);
    EXPECT_EQ(dimmed(cell, CELL_EXTRA), 0);
    EXPECT_EQ(doubleOf(cell, CELL_MAX), 1.5);
    EXPECT_EQ(doubleOf(cell, CELL_MIN), -0.25);
    EXPECT_EQ(doubleOf(cell, CELL_DC), 0.125);
    EXPECT_EQ(Cell_array[10], 1.5);
    EXPECT_EQ(Cell_array[11], -0.25);
    for (int i = 1000; i < 1006; ++i) EXPECT_EQ(Cell_array[i], 0.0) << i;
    EXPECT_EQ(trelvanix::testing::textOf(cell, CELL_TEXTMSG), "File: crlf.wfm");
    // The stimulus follows at once: 100 ms of 2.5 x the shape after the pre-time.
    EXPECT_EQ(Num_wf_points, 1100);
    EXPECT_EQ(WF_buffer[500 + 1], 2.5 * 1.5);  // sample 10 of the shape at 1 ms of 100
}

TEST_F(WaveformFiles, AnUnreadableOrShortFileKeepsTheLoadedWaveform) {
    chooseKind(kCell);
    press(Load_file, writeFile("good.wfm", ramp, {300, 1, 0, 0.5, 4, 1}));
    const std::vector<double> loaded = shape();
    const std::vector<double> built = buffer(0, Num_wf_points);

    std::string bad = writeFile("bad.wfm", ramp, {});
    {
        std::vector<std::string> lines;
        std::ifstream in(bad);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        lines[6] = "1,5";  // line 7
        std::ofstream out(bad);
        for (const std::string& line : lines) out << line << "\n";
    }
    const std::string shortFile = (folder / "short.wfm").string();
    std::ofstream(shortFile) << "1\n2\n3\n";
    // Periods the stimulus cannot play: too long for an int of milliseconds, zero, negative.
    const std::vector<std::string> periods = {"2147483648", "0", "-5"};
    std::vector<std::string> periodFiles;
    for (const std::string& period : periods) {
        const std::string path = writeFile("period" + period + ".wfm", ramp, {});
        std::vector<std::string> lines;
        std::ifstream in(path);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        lines[1000] = period;  // line 1001
        std::ofstream out(path);
        for (const std::string& line : lines) out << line << "\n";
        periodFiles.push_back(path);
    }

    ::testing::internal::CaptureStdout();
    press(Load_file, bad);
    press(Load_file, shortFile);
    for (const std::string& path : periodFiles) press(Load_file, path);
    press(Load_file, "cancel");
    const std::string out = ::testing::internal::GetCapturedStdout();
    for (const std::string& period : periods)
        EXPECT_THAT(out, HasSubstr("file period" + period +
                                   ".wfm cannot be used (line 1001: the "
                                   "period " +
                                   period + " ms is outside 1 to 3600000 ms)"));
    EXPECT_THAT(out, HasSubstr("There is a problem with your waveform file!\n"));
    EXPECT_THAT(out, HasSubstr("popup \"Error!\" \"The waveform file bad.wfm cannot be used "
                               "(line 7: not a number: 1,5). The waveform loaded before is "
                               "kept.\""));
    EXPECT_THAT(out, HasSubstr("file short.wfm cannot be used (only 3 of 1006 numbers)"));
    EXPECT_EQ(shape(), loaded);
    EXPECT_EQ(buffer(0, Num_wf_points), built);
    EXPECT_EQ(doubleOf(cell, CELL_AMP), 4.0);
    EXPECT_EQ(trelvanix::testing::textOf(cell, CELL_TEXTMSG), "File: good.wfm");
    EXPECT_TRUE(!endStatus() || *endStatus() == 0);
}

TEST_F(WaveformFiles, ASecondFileFollowsTheMiddleOfTheStimulusBuilt) {
    chooseKind(kCell);
    // First stimulus: pre-time 500, a 2000 ms period, post-time 500: 3000 values.
    press(Load_file, writeFile("first.wfm", ramp, {2000, 1, 0, 0.5, 1000, 0}));
    ASSERT_EQ(Num_wf_points, 3000);
    const std::vector<double> middle = buffer(500, 2500);

    // The second: a 100 ms period of 7 x 1000, repeated twice, after a 30 ms gap at 5.
    SetCtrlVal(cell, CELL_REPEATS, 2);
    EXPECT_EQ(press(Load_2ndfile,
                    writeFile("second.wfm", [](int) { return 7.0; }, {100, 7, 7, 7, 1000, 0})),
              0);
    EXPECT_EQ(NumPts, 2000);
    EXPECT_EQ(std::vector<double>(WF_buffer_2, WF_buffer_2 + NumPts), middle);
    EXPECT_EQ(LoadFile, 1);

    SetCtrlVal(cell, CELL_INTERBURST, 30.0);
    SetCtrlVal(cell, CELL_INTERBASELINE, 5.0);
    SetCtrlVal(cell, CELL_NUM_BURST, 2);
    updateWaveform(cell, CELL_UPDATE, EVENT_COMMIT, nullptr, 0, 0);
    // Per burst: the saved 2000, the new 200, a 30 ms gap; pre- and post-time around it all.
    EXPECT_EQ(Num_wf_points, 2 * (2000 + 200 + 30) + 1000);
    EXPECT_EQ(buffer(0, 500), std::vector<double>(500, 0.0));
    EXPECT_EQ(buffer(500, 2500), middle);
    EXPECT_EQ(buffer(2500, 2700), std::vector<double>(200, 7000.0));
    EXPECT_EQ(buffer(2700, 2730), std::vector<double>(30, 5.0));
    EXPECT_EQ(buffer(2730, 4730), middle);
    EXPECT_EQ(buffer(4930, 4960), std::vector<double>(30, 5.0));
    EXPECT_EQ(buffer(4960, 5460), std::vector<double>(500, 0.0));

    // A plain load ends the two-file stimulus.
    press(Load_file, writeFile("third.wfm", ramp, {100, 1, 0, 0.5, 1, 0}));
    EXPECT_EQ(LoadFile, 0);
}

// Ornstein-Uhlenbeck noise is laid out at 10 values per ms: the composition keeps it so, and
// lays the cell waveform, its gap, pre-time and post-time out at the same rate.
TEST_F(WaveformFiles, ASecondFileAfterOrnsteinUhlenbeckNoiseKeepsTheNoiseAsItWas) {
    chooseKind(kNoise);
    SetCtrlVal(Handle[kNoise], NOISE_KIND, 2);
    SetCtrlVal(Handle[kNoise], NOISE_DURATION, 300);
    SetCtrlVal(InjectHandle, INJECT_PRE_TIME, 100);
    SetCtrlVal(InjectHandle, INJECT_POST_TIME, 50);
    updateWaveform(Handle[kNoise], NOISE_UPDATE, EVENT_COMMIT, nullptr, 0, 0);
    ASSERT_EQ(Num_wf_points, 4500);
    const std::vector<double> noise = buffer(1000, 4000);
    ASSERT_EQ(press(Load_2ndfile, writeFile("ramp.wfm", ramp, {20, 1, 0, 0.5, 3, 0})), 0);
    EXPECT_EQ(NumPts, 3000);

    // The cell kind takes the period (300 ms) and amplitude (1000) in force.
    chooseKind(kCell);
    int length = 0;
    GetCtrlVal(InjectHandle, INJECT_LENGTH, &length);
    EXPECT_EQ(length, 100 + 300 + 300 + 50);
    EXPECT_EQ(Samples_per_sec_in_wfm, 10000.0);
    ASSERT_EQ(Num_wf_points, 7500);
    EXPECT_EQ(buffer(0, 1000), std::vector<double>(1000, 0.0));
    EXPECT_EQ(buffer(1000, 4000), noise);
    std::vector<double> period;  // 1000 x the shape stretched over 300 ms, 10 values per ms
    for (int j = 0; j < 300; ++j) period.insert(period.end(), 10, (j * 1000) / 300 / 1000.0 * 1000);
    EXPECT_EQ(buffer(4000, 7000), period);
    EXPECT_EQ(buffer(7000, 7500), std::vector<double>(500, 0.0));
}

TEST_F(WaveformFiles, ASecondFileIsRefusedWithoutAMiddleToKeep) {
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(press(Load_2ndfile), 1);  // nothing built yet
    chooseKind(kPulse);
    SetCtrlVal(Handle[kPulse], PULSE_MS1, 0.0);
    SetCtrlVal(Handle[kPulse], PULSE_MS2, 0.0);
    updateWaveform(Handle[kPulse], PULSE_UPDATE, EVENT_COMMIT, nullptr, 0, 0);  // 1000 zeros
    EXPECT_EQ(press(Load_2ndfile), 1);
    Pre_time = 2000;  // longer than the stimulus built, as a protocol step may leave it
    EXPECT_EQ(press(Load_2ndfile), 1);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_THAT(out, HasSubstr("popup \"Error!\" \"Press show button 1st.\""));
    EXPECT_THAT(out, HasSubstr("popup \"Error!\" \"The stimulus built (1000 ms) is not longer "
                               "than its pre-time and post-time (2500 ms): there is nothing to "
                               "put before a second file.\""));
    EXPECT_EQ(WF_buffer_2, nullptr);
    EXPECT_EQ(LoadFile, 0);
    EXPECT_TRUE(!endStatus() || *endStatus() == 0);  // no file was asked for
}

TEST_F(WaveformFiles, TheFilterPanelAppliesOneFilterAndRefusesBadDesigns) {
    chooseKind(kCell);
    Show_Filter(cell, CELL_FILTER, EVENT_COMMIT, nullptr, 0, 0);
    ASSERT_GT(CellFilterHandle, 0);
    EXPECT_EQ(dimmed(CellFilterHandle, CELLFILTER_APPLY), 1);  // nothing to filter yet
    press(Load_file, writeFile("square.wfm", [](int i) { return i < 500 ? 1.0 : 0.0; },
                               {100, 1, 0, 0.5, 1000, 0}));
    EXPECT_EQ(dimmed(CellFilterHandle, CELLFILTER_APPLY), 0);

    // Both switched on: the low-pass filter alone, at the acquisition rate.
    std::vector<double> expected = shape();
    Bw_LPF(expected.data(), 1000, NumScans, 200.0, 3, expected.data());
    SetCtrlVal(CellFilterHandle, CELLFILTER_LP_ON, 1);
    SetCtrlVal(CellFilterHandle, CELLFILTER_HP_ON, 1);
    SetCtrlVal(CellFilterHandle, CELLFILTER_LP_CUTOFF, 200.0);
    SetCtrlVal(CellFilterHandle, CELLFILTER_ORDER, 3);
    Filter(CellFilterHandle, CELLFILTER_APPLY, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(shape(), expected);
    EXPECT_EQ(WF_buffer[500 + 99], 1000.0 * Cell_array[990]);  // rebuilt from the new shape

    // A cut-off at or above half the rate, or an order below 1, changes nothing.
    ::testing::internal::CaptureStdout();
    SetCtrlVal(CellFilterHandle, CELLFILTER_LP_CUTOFF, NumScans / 2.0);
    Filter(CellFilterHandle, CELLFILTER_APPLY, EVENT_COMMIT, nullptr, 0, 0);
    SetCtrlVal(CellFilterHandle, CELLFILTER_LP_ON, 0);
    SetCtrlAttribute(CellFilterHandle, CELLFILTER_ORDER, ATTR_MIN_VALUE, 0.0);
    SetCtrlVal(CellFilterHandle, CELLFILTER_ORDER, 0);
    Filter(CellFilterHandle, CELLFILTER_APPLY, EVENT_COMMIT, nullptr, 0, 0);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_THAT(out, HasSubstr("popup \"Error!\" \"The low-pass cut-off of " +
                               std::to_string(NumScans / 2) + " Hz must lie above 0 and below"));
    EXPECT_THAT(out, HasSubstr("popup \"Error!\" \"The filter order 0 is below 1."));
    EXPECT_EQ(shape(), expected);

    // The Close button and the window's close box both hide the panel.
    int visible = 1;
    CloseCellFilter(CellFilterHandle, CELLFILTER_CLOSE, EVENT_COMMIT, nullptr, 0, 0);
    GetPanelAttribute(CellFilterHandle, ATTR_VISIBLE, &visible);
    EXPECT_EQ(visible, 0);
    Show_Filter(cell, CELL_FILTER, EVENT_COMMIT, nullptr, 0, 0);
    CellFilterWindowClose(CellFilterHandle, EVENT_CLOSE, nullptr, 0, 0);
    GetPanelAttribute(CellFilterHandle, ATTR_VISIBLE, &visible);
    EXPECT_EQ(visible, 0);
}

TEST_F(WaveformFiles, TheBaselineRisesByTheAmplitudeTimesTheMinimum) {
    chooseKind(kCell);
    press(Load_file, writeFile("dip.wfm", [](int i) { return i == 0 ? -0.4 : 0.0; },
                               {100, 0, -0.4, 0, 1000, 0}));
    Shift_min(cell, CELL_SHIFT_MIN, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(doubleOf(cell, CELL_BASELINE), 400.0);
    EXPECT_EQ(WF_buffer[500], 0.0);  // the lowest point now at 0
    EXPECT_EQ(WF_buffer[501], 400.0);
}

TEST_F(WaveformFiles, CellPhaseFindsTheFirstExtreme) {
    WF_buffer = new double[6]{9, 3, 7, 7, 1, 9};
    Num_wf_points = 6;
    EXPECT_EQ(cell_phase(1, 5, 1), 1);  // the first of the two maxima
    EXPECT_EQ(cell_phase(1, 5, 2), 3);
    EXPECT_EQ(cell_phase(1, 5, 0), 0);
    EXPECT_EQ(cell_phase(1, 5, 3), 0);
    EXPECT_EQ(cell_phase(4, 9, 1), 0);  // a range beyond the buffer finds nothing
}

}  // namespace
