#include "app/acquisition_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <span>

#include "platform/ui/model.h"
#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "tests/app/program_fixture.h"

// The callbacks the resource file names, as the panels call them.
using namespace trelvanix::callbacks;

using namespace trelvanix;
using namespace trelvanix::testing;

namespace {

class AcquisitionSettings : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(startProgram());
        TimerSetHandle = -1;
        TimeHandle = -1;
    }

    static int menuBar() { return GetPanelMenuBar(panelHandle); }
    static void choose(MenuCallbackPtr callback, int item) {
        callback(menuBar(), item, nullptr, panelHandle);
    }
    static bool checked(int item) {
        int value = 0;
        GetMenuBarAttribute(menuBar(), item, ATTR_CHECKED, &value);
        return value != 0;
    }
    static int checkedCount(std::span<const int> items) {
        int count = 0;
        for (int id : items) count += checked(id) ? 1 : 0;
        return count;
    }
    static int attribute(int panel, int control, int which) {
        int value = 0;
        GetCtrlAttribute(panel, control, which, &value);
        return value;
    }
    static double timeAxisMaximum() {
        int mode = 0;
        double min = 0.0, max = 0.0;
        GetAxisScalingMode(panelHandle, PANEL_GRAPH, VAL_XAXIS, &mode, &min, &max);
        return max;
    }
    static void tick(int checkBox, int value) {
        SetCtrlVal(panelHandle, checkBox, value);
        CheckChs(panelHandle, checkBox, EVENT_COMMIT, nullptr, 0, 0);
    }
    static bool visible(int panel) { return ui::Model::instance().panel(panel)->visible; }
};

TEST_F(AcquisitionSettings, ARateFromTheMenuSetsScansAndSampleInterval) {
    choose(Set_SamplingRate, MENUBAR_RATE_KS_2_5);
    EXPECT_EQ(NumScans, 2500);
    EXPECT_DOUBLE_EQ(Ds, 0.0004);
    EXPECT_TRUE(checked(MENUBAR_RATE_KS_2_5));
    EXPECT_EQ(checkedCount(SampRateID), 1);

    choose(Set_SamplingRate, MENUBAR_RATE_KS_0_1);
    EXPECT_EQ(NumScans, 100);
    EXPECT_DOUBLE_EQ(Ds, 0.01);
}

TEST_F(AcquisitionSettings, TheRateAlreadyCheckedStillStopsAcquisition) {
    Acquiring = 1;
    Vanix_Mode = 1;
    SetCtrlVal(panelHandle, PANEL_ACQ_LAMP, 1);
    SetCtrlAttribute(panelHandle, PANEL_RECORD, ATTR_DIMMED, 0);
    choose(Set_SamplingRate, MENUBAR_RATE_KS_4);
    EXPECT_EQ(Acquiring, 0);
    EXPECT_EQ(Vanix_Mode, 0);
    EXPECT_EQ(NumScans, 4000);
    EXPECT_TRUE(checked(MENUBAR_RATE_KS_4));
    EXPECT_EQ(attribute(panelHandle, PANEL_ACQUIRE, ATTR_DIMMED), 0);
    EXPECT_EQ(attribute(panelHandle, PANEL_RECORD, ATTR_DIMMED), 1);
    int lamp = 1;
    GetCtrlVal(panelHandle, PANEL_ACQ_LAMP, &lamp);
    EXPECT_EQ(lamp, 0);
}

TEST_F(AcquisitionSettings, TheRateAlreadyCheckedEndsARecordingInProgress) {
    useScript(
        "press PANEL ACQUIRE\n"
        "wait 0.5\n"
        "press PANEL RECORD\n"
        "wait 1\n"
        "menu MENUBAR_RATE_KS_4\n"
        "wait 0.5\n");
    runFor(10.0);
    ASSERT_EQ(endStatus(), 0);
    EXPECT_EQ(Acquiring, 0);
    EXPECT_EQ(Record, 0);
    EXPECT_EQ(Save_status, 0);
    EXPECT_EQ(Fd, -1);
    EXPECT_EQ(NumScans, 4000);
    int recordDimmed = 0;
    GetCtrlAttribute(panelHandle, PANEL_RECORD, ATTR_DIMMED, &recordDimmed);
    EXPECT_EQ(recordDimmed, 1);
}

