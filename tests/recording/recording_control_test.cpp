#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "platform/clock/clock.h"
#include "platform/ui/file_system.h"
#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "recording/data_file.h"
#include "recording/recording.h"
#include "resources/trelvanix_uir.h"
#include "state/program_events.h"
#include "state/shared_state.h"
#include "tests/platform/ui/failing_file_system.h"
#include "tests/recording/recording_fixture.h"

// The callbacks the resource file names, as the panels call them.
using namespace trelvanix::callbacks;

using namespace trelvanix;
using namespace trelvanix::testing;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

int dimmed(int control) {
    int value = 0;
    GetCtrlAttribute(panelHandle, control, ATTR_DIMMED, &value);
    return value;
}

int lamp() {
    int value = 0;
    GetCtrlVal(panelHandle, PANEL_SAVE_LAMP, &value);
    return value;
}

void press(int control) {
    if (control == PANEL_RECORD) record(panelHandle, control, EVENT_COMMIT, nullptr, 0, 0);
    if (control == PANEL_STOP) stop(panelHandle, control, EVENT_COMMIT, nullptr, 0, 0);
}

void setLine(int control, const char* text) {
    ResetTextBox(panelHandle, control, text);
}

// A disk that takes only so many more bytes: later writes stop part-way, as a full disk does.
using FullDisk = ui::testing::FailingFileSystem;

// A calendar that moves one second on from 23:59:59 local time each time it is read, so two
// readings of the date and time made for one file straddle midnight.
class MidnightClock final : public Clock {
  public:
    MidnightClock() {
        std::tm lastSecond{};
        lastSecond.tm_year = 2026 - 1900;
        lastSecond.tm_mon = 0;
        lastSecond.tm_mday = 31;
        lastSecond.tm_hour = 23;
        lastSecond.tm_min = 59;
        lastSecond.tm_sec = 59;
        lastSecond.tm_isdst = -1;
        next_ = std::mktime(&lastSecond);
    }
    double seconds() const override { return 0.0; }
    std::time_t calendarTime() const override { return next_++; }
    void waitUntil(double) override {}
    bool isSimulated() const override { return true; }

  private:
    mutable std::time_t next_;
};

class Recording : public RecordingTest {};

TEST_F(Recording, ATimedRecordingIsFinalisedWithTheSamplesItWrote) {
    acquire({0, 1});
    setLine(PANEL_SUFFIX, "cell");
    press(PANEL_RECORD);
    EXPECT_EQ(Record, 1);
    EXPECT_EQ(lamp(), 1);
    EXPECT_EQ(dimmed(PANEL_RECORD), 1);
    saveStretches(100);  // 10 s at 4 kS/s
    EXPECT_NEAR(Real_time, 10.0, 1e-9);
    SaveStop();

    const auto files = dataFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename(), "2026_01_01_12_00_00_cell.vnx");
    const vnx::FileInfo info = header(files[0]);
    EXPECT_EQ(info.declaredSamples, 80000);
    EXPECT_EQ(info.samples, 80000);
    EXPECT_EQ(info.channels, 2);
    const auto values = samples(files[0]);
    EXPECT_EQ(values[0], stretchValue(0, 0, 0));
    EXPECT_EQ(values[1], stretchValue(0, 0, 1));
    EXPECT_EQ(values[2 * 400 * 57 + 2 * 13 + 1], stretchValue(57, 13, 1));
    EXPECT_EQ(Record, 0);
    EXPECT_EQ(Save_status, 0);
    EXPECT_EQ(lamp(), 0);
    EXPECT_EQ(dimmed(PANEL_RECORD), 0);
    EXPECT_EQ(Fd, -1);
}

