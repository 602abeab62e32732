// Parameter files inside the program: saving and loading through the menu commands, with the
// real panels, menus and board ranges.

#include "params/parameter_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/main_panel_display.h"
#include "state/shared_state.h"
#include "stimulus/stimulus.h"
#include "tests/app/program_fixture.h"

using namespace trelvanix;
using ::testing::HasSubstr;
using trelvanix::testing::textOf;

namespace {

class ParameterFiles : public trelvanix::testing::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(startProgram());
        ::testing::internal::CaptureStdout();
    }
    void TearDown() override {
        const std::string rest = ::testing::internal::GetCapturedStdout();
        if (HasFailure()) std::fputs(rest.c_str(), stderr);
        ProgramTest::TearDown();
    }
    std::string printed() {
        std::string text = ::testing::internal::GetCapturedStdout();
        ::testing::internal::CaptureStdout();
        return text;
    }
    std::string save(const std::string& name) {
        const std::string path = (folder / name).string();
        useScript("answer file \"" + path + "\"\n");
        SaveParameters();
        return path;
    }
    void load(const std::string& path) {
        useScript("answer file \"" + path + "\"\n");
        LoadParameters();
    }
    static std::string contents(const std::string& path) {
        std::ostringstream text;
        text << std::ifstream(path).rdbuf();
        return text.str();
    }
    static bool checked(int item) {
        int on = 0;
        GetMenuBarAttribute(GetPanelMenuBar(panelHandle), item, ATTR_CHECKED, &on);
        return on != 0;
    }
};

TEST_F(ParameterFiles, SavedSettingsComeBackWithTheirMenuMarks) {
    const std::string path = save("initial.par");
    // Change what the file holds, then load it back.
    NumScans = 10000;
    Stretches = 20;
    Sec_per_stretch = 0.5;
    Gain_Factor[0] = 4.0;
    std::snprintf(Units[1], sizeof Units[1], "pA");
    load(path);

    EXPECT_EQ(NumScans, 4000);
    EXPECT_DOUBLE_EQ(Ds, 1.0 / 4000);
    EXPECT_EQ(Stretches, 100);
    EXPECT_DOUBLE_EQ(Sec_per_stretch, 0.1000001);
    EXPECT_EQ(Gain_Factor[0], 1.0);
    EXPECT_STREQ(Units[1], "V");
    EXPECT_TRUE(checked(MENUBAR_RATE_KS_4));
    EXPECT_FALSE(checked(MENUBAR_RATE_KS_10));
    EXPECT_TRUE(checked(MENUBAR_STRETCH_S_0_1));
    EXPECT_TRUE(checked(MENUBAR_SWEEP_N_100));
    // The file written again from the loaded settings is the same file.
    EXPECT_EQ(contents(save("again.par")), contents(path));
}

TEST_F(ParameterFiles, ABoardRangeComesBackWithItsOwnGain) {
    // Channel 2 on +-10 V: the file stores the gain 0.5 as 0.
    AILimitsIndex[2] = 0;
    GainList[2] = 0.5f;
    const std::string path = save("ten_volts.par");
    EXPECT_THAT(contents(path), HasSubstr("Channel: 2 0\nGain 1.000000\nOffset 0.000000\n"
                                          "BoardGain 0\n"));
    AILimitsIndex[2] = 1;
    GainList[2] = 1.0f;
    load(path);
    EXPECT_EQ(AILimitsIndex[2], 0);
    EXPECT_EQ(GainList[2], 0.5f);
}

// A name without an extension is saved as a ".par" file, and the File menu offers the files
// saved and loaded last, most recent first, each loading at once.
TEST_F(ParameterFiles, FilesGetTheirExtensionAndTheLastOnesAreOfferedInTheFileMenu) {
    const int bar = GetPanelMenuBar(panelHandle);
    auto offered = [&](int item) {
        int visible = 0;
        std::string label;
        GetMenuBarAttribute(bar, item, ATTR_VISIBLE, &visible);
        GetMenuBarAttribute(bar, item, ATTR_ITEM_NAME, &label);
        return visible ? label : std::string("(hidden)");
    };
    EXPECT_EQ(offered(MENUBAR_FILE_RECENT_1), "(hidden)");
    save("cell_a");
    EXPECT_TRUE(std::filesystem::exists(folder / "cell_a.par"));
    EXPECT_FALSE(std::filesystem::exists(folder / "cell_a"));
    save("cell_b.txt");  // an extension of its own is kept
    EXPECT_TRUE(std::filesystem::exists(folder / "cell_b.txt"));
    load((folder / "cell_a.par").string());
    EXPECT_EQ(offered(MENUBAR_FILE_RECENT_1), "&1  " + (folder / "cell_a.par").string());
    EXPECT_EQ(offered(MENUBAR_FILE_RECENT_2), "&2  " + (folder / "cell_b.txt").string());
    EXPECT_EQ(offered(MENUBAR_FILE_RECENT_3), "(hidden)");

    NumScans = 10000;
    callbacks::LoadRecentParams(bar, MENUBAR_FILE_RECENT_2, nullptr, panelHandle);
    EXPECT_EQ(NumScans, 4000);
    EXPECT_EQ(offered(MENUBAR_FILE_RECENT_1), "&1  " + (folder / "cell_b.txt").string());
    EXPECT_EQ(printed(), "");
}

