#include <gtest/gtest.h>

#include <filesystem>

#include "daq/device_init.h"
#include "platform/driver/fault_injection.h"
#include "platform/ui/model.h"
#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "tests/app/program_fixture.h"

using namespace trelvanix;
using namespace trelvanix::testing;

namespace {

std::string itemLabel(int index) {
    std::string label;
    GetLabelFromIndex(panelHandle, PANEL_BOARD_GAIN, index, &label);
    return label;
}

int itemCount() {
    int count = -1;
    GetNumListItems(panelHandle, PANEL_BOARD_GAIN, &count);
    return count;
}

}  // namespace

class Startup : public ProgramTest {};

TEST_F(Startup, BoardGainListOffersTheBipolarRangesAndSelectsFiveVolts) {
    ASSERT_TRUE(startProgram());
    ASSERT_EQ(itemCount(), 4);
    EXPECT_EQ(itemLabel(0), "Do Not Use, Gain = 0.50");
    EXPECT_EQ(itemLabel(1), "-5.00 V to 5.00 V, Gain=1.00");
    EXPECT_EQ(itemLabel(2), "-1.00 V to 1.00 V, Gain=5.00");
    EXPECT_EQ(itemLabel(3), "-0.20 V to 0.20 V, Gain=25.00");
    int selected = -1;
    GetCtrlIndex(panelHandle, PANEL_BOARD_GAIN, &selected);
    EXPECT_EQ(selected, 1);
    for (int ch = 0; ch < 8; ++ch) {
        EXPECT_EQ(AILimitsIndex[ch], 1);
        EXPECT_FLOAT_EQ(GainList[ch], 1.0f);
    }
    EXPECT_EQ(AIVRngBipolarOffset, 0);
    EXPECT_EQ(FourierHandle, -1);
    EXPECT_GT(GraphHeight, 0);

    double version = 0;
    GetCtrlVal(panelHandle, PANEL_VERSION, &version);
    EXPECT_DOUBLE_EQ(version, 8.07);
    int visible = 1;
    GetCtrlAttribute(panelHandle, PANEL_BOARD_GAIN_DISPLAY, ATTR_VISIBLE, &visible);
    EXPECT_EQ(visible, 0);
    EXPECT_EQ(textOf(panelHandle, PANEL_DATE), "2026-01-01");
    EXPECT_GT(InjectHandle, 0);
}

TEST_F(Startup, UnipolarRangesComeBeforeTheListAndAreCounted) {
    installBoard("ranges 0 10 0 5 -10 10 -2 2 -1 1\n");
    ASSERT_TRUE(startProgram());
    EXPECT_EQ(AIVRngBipolarOffset, 2);
    ASSERT_EQ(itemCount(), 3);
    EXPECT_EQ(itemLabel(0), "Do Not Use, Gain = 0.50");
    EXPECT_EQ(itemLabel(1), "Do Not Use, Gain = 2.50");  // doubled gain 5: odd
    // No -5 V range: the first bipolar range is the default, with its own gain.
    int selected = -1;
    GetCtrlIndex(panelHandle, PANEL_BOARD_GAIN, &selected);
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(AILimitsIndex[7], 0);
    EXPECT_FLOAT_EQ(GainList[3], 0.5f);
}

TEST_F(Startup, AFailingRangeQueryIsReportedAndTheProgramGoesOn) {
    driver::injectDriverFault("DAQmxGetDevAIVoltageRngs", 1, -200220);
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(startProgram());
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("DAQmxGetDevAIVoltageRngs"), std::string::npos) << err;
    EXPECT_EQ(itemCount(), 0);
    EXPECT_EQ(AILimitsIndex[0], 0);
    int visible = 0;
    GetPanelAttribute(panelHandle, ATTR_VISIBLE, &visible);
    EXPECT_EQ(visible, 1);
}

TEST_F(Startup, MissingDataFolderAnsweredYesMovesToTheChosenFolder) {
    DataFolder() = (folder / "absent").string();
    std::filesystem::create_directories(folder / "chosen");
    useScript("answer confirm yes\nanswer dir " + (folder / "chosen").string() + "\n");
    ASSERT_TRUE(startProgram());
    std::string current;
    GetDir(&current);
    EXPECT_EQ(std::filesystem::path(current), folder / "chosen");
    EXPECT_FALSE(endStatus());
}

TEST_F(Startup, MissingDataFolderAnsweredNoLeavesTheDirectory) {
    DataFolder() = (folder / "absent").string();
    useScript("answer confirm no\n");
    ASSERT_TRUE(startProgram());
    EXPECT_EQ(std::filesystem::current_path(), folder);
    EXPECT_FALSE(endStatus());
}

TEST_F(Startup, ExistingDataFolderBecomesCurrentWithoutAQuestion) {
    std::filesystem::create_directories(folder / "data");
    DataFolder() = (folder / "data").string();
    ASSERT_TRUE(startProgram());  // an unexpected question would end the run
    EXPECT_FALSE(endStatus());
    EXPECT_EQ(std::filesystem::current_path(), folder / "data");
}

class SaveItem : public ProgramTest {
  protected:
    void choose() {
        ui::Model::instance().post(
            ui::Event{ui::Event::Target::Menu, panelHandle, MENUBAR_FILE_SAVE, EVENT_MENU, 0, 0});
        ProcessSystemEvents();
    }
    int checked() {
        int on = -1;
        GetMenuBarAttribute(GetPanelMenuBar(panelHandle), MENUBAR_FILE_SAVE, ATTR_CHECKED, &on);
        return on;
    }
};

TEST_F(SaveItem, CheckingShowsTheIntervalDialogWithTheCurrentIntervals) {
    ASSERT_TRUE(startProgram());
    Saving_interval = 30.0;
    Skip_interval = 5.0;
    choose();
    EXPECT_EQ(checked(), 1);
    EXPECT_EQ(FirstTime, 1);
    ASSERT_GT(IntervalpanelHandle, 0);
    double saving = 0, pause = 0;
    GetCtrlVal(IntervalpanelHandle, INTERVAL_SAVING, &saving);
    GetCtrlVal(IntervalpanelHandle, INTERVAL_PAUSE, &pause);
    EXPECT_DOUBLE_EQ(saving, 30.0);
    EXPECT_DOUBLE_EQ(pause, 5.0);
    int dimmed = 0, visible = 0;
    GetCtrlAttribute(panelHandle, PANEL_RECORD, ATTR_DIMMED, &dimmed);
    GetPanelAttribute(IntervalpanelHandle, ATTR_VISIBLE, &visible);
    EXPECT_EQ(dimmed, 1);
    EXPECT_EQ(visible, 1);
}

TEST_F(SaveItem, UncheckingClosesTheOpenFileAndStartsAfresh) {
    ASSERT_TRUE(startProgram());
    choose();
    Save_status = 1;
    Real_time = 12.5;
    FirstTime = 0;
    Fd = OpenFile("open.vnx", VAL_READ_WRITE, VAL_TRUNCATE, VAL_BINARY);
    ASSERT_GT(Fd, 0);
    const int handle = Fd;
    choose();
    EXPECT_EQ(checked(), 0);
    EXPECT_EQ(Save_status, 0);
    EXPECT_EQ(Real_time, 0.0);
    EXPECT_EQ(Fd, -1);
    EXPECT_EQ(FirstTime, 1);
    EXPECT_LT(WriteFile(handle, "x", 1), 0);  // the handle was closed
    int lamp = 1;
    GetCtrlVal(panelHandle, PANEL_SAVE_LAMP, &lamp);
    EXPECT_EQ(lamp, 0);
}