TEST_F(Recording, StopEndsTheRecordingFirstAndThenAcquisition) {
    acquire({0});
    press(PANEL_RECORD);
    saveStretches(3);
    press(PANEL_STOP);
    EXPECT_EQ(Record, 0);
    EXPECT_EQ(Acquiring, 1);
    ASSERT_EQ(dataFiles().size(), 1u);
    EXPECT_EQ(header(dataFiles()[0]).declaredSamples, 1200);
    press(PANEL_STOP);
    EXPECT_EQ(Acquiring, 0);
    EXPECT_EQ(dimmed(PANEL_RECORD), 1);
    EXPECT_EQ(dimmed(PANEL_ACQUIRE), 0);
}

TEST_F(Recording, ARecordingStoppedBeforeItsFirstStretchLeavesNoFileAndTouchesNoOther) {
    acquire({0});
    std::ofstream(folder / "earlier.vnx") << "earlier data";
    press(PANEL_RECORD);
    press(PANEL_STOP);
    EXPECT_EQ(Record, 0);
    ASSERT_EQ(dataFiles().size(), 1u);
    std::ifstream earlier(folder / "earlier.vnx");
    std::string text;
    std::getline(earlier, text);
    EXPECT_EQ(text, "earlier data");
}

TEST_F(Recording, ARecordingStartedRightAfterAPauseWasStoppedIsClosedAndFinalised) {
    acquire({0});
    Saving_interval = 0.2;
    Save_status = 1;  // interval saving, as the save-interval dialog starts it
    saveStretches(2);
    Real_time = 0.0;  // the loop ends the period and starts the pause
    Skipping = 1;
    saveStretch();
    press(PANEL_STOP);  // during the pause: saving ends, acquisition goes on
    ASSERT_EQ(Acquiring, 1);

    press(PANEL_RECORD);
    saveStretches(3);
    press(PANEL_STOP);
    EXPECT_EQ(Record, 0);
    EXPECT_EQ(Fd, -1);
    const auto files = dataFiles();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].filename(), "2026_01_01_12_00_00-2.vnx");
    EXPECT_EQ(header(files[0]).declaredSamples, 1200);
    EXPECT_EQ(header(files[1]).declaredSamples, 800);  // the period as planned
}

TEST_F(Recording, ANameTakenInTheSameSecondGetsAFreshOneWithTheSameDateAndTime) {
    acquire({0});
    press(PANEL_RECORD);
    saveStretches(2);
    press(PANEL_STOP);
    press(PANEL_RECORD);
    saveStretches(3);
    press(PANEL_STOP);
    const auto files = dataFiles();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].filename(), "2026_01_01_12_00_00-2.vnx");
    EXPECT_EQ(files[1].filename(), "2026_01_01_12_00_00.vnx");
    EXPECT_EQ(header(files[1]).samples, 800);
    EXPECT_EQ(header(files[0]).samples, 1200);
    EXPECT_EQ(textOf(panelHandle, PANEL_FILENAME), "2026_01_01_12_00_00-2.vnx");
}

TEST_F(Recording, DateAndTimeOfAFileStartedAtMidnightBelongTogether) {
    installClock(std::make_unique<MidnightClock>());
    std::string name;
    MakeFilename(name);
    EXPECT_EQ(name, "2026_01_31_23_59_59.vnx");

    acquire({0});
    installClock(std::make_unique<MidnightClock>());
    ASSERT_EQ(open_this_file("midnight.vnx", 0), 0);
    close_this_file();
    const vnx::FileInfo info = header(folder / "midnight.vnx");
    EXPECT_EQ(
        std::vector<int>({info.year, info.month, info.day, info.hour, info.minute, info.second}),
        std::vector<int>({2026, 1, 31, 23, 59, 59}));
}