// A file that cannot be opened is named with the reason, when saving as when loading (which
// stops acquisition all the same).
TEST_F(ParameterFiles, AFileThatCannotBeOpenedIsNamedWithTheReason) {
    Acquiring = 1;
    load((folder / "missing.par").string());
    EXPECT_EQ(Acquiring, 0);
    EXPECT_THAT(printed(),
                HasSubstr("popup \"Error!\" \"Error opening the parameter file " +
                          (folder / "missing.par").string() + ": No such file or directory\""));
    save("no_folder/cell.par");
    EXPECT_THAT(printed(), HasSubstr("popup \"Error!\" \"Error opening the parameter file " +
                                     (folder / "no_folder/cell.par").string() +
                                     ": No such file or directory\""));
}

TEST_F(ParameterFiles, ADamagedFileChangesNothingAndSaysWhere) {
    const std::string path = save("whole.par");
    const std::string text = contents(path);
    std::ofstream(path) << text.substr(0, text.find("\nChannel: 3"));
    NumScans = 10000;
    Gain_Factor[0] = 4.0;
    load(path);
    EXPECT_EQ(NumScans, 10000);
    EXPECT_EQ(Gain_Factor[0], 4.0);
    EXPECT_THAT(printed(),
                HasSubstr("whole.par, line 42, at HighCutoff: the file ends where the next "
                          "key should follow. Nothing was loaded."));

    // A whole file padded past the size a parameter file can have: the reason is given.
    std::ofstream(path) << text << std::string(5 << 20, ' ');
    load(path);
    EXPECT_EQ(NumScans, 10000);
    EXPECT_THAT(printed(), HasSubstr("\"The parameter file " + path +
                                     " cannot be read: it is larger than 4 MB"));
}

