// Looking closely at a held sweep: the graph can be zoomed, panned and measured with two
// cursors only once the sweep is held (or acquisition stopped); the readout gives each
// channel's value in its own unit; none of it touches the display settings.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "app/display_controls.h"
#include "platform/ui/model.h"
#include "platform/ui/operator_actions.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "tests/app/program_fixture.h"

using namespace trelvanix;
using namespace trelvanix::testing;
using namespace trelvanix::callbacks;

namespace {

// A noise-free sine on ai2 and sparse noise-free spikes on ai4.
const char kBoard[] =
    "seed 3\n"
    "input ai2 sine amplitude=2 frequency=1 sigma=0\n"
    "input ai4 spikes amplitude=3 rate=2 width=0.0005 sigma=0\n";

struct Settings {
    double gain, offset, sweep;
    int stretches;
    bool operator==(const Settings&) const = default;
};

class SweepInspection : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        installBoard(kBoard);
        ASSERT_TRUE(startProgram());
    }

    // ai0, ai2 and ai4 at 50 kS/s with ai2 active at gain 0.5 and offset 20 %; the first
    // 10 s sweep is held, then `held` runs, then acquisition stops. Prints what `get` says.
    std::string holdFirstSweep(const std::string& held) {
        ::testing::internal::CaptureStdout();
        useScript(
            "menu MENUBAR_RATE_KS_50\n"
            "set PANEL CHECK_2 1\n"
            "set PANEL CHECK_4 1\n"
            "click PANEL LABEL_2\n"
            "set PANEL GAIN 0.5\n"
            "set PANEL OFFSET 20\n"
            "press PANEL ACQUIRE\n"
            "wait 1\n"
            "get PANEL CURSORS\n"
            "zoom PANEL GRAPH 2 3\n"
            "press PANEL HOLD\n"
            "wait 10\n" +
            held + "press PANEL STOP\n");
        runFor(40.0);
        EXPECT_EQ(endStatus(), 0);
        return ::testing::internal::GetCapturedStdout();
    }

    static Settings settings() {
        double sweep = 0;
        GetCtrlVal(panelHandle, PANEL_SWEEP, &sweep);
        return Settings{Gain_Factor[2], Offset[2], sweep, Stretches};
    }
    static std::vector<double> view() {
        std::vector<double> v(4);
        GetGraphView(panelHandle, PANEL_GRAPH, &v[0], &v[1], &v[2], &v[3]);
        return v;
    }
    static bool inspecting() {
        int on = 0;
        GetGraphInspection(panelHandle, PANEL_GRAPH, &on);
        return on != 0;
    }
    // The number in channel ai2's column of a readout row (the first line heads the columns).
    static double ai2In(const std::vector<std::string>& lines, std::size_t row) {
        const auto end = lines.at(0).find("ai2") + 3;
        return row < lines.size() && end > 11 ? std::stod(lines[row].substr(end - 11, 11)) : NAN;
    }
    static std::vector<std::string> readoutLines() {
        std::vector<std::string> lines;
        int count = 0;
        GetNumTextBoxLines(panelHandle, PANEL_CURSORS, &count);
        for (int i = 0; i < count; ++i) {
            std::string line;
            GetTextBoxLine(panelHandle, PANEL_CURSORS, i, &line);
            lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(SweepInspection, OnlyAHeldOrStoppedSweepCanBeLookedAtClosely) {
    EXPECT_FALSE(inspecting());
    int dimmed = 0;
    GetCtrlAttribute(panelHandle, PANEL_CURSORS, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 1);
    ResetTextBox(panelHandle, PANEL_LABEL_4, "Spikes");
    const std::string out = holdFirstSweep("get PANEL CURSORS\n");
    // Live, the readout only says how to get there, and the zoom was ignored.
    EXPECT_NE(out.find("PANEL CURSORS = Hold the sweep"), std::string::npos) << out;
    EXPECT_NE(out.find("\nCursor 1   2.500000 s"), std::string::npos) << out;
    EXPECT_TRUE(inspecting());
    EXPECT_EQ(view(), (std::vector<double>{0, 10, -5, 5}));
    GetCtrlAttribute(panelHandle, PANEL_CURSORS, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 0);
    // The columns name the channels by their labels, or as inputs when they have none.
    const std::string heading = readoutLines().at(0);
    EXPECT_NE(heading.find("Spikes"), std::string::npos) << heading;
    EXPECT_NE(heading.find("ai2"), std::string::npos) << heading;
    EXPECT_EQ(heading.find("ai4"), std::string::npos) << heading;
}

TEST_F(SweepInspection, CursorsReadTheSignalInItsUnitWhateverTheGainAndOffset) {
    Scale_factor[2] = 0.001;  // ai2 in millivolts
    std::strcpy(Units[2], "mV");
    holdFirstSweep("cursor PANEL GRAPH 1 0.3\ncursor PANEL GRAPH 2 0.55\n");
    const Settings before = settings();
    EXPECT_DOUBLE_EQ(before.gain, 0.5);
    const auto lines = readoutLines();
    ASSERT_EQ(lines.size(), 4u);
    const double quantum = 20.0 / 65536 * 1000;  // two counts of the ±5 V range, in mV
    EXPECT_NEAR(ai2In(lines, 1), 2000 * std::sin(2 * M_PI * 0.3), quantum);
    EXPECT_NEAR(ai2In(lines, 2), 2000 * std::sin(2 * M_PI * 0.55), quantum);
    EXPECT_NE(lines[1].find(" mV"), std::string::npos) << lines[1];
    EXPECT_NE(lines[3].find("250.0000 ms"), std::string::npos) << lines[3];
    EXPECT_NE(lines[3].find("1/\xCE\x94t = 4 Hz"), std::string::npos) << lines[3];
    EXPECT_NEAR(ai2In(lines, 3), ai2In(lines, 2) - ai2In(lines, 1), 0.11);  // 0.1 mV digits

    // Ticking another channel after the stop rescans the channel set, and a click in the
    // graph sets ai2's offset anew; the readout still names the channels of the sweep it
    // measures and reads them with the offset they were drawn with.
    ui::enterValue(panelHandle, PANEL_CHECK_3, 1);
    const double offsetBefore = Offset[2];
    ui::clickControl(panelHandle, PANEL_GRAPH, 500, 100);
    ProcessSystemEvents();
    EXPECT_NE(Offset[2], offsetBefore);
    ui::placeGraphCursor(panelHandle, PANEL_GRAPH, 2, 0.3);
    ProcessSystemEvents();
    EXPECT_EQ(NumChannels, 4);
    const auto after = readoutLines();
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[0].find("ai3"), std::string::npos) << after[0];
    EXPECT_EQ(ai2In(after, 2), ai2In(lines, 1));
}

TEST_F(SweepInspection, ZoomShowsOneSpikeSampleBySampleWithoutTouchingTheSettings) {
    holdFirstSweep("");
    const Settings before = settings();
    // The held ai4 plots (third of each stretch): the tallest sample is a spike's peak.
    const ui::Graph& g = *ui::Model::instance().control(panelHandle, PANEL_GRAPH)->graph;
    ASSERT_EQ(g.plots.size(), 300u);
    double peakTime = 0, peak = -INFINITY;
    for (std::size_t k = 2; k < g.plots.size(); k += 3)
        for (std::size_t i = 0; i < g.plots[k].y.size(); ++i)
            if (g.plots[k].y[i] > peak)
                peak = g.plots[k].y[i], peakTime = g.plots[k].initialX + i * g.plots[k].xIncrement;
    ASSERT_TRUE(ui::zoomGraph(panelHandle, PANEL_GRAPH, peakTime - 0.002, peakTime + 0.002).done);
    EXPECT_NEAR(view()[1] - view()[0], 0.004, 1e-12);
    // 200 samples in view, one spike among them: samples rise above half its height once.
    int rises = 0, samples = 0;
    bool above = false;
    for (double t = view()[0]; t <= view()[1]; t += 1.0 / 50000) {
        std::vector<double> values;
        GetGraphValuesAt(panelHandle, PANEL_GRAPH, t, &values);
        ASSERT_EQ(values.size(), 3u);
        ++samples;
        rises += !above && values[2] > peak / 2;
        above = values[2] > peak / 2;
    }
    EXPECT_EQ(rises, 1);
    EXPECT_GE(samples, 200);

    // Panning stops at the sweep's ends; the wheel and a drag leave the settings alone.
    for (int drags = 0; drags < 10; ++drags) ui::panGraph(panelHandle, PANEL_GRAPH, 1000000, 0);
    EXPECT_DOUBLE_EQ(view()[0], 0.0);
    EXPECT_NEAR(view()[1], 0.004, 1e-12);
    for (int drags = 0; drags < 10; ++drags) ui::panGraph(panelHandle, PANEL_GRAPH, -1000000, 0);
    EXPECT_DOUBLE_EQ(view()[1], 10.0);
    EXPECT_NEAR(view()[0], 10.0 - 0.004, 1e-12);
    ui::turnWheelOnGraph(panelHandle, PANEL_GRAPH, 300, 200, 3.0, true);
    ui::dragOnGraph(panelHandle, PANEL_GRAPH, 500, 200, 400, 100);
    ProcessSystemEvents();
    EXPECT_EQ(settings(), before);

    // A double-click: its click does not commit an offset while zoomed in, and the whole
    // sweep is back on its own axes.
    ui::clickControl(panelHandle, PANEL_GRAPH, 400, 100);
    ui::restoreGraphView(panelHandle, PANEL_GRAPH);
    ProcessSystemEvents();
    EXPECT_EQ(view(), (std::vector<double>{0, 10, -5, 5}));
    EXPECT_EQ(settings(), before);

    // Refresh also shows the whole sweep.
    ui::zoomGraph(panelHandle, PANEL_GRAPH, 1, 2);
    Refresh(panelHandle, PANEL_REFRESH, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(view(), (std::vector<double>{0, 10, -5, 5}));
}

}  // namespace