// A file created in the slot of one still open (interval saving started over a recorded
// stimulus's file) finalises that one first: its header counts what it holds, and listeners
// hear of it as of any finished recording.
TEST_F(Recording, AFileStillOpenWhereAnotherIsCreatedIsFinalisedFirst) {
    std::vector<std::string> finished;
    const int listening = events::Subscribe([&](const events::Event& event) {
        if (event.kind == events::Kind::RecordingFinished)
            finished.insert(finished.end(), event.paths.begin(), event.paths.end());
    });
    acquire({0});
    Saving_interval = 1.2;  // the header plans 1.2 s
    ASSERT_EQ(open_this_file("stimulus.vnx", 0), 0);
    saveStretch();  // fills the stretch; nothing is saving
    ASSERT_GT(recording::writeStretch(recording::kFirstFile), 0);
    ASSERT_EQ(open_this_file("interval.vnx", 0), 0);
    EXPECT_EQ(finished, std::vector<std::string>{"stimulus.vnx"});
    close_this_file();
    events::Unsubscribe(listening);
    EXPECT_EQ(finished, (std::vector<std::string>{"stimulus.vnx", "interval.vnx"}));
    const vnx::FileInfo info = header(folder / "stimulus.vnx");
    EXPECT_GT(info.samples, 0);
    EXPECT_EQ(info.declaredSamples, info.samples);
}

TEST_F(Recording, ForbiddenCharactersOfTheSuffixBecomeUnderscores) {
    setLine(PANEL_SUFFIX, "a/b:c");
    std::string name;
    ::testing::internal::CaptureStderr();
    MakeFilename(name);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "position is 1\nposition is 3\n");
    EXPECT_EQ(name, "2026_01_01_12_00_00_a_b_c.vnx");
    EXPECT_EQ(textOf(panelHandle, PANEL_FILENAME), name);

    setLine(PANEL_SUFFIX, "?x");
    ::testing::internal::CaptureStderr();
    MakeFilename(name);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "position is 0\n");
    EXPECT_EQ(name, "2026_01_01_12_00_00__x.vnx");

    setLine(PANEL_SUFFIX, std::string(60, 's').c_str());
    MakeFilename(name);
    EXPECT_EQ(name, "2026_01_01_12_00_00_" + std::string(51, 's') + ".vnx");

    setLine(PANEL_SUFFIX, "");
    MakeFilename(name);
    EXPECT_EQ(name, "2026_01_01_12_00_00.vnx");
}

TEST_F(Recording, TheSavedStretchesOfTwoFilesEachKeepTheirOwnHeader) {
    acquire({0, 1, 2, 3});
    GainList[0] = 5.0f;
    GainList[2] = 25.0f;
    Scale_factor[3] = 0.5;
    std::strcpy(Units[3], "mV");
    Filter_type[2] = 2;
    setLine(ChanID[0], "zero");
    setLine(ChanID[3], "three\nsecond line");
    fs::create_directories(folder / "second");
    FileFlag[0] = FileFlag[1] = 1;
    FromFile1 = 0, ToFile1 = 1, FromFile2 = 2, ToFile2 = 3;
    DirFlag[1] = 1;
    Dir[1] = (folder / "second").string() + "/";
    setLine(PANEL_SUFFIX, "cellA");

    press(PANEL_RECORD);
    saveStretches(10);
    EXPECT_NEAR(Real_time, 1.0, 1e-9);
    SaveStop();

    const auto first = dataFiles();
    const auto second = dataFiles(folder / "second");
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(first[0].filename(), "2026_01_01_12_00_00_cellA0.vnx");
    EXPECT_EQ(second[0].filename(), "2026_01_01_12_00_00_cellA1.vnx");
    const vnx::FileInfo a = header(first[0]), b = header(second[0]);
    EXPECT_EQ(a.channels, 2);
    EXPECT_EQ(a.declaredSamples, 10 * 400 * 2);
    EXPECT_EQ(a.channel[0].gainWord, 5);
    EXPECT_EQ(a.channel[0].label, "zero");
    EXPECT_EQ(b.declaredSamples, 10 * 400 * 2);
    EXPECT_EQ(b.channel[0].gainWord, 25);
    EXPECT_EQ(b.channel[0].filter.type, 2);
    EXPECT_EQ(b.channel[1].label, "three");
    EXPECT_EQ(b.channel[1].unit, "mV");
    EXPECT_DOUBLE_EQ(b.channel[1].scaleFactor, 0.5);
    EXPECT_EQ(b.table[vnx::kUnitsPosition], 224 + 5 + 1);
    EXPECT_EQ(a.table[vnx::kUnitsPosition], 224 + 4 + 1);
    const auto values = samples(second[0]);
    EXPECT_EQ(values[2 * 7 + 1], stretchValue(0, 7, 3));
}

