#include "app/display_controls.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/ui/model.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "tests/app/program_fixture.h"

// The callbacks the resource file names, as the panels call them.
using namespace trelvanix::callbacks;

using namespace trelvanix;
using namespace trelvanix::testing;

namespace {

constexpr int kNoData = 0;

class DisplayControls : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(startProgram());
        MoveSig = 0;
    }
    void TearDown() override {
        MoveSig = 0;
        ProgramTest::TearDown();
    }

    static void commit(CtrlCallbackPtr callback, int control) {
        callback(panelHandle, control, EVENT_COMMIT, nullptr, kNoData, kNoData);
    }
    static void leftClick(CtrlCallbackPtr callback, int control) {
        callback(panelHandle, control, EVENT_LEFT_CLICK, nullptr, kNoData, kNoData);
    }
    static double graphAttribute(int attribute) {
        double value = 0.0;
        GetCtrlAttribute(panelHandle, PANEL_GRAPH, attribute, &value);
        return value;
    }
    static std::string labelOf(int control) {
        std::string label;
        GetCtrlAttribute(panelHandle, control, ATTR_LABEL_TEXT, &label);
        return label;
    }
    static double number(int control) {
        double value = 0.0;
        GetCtrlVal(panelHandle, control, &value);
        return value;
    }
    static double timeAxisMaximum() {
        int mode = 0;
        double min = 0.0, max = 0.0;
        GetAxisScalingMode(panelHandle, PANEL_GRAPH, VAL_XAXIS, &mode, &min, &max);
        return max;
    }
    static bool checked(int item) {
        int value = 0;
        GetMenuBarAttribute(GetPanelMenuBar(panelHandle), item, ATTR_CHECKED, &value);
        return value != 0;
    }
    static int checkedStretchItems() {
        int count = 0;
        for (int id : StretchID) count += checked(id) ? 1 : 0;
        return count;
    }
    // A click in the sweep graph at `y` pixels from the top of its plot area.
    static void clickGraphAt(int y) {
        int plotTop = 0;
        GetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_PLOT_AREA_TOP, &plotTop);
        ui::Control* graph = ui::Model::instance().control(panelHandle, PANEL_GRAPH);
        graph->mouseX = 300;
        graph->mouseY = plotTop + y;
        commit(GetPositions, PANEL_GRAPH);
    }
};

TEST_F(DisplayControls, OffsetIsAPercentageOfHalfTheAxisTimesTheGain) {
    SetCtrlVal(panelHandle, PANEL_GAIN, 1.0);
    SetCtrlVal(panelHandle, PANEL_OFFSET, 50.0);
    commit(SetGO0, PANEL_OFFSET);
    EXPECT_DOUBLE_EQ(Offset[0], 2.5);
    EXPECT_DOUBLE_EQ(Gain_Factor[0], 1.0);
    EXPECT_DOUBLE_EQ(graphAttribute(ATTR_YAXIS_OFFSET), -2.5);

    // In a unit of 10 mV the axis labels count units, not volts.
    Scale_factor[0] = 0.01;
    SetCtrlVal(panelHandle, PANEL_GAIN, 2.0);
    SetCtrlVal(panelHandle, PANEL_OFFSET, -25.0);
    commit(SetGO0, PANEL_GAIN);
    EXPECT_DOUBLE_EQ(Offset[0], -2.5);
    EXPECT_DOUBLE_EQ(graphAttribute(ATTR_YAXIS_GAIN), 200.0);
    EXPECT_DOUBLE_EQ(graphAttribute(ATTR_YAXIS_OFFSET), 250.0);
}

TEST_F(DisplayControls, AClickInTheGraphSetsTheOffsetFromItsHeight) {
    Gain_Factor[0] = 2.0;
    Offset[0] = 1.0;
    clickGraphAt(GraphHeight / 2);
    EXPECT_DOUBLE_EQ(Offset[0], 0.0);
    EXPECT_DOUBLE_EQ(number(PANEL_OFFSET), 0.0);

    // The top of the plot area is 5 display units above the middle.
    clickGraphAt(0);
    EXPECT_NEAR(Offset[0], 10.0, 0.05);
    EXPECT_NEAR(number(PANEL_OFFSET), 100.0, 0.5);
    EXPECT_NEAR(graphAttribute(ATTR_YAXIS_OFFSET), -10.0, 0.05);
}

