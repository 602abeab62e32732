#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using ::testing::HasSubstr;

namespace {

// The operator picks each kind in turn, changes one of its settings and closes its panel; the
// preview's length (pre- and post-time of 500 ms included) follows every change.
TEST(StimulusPanel, EachKindPreviewsItsChangedStimulus) {
    const ProgramRun run = runScript(
        "menu MENUBAR_STIMULUS_INJECT\n"
        "set INJECT WAVEFORM 0\n"
        "get INJECT LENGTH\n"
        "set PULSE MS1 250\n"
        "press PULSE CLOSE\n"
        "get INJECT LENGTH\n"
        "set INJECT WAVEFORM 1\n"
        "set RAMP MS2 300\n"
        "close RAMP\n"
        "get INJECT LENGTH\n"
        // No cell waveform is loaded: the preview stays that of the last stimulus.
        "set INJECT WAVEFORM 2\n"
        "set CELL DUR 2000\n"
        "press CELL CLOSE\n"
        "get INJECT LENGTH\n"
        "set INJECT WAVEFORM 3\n"
        "set ZAP DURATION 2000\n"
        "set ZAP CYCLES_START 2\n"
        "press ZAP CLOSE\n"
        "get INJECT LENGTH\n"
        "set INJECT WAVEFORM 4\n"
        "set POISSON TOTALDURATION 3000\n"
        "press POISSON CLOSE\n"
        "get INJECT LENGTH\n"
        "set INJECT WAVEFORM 5\n"
        "set SINE NUM_BURSTS 2\n"
        "press SINE CLOSE\n"
        "get INJECT LENGTH\n"
        "set INJECT WAVEFORM 6\n"
        "get INJECT LENGTH\n"
        "set NOISE DURATION 2000\n"
        "press NOISE UPDATE\n"
        "press NOISE CLOSE\n"
        "get INJECT LENGTH\n"
        "set INJECT WAVEFORM -1\n"
        "press INJECT CLOSE\n");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string lengths =
        "INJECT LENGTH = 1200\n"  // the default pulse
        "INJECT LENGTH = 1350\n"
        "INJECT LENGTH = 1400\n"  // ramp segments of 100 and 300 ms
        "INJECT LENGTH = 1400\n"
        "INJECT LENGTH = 5000\n"  // a 2 s sweep after a 2 s lead-in of 2 cycles at 1 Hz
        "INJECT LENGTH = 4000\n"
        "INJECT LENGTH = 7000\n"  // two bursts of the 3 s period the Poisson train left
        "INJECT LENGTH = 6000\n"
        "INJECT LENGTH = 3000\n";
    std::string printed;
    for (std::size_t at = 0; (at = run.out.find("INJECT LENGTH", at)) != std::string::npos;) {
        const std::size_t end = run.out.find('\n', at) + 1;
        printed += run.out.substr(at, end - at);
        at = end;
    }
    EXPECT_EQ(printed, lengths);
    EXPECT_THAT(run.out, HasSubstr("ZAP WAVEFORM WAS CHOSEN \n"));
    EXPECT_THAT(run.out, HasSubstr("POISSON PARAMETERS WERE UPDATED \n"));
}

}  // namespace
