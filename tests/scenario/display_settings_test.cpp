#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using ::testing::HasSubstr;

namespace {

TEST(DisplaySettings, UnitsRoundTripThroughThePanelAndZeroIsRefused) {
    const ProgramRun run = runScript(
        "menu MENUBAR_OPTIONS_UNITS\n"
        "set UNITS PREFIX m\n"
        "set UNITS SCALE 0.001\n"
        "press UNITS APPLY\n"
        "get PANEL UNIT\n"
        "set UNITS CHANNEL 4\n"
        "set UNITS PREFIX N\n"
        "set UNITS BASE pA\n"
        "get UNITS SCALE_LABEL\n"
        "press UNITS CLOSE\n"
        "menu MENUBAR_OPTIONS_UNITS\n"
        "get UNITS PREFIX\n"
        "get UNITS BASE\n"
        "set UNITS CHANNEL 0\n"
        "get UNITS PREFIX\n"
        "get UNITS BASE\n"
        "expect popup \"Error!\" \"The scale factor cannot be 0. Nothing was stored.\"\n"
        "set UNITS SCALE 0\n"
        "press UNITS CLOSE\n"
        "get UNITS SCALE_LABEL\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "PANEL UNIT = mV\n"
              "UNITS SCALE_LABEL = Scale factor ( V/pA):\n"
              "UNITS PREFIX = p\n"
              "UNITS BASE = A\n"
              "UNITS PREFIX = m\n"
              "UNITS BASE = V\n"
              "popup \"Error!\" \"The scale factor cannot be 0. Nothing was stored.\"\n"
              "UNITS SCALE_LABEL = Scale factor ( V/mV):\n");
}

TEST(DisplaySettings, MenusAndSweepButtonsShapeTheTimeAxis) {
    const ProgramRun run = runScript(
        "menu MENUBAR_RATE_KS_2_5\n"
        "menu MENUBAR_STRETCH_S_0_5\n"
        "get PANEL SWEEP\n"
        "click PANEL FORWARD\n"
        "get PANEL SWEEP\n"
        "click PANEL BACKWARD\n"
        "get PANEL SWEEP\n"
        "menu MENUBAR_SWEEP_N_20\n"
        "get PANEL SWEEP\n"
        "set PANEL OFFSET 50\n"
        "click PANEL GRAPH 500 288\n"
        "get PANEL OFFSET\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "PANEL SWEEP = 50\n"
              "PANEL SWEEP = 25\n"
              "PANEL SWEEP = 50\n"
              "PANEL SWEEP = 10\n"
              "PANEL OFFSET = 0\n");
}

TEST(DisplaySettings, ARefusedFilterIsReportedAndTheProgramGoesOn) {
    const ProgramRun run = runScript(
        "menu MENUBAR_OPTIONS_UNITS\n"
        "set UNITS FILTER 3\n"
        "press UNITS CLOSE\n"
        "set PANEL CHECK_3 1\n"
        "press PANEL ACQUIRE\n"
        "wait 1\n"
        "menu MENUBAR_OPTIONS_UNITS\n"
        "get UNITS FILTER\n"
        "press PANEL STOP\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("popup \"Error!\" \"Lower cutoff cannot be greater than or "
                                   "equal to higher cutoff. Exiting...\"\n"));
    EXPECT_THAT(run.out, HasSubstr("UNITS FILTER = 0\n"));
}

}  // namespace