TEST_F(AcquisitionSettings, AStretchLengthKeepsTheStretchesAndStretchesTheSweep) {
    Acquiring = 1;
    choose(Set_Dt_Per_Stretch, MENUBAR_STRETCH_S_0_5);
    EXPECT_DOUBLE_EQ(Sec_per_stretch, 0.5);
    EXPECT_EQ(Stretches, 100);
    EXPECT_DOUBLE_EQ(timeAxisMaximum(), 50.0);
    double sweep = 0.0;
    GetCtrlVal(panelHandle, PANEL_SWEEP, &sweep);
    EXPECT_DOUBLE_EQ(sweep, 50.0);
    EXPECT_EQ(Acquiring, 0);
    EXPECT_EQ(checkedCount(MSPerStretchID), 1);
}

TEST_F(AcquisitionSettings, StretchesPerSweepWidenTheSweepWithoutStopping) {
    Acquiring = 1;
    choose(Set_Stretches, MENUBAR_SWEEP_N_20);
    EXPECT_EQ(Stretches, 20);
    EXPECT_DOUBLE_EQ(timeAxisMaximum(), 2.0);
    EXPECT_EQ(Acquiring, 1);
    EXPECT_EQ(checkedCount(StretchID), 1);

    // The item already checked changes nothing, even after the sweep was typed in.
    SetCtrlVal(panelHandle, PANEL_SWEEP, 7.0);
    choose(Set_Stretches, MENUBAR_SWEEP_N_20);
    double sweep = 0.0;
    GetCtrlVal(panelHandle, PANEL_SWEEP, &sweep);
    EXPECT_DOUBLE_EQ(sweep, 7.0);
    Acquiring = 0;
}

TEST_F(AcquisitionSettings, UntickingAChannelMakesTheHighestTickedOneActive) {
    tick(PANEL_CHECK_2, 1);
    tick(PANEL_CHECK_5, 1);
    EXPECT_EQ(NumChannels, 3);
    EXPECT_EQ(Activechannel, 0);  // ticking leaves the active channel alone

    Acquiring = 1;
    GainList[5] = 5.0f;
    tick(PANEL_CHECK_0, 0);
    EXPECT_EQ(Acquiring, 0);
    EXPECT_EQ(Activechannel, 5);
    EXPECT_EQ(NumChannels, 2);
    EXPECT_EQ(Old_NumChannels, 2);
    EXPECT_EQ(ChannelList[0], 2);
    EXPECT_EQ(ChannelList[1], 5);
    EXPECT_EQ(attribute(panelHandle, PANEL_CHECK_5, ATTR_LABEL_COLOR), Colors[5]);
    float gain = 0.0f;
    GetCtrlVal(panelHandle, PANEL_BOARD_GAIN_DISPLAY, &gain);
    EXPECT_FLOAT_EQ(gain, 5.0f);
}

TEST_F(AcquisitionSettings, TheAlarmFiresOnceAndIsNotArmedWhileIdle) {
    choose(SetTimer, MENUBAR_OPTIONS_ALARM);
    ASSERT_GT(TimerSetHandle, 0);
    ASSERT_GT(TimeHandle, 0);
    EXPECT_TRUE(visible(TimerSetHandle));

    SetCtrlVal(TimerSetHandle, TIMESET_INTERVAL, 5.0);
    OkTimeSet(TimerSetHandle, TIMESET_OK, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(attribute(panelHandle, PANEL_ALARM, ATTR_ENABLED), 0);
    runFor(10.0);
    EXPECT_FALSE(visible(TimeHandle));

    Acquiring = 1;
    OkTimeSet(TimerSetHandle, TIMESET_OK, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(attribute(panelHandle, PANEL_ALARM, ATTR_ENABLED), 1);
    EXPECT_TRUE(visible(TimerSetHandle));  // the setting panel stays up
    runFor(4.0);
    EXPECT_FALSE(visible(TimeHandle));
    runFor(2.0);
    EXPECT_TRUE(visible(TimeHandle));
    EXPECT_EQ(attribute(panelHandle, PANEL_ALARM, ATTR_ENABLED), 0);

    HideTimeUp(TimeHandle, TIMEUP_CLOSE, EVENT_COMMIT, nullptr, 0, 0);
    runFor(20.0);
    EXPECT_FALSE(visible(TimeHandle));
    Acquiring = 0;
}

TEST_F(AcquisitionSettings, TheDirectoryChosenBecomesCurrent) {
    const std::filesystem::path chosen = folder / "run 2";
    std::filesystem::create_directories(chosen);
    useScript("answer dir \"" + chosen.string() + "\"\nanswer dir cancel\n");
    choose(SetDirectory, MENUBAR_OPTIONS_DIRECTORY);
    EXPECT_EQ(std::filesystem::current_path(), chosen);
    choose(SetDirectory, MENUBAR_OPTIONS_DIRECTORY);
    EXPECT_EQ(std::filesystem::current_path(), chosen);
}

}  // namespace
