// The injection panel and the stimulus sub-panels inside the program.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/ui/model.h"
#include "platform/ui/toolkit.h"
#include "protocol/vocabulary.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/stimulus.h"
#include "tests/app/program_fixture.h"

using namespace trelvanix;
using namespace trelvanix::callbacks;
using ::testing::HasSubstr;
using trelvanix::testing::textOf;

namespace {

class StimulusPanels : public trelvanix::testing::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ResetStimulusState();
        ASSERT_TRUE(startProgram());
        inject(0, 0, nullptr, 0);
        for (int h : Handle) ASSERT_GT(h, 0);
    }
    void TearDown() override {
        ResetStimulusState();
        ProgramTest::TearDown();
    }

    void chooseKind(int kind) {
        SetCtrlVal(InjectHandle, INJECT_WAVEFORM, kind);
        Set_waveform(InjectHandle, INJECT_WAVEFORM, EVENT_COMMIT, nullptr, 0, 0);
    }
    std::vector<double> buffer() const { return {WF_buffer, WF_buffer + Num_wf_points}; }
    // The preview's plots: the stimulus first, then the output range's limits when it goes
    // beyond them.
    std::vector<ui::Plot> previewPlots() const {
        const ui::Control* graph = ui::Model::instance().control(InjectHandle, INJECT_GRAPH);
        return graph ? graph->graph->plots : std::vector<ui::Plot>{};
    }
    std::vector<double> preview() const {
        const std::vector<ui::Plot> plots = previewPlots();
        return plots.empty() ? std::vector<double>{} : plots.front().y;
    }
    int intOf(int panel, int control) const {
        int value = 0;
        GetCtrlVal(panel, control, &value);
        return value;
    }
    double doubleOf(int panel, int control) const {
        double value = 0;
        GetCtrlVal(panel, control, &value);
        return value;
    }
};

