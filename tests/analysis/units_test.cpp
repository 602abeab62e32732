#include "analysis/units.h"

#include <gtest/gtest.h>

#include <cstring>
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

class UnitsPanel : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(startProgram());
        Show_units(GetPanelMenuBar(panelHandle), MENUBAR_OPTIONS_UNITS, nullptr, panelHandle);
        ASSERT_GT(UnitsHandle, 0);
    }

    static void enter(const char* prefix, const char* base, double scale) {
        SetCtrlVal(UnitsHandle, UNITS_PREFIX, prefix);
        SetCtrlVal(UnitsHandle, UNITS_BASE, base);
        SetCtrlVal(UnitsHandle, UNITS_SCALE, scale);
    }
    static void press(CtrlCallbackPtr button, int control) {
        button(UnitsHandle, control, EVENT_COMMIT, nullptr, 0, 0);
    }
    static void selectChannel(int ch) {
        SetCtrlVal(UnitsHandle, UNITS_CHANNEL, ch);
        Update_channel(UnitsHandle, UNITS_CHANNEL, EVENT_VAL_CHANGED, nullptr, 0, 0);
    }
    static std::string text(int control) { return textOf(UnitsHandle, control); }
    static bool panelVisible() { return ui::Model::instance().panel(UnitsHandle)->visible; }
    static double graphAttribute(int attribute) {
        double value = 0.0;
        GetCtrlAttribute(panelHandle, PANEL_GRAPH, attribute, &value);
        return value;
    }
    // What the operator was told while `action` ran.
    template <typename Action>
    static std::string popupsOf(Action action) {
        ::testing::internal::CaptureStdout();
        action();
        return ::testing::internal::GetCapturedStdout();
    }
};

TEST_F(UnitsPanel, APrefixedUnitRoundTripsThroughThePanel) {
    EXPECT_TRUE(panelVisible());
    EXPECT_EQ(text(UNITS_PREFIX), "N");
    EXPECT_EQ(text(UNITS_BASE), "V");
    EXPECT_EQ(text(UNITS_SCALE_LABEL), "Scale factor ( V/V):");

    enter("m", "V", 0.001);
    press(Apply, UNITS_APPLY);
    EXPECT_STREQ(Units[0], "mV");
    EXPECT_DOUBLE_EQ(Scale_factor[0], 0.001);
    EXPECT_EQ(text(UNITS_SCALE_LABEL), "Scale factor ( V/mV):");

    selectChannel(1);
    EXPECT_EQ(text(UNITS_BASE), "V");
    selectChannel(0);
    EXPECT_EQ(text(UNITS_PREFIX), "m");
    EXPECT_EQ(text(UNITS_BASE), "V");
    EXPECT_EQ(text(UNITS_SCALE_LABEL), "Scale factor ( V/mV):");
}

TEST_F(UnitsPanel, ClosingTheWindowAppliesAndHidesAsTheCloseButtonDoes) {
    enter("m", "V", 0.001);
    UnitsWindowClose(UnitsHandle, EVENT_CLOSE, nullptr, 0, 0);
    EXPECT_STREQ(Units[0], "mV");
    EXPECT_FALSE(panelVisible());
}

TEST_F(UnitsPanel, ATwoLetterUnitWithoutPrefixComesBackSplitWhenItStartsWithAPrefix) {
    selectChannel(2);
    enter("N", "pA", 0.01);
    press(CloseUnits, UNITS_CLOSE);
    EXPECT_STREQ(Units[2], "pA");
    EXPECT_FALSE(panelVisible());

    Show_units(GetPanelMenuBar(panelHandle), MENUBAR_OPTIONS_UNITS, nullptr, panelHandle);
    EXPECT_EQ(text(UNITS_PREFIX), "p");
    EXPECT_EQ(text(UNITS_BASE), "A");

    // A unit whose first letter is no prefix is shown whole, so applying it keeps it.
    enter("N", "Hz", 1.0);
    press(Apply, UNITS_APPLY);
    selectChannel(0);
    selectChannel(2);
    EXPECT_EQ(text(UNITS_PREFIX), "N");
    EXPECT_EQ(text(UNITS_BASE), "Hz");
    press(Apply, UNITS_APPLY);
    EXPECT_STREQ(Units[2], "Hz");
}