TEST_F(DisplayControls, MoveSignalPutsTheLatestPointOnTheClickedHeight) {
    Acquiring = 1;
    NumChannels = 1;
    BufferSize = 4;
    Scaled_Waveforms[0] = new double[4]{0.0, 0.5, 1.0, 1.5};  // last shown at y = 1.5
    Gain_Factor[0] = 2.0;
    Offset[0] = 1.0;  // so the latest sample is 1.5 * 2 - 1 = 2 V
    MoveSignal(GetPanelMenuBar(panelHandle), MENUBAR_OPTIONS_MOVE_SIGNAL, nullptr, panelHandle);
    ASSERT_EQ(MoveSig, 1);
    EXPECT_TRUE(checked(MENUBAR_OPTIONS_MOVE_SIGNAL));

    clickGraphAt(GraphHeight / 2);
    EXPECT_DOUBLE_EQ(Offset[0], -2.0);
    EXPECT_DOUBLE_EQ((2.0 + Offset[0]) / Gain_Factor[0], 0.0);

    // Stopped, there is no latest point: the click sets the zero level again.
    Acquiring = 0;
    clickGraphAt(GraphHeight / 2);
    EXPECT_DOUBLE_EQ(Offset[0], 0.0);

    MoveSignal(GetPanelMenuBar(panelHandle), MENUBAR_OPTIONS_MOVE_SIGNAL, nullptr, panelHandle);
    EXPECT_EQ(MoveSig, 0);
    EXPECT_FALSE(checked(MENUBAR_OPTIONS_MOVE_SIGNAL));
}

TEST_F(DisplayControls, ForwardThenBackwardRestoresTheSweep) {
    ASSERT_DOUBLE_EQ(timeAxisMaximum(), 10.0);
    leftClick(forward, PANEL_FORWARD);
    EXPECT_DOUBLE_EQ(number(PANEL_SWEEP), 5.0);
    EXPECT_DOUBLE_EQ(timeAxisMaximum(), 5.0);
    EXPECT_EQ(Stretches, 50);
    EXPECT_TRUE(checked(MENUBAR_SWEEP_N_50));
    EXPECT_FALSE(checked(MENUBAR_SWEEP_N_100));

    leftClick(backward, PANEL_BACKWARD);
    EXPECT_DOUBLE_EQ(number(PANEL_SWEEP), 10.0);
    EXPECT_EQ(Stretches, 100);
    EXPECT_TRUE(checked(MENUBAR_SWEEP_N_100));
    EXPECT_EQ(checkedStretchItems(), 1);

    // Only a left click moves the sweep.
    EXPECT_EQ(forward(panelHandle, PANEL_FORWARD, EVENT_COMMIT, nullptr, 0, 0), -1);
    EXPECT_DOUBLE_EQ(number(PANEL_SWEEP), 10.0);
}

TEST_F(DisplayControls, ASweepLengthOffTheMenuTruncatesAndChecksNoItem) {
    SetCtrlVal(panelHandle, PANEL_SWEEP, 2.55);
    commit(SetTime, PANEL_SWEEP);
    EXPECT_EQ(Stretches, 25);
    EXPECT_DOUBLE_EQ(timeAxisMaximum(), 2.55);
    EXPECT_EQ(checkedStretchItems(), 0);

    SetCtrlVal(panelHandle, PANEL_SWEEP, 4.0);
    commit(SetTime, PANEL_SWEEP);
    EXPECT_EQ(Stretches, 40);
    EXPECT_TRUE(checked(MENUBAR_SWEEP_N_40));

    // A whole multiple whose quotient falls just short of a whole number in floating point.
    SetCtrlVal(panelHandle, PANEL_SWEEP, 0.7);
    commit(SetTime, PANEL_SWEEP);
    EXPECT_EQ(Stretches, 7);

    // Shorter than one stretch: the sweep still holds the stretch being drawn.
    SetCtrlVal(panelHandle, PANEL_SWEEP, 0.05);
    commit(SetTime, PANEL_SWEEP);
    EXPECT_EQ(Stretches, 1);
    EXPECT_TRUE(checked(MENUBAR_SWEEP_N_1));
}