TEST_F(StimulusPanels, ChoosingTheDefaultPulseBuildsAndPreviewsIt) {
    int dimmed = 0;
    chooseKind(kPulse);
    EXPECT_EQ(Num_wf_points, 1200);
    EXPECT_EQ(TotalTime_in_sec, 1.2);
    EXPECT_EQ(buffer()[550], 1000.0);
    EXPECT_EQ(preview().size(), 1200u);
    EXPECT_EQ(intOf(InjectHandle, INJECT_LENGTH), 1200);
    // The preview's axes run in round divisions around the pulse and its baseline.
    int mode = 0, divisions = 0;
    double min = 0, max = 0;
    GetAxisScalingMode(InjectHandle, INJECT_GRAPH, VAL_XAXIS, &mode, &min, &max);
    GetCtrlAttribute(InjectHandle, INJECT_GRAPH, ATTR_XDIVISIONS, &divisions);
    EXPECT_EQ((std::vector<double>{min, max, double(divisions)}),
              (std::vector<double>{0, 1200, 6}));
    GetAxisScalingMode(InjectHandle, INJECT_GRAPH, VAL_LEFT_YAXIS, &mode, &min, &max);
    GetCtrlAttribute(InjectHandle, INJECT_GRAPH, ATTR_YDIVISIONS, &divisions);
    EXPECT_EQ((std::vector<double>{min, max, double(divisions)}),
              (std::vector<double>{-200, 1200, 7}));
    GetCtrlAttribute(InjectHandle, INJECT_START, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 0);

    // A new step length, then the Close button: rebuilt and hidden.
    SetCtrlVal(Handle[kPulse], PULSE_MS1, 250.0);
    ClosePulse(Handle[kPulse], PULSE_CLOSE, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(Num_wf_points, 1350);
    EXPECT_EQ(preview().size(), 1350u);
    EXPECT_FALSE(ui::Model::instance().panel(Handle[kPulse])->visible);

    chooseKind(kNoStimulus);
    EXPECT_TRUE(preview().empty());
    GetCtrlAttribute(InjectHandle, INJECT_START, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 1);
}

TEST_F(StimulusPanels, ThePreviewGivesThePeakVoltageAndMarksAStimulusBeyondTheRange) {
    // The default pulse of 1000 units at 20 units per volt asks 50 V of the output.
    chooseKind(kPulse);
    EXPECT_THAT(textOf(InjectHandle, INJECT_OUTPUT_RANGE), HasSubstr("Peak 50.000 V: beyond"));
    const std::vector<ui::Plot> plots = previewPlots();
    ASSERT_EQ(plots.size(), 3u);
    EXPECT_EQ(plots[1].y, (std::vector<double>{200.0, 200.0}));
    EXPECT_EQ(plots[2].y, (std::vector<double>{-200.0, -200.0}));
    // Units per volt of the amplifier bring it within range: the marks go at once.
    SetCtrlVal(InjectHandle, INJECT_CONVERSION, 1000.0);
    showOutputRange(InjectHandle, INJECT_CONVERSION, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(textOf(InjectHandle, INJECT_OUTPUT_RANGE),
              "Peak 1.000 V at the output (range \u00b110 V).");
    EXPECT_EQ(previewPlots().size(), 1u);
    // The cell kind without a waveform says that only 0 V would play.
    chooseKind(kCell);
    EXPECT_THAT(textOf(InjectHandle, INJECT_OUTPUT_RANGE), HasSubstr("No waveform loaded"));
    chooseKind(kNoStimulus);
    EXPECT_EQ(textOf(InjectHandle, INJECT_OUTPUT_RANGE), "");
}

TEST_F(StimulusPanels, UpdateParametersWritesTheFixedSweepAndNoiseDurations) {
    ::testing::internal::CaptureStdout();
    chooseKind(kZap);
    EXPECT_EQ(intOf(Handle[kZap], ZAP_DURATION), 100000);
    chooseKind(kPoisson);
    chooseKind(kNoise);
    EXPECT_EQ(intOf(Handle[kNoise], NOISE_DURATION), 5000);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_THAT(out, HasSubstr("ZAP PARAMETERS WERE UPDATED \nHello from Get_wf_pars \n"
                               "ZAP WAVEFORM WAS CHOSEN \n"));
    EXPECT_THAT(out, HasSubstr("POISSON PARAMETERS WERE UPDATED \n"));
    // The noise kind shows only its own fields.
    EXPECT_EQ(Duration, 5000);
    int dimmed = 0;
    GetCtrlAttribute(Handle[kNoise], NOISE_TAU, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 1);
}

TEST_F(StimulusPanels, SineCorrectionsAreWrittenBackAndTheBaselineLocks) {
    chooseKind(kSine);
    SetCtrlVal(Handle[kSine], SINE_PHASE, 360.0);
    SetCtrlVal(Handle[kSine], SINE_DUTY_CYCLE, 1.0);
    SetCtrlVal(Handle[kSine], SINE_DURATION, 100);
    updateWaveform(Handle[kSine], SINE_UPDATE, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(doubleOf(Handle[kSine], SINE_PHASE), 0.0);
    EXPECT_EQ(doubleOf(Handle[kSine], SINE_DUTY_CYCLE), 0.5);

    SetCtrlVal(Handle[kSine], SINE_LOCK_BASELINE, 1);
    LockSineBaseline2Amp(Handle[kSine], SINE_LOCK_BASELINE, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(doubleOf(Handle[kSine], SINE_BASELINE), 1000.0);
    EXPECT_EQ(buffer()[500], 1000.0);  // sin 0 lifted by the amplitude
    SetCtrlVal(Handle[kSine], SINE_LOCK_BASELINE, 0);
    LockSineBaseline2Amp(Handle[kSine], SINE_LOCK_BASELINE, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(doubleOf(Handle[kSine], SINE_BASELINE), 0.0);

    // Stepping the duty cycle moves the phase on from burst to burst; Phase keeps where the
    // last half-wave left it, and the panel keeps the operator's start phase.
    SetCtrlVal(Handle[kSine], SINE_DURATION, 155);
    SetCtrlVal(Handle[kSine], SINE_PHASE, 30.0);
    SetCtrlVal(Handle[kSine], SINE_NUM_BURSTS, 4);
    SetCtrlVal(Handle[kSine], SINE_SWEEP_DUTY, 1);
    updateWaveform(Handle[kSine], SINE_UPDATE, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_GT(std::fabs(Phase - 30.0), 0.5);
    EXPECT_EQ(doubleOf(Handle[kSine], SINE_PHASE), 30.0);
}

TEST_F(StimulusPanels, ARefusedAssemblyIsReportedAndKeepsThePreviousStimulus) {
    chooseKind(kPulse);
    const std::vector<double> before = buffer();
    const double* block = WF_buffer;
    StimulusValueLimit() = 1000;  // the longer stimulus is beyond the limit
    SetCtrlVal(Handle[kPulse], PULSE_MS1, 250.0);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(InitializeGlobals(), -1);
    EXPECT_THAT(::testing::internal::GetCapturedStdout(),
                HasSubstr("popup \"Error!\" \"The stimulus would have 1350 values (1.4 s at 1000 "
                          "values per second), more than the 1000 values (1.0 s) a stimulus may "
                          "have. The previous stimulus is kept.\""));
    EXPECT_EQ(WF_buffer, block);
    EXPECT_EQ(buffer(), before);
    EXPECT_EQ(TotalTime_in_sec, 1.2);
    EXPECT_EQ(preview().size(), 1200u);

    // A long stimulus is previewed as the envelope of its values, not copied whole.
    StimulusValueLimit() = kStimulusValueLimit;
    SetCtrlVal(Handle[kPulse], PULSE_REPEATS, 1000);
    EXPECT_EQ(InitializeGlobals(), 0);
    EXPECT_EQ(Num_wf_points, 500 + 350 * 1000 + 500);
    const std::vector<double> envelope = preview();
    EXPECT_EQ(envelope.size(), 65536u);
    EXPECT_EQ(*std::min_element(envelope.begin(), envelope.end()), 0.0);
    EXPECT_EQ(*std::max_element(envelope.begin(), envelope.end()), 1000.0);
}

TEST_F(StimulusPanels, NoiseDiffersFromOneAssemblyToTheNext) {
    chooseKind(kNoise);
    const std::vector<double> first = buffer();
    updateWaveform(Handle[kNoise], NOISE_UPDATE, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(first.size(), buffer().size());
    EXPECT_NE(first, buffer());

    // Ornstein-Uhlenbeck noise plays at 10 values per millisecond.
    SetCtrlVal(Handle[kNoise], NOISE_KIND, 2);
    updateWaveform(Handle[kNoise], NOISE_UPDATE, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(Samples_per_sec_in_wfm, 10000.0);
    EXPECT_EQ(Num_wf_points, 60000);
    EXPECT_EQ(TotalTime_in_sec, 6.0);
    // The noise's Close button hides without rebuilding.
    SetCtrlVal(Handle[kNoise], NOISE_KIND, 0);
    CloseNoise(Handle[kNoise], NOISE_CLOSE, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(Num_wf_points, 60000);
}

TEST_F(StimulusPanels, SubPanelsCarryEveryProtocolNameAndTheFixedStepIdentifiers) {
    // Every name a protocol may use is a control of a sub-panel, under the identifier the
    // protocol vocabulary gives it.
    ui::Model& model = ui::Model::instance();
    for (int i = 0; i < kVocabularySize; ++i) {
        const std::string name = Control_name[i];
        const std::string panel = name.substr(0, name.find('_'));
        ui::Panel* p = model.panelByConstantName(panel);
        ASSERT_NE(p, nullptr) << panel;
        ui::Control* control = p->findByName(name.substr(panel.size() + 1));
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->id, ControlId[i]) << name;
    }
    const int steps[] = {PULSE_MV1, PULSE_MV2, PULSE_MV3, PULSE_MV4, PULSE_MV5,
                         PULSE_MS1, PULSE_MS2, PULSE_MS3, PULSE_MS4, PULSE_MS5,
                         RAMP_MV1,  RAMP_MV2,  RAMP_MV3,  RAMP_MV4,  RAMP_MV5,
                         RAMP_MS1,  RAMP_MS2,  RAMP_MS3,  RAMP_MS4,  RAMP_MS5};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(steps[k], Pulse_amp_idx[k]);
        EXPECT_EQ(steps[5 + k], Pulse_dur_idx[k]);
        EXPECT_EQ(steps[10 + k], Ramp_amp_idx[k]);
        EXPECT_EQ(steps[15 + k], Ramp_dur_idx[k]);
    }
}

}  // namespace
