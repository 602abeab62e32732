// The protocol runner: loading protocol files, the state each failed load leaves, running,
// skipping, the loop's protocol step, and what the panel shows of it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/clock/clock.h"
#include "platform/ui/toolkit.h"
#include "protocol/protocol.h"
#include "protocol/protocol_step_stage.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/stimulus.h"
#include "tests/protocol/protocol_fixture.h"

using namespace trelvanix;
using namespace trelvanix::callbacks;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using trelvanix::testing::textOf;

namespace {

class ProtocolRunner : public trelvanix::testing::ProtocolTest {
  protected:
    const std::string kMismatch =
        "popup \"Error!!\" \"Waveform selected in not matching with waveform in protocol file\"\n";
    const std::string kNotFound =
        "popup \"Error\" \"Control name not found. Contact programmer.\"\n";

    void loadPulseAmplitudes() {
        chooseKind(kPulse);
        loadProtocol(writeFile("amp.prt", "1 PULSE_MV1 DOUBLE 3 \n-60 -40 -20"));
        ASSERT_EQ(popups(), "");
    }
    void expectUnloadedOrReset() {
        EXPECT_EQ(Protocol, 0);
        EXPECT_EQ(Line, 0);
        EXPECT_EQ(intOf(InjectHandle, INJECT_STEP), 0);
    }
};

TEST_F(ProtocolRunner, ASinePhaseFileStepsThePhaseWithTheSineSelected) {
    chooseKind(kSine);
    SetCtrlVal(InjectHandle, INJECT_STEP, 2);
    loadProtocol(writeFile("phase.prt", "1 SINE_PHASE DOUBLE 3 \n0 90 180"));
    EXPECT_EQ(popups(), "");
    EXPECT_EQ(Num_parameters, 1);
    EXPECT_STREQ(Load_data_type, "DOUBLE");
    EXPECT_EQ(Num_lines, 3);
    EXPECT_THAT(Double_values, ElementsAre(0.0, 90.0, 180.0));
    EXPECT_EQ(Control_id, SINE_PHASE);
    EXPECT_EQ(intOf(InjectHandle, INJECT_NUM_STEPS), 3);
    expectUnloadedOrReset();
    EXPECT_FALSE(dimmed(ProtocolHandle, PROTOCOL_RUN));
    EXPECT_FALSE(dimmed(ProtocolHandle, PROTOCOL_SKIP));
    EXPECT_TRUE(dimmed(InjectHandle, INJECT_CONTINUOUS));
    EXPECT_EQ(intOf(InjectHandle, INJECT_CONTINUOUS), 0);

    Protocol = 1;
    for (int step : {0, 1, 2}) {
        EXPECT_EQ(::Run(step), 0);
        EXPECT_EQ(doubleOf(Handle[kSine], SINE_PHASE), 90.0 * step);
    }
    // The last step ends the protocol while its stimulus still plays.
    EXPECT_EQ(Protocol, 0);
    EXPECT_FALSE(dimmed(InjectHandle, INJECT_CONTINUOUS));
    EXPECT_EQ(::Run(3), 1);
}

TEST_F(ProtocolRunner, TheSameFileWithThePulseSelectedLoadsNothing) {
    chooseKind(kPulse);
    loadProtocol(writeFile("phase.prt", "1 SINE_PHASE DOUBLE 3 \n0 90 180"));
    EXPECT_EQ(popups(), kMismatch);
    EXPECT_EQ(Num_lines, 0);
    EXPECT_STREQ(Load_data_type, "");
    EXPECT_TRUE(dimmed(ProtocolHandle, PROTOCOL_RUN));

    chooseKind(kNoStimulus);
    loadProtocol(writeFile("phase.prt", "1 SINE_PHASE DOUBLE 3 \n0 90 180"));
    EXPECT_EQ(popups(), "popup \"Error!!\" \"Please select a waveform first.....\"\n");
    EXPECT_EQ(Num_lines, 0);

    loadProtocol((folder / "missing.prt").string());
    EXPECT_EQ(popups(), "popup \"Error!\" \"Error opening the protocol file\"\n");
}

TEST_F(ProtocolRunner, AOneStepProtocolEndsAtOnceWithItsOnlyStep) {
    chooseKind(kPulse);
    loadProtocol(writeFile("one.prt", "1 PULSE_MS1 DOUBLE 1 \n250"));
    SetCtrlVal(ProtocolHandle, PROTOCOL_PAUSE, 2.5);
    SetCtrlVal(InjectHandle, INJECT_CONVERSION, 1000.0);
    const double started = Timer();
    press(ProtocolHandle, PROTOCOL_RUN, run_protocol);
    // One stimulus with the new step length played to its end (nothing is acquired).
    EXPECT_GE(Timer() - started, 1.35);
    EXPECT_EQ(Injection, 0);
    EXPECT_EQ(popups(), "");
    EXPECT_EQ(Run_time, 2.5);
    // The protocol has ended: the step's control, and the stimulus, are the operator's again.
    EXPECT_EQ(doubleOf(Handle[kPulse], PULSE_MS1), 100.0);
    EXPECT_EQ(Num_wf_points, 1200);
    EXPECT_EQ(Protocol, 0);
    EXPECT_EQ(Line, 1);
    EXPECT_FALSE(dimmed(InjectHandle, INJECT_CONTINUOUS));
}

TEST_F(ProtocolRunner, RunningFromAStepAtOrBeyondTheCountStartsAtTheFirst) {
    loadPulseAmplitudes();
    for (int shown : {3, 7}) {
        SetCtrlVal(Handle[kPulse], PULSE_MV1, 5.0);
        SetCtrlVal(InjectHandle, INJECT_STEP, shown);
        press(ProtocolHandle, PROTOCOL_RUN, run_protocol);
        EXPECT_EQ(doubleOf(Handle[kPulse], PULSE_MV1), -60.0);
        EXPECT_EQ(Line, 1);
    }
    // Skipping before the run makes the run start further on.
    useScript("answer file cancel\n");
    press(ProtocolHandle, PROTOCOL_LOAD, load_protocol);
    EXPECT_EQ(Line, 0);
    press(ProtocolHandle, PROTOCOL_SKIP, skip_run);
    press(ProtocolHandle, PROTOCOL_SKIP, skip_run);
    press(ProtocolHandle, PROTOCOL_RUN, run_protocol);
    // Only the last step played, and once it ended the control went back to its own value.
    EXPECT_EQ(Line, 3);
    EXPECT_EQ(textOf(ProtocolHandle, PROTOCOL_STATE), "finished, 3 of 3");
    EXPECT_EQ(doubleOf(Handle[kPulse], PULSE_MV1), 5.0);
    EXPECT_EQ(Protocol, 0);
}

TEST_F(ProtocolRunner, TheRunShowsItsProgressGivesTheValueBackAndAsksBeforeRunningAgain) {
    chooseKind(kPulse);
    SetCtrlVal(InjectHandle, INJECT_CONVERSION, 1000.0);
    const std::string path = writeFile("ms.prt", "1 PULSE_MS1 DOUBLE 2 \n250 300");
    loadProtocol(path);
    EXPECT_EQ(textOf(ProtocolHandle, PROTOCOL_FILE), path);
    EXPECT_EQ(textOf(ProtocolHandle, PROTOCOL_PARAMETER),
              "PULSE_MS1  (Pulse train: Step 1, Duration (ms)), 2 steps");
    EXPECT_EQ(textOf(ProtocolHandle, PROTOCOL_VALUES), "250 300");
    EXPECT_EQ(textOf(ProtocolHandle, PROTOCOL_STATE), "ready, 2 steps");

    // Not acquiring: the first step plays at once, the next waits for acquisition.
    press(ProtocolHandle, PROTOCOL_RUN, run_protocol);
    EXPECT_EQ(doubleOf(Handle[kPulse], PULSE_MS1), 250.0);
    EXPECT_EQ(textOf(ProtocolHandle, PROTOCOL_STATE), "waiting for Acquire: step 2 of 2");
    // The loop plays the last step after the pause; once it has ended the protocol is
    // finished and the control holds the operator's value again.
    protocol::ProtocolStepStage stage;
    daq::RunLayout layout;
    daq::StretchContext stretch{layout};
    Protocol_time = Timer() - 1.0;  // the step pause has passed
    stage.onStretch(stretch);
    EXPECT_EQ(Line, 2);
    EXPECT_EQ(textOf(ProtocolHandle, PROTOCOL_STATE), "finished, 2 of 2");
    EXPECT_EQ(doubleOf(Handle[kPulse], PULSE_MS1), 100.0);
    EXPECT_TRUE(dimmed(InjectHandle, INJECT_STOP)) << "nothing plays to stop";

    // Run again asks first: no changes nothing, yes starts again from step 1.
    useScript("answer confirm no\n");
    press(ProtocolHandle, PROTOCOL_RUN, run_protocol);
    EXPECT_EQ(Line, 2);
    EXPECT_EQ(doubleOf(Handle[kPulse], PULSE_MS1), 100.0);
    useScript("answer confirm yes\n");
    press(ProtocolHandle, PROTOCOL_RUN, run_protocol);
    EXPECT_EQ(Line, 1);
    EXPECT_EQ(Protocol, 1);
    EXPECT_EQ(doubleOf(Handle[kPulse], PULSE_MS1), 250.0);
    EXPECT_EQ(endStatus().value_or(0), 0) << "every question was answered";

    // Stopping the stimulus stops the protocol, and the control gets its value back.
    StopInject(InjectHandle, INJECT_STOP, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(doubleOf(Handle[kPulse], PULSE_MS1), 100.0);
    EXPECT_EQ(textOf(ProtocolHandle, PROTOCOL_STATE), "stopped before step 2 of 2");
}

TEST_F(ProtocolRunner, SkippingStopsAtTheCount) {
    loadPulseAmplitudes();
    for (int expected : {1, 2, 3, 3}) {
        press(ProtocolHandle, PROTOCOL_SKIP, skip_run);
        EXPECT_EQ(Line, expected);
        EXPECT_EQ(intOf(InjectHandle, INJECT_STEP), expected);
    }
}

TEST_F(ProtocolRunner, AShortValueListCountsTheMissingValuesAsZeroAndSaysHowMany) {
    chooseKind(kPulse);
    loadProtocol(writeFile("short.prt", "1 PULSE_MV1 DOUBLE 4 \n-60 -50"));
    EXPECT_EQ(popups(),
              "popup \"Warning!\" \"The protocol file ends 2 values early: the missing "
              "values count as 0.\"\n");
    EXPECT_EQ(Num_lines, 4);
    EXPECT_THAT(Double_values, ElementsAre(-60.0, -50.0, 0.0, 0.0));
    EXPECT_FALSE(dimmed(ProtocolHandle, PROTOCOL_RUN));
}

TEST_F(ProtocolRunner, EachLoadReplacesTheListAndResetsTheRunWhateverItsOutcome) {
    loadPulseAmplitudes();
    Protocol = 1;
    Line = 2;
    loadProtocol(writeFile("reps.prt", "1 PULSE_REPEATS INTEGER 2 \n3 4"));
    EXPECT_EQ(popups(), "");
    expectUnloadedOrReset();
    EXPECT_STREQ(Load_data_type, "INTEGER");
    EXPECT_THAT(Int_values, ElementsAre(3, 4));
    EXPECT_EQ(Control_id, PULSE_REPEATS);
    EXPECT_EQ(intOf(InjectHandle, INJECT_NUM_STEPS), 2);

    // A type the runner does not know: the new type word and count, the previous list.
    Protocol = 1;
    Line = 1;
    loadProtocol(writeFile("type.prt", "1 PULSE_MV1 FLOAT 5 \n1 2 3 4 5"));
    EXPECT_EQ(popups(), "popup \"Error!\" \"Data type not defined. Contact programmer.\"\n");
    expectUnloadedOrReset();
    EXPECT_STREQ(Load_data_type, "FLOAT");
    EXPECT_EQ(Num_lines, 5);
    EXPECT_THAT(Int_values, ElementsAre(3, 4));
    EXPECT_EQ(::Run(0), 1);
    EXPECT_EQ(popups(),
              "popup \"Error!!!\" \"Data type of parameter not supported. Contact "
              "Programmer\"\n");

    // A name that is not in the vocabulary: the new list stays, the control does not change,
    // and run and skip are dimmed again.
    loadProtocol(writeFile("note.prt", "1 PULSE_NOTE DOUBLE 2 \n7 8"));
    EXPECT_EQ(popups(), kNotFound);
    expectUnloadedOrReset();
    EXPECT_STREQ(Load_data_type, "DOUBLE");
    EXPECT_THAT(Double_values, ElementsAre(7.0, 8.0));
    EXPECT_EQ(Control_id, PULSE_REPEATS);
    EXPECT_TRUE(dimmed(ProtocolHandle, PROTOCOL_RUN));
    EXPECT_TRUE(dimmed(ProtocolHandle, PROTOCOL_SKIP));
}

TEST_F(ProtocolRunner, HandWrittenFractionsAreReadAsRealNumbers) {
    chooseKind(kPulse);
    loadProtocol(writeFile("fractions.prt", "1 PULSE_MV2 DOUBLE 4\n0.5 1e-3\n-2.25 7"));
    EXPECT_EQ(popups(), "");
    EXPECT_THAT(Double_values, ElementsAre(0.5, 0.001, -2.25, 7.0));
    Protocol = 1;
    ::Run(1);
    EXPECT_EQ(doubleOf(Handle[kPulse], PULSE_MV2), 0.001);

    // Whole-number protocols read as before; a word that is no number counts as 0.
    chooseKind(kCell);
    loadProtocol(writeFile("whole.prt", "1 CELL_DUR INTEGER 3 \n2 x 4"));
    EXPECT_THAT(Int_values, ElementsAre(2, 0, 4));
}

TEST_F(ProtocolRunner, NamesAndTypeWordsThatDoNotFitAreRefusedAndChangeNothing) {
    loadPulseAmplitudes();
    const std::string longName(50, 'A');
    loadProtocol(writeFile("a.prt", "1 PULSE_" + longName + " DOUBLE 1 \n5"));
    EXPECT_THAT(popups(), HasSubstr("longer than 49 characters"));
    loadProtocol(writeFile("b.prt", "1 PULSEMV1 DOUBLE 1 \n5"));
    EXPECT_THAT(popups(), HasSubstr("no parameter of the form PANEL_CONTROL (found PULSEMV1)"));
    loadProtocol(writeFile("c.prt", "1 PULSE_MV1 DOUBLEDOUBLE 1 \n5"));
    EXPECT_THAT(popups(), HasSubstr("longer than 9 characters"));
    loadProtocol(writeFile("d.prt", "1 PULSE_MV1 DOUBLE x \n5"));
    EXPECT_THAT(popups(), HasSubstr("does not give its number of values"));

    EXPECT_STREQ(Load_data_type, "DOUBLE");
    EXPECT_EQ(Num_lines, 3);
    EXPECT_THAT(Double_values, ElementsAre(-60.0, -40.0, -20.0));
    EXPECT_FALSE(dimmed(ProtocolHandle, PROTOCOL_RUN));
}

// Values the control would change are refused by name with its range, and nothing is loaded;
// counts out of range and empty files say so.
TEST_F(ProtocolRunner, ValuesTheControlCannotTakeAreRefusedAndNothingIsLoaded) {
    loadPulseAmplitudes();
    chooseKind(kSine);
    loadProtocol(writeFile("dur.prt", "1 SINE_DURATION INTEGER 3 \n100 0 200"));
    EXPECT_EQ(popups(),
              "popup \"Error!\" \"Value 2 of 3 in the protocol file, 0, is outside the range of "
              "SINE_DURATION, 1 to 3600000. Nothing was loaded.\"\n");
    loadProtocol(writeFile("reps.prt", "1 SINE_REPEATS INTEGER 2 \n5 3000000000"));
    EXPECT_THAT(popups(), HasSubstr("Value 2 of 2 in the protocol file, 3000000000, is outside the "
                                    "range of SINE_REPEATS, 1 to 100000."));
    loadProtocol(writeFile("short.prt", "1 SINE_DURATION INTEGER 3 \n100 200"));
    EXPECT_THAT(popups(), HasSubstr("Value 3 of 3 in the protocol file, missing (0), is outside"));
    loadProtocol(writeFile("amp.prt", "1 SINE_AMPLITUDE DOUBLE 1 \n2e6"));
    EXPECT_THAT(popups(), HasSubstr("2e6, is outside the range of SINE_AMPLITUDE, -1000000 to "
                                    "1000000."));
    loadProtocol(writeFile("many.prt", "1 SINE_PHASE DOUBLE 1000001 \n0"));
    EXPECT_EQ(popups(),
              "popup \"Error!\" \"The number of values in the protocol file, 1000001, is "
              "out of range (1 to 1000000).\"\n");
    const std::string empty = writeFile("empty.prt", " \n");
    loadProtocol(empty);
    EXPECT_EQ(popups(), "popup \"Error!\" \"The protocol file " + empty + " is empty.\"\n");
    // The pulse protocol loaded first is still the one loaded.
    EXPECT_EQ(Control_id, PULSE_MV1);
    EXPECT_THAT(Double_values, ElementsAre(-60.0, -40.0, -20.0));
    EXPECT_EQ(Num_lines, 3);
}

// Loading a protocol turns continuous injection off through its box, so the steps can end;
// the operator types the step to run next.
TEST_F(ProtocolRunner, LoadingTurnsContinuousOffAndTheTypedStepIsTheNextToRun) {
    chooseKind(kPulse);
    useScript("set INJECT CONTINUOUS 1\nset INJECT STEP 2\n");
    runFor(0.1);
    ASSERT_EQ(Continuous_inject, 1);
    loadProtocol(writeFile("amp.prt", "1 PULSE_MV1 DOUBLE 4 \n-60 -40 -20 0"));
    EXPECT_EQ(Continuous_inject, 0);
    EXPECT_FALSE(dimmed(InjectHandle, INJECT_RECORD));
    EXPECT_FALSE(dimmed(InjectHandle, INJECT_PRE_TIME));
    EXPECT_TRUE(dimmed(InjectHandle, INJECT_CONTINUOUS));

    SetCtrlVal(InjectHandle, INJECT_CONVERSION, 1000.0);
    useScript("set INJECT STEP 1\npress PROTOCOL SKIP\npress PROTOCOL RUN\n");
    runFor(5.0);
    EXPECT_EQ(popups(), "");
    EXPECT_EQ(doubleOf(Handle[kPulse], PULSE_MV1), -20.0);  // step 1, skipped to 2, played
    EXPECT_EQ(Line, 3);
    EXPECT_EQ(Injection, 0);  // the step ended after its length
    useScript("set INJECT STEP 9\n");
    runFor(0.1);
    EXPECT_EQ(Line, 4);  // no further than the count
    EXPECT_EQ(intOf(InjectHandle, INJECT_STEP), 4);
}

// The last step too: one whose output the driver refuses is still to do, and Run plays it.
TEST_F(ProtocolRunner, ARefusedLastStepIsPlayedByTheNextRun) {
    installBoard("fault DAQmxWriteAnalogF64 1 -200077\n");
    loadPulseAmplitudes();
    SetCtrlVal(InjectHandle, INJECT_CONVERSION, 1000.0);
    SetCtrlVal(InjectHandle, INJECT_STEP, 2);
    press(ProtocolHandle, PROTOCOL_RUN, run_protocol);
    EXPECT_THAT(popups(), HasSubstr("could not be started on output ao0."));
    EXPECT_EQ(Protocol, 0);
    EXPECT_EQ(Line, 2);
    EXPECT_EQ(intOf(InjectHandle, INJECT_STEP), 2);
    EXPECT_EQ(textOf(ProtocolHandle, PROTOCOL_STATE), "stopped before step 3 of 3");
    SetCtrlVal(Handle[kPulse], PULSE_MV1, 5.0);
    press(ProtocolHandle, PROTOCOL_RUN, run_protocol);
    EXPECT_EQ(popups(), "");
    // The last step played, and the control has the operator's value again.
    EXPECT_EQ(Line, 3);
    EXPECT_EQ(textOf(ProtocolHandle, PROTOCOL_STATE), "finished, 3 of 3");
    EXPECT_EQ(doubleOf(Handle[kPulse], PULSE_MV1), 5.0);
}

TEST_F(ProtocolRunner, ChangingTheKindWhileAProtocolRunsStopsIt) {
    chooseKind(kPulse);
    SetCtrlVal(InjectHandle, INJECT_CONVERSION, 1000.0);  // the first step plays
    loadProtocol(writeFile("ms.prt", "1 PULSE_MS1 DOUBLE 3 \n250 300 350"));
    press(ProtocolHandle, PROTOCOL_RUN, run_protocol);
    EXPECT_EQ(doubleOf(Handle[kPulse], PULSE_MS1), 250.0);
    Protocol = 1;  // waiting for the next step
    Injection = 0;
    chooseKind(kSine);
    // The sine panel has a control of the same identifier, which must not receive the values.
    ASSERT_EQ(SINE_INTERBURST, PULSE_MS1);

    // The loop's next stretch finds the kind changed: the protocol stops and says so.
    protocol::ProtocolStepStage stage;
    daq::RunLayout layout;
    daq::StretchContext stretch{layout};
    popups();
    EXPECT_EQ(stage.onStretch(stretch), 0);
    EXPECT_EQ(Protocol, 0);
    EXPECT_EQ(popups(),
              "popup \"Error!!\" \"The stimulus kind is not the one the protocol was "
              "loaded for: the protocol has stopped.\"\n");
    EXPECT_FALSE(dimmed(InjectHandle, INJECT_CONTINUOUS));

    // Pressing run again with the other kind writes nothing into its panel.
    press(ProtocolHandle, PROTOCOL_RUN, run_protocol);
    EXPECT_EQ(Protocol, 0);
    EXPECT_EQ(doubleOf(Handle[kSine], SINE_INTERBURST), 0.0);
    EXPECT_THAT(popups(), HasSubstr("the protocol has stopped"));
}

TEST_F(ProtocolRunner, TheLoopStepWaitsForThePauseAfterTheStimulusEnded) {
    loadPulseAmplitudes();
    SetCtrlVal(ProtocolHandle, PROTOCOL_PAUSE, 0.5);
    protocol::ProtocolStepStage stage;
    daq::RunLayout layout;
    daq::StretchContext stretch{layout};
    stage.onRunStart(layout);
    EXPECT_EQ(Run_time, 0.5);

    // Waiting for the pause: the previous stimulus ended just now.
    Protocol = 1;
    Injection = 0;
    Line = 1;
    Protocol_time = Timer();
    stage.onStretch(stretch);
    EXPECT_EQ(Line, 1);
    runFor(0.5);
    stage.onStretch(stretch);
    EXPECT_EQ(Line, 2);
    EXPECT_EQ(doubleOf(Handle[kPulse], PULSE_MV1), -40.0);

    // A stimulus still playing holds the next step back.
    Protocol = 1;
    Injection = 1;
    stage.onStretch(stretch);
    EXPECT_EQ(Line, 2);
}

TEST_F(ProtocolRunner, TheExampleProtocolsLoadWithTheirKinds) {
    const std::string examples = TRELVANIX_PROTOCOL_EXAMPLES;
    chooseKind(kPulse);
    loadProtocol(examples + "pulse_amplitudes.prt");
    EXPECT_THAT(Double_values, ElementsAre(-40.0, -20.0, 0.0, 20.0, 40.0));
    EXPECT_EQ(Control_id, PULSE_MV1);
    chooseKind(kSine);
    loadProtocol(examples + "sine_phases.prt");
    EXPECT_THAT(Double_values, ElementsAre(0.0, 90.0, 180.0, 270.0));
    EXPECT_EQ(Control_id, SINE_PHASE);
    EXPECT_EQ(popups(), "");
}

}  // namespace