TEST_F(DisplayControls, ClickingALabelBoxActivatesOnlyAnAcquiredChannel) {
    Units[3][0] = 'A';
    Units[3][1] = '\0';
    GainList[3] = 0.5f;
    AILimitsIndex[3] = 0;
    Gain_Factor[3] = 4.0;
    leftClick(ActiveChannel, PANEL_LABEL_3);
    EXPECT_EQ(Activechannel, 0);  // ai3 is not ticked

    SetCtrlVal(panelHandle, PANEL_CHECK_3, 1);
    leftClick(ActiveChannel, PANEL_LABEL_3);
    EXPECT_EQ(Activechannel, 3);
    EXPECT_EQ(textOf(panelHandle, PANEL_UNIT), "A");
    EXPECT_DOUBLE_EQ(number(PANEL_GAIN), 4.0);
    EXPECT_DOUBLE_EQ(number(PANEL_BOARD_GAIN_DISPLAY), 0.5);
    int index = -1, color = 0;
    GetCtrlIndex(panelHandle, PANEL_BOARD_GAIN, &index);
    EXPECT_EQ(index, 0);
    GetCtrlAttribute(panelHandle, PANEL_CHECK_3, ATTR_LABEL_COLOR, &color);
    EXPECT_EQ(color, Colors[3]);
    GetCtrlAttribute(panelHandle, PANEL_GAIN, ATTR_TEXT_COLOR, &color);
    EXPECT_EQ(color, Colors[3]);
    GetCtrlVal(panelHandle, PANEL_COLOR, &color);
    EXPECT_EQ(color, Colors[3]);
}

TEST_F(DisplayControls, ColourAndBoardGainGoToTheActiveChannel) {
    SetCtrlVal(panelHandle, PANEL_COLOR, 0x123456);
    commit(SetChColor, PANEL_COLOR);
    EXPECT_EQ(Colors[0], 0x123456);
    int color = 0;
    GetCtrlAttribute(panelHandle, PANEL_YDIVS, ATTR_LABEL_COLOR, &color);
    EXPECT_EQ(color, 0x123456);

    // The default board lists ±10, ±5, ±1, ±0.2 V: gains 0.5, 1, 5, 25.
    SetCtrlIndex(panelHandle, PANEL_BOARD_GAIN, 2);
    commit(Board_gain, PANEL_BOARD_GAIN);
    EXPECT_EQ(AILimitsIndex[0], 2);
    EXPECT_FLOAT_EQ(GainList[0], 5.0f);
    EXPECT_FLOAT_EQ(GainList[1], 1.0f);
}

TEST_F(DisplayControls, HoldFreezesASweepAndLeavingItStartsAFreshOne) {
    SetCtrlVal(panelHandle, PANEL_TIME, "");
    Count = 17;
    Hold_status = 1;
    commit(pause, PANEL_HOLD);
    EXPECT_EQ(Vanix_Mode, 1);
    EXPECT_EQ(Hold_status, 0);
    EXPECT_EQ(textOf(panelHandle, PANEL_TIME).size(), 8u);  // HH:MM:SS
    // The button and the time display say that the sweep is held, and since when.
    EXPECT_EQ(labelOf(PANEL_HOLD), "Resume live");
    EXPECT_EQ(labelOf(PANEL_TIME), "Held at");

    const double y[3] = {1, 2, 3};
    PlotWaveform(panelHandle, PANEL_GRAPH, y, 3, 1.0, 0.0, 0.0, 1.0, VAL_RED);
    commit(pause, PANEL_HOLD);
    EXPECT_EQ(Vanix_Mode, 0);
    EXPECT_EQ(Count, -1);
    EXPECT_EQ(labelOf(PANEL_HOLD), "Hold");
    EXPECT_EQ(labelOf(PANEL_TIME), "Started at");
    EXPECT_EQ(textOf(panelHandle, PANEL_TIME), "");  // the start shown before the hold
    int plots = -1;
    GetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_NUM_PLOTS, &plots);
    EXPECT_EQ(plots, 0);

    Count = 12;
    commit(Refresh, PANEL_REFRESH);
    EXPECT_EQ(Count, -1);
}

}  // namespace