TEST_F(UnitsPanel, TheActiveChannelsAxisFollowsItsScaleFactor) {
    Gain_Factor[0] = 0.5;
    Offset[0] = 0.25;
    enter("N", "A", 0.1);
    press(Apply, UNITS_APPLY);
    EXPECT_DOUBLE_EQ(graphAttribute(ATTR_YAXIS_GAIN), 5.0);
    EXPECT_DOUBLE_EQ(graphAttribute(ATTR_YAXIS_OFFSET), -2.5);
    double gain = 0.0, offset = 0.0;
    GetCtrlVal(panelHandle, PANEL_GAIN, &gain);
    GetCtrlVal(panelHandle, PANEL_OFFSET, &offset);
    EXPECT_DOUBLE_EQ(gain, 0.5);
    EXPECT_DOUBLE_EQ(offset, 10.0);  // 0.25 V of the 2.5 V half span at gain 0.5
    EXPECT_EQ(textOf(panelHandle, PANEL_UNIT), "A");
}

TEST_F(UnitsPanel, AnotherChannelChangesOnlyItsStoredSettings) {
    selectChannel(3);
    enter("m", "V", 0.001);
    press(Apply, UNITS_APPLY);
    EXPECT_STREQ(Units[3], "mV");
    EXPECT_STREQ(Units[0], "V");
    EXPECT_NE(textOf(panelHandle, PANEL_UNIT), "mV");
    EXPECT_DOUBLE_EQ(graphAttribute(ATTR_YAXIS_GAIN), 1.0);
}

TEST_F(UnitsPanel, TheLabelFollowsTheEditWithoutStoringIt) {
    SetCtrlVal(UnitsHandle, UNITS_BASE, "A");
    Text_Units(UnitsHandle, UNITS_BASE, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(text(UNITS_SCALE_LABEL), "Scale factor ( V/V):");  // value changes only
    Text_Units(UnitsHandle, UNITS_BASE, EVENT_VAL_CHANGED, nullptr, 0, 0);
    EXPECT_EQ(text(UNITS_SCALE_LABEL), "Scale factor ( V/A):");
    SetCtrlVal(UnitsHandle, UNITS_PREFIX, "n");
    text_units(UnitsHandle, UNITS_PREFIX, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(text(UNITS_SCALE_LABEL), "Scale factor ( V/nA):");
    EXPECT_STREQ(Units[0], "V");
}

TEST_F(UnitsPanel, AUnitTooLongOrAScaleFactorOfZeroIsRefusedAndNothingStored) {
    SetCtrlVal(UnitsHandle, UNITS_FILTER, 1);
    enter("m", "Hz", 0.5);
    std::string shown = popupsOf([] { press(CloseUnits, UNITS_CLOSE); });
    EXPECT_EQ(shown.rfind("popup \"Error!\" \"A unit is one or two characters", 0), 0u) << shown;
    EXPECT_STREQ(Units[0], "V");
    EXPECT_DOUBLE_EQ(Scale_factor[0], 1.0);
    EXPECT_EQ(Filter_type[0], 0);  // the filter edits wait for a unit that fits
    EXPECT_TRUE(panelVisible());

    for (const char* base : {"", "m V"}) {
        enter("N", base, 1.0);
        shown = popupsOf([] { press(Apply, UNITS_APPLY); });
        EXPECT_NE(shown.find("\"Error!\""), std::string::npos) << base;
        EXPECT_STREQ(Units[0], "V");
    }

    enter("m", "V", 0.0);
    shown = popupsOf([] { press(Apply, UNITS_APPLY); });
    EXPECT_EQ(shown, "popup \"Error!\" \"The scale factor cannot be 0. Nothing was stored.\"\n");
    EXPECT_STREQ(Units[0], "V");
    EXPECT_DOUBLE_EQ(Scale_factor[0], 1.0);
    EXPECT_DOUBLE_EQ(graphAttribute(ATTR_YAXIS_GAIN), 1.0);
}

}  // namespace
