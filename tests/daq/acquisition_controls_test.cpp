// The channel scan, the save-interval dialog, the record-time control, and the interval-saving
// bookkeeping the loop does with their values.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "daq/acquisition.h"
#include "platform/ui/toolkit.h"
#include "recording/vnx_reader.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "tests/daq/acquisition_fixture.h"

// The callbacks the resource file names, as the panels call them.
using namespace trelvanix::callbacks;

using namespace trelvanix::testing;

namespace {

void tick(int channel, int ticked) {
    SetCtrlVal(panelHandle, CheckID[channel], ticked);
}

TEST_F(AcquisitionTest, TheChannelScanListsTheTickedChannelsInOrder) {
    startProgram();
    tick(7, 1);
    tick(2, 1);
    tick(5, 1);
    GetNumChs();

    EXPECT_EQ(NumChannels, 4);
    EXPECT_EQ(Old_NumChannels, 1);
    const short expected[8] = {0, 2, 5, 7, -1, -1, -1, -1};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(ChannelList[i], expected[i]) << i;
    for (int ch = 0; ch < 8; ++ch) {
        const bool acquired = ch == 0 || ch == 2 || ch == 5 || ch == 7;
        EXPECT_EQ(dimmed(ChanID[ch]), !acquired) << ch;
    }
    EXPECT_FALSE(dimmed(PANEL_BOARD_GAIN_DISPLAY));
    EXPECT_TRUE(dimmed(PANEL_RECORD));

    // Fewer channels later: the list is cut back and padded again.
    tick(0, 0);
    tick(5, 0);
    GetNumChs();
    EXPECT_EQ(NumChannels, 2);
    EXPECT_EQ(Old_NumChannels, 4);
    EXPECT_EQ(ChannelList[0], 2);
    EXPECT_EQ(ChannelList[1], 7);
    EXPECT_EQ(ChannelList[2], -1);
}

TEST_F(AcquisitionTest, WithNoChannelTickedChannel0IsAcquired) {
    startProgram();
    tick(3, 1);
    GetNumChs();
    Activechannel = 3;
    tick(0, 0);
    tick(3, 0);
    GetNumChs();

    EXPECT_EQ(NumChannels, 1);
    EXPECT_EQ(ChannelList[0], 0);
    EXPECT_EQ(ChannelList[1], -1);
    EXPECT_EQ(Activechannel, 0);
    int ticked = 0;
    GetCtrlVal(panelHandle, CheckID[0], &ticked);
    EXPECT_EQ(ticked, 1);
    EXPECT_FALSE(dimmed(ChanID[0]));
    EXPECT_TRUE(dimmed(ChanID[3]));

    acquireDuring("wait 0.35\npress PANEL STOP\n");
    ASSERT_EQ(graph().plots.size(), 3u);
    EXPECT_EQ(graph().plots[0].color, Colors[0]);
}

void openSaveDialog() {
    Save(GetPanelMenuBar(panelHandle), MENUBAR_FILE_SAVE, nullptr, panelHandle);
    ASSERT_GT(IntervalpanelHandle, 0);
}

bool visible(int panel) {
    int shown = 0;
    GetPanelAttribute(panel, ATTR_VISIBLE, &shown);
    return shown != 0;
}

TEST_F(AcquisitionTest, TheSaveIntervalDialogOkStartsIntervalSaving) {
    startProgram();
    openSaveDialog();
    SetCtrlVal(IntervalpanelHandle, INTERVAL_SAVING, 5.0);
    SetCtrlVal(IntervalpanelHandle, INTERVAL_PAUSE, 2.5);
    Skipping = 1;
    ok_click(IntervalpanelHandle, INTERVAL_OK, EVENT_VAL_CHANGED, nullptr, 0, 0);
    EXPECT_EQ(Save_status, 0) << "only a commit acts";

    ok_click(IntervalpanelHandle, INTERVAL_OK, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_DOUBLE_EQ(Saving_interval, 5.0);
    EXPECT_DOUBLE_EQ(Skip_interval, 2.5);
    EXPECT_EQ(Save_status, 1);
    EXPECT_EQ(Skipping, 0);
    int lamp = 0;
    GetCtrlVal(panelHandle, PANEL_SAVE_LAMP, &lamp);
    EXPECT_EQ(lamp, 1);
    EXPECT_FALSE(visible(IntervalpanelHandle));
}

TEST_F(AcquisitionTest, TheSaveIntervalDialogCancelUnchecksSave) {
    startProgram();
    openSaveDialog();
    const int menuBar = GetPanelMenuBar(panelHandle);
    int checked = 0;
    GetMenuBarAttribute(menuBar, MENUBAR_FILE_SAVE, ATTR_CHECKED, &checked);
    ASSERT_EQ(checked, 1);
    ASSERT_TRUE(dimmed(PANEL_RECORD));

    Cancel(IntervalpanelHandle, INTERVAL_CANCEL, EVENT_COMMIT, nullptr, 0, 0);
    GetMenuBarAttribute(menuBar, MENUBAR_FILE_SAVE, ATTR_CHECKED, &checked);
    EXPECT_EQ(checked, 0);
    EXPECT_FALSE(dimmed(PANEL_RECORD));
    EXPECT_EQ(Save_status, 0);
    EXPECT_FALSE(visible(IntervalpanelHandle));
}

TEST_F(AcquisitionTest, TheRecordTimeControlSetsTheRecordingLength) {
    startProgram();
    SetCtrlVal(panelHandle, PANEL_RECORD_TIME, 12.5);
    SetSaveTime(panelHandle, PANEL_RECORD_TIME, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_DOUBLE_EQ(SaveTime, 12.5);
}

// Skipping as the operator's presses find it.
std::vector<int> skippingSeen;
int sampleSkipping(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) skippingSeen.push_back(Skipping);
    return 0;
}

int dataFiles(const std::filesystem::path& folder) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files += entry.path().extension() == ".vnx";
    return files;
}

// Saving periods of 1 s alternate with pauses of 1 s, counted in stretches; each period goes
// to files of its own.
TEST_F(AcquisitionTest, IntervalSavingAlternatesSavingPeriodsAndPauses) {
    startProgram();
    Save_status = 1;
    Saving_interval = 1.0;
    Skip_interval = 1.0;
    skippingSeen.clear();
    onCommit(PANEL_REFRESH, sampleSkipping);
    acquireDuring(
        "wait 0.5\npress PANEL REFRESH\nwait 1.1\npress PANEL REFRESH\n"
        "wait 1.2\npress PANEL REFRESH\npress PANEL STOP\n");
    EXPECT_EQ(skippingSeen, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(dataFiles(folder), 2);
}

TEST_F(AcquisitionTest, AZeroPauseStartsTheNextSavingPeriodAtOnce) {
    startProgram();
    Save_status = 1;
    Saving_interval = 1.0;
    Skip_interval = 0.0;
    skippingSeen.clear();
    onCommit(PANEL_REFRESH, sampleSkipping);
    acquireDuring(
        "wait 1.05\npress PANEL REFRESH\nwait 0.1\npress PANEL REFRESH\nwait 0.1\n"
        "press PANEL REFRESH\nwait 1\npress PANEL STOP\n");
    EXPECT_EQ(skippingSeen, (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(dataFiles(folder), 3);
}

TEST_F(AcquisitionTest, ATimedRecordingIsNotCutIntoSavingPeriods) {
    startProgram();
    Save_status = 1;
    Record = 1;
    SaveTime = 5.0;
    Saving_interval = 1.0;
    skippingSeen.clear();
    onCommit(PANEL_REFRESH, sampleSkipping);
    acquireDuring("wait 1.55\npress PANEL REFRESH\nwait 1\npress PANEL STOP\n");
    EXPECT_EQ(skippingSeen, (std::vector<int>{0}));
    EXPECT_EQ(dataFiles(folder), 1);
    EXPECT_GT(Real_time, 2.0);
}

// Ten stretches of 0.1 s make a saving period of 1 s, although their sum falls just short of
// 1.0: each period's file holds exactly the samples its header planned.
TEST_F(AcquisitionTest, ASavingPeriodHoldsExactlyItsPlannedSamples) {
    startProgram();
    Save_status = 1;
    FirstTime = 1;
    Saving_interval = 1.0;
    Skip_interval = 1.0;
    acquireDuring("wait 3.5\npress PANEL STOP\n");
    ASSERT_EQ(dataFiles(folder), 2);
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string error;
        const auto info = trelvanix::vnx::readHeader(entry.path().string(), &error);
        ASSERT_TRUE(info) << error;
        EXPECT_EQ(info->declaredSamples, 4000) << entry.path();
        EXPECT_EQ(info->samples, 4000) << entry.path();
    }
}

}  // namespace
