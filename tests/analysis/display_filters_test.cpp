#include "analysis/display_filters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>

#include "analysis/units.h"
#include "platform/analysis/analysis.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "tests/app/program_fixture.h"

// The callbacks the resource file names, as the panels call them.
using namespace trelvanix::callbacks;

using namespace trelvanix;
using namespace trelvanix::testing;

namespace {

const char* const kZeroCutoff =
    "popup \"Error!\" \"Cutoff frequencies can't be zero. Exiting...\"\n";
const char* const kLowNotBelowHigh =
    "popup \"Error!\" \"Lower cutoff cannot be greater than or equal to higher cutoff. "
    "Exiting...\"\n";

class DisplayFilters : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(startProgram());
        Show_units(GetPanelMenuBar(panelHandle), MENUBAR_OPTIONS_UNITS, nullptr, panelHandle);
        ASSERT_GT(UnitsHandle, 0);
    }

    static void enter(int kind, int window, int size, double low, double high) {
        SetCtrlVal(UnitsHandle, UNITS_FILTER, kind);
        SetCtrlVal(UnitsHandle, UNITS_WINDOW, window);
        SetCtrlVal(UnitsHandle, UNITS_WINDOW_SIZE, size);
        SetCtrlVal(UnitsHandle, UNITS_LOW_CUTOFF, low);
        SetCtrlVal(UnitsHandle, UNITS_HIGH_CUTOFF, high);
    }
    // Applies the panel to channel 0 and returns the pop-ups shown.
    static std::string apply() {
        ::testing::internal::CaptureStdout();
        Apply(UnitsHandle, UNITS_APPLY, EVENT_COMMIT, nullptr, 0, 0);
        return ::testing::internal::GetCapturedStdout();
    }
    static bool dimmed(int control) {
        int value = 0;
        GetCtrlAttribute(UnitsHandle, control, ATTR_DIMMED, &value);
        return value != 0;
    }
    static void chooseKind(int kind) {
        SetCtrlVal(UnitsHandle, UNITS_FILTER, kind);
        filter_type(UnitsHandle, UNITS_FILTER, EVENT_COMMIT, nullptr, 0, 0);
    }
    static double sum(const double* c, int n) { return std::accumulate(c, c + n, 0.0); }
};

TEST_F(DisplayFilters, ALowPassDesignHoldsItsWindowSizeOfCoefficients) {
    enter(1, 4, 55, 100.0, 200.0);
    EXPECT_EQ(apply(), "");
    EXPECT_EQ(Filter_type[0], 1);
    EXPECT_EQ(Window_type[0], 4);
    EXPECT_DOUBLE_EQ(Flp[0], 100.0);
    EXPECT_DOUBLE_EQ(Fhp[0], 200.0);
    ASSERT_NE(Coef[0], nullptr);
    EXPECT_NEAR(sum(Coef[0], 55), 1.0, 1e-9);  // a low-pass passes 0 Hz whole

    // 101 taps: a new block, symmetric about its middle tap.
    enter(1, 4, 101, 100.0, 200.0);
    EXPECT_EQ(apply(), "");
    EXPECT_EQ(Window_size[0], 101);
    EXPECT_DOUBLE_EQ(Coef[0][0], Coef[0][100]);
    EXPECT_GT(Coef[0][50], Coef[0][49]);
    EXPECT_NEAR(sum(Coef[0], 101), 1.0, 1e-9);
}

TEST_F(DisplayFilters, AZeroCutoffIsRefusedEvenWhenTheKindDoesNotUseIt) {
    enter(1, 2, 55, 0.0, 200.0);
    EXPECT_EQ(apply(), kZeroCutoff);
    EXPECT_EQ(Filter_type[0], 0);
    EXPECT_EQ(Coef[0], nullptr);
    EXPECT_DOUBLE_EQ(Flp[0], 0.0);  // the panel's values are kept
}

TEST_F(DisplayFilters, ABandPassAtTheInitialCutoffsIsRefused) {
    enter(3, 2, 55, 500.0, 500.0);
    EXPECT_EQ(apply(), kLowNotBelowHigh);
    EXPECT_EQ(Filter_type[0], 0);

    enter(4, 2, 55, 600.0, 500.0);
    EXPECT_EQ(apply(), kLowNotBelowHigh);
    EXPECT_EQ(Filter_type[0], 0);
}

TEST_F(DisplayFilters, ARefusedDesignSwitchesAWorkingFilterOff) {
    enter(1, 2, 55, 100.0, 200.0);
    ASSERT_EQ(apply(), "");
    ASSERT_NE(Coef[0], nullptr);

    // 56 taps were stored; the 55 coefficients of the old design must not be used with them.
    enter(2, 2, 56, 100.0, 200.0);
    const std::string shown = apply();
    EXPECT_NE(shown.find("need an odd window size"), std::string::npos) << shown;
    EXPECT_EQ(Window_size[0], 56);
    EXPECT_EQ(Filter_type[0], 0);
    EXPECT_EQ(Coef[0], nullptr);

    // At 4 kS/s nothing above 2 kHz can be a cut-off.
    enter(1, 2, 55, 100.0, 2500.0);
    EXPECT_NE(apply().find("half the sampling rate (2000 Hz)"), std::string::npos);
    EXPECT_EQ(Filter_type[0], 0);

    enter(2, 2, 57, 100.0, 200.0);
    EXPECT_EQ(apply(), "");
    EXPECT_EQ(Filter_type[0], 2);
    double atHalfRate = 0.0;  // a high-pass passes fs/2 whole
    for (int k = 0; k < 57; ++k) atHalfRate += (k % 2 ? -1.0 : 1.0) * Coef[0][k];
    EXPECT_NEAR(std::abs(atHalfRate), 1.0, 1e-9);
}