TEST_F(Recording, AChannelOfTheRangesThatIsNotAcquiredRefusesTheRecording) {
    acquire({0, 1});
    FileFlag[0] = FileFlag[1] = 1;
    FromFile1 = 0, ToFile1 = 1, FromFile2 = 1, ToFile2 = 2;
    press(PANEL_RECORD);
    popups();
    saveStretch();
    EXPECT_EQ(popups(), "popup \"Error!\" \"Channel 2 is not acquired. You cannot record.\"\n");
    EXPECT_TRUE(dataFiles().empty());  // file 1 of the refused set is not left behind
    EXPECT_EQ(Save_status, 0);
    EXPECT_EQ(Record, 0);
    EXPECT_EQ(FirstTime, 1);
    EXPECT_EQ(lamp(), 0);
    EXPECT_EQ(textOf(panelHandle, PANEL_FILENAME), "");
    EXPECT_EQ(dimmed(PANEL_RECORD), 0);
}

TEST_F(Recording, AFullDiskStopsTheRecordingAndTheHeaderCountsWhatTheFileHolds) {
    FullDisk disk;
    ui::installFileSystem(&disk);
    acquire({0, 1});
    press(PANEL_RECORD);
    saveStretch();  // creates the file: header and one stretch of 1600 bytes
    disk.spaceLeft = 2 * 1600 + 700;
    popups();
    saveStretches(4);
    ui::installFileSystem(nullptr);

    EXPECT_THAT(popups(), HasSubstr("popup \"Error!\" \"Writing the data file"));
    EXPECT_EQ(Record, 0);
    EXPECT_EQ(Save_status, 0);
    EXPECT_EQ(Fd, -1);
    EXPECT_EQ(dimmed(PANEL_RECORD), 0);
    const auto files = dataFiles();
    ASSERT_EQ(files.size(), 1u);
    const vnx::FileInfo info = header(files[0]);
    EXPECT_EQ(fs::file_size(files[0]), 1024u + 3 * 1600 + 700);
    EXPECT_EQ(info.declaredSamples, 3 * 800 + 350);
    EXPECT_EQ(info.declaredSamples, info.samples);
}

TEST_F(Recording, AFileThatCannotBeCreatedIsReportedAndNothingIsRecorded) {
    FullDisk disk;
    disk.failCreate = true;
    ui::installFileSystem(&disk);
    acquire({0});
    press(PANEL_RECORD);
    popups();
    saveStretch();
    ui::installFileSystem(nullptr);
    EXPECT_THAT(popups(), HasSubstr("could not be created ("));
    EXPECT_EQ(Save_status, 0);
    EXPECT_DOUBLE_EQ(Real_time, 0.0);
    EXPECT_TRUE(dataFiles().empty());
}

TEST_F(Recording, QuittingOrClosingTheWindowEndsTheRecording) {
    acquire({0});
    press(PANEL_RECORD);
    saveStretches(2);
    // Closing asks first; no leaves the recording running.
    useScript("answer confirm no\nanswer confirm yes\n");
    close(panelHandle, EVENT_CLOSE, nullptr, 0, 0);
    EXPECT_EQ(Record, 1);
    close(panelHandle, EVENT_CLOSE, nullptr, 0, 0);
    EXPECT_EQ(Record, 0);
    EXPECT_EQ(Fd, -1);
    EXPECT_EQ(header(dataFiles()[0]).declaredSamples, 800);
}

}  // namespace
