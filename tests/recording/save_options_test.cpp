#include <gtest/gtest.h>

#include "platform/ui/toolkit.h"
#include "recording/recording.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "tests/recording/recording_fixture.h"

// The callbacks the resource file names, as the panels call them.
using namespace trelvanix::callbacks;

using namespace trelvanix;
using namespace trelvanix::testing;

namespace {

class SaveOptions : public RecordingTest {
  protected:
    void SetUp() override {
        RecordingTest::SetUp();
        ShowSave(0, 0, nullptr, 0);
        ASSERT_GT(SaveHandle, 0);
    }
    // Chooses a file and a range on the panel and presses Apply; returns the pop-ups shown.
    std::string apply(int file, int from, int to) {
        SetCtrlVal(SaveHandle, SAVEOPT_FILE, file);
        SetCtrlVal(SaveHandle, SAVEOPT_FROM, from);
        SetCtrlVal(SaveHandle, SAVEOPT_TO, to);
        popups();
        ApplySave(SaveHandle, SAVEOPT_APPLY, EVENT_COMMIT, nullptr, 0, 0);
        return popups();
    }
    std::string error(const std::string& text) { return "popup \"Error!\" \"" + text + "\"\n"; }
};

TEST_F(SaveOptions, RangesAreCheckedInOrderAndNothingIsStoredOnARefusal) {
    acquire({0, 1, 2});
    EXPECT_EQ(apply(1, -1, 2), error("From channels cannot be less than zero. Try again."));
    EXPECT_EQ(apply(1, 0, 8), error("To channels cannot be greater than seven. Try again."));
    EXPECT_EQ(apply(1, 3, 2),
              error("From channels cannot be greater than to channels. Try again."));
    EXPECT_EQ(apply(2, 1, 5), error("Channel 3 is not acquired. Start acquiring the channel."));
    EXPECT_EQ(FileFlag[0], 0);
    EXPECT_EQ(FileFlag[1], 0);
    EXPECT_EQ(FromFile1, -1);
    EXPECT_EQ(apply(0, 0, 1), "");  // no file chosen
    EXPECT_EQ(FileFlag[0], 0);
}

TEST_F(SaveOptions, AcceptedRangesAreStoredPerFileAndMayOverlap) {
    acquire({0, 1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(apply(1, 0, 7), "");
    EXPECT_EQ(apply(2, 2, 3), "");
    EXPECT_EQ(FileFlag[0], 1);
    EXPECT_EQ(FileFlag[1], 1);
    EXPECT_EQ(FromFile1, 0);
    EXPECT_EQ(ToFile1, 7);
    EXPECT_EQ(FromFile2, 2);
    EXPECT_EQ(ToFile2, 3);
}

TEST_F(SaveOptions, RemoveForgetsAFileAndNoneChangesNothing) {
    acquire({0, 1});
    apply(1, 0, 1);
    DirFlag[0] = 1;
    SetCtrlVal(SaveHandle, SAVEOPT_REMOVE_FILE, 0);
    removeOption(SaveHandle, SAVEOPT_REMOVE, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(FileFlag[0], 1);
    SetCtrlVal(SaveHandle, SAVEOPT_REMOVE_FILE, 1);
    removeOption(SaveHandle, SAVEOPT_REMOVE, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(FileFlag[0], 0);
    EXPECT_EQ(DirFlag[0], 0);
    EXPECT_EQ(FromFile1, -1);
    EXPECT_EQ(ToFile1, -1);

    // Without file 2 the next recording writes one file of all channels.
    record(panelHandle, PANEL_RECORD, EVENT_COMMIT, nullptr, 0, 0);
    saveStretch();
    SaveStop();
    ASSERT_EQ(dataFiles().size(), 1u);
    EXPECT_EQ(header(dataFiles()[0]).channels, 2);
}

TEST_F(SaveOptions, ARangeOfChannelsNotStartingAtZeroTakesTheirPositionsInTheScan) {
    acquire({1, 2});
    apply(1, 1, 2);
    record(panelHandle, PANEL_RECORD, EVENT_COMMIT, nullptr, 0, 0);
    saveStretch();
    SaveStop();
    const auto files = dataFiles();
    ASSERT_EQ(files.size(), 1u);
    const auto values = samples(files[0]);
    EXPECT_EQ(values[0], stretchValue(0, 0, 0));
    EXPECT_EQ(values[1], stretchValue(0, 0, 1));
}

TEST_F(SaveOptions, ChangesWhileRecordingApplyFromTheNextFileSet) {
    acquire({0, 1});
    record(panelHandle, PANEL_RECORD, EVENT_COMMIT, nullptr, 0, 0);
    saveStretches(2);
    apply(1, 1, 1);  // file 1 of channel 1 only, from the next recording on
    saveStretches(2);
    SaveStop();
    ASSERT_EQ(dataFiles().size(), 1u);
    const vnx::FileInfo info = header(dataFiles()[0]);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.samples, 4 * 800);
}

TEST_F(SaveOptions, TheChosenDirectoryEndsInASeparatorAndCancelKeepsIt) {
    useScript("answer dir /tmp/lab\nanswer dir cancel\n");
    SetCtrlVal(SaveHandle, SAVEOPT_FILE, 2);
    SetDire(SaveHandle, SAVEOPT_DIRECTORY, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(Dir[1], "/tmp/lab/");
    EXPECT_EQ(DirFlag[1], 1);
    SetDire(SaveHandle, SAVEOPT_DIRECTORY, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(Dir[1], "/tmp/lab/");
    EXPECT_EQ(DirFlag[1], 1);
}

}  // namespace