// Saving takes what the stimulus panel shows, built or not; loading shows the loaded values
// in the units window and the board-range list, so a later Close of the window keeps them.
TEST_F(ParameterFiles, WhatThePanelsShowIsSavedAndWhatIsLoadedIsShown) {
    callbacks::inject(0, 0, nullptr, 0);
    SetCtrlVal(InjectHandle, INJECT_CONVERSION, 50.0);
    SetCtrlVal(InjectHandle, INJECT_PRE_TIME, 200);
    SetCtrlVal(InjectHandle, INJECT_POST_TIME, 300);
    std::snprintf(Units[2], sizeof Units[2], "mV");
    Scale_factor[2] = 0.001;
    Filter_type[2] = 1;
    Fhp[2] = 200.0;
    AILimitsIndex[0] = 2;
    GainList[0] = 5.0f;
    const std::string path = save("panels.par");
    EXPECT_THAT(contents(path),
                HasSubstr("\nConversionfactor 50.000000\nPreTime 200\nPostTime 300\n"));

    std::snprintf(Units[2], sizeof Units[2], "V");
    Scale_factor[2] = 1.0;
    Filter_type[2] = 0;
    AILimitsIndex[0] = 1;
    GainList[0] = 1.0f;
    callbacks::Show_units(0, 0, nullptr, 0);
    SetCtrlVal(UnitsHandle, UNITS_CHANNEL, 2);
    callbacks::Update_channel(UnitsHandle, UNITS_CHANNEL, EVENT_VAL_CHANGED, nullptr, 0, 0);
    trelvanix::ShowBoardGainOf(0);
    load(path);

    EXPECT_EQ(textOf(UnitsHandle, UNITS_PREFIX) + textOf(UnitsHandle, UNITS_BASE), "mV");
    int filter = 0;
    GetCtrlVal(UnitsHandle, UNITS_FILTER, &filter);
    EXPECT_EQ(filter, 1);
    callbacks::CloseUnits(UnitsHandle, UNITS_CLOSE, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_STREQ(Units[2], "mV");
    EXPECT_EQ(Scale_factor[2], 0.001);
    EXPECT_EQ(Filter_type[2], 1);
    EXPECT_EQ(Fhp[2], 200.0);
    float rangeGain = 0.0f;
    int rangeIndex = -1;
    GetCtrlVal(panelHandle, PANEL_BOARD_GAIN, &rangeGain);
    GetCtrlIndex(panelHandle, PANEL_BOARD_GAIN, &rangeIndex);
    EXPECT_EQ(rangeGain, 5.0f);
    EXPECT_EQ(rangeIndex, 2);
}

TEST_F(ParameterFiles, TheStimulusKindAndItsValuesComeBackOnItsSubPanel) {
    callbacks::inject(0, 0, nullptr, 0);
    SetCtrlVal(InjectHandle, INJECT_WAVEFORM, kPulse);
    callbacks::Set_waveform(InjectHandle, INJECT_WAVEFORM, EVENT_COMMIT, nullptr, 0, 0);
    SetCtrlVal(Handle[kPulse], PULSE_MV1, 250.0);
    SetCtrlVal(InjectHandle, INJECT_CHANNEL, 1);
    const std::string path = save("pulse.par");
    EXPECT_THAT(contents(path),
                HasSubstr("\nWaveform 0\nPulse_0_Dur 100.000000 Pulse_0_Amp 250.000000\n"));

    SetCtrlVal(InjectHandle, INJECT_WAVEFORM, kNoStimulus);
    Waveform = kNoStimulus;
    SetCtrlVal(Handle[kPulse], PULSE_MV1, 1.0);
    SetCtrlVal(InjectHandle, INJECT_CHANNEL, 0);
    load(path);
    int kind = -2, channel = -1;
    double amplitude = 0.0;
    GetCtrlVal(InjectHandle, INJECT_WAVEFORM, &kind);
    GetCtrlVal(InjectHandle, INJECT_CHANNEL, &channel);
    GetCtrlVal(Handle[kPulse], PULSE_MV1, &amplitude);
    EXPECT_EQ(kind, kPulse);
    EXPECT_EQ(channel, 1);
    EXPECT_EQ(amplitude, 250.0);
    ASSERT_NE(WF_buffer, nullptr);
    EXPECT_EQ(WF_buffer[550], 250.0);  // what plays is what the panel shows
}

TEST_F(ParameterFiles, ACellFileWithoutSamplesKeepsTheLoadedWaveform) {
    callbacks::inject(0, 0, nullptr, 0);
    Waveform = kCell;
    delete[] Cell_array;
    Cell_array = nullptr;
    const std::string path = save("cell.par");
    EXPECT_THAT(contents(path), HasSubstr("\nInterbaseline 0.000000\n//Further settings"));

    Cell_array = new double[1004]();
    Cell_array[10] = 2.5;
    load(path);
    ASSERT_NE(Cell_array, nullptr);
    EXPECT_EQ(Cell_array[10], 2.5);
}

// A cell waveform chained after Ornstein-Uhlenbeck noise (10 values a ms) plays the noise at
// its own speed after a save and a load in a program whose last chain was 1 value a ms.
TEST_F(ParameterFiles, AChainedStimulusComesBackAtItsOwnValuesPerMs) {
    callbacks::inject(0, 0, nullptr, 0);
    Waveform = kCell;
    std::unique_ptr<double[]> noise(new double[3000]);
    for (int i = 0; i < 3000; ++i) noise[i] = (i % 7) * 10.0;
    ChainStimulus(std::move(noise), 3000, 10);
    const std::string path = save("chained.par");

    ChainStimulus(std::unique_ptr<double[]>(new double[5]()), 5, 1);
    load(path);
    EXPECT_EQ(NumPts, 3000);
    EXPECT_EQ(SavedValuesPerMs, 10);
    ASSERT_NE(WF_buffer_2, nullptr);
    EXPECT_EQ(WF_buffer_2[2999], (2999 % 7) * 10.0);
}

// The saving dialog, already loaded, offers the loaded saving and pause intervals, so its OK
// starts saving with them rather than with the values it showed before.
TEST_F(ParameterFiles, TheSavingDialogOffersTheLoadedIntervals) {
    Saving_interval = 7.0;
    Skip_interval = 2.0;
    const std::string path = save("intervals.par");
    if (IntervalpanelHandle == 0) IntervalpanelHandle = LoadPanel(0, "trelvanix.uir", INTERVAL);
    SetCtrlVal(IntervalpanelHandle, INTERVAL_SAVING, 60.0);
    SetCtrlVal(IntervalpanelHandle, INTERVAL_PAUSE, 0.0);
    load(path);
    double saving = 0.0, pause = 0.0;
    GetCtrlVal(IntervalpanelHandle, INTERVAL_SAVING, &saving);
    GetCtrlVal(IntervalpanelHandle, INTERVAL_PAUSE, &pause);
    EXPECT_EQ(saving, 7.0);
    EXPECT_EQ(pause, 2.0);
}

}  // namespace