TEST_F(DisplayFilters, SettingsFromElsewhereAreCheckedToo) {
    // As a parameter file would leave them: a kind or window the routines do not know.
    Filter_type[5] = 7;
    ::testing::internal::CaptureStdout();
    FilterData(7, 200.0, 100.0, 5);
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("\"Error!\""), std::string::npos);
    EXPECT_EQ(Filter_type[5], 0);

    Filter_type[5] = 1;
    Window_type[5] = 9;
    ::testing::internal::CaptureStdout();
    FilterData(1, 200.0, 100.0, 5);
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("Window type 9"), std::string::npos);
    EXPECT_EQ(Filter_type[5], 0);

    Filter_type[5] = 1;
    Window_type[5] = 2;
    Window_size[5] = 0;
    ::testing::internal::CaptureStdout();
    FilterData(1, 200.0, 100.0, 5);
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("window size 0"), std::string::npos);
    EXPECT_EQ(Filter_type[5], 0);
    EXPECT_EQ(Coef[5], nullptr);
}

TEST_F(DisplayFilters, ARateChangeRedesignsEveryFilterAndSwitchesOffThoseAboveHalfTheNewRate) {
    enter(1, 2, 55, 100.0, 200.0);  // channel 0: low-pass at 200 Hz
    ASSERT_EQ(apply(), "");
    Filter_type[3] = 2;  // channel 3: high-pass at 1500 Hz, below 2 kHz at 4 kS/s
    Flp[3] = 1500.0;
    FilterData(2, Fhp[3], Flp[3], 3);
    ASSERT_NE(Coef[3], nullptr);

    ::testing::internal::CaptureStdout();
    Set_SamplingRate(GetPanelMenuBar(panelHandle), MENUBAR_RATE_KS_2_5, nullptr, panelHandle);
    const std::string shown = ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(NumScans, 2500);

    // The low-pass keeps its cut-off in hertz, designed for 2.5 kS/s.
    double expected[55];
    ASSERT_EQ(Wind_LPF(2500.0, 200.0, 55, expected, 2), 0);
    ASSERT_EQ(Filter_type[0], 1);
    ASSERT_NE(Coef[0], nullptr);
    for (int k = 0; k < 55; ++k) EXPECT_DOUBLE_EQ(Coef[0][k], expected[k]) << k;
    // 1500 Hz is above half of 2.5 kS/s: that filter is off, said as for a refused design.
    EXPECT_NE(shown.find("half the sampling rate (1250 Hz). The filter of channel 3 is off."),
              std::string::npos)
        << shown;
    EXPECT_EQ(Filter_type[3], 0);
    EXPECT_EQ(Coef[3], nullptr);
}

TEST_F(DisplayFilters, ControlsAreDimmedByWhatTheKindUses) {
    chooseKind(0);
    for (int control : {UNITS_WINDOW, UNITS_WINDOW_SIZE, UNITS_LOW_CUTOFF, UNITS_HIGH_CUTOFF})
        EXPECT_TRUE(dimmed(control));
    chooseKind(1);
    EXPECT_FALSE(dimmed(UNITS_WINDOW_SIZE));
    EXPECT_TRUE(dimmed(UNITS_LOW_CUTOFF));
    EXPECT_FALSE(dimmed(UNITS_HIGH_CUTOFF));
    chooseKind(2);
    EXPECT_FALSE(dimmed(UNITS_LOW_CUTOFF));
    EXPECT_TRUE(dimmed(UNITS_HIGH_CUTOFF));
    chooseKind(4);
    EXPECT_FALSE(dimmed(UNITS_LOW_CUTOFF));
    EXPECT_FALSE(dimmed(UNITS_HIGH_CUTOFF));
}

TEST_F(DisplayFilters, SwitchingChannelShowsItsFilterAndItsDimming) {
    enter(2, 5, 31, 50.0, 900.0);
    ASSERT_EQ(apply(), "");
    SetCtrlVal(UnitsHandle, UNITS_CHANNEL, 1);
    Update_channel(UnitsHandle, UNITS_CHANNEL, EVENT_VAL_CHANGED, nullptr, 0, 0);
    int kind = -1, size = 0;
    GetCtrlVal(UnitsHandle, UNITS_FILTER, &kind);
    GetCtrlVal(UnitsHandle, UNITS_WINDOW_SIZE, &size);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(size, 55);
    EXPECT_TRUE(dimmed(UNITS_LOW_CUTOFF));

    SetCtrlVal(UnitsHandle, UNITS_CHANNEL, 0);
    Update_channel(UnitsHandle, UNITS_CHANNEL, EVENT_VAL_CHANGED, nullptr, 0, 0);
    double low = 0.0;
    GetCtrlVal(UnitsHandle, UNITS_WINDOW_SIZE, &size);
    GetCtrlVal(UnitsHandle, UNITS_LOW_CUTOFF, &low);
    EXPECT_EQ(size, 31);
    EXPECT_DOUBLE_EQ(low, 50.0);
    EXPECT_FALSE(dimmed(UNITS_LOW_CUTOFF));
    EXPECT_TRUE(dimmed(UNITS_HIGH_CUTOFF));
}

}  // namespace
