// The injection run-time inside the program: stimuli played while idle or acquiring, recorded
// with a restart of acquisition, alternated, stopped, refused, and the outputs they leave.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "daq/acquisition.h"
#include "daq/analog_output.h"
#include "platform/clock/clock.h"
#include "platform/driver/daqmx.h"
#include "platform/driver/fault_injection.h"
#include "platform/ui/error_output.h"
#include "platform/ui/model.h"
#include "platform/ui/toolkit.h"
#include "recording/vnx_reader.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/injection.h"
#include "stimulus/stimulus.h"
#include "tests/app/program_fixture.h"

using namespace trelvanix;
using namespace trelvanix::callbacks;
using ::testing::HasSubstr;

namespace {

// ai2 reads ao0 back and ai1 reads ao1, so a test sees both outputs.
constexpr const char* kBoard = "input ai2 readback output=ao0\ninput ai0 cell sigma=0\n";

// What output `output` puts out now, read on its read-back input (moves the clock 2 ms).
double outputVolts(int output) {
    TaskHandle task = nullptr;
    DAQmxCreateTask("probe", &task);
    DAQmxCreateAIVoltageChan(task, output == 0 ? "Dev1/ai2" : "Dev1/ai1", "", DAQmx_Val_RSE, -10.0,
                             10.0, DAQmx_Val_Volts, "");
    DAQmxCfgSampClkTiming(task, "", 1000.0, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1000);
    DAQmxStartTask(task);
    double values[2] = {};
    int32 read = 0;
    DAQmxReadAnalogF64(task, 2, 10.0, DAQmx_Val_GroupByScanNumber, values, 2, &read, nullptr);
    DAQmxStopTask(task);
    DAQmxClearTask(task);
    return values[1];
}

class InjectionRuntime : public trelvanix::testing::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        installBoard(kBoard);
        ASSERT_TRUE(startProgram());
        inject(0, 0, nullptr, 0);
        ::testing::internal::CaptureStdout();
        // The default pulse (1000 units from 500 to 600 ms of 1200) at 1 V.
        SetCtrlVal(InjectHandle, INJECT_WAVEFORM, kPulse);
        Set_waveform(InjectHandle, INJECT_WAVEFORM, EVENT_COMMIT, nullptr, 0, 0);
        SetCtrlVal(InjectHandle, INJECT_CONVERSION, 1000.0);
    }
    void TearDown() override {
        // Failures are reported on the captured standard output too: keep them visible.
        const std::string rest = ::testing::internal::GetCapturedStdout();
        if (HasFailure()) std::fputs(rest.c_str(), stderr);
        ProgramTest::TearDown();
    }
    // What the program printed (pop-ups, diagnostic lines) since the last call.
    std::string printed() {
        std::string text = ::testing::internal::GetCapturedStdout();
        ::testing::internal::CaptureStdout();
        return text;
    }
    void commit(int control, int value) {
        SetCtrlVal(InjectHandle, control, value);
        using Callback = int (*)(int, int, int, void*, int, int);
        Callback callback = control == INJECT_CONTINUOUS  ? continuous_inject
                            : control == INJECT_ALTERNATE ? Output_alternate
                                                          : save_inject;
        callback(InjectHandle, control, EVENT_COMMIT, nullptr, 0, 0);
    }
    void pressStart() { Inject(InjectHandle, INJECT_START, EVENT_COMMIT, nullptr, 0, 0); }
    int valueOf(int panel, int control) {
        int value = 0;
        GetCtrlVal(panel, control, &value);
        return value;
    }
    int dimmed(int panel, int control) {
        int value = 0;
        GetCtrlAttribute(panel, control, ATTR_DIMMED, &value);
        return value;
    }
    std::vector<std::filesystem::path> dataFiles() const {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".vnx") files.push_back(entry.path());
        return files;
    }
};

TEST_F(InjectionRuntime, AStimulusStartedWhileIdlePlaysItsLengthAndEndsAtZeroVolts) {
    SetCtrlVal(InjectHandle, INJECT_CHANNEL, 1);
    const double start = Timer();
    pressStart();
    // The wait loop returns exactly when the stimulus has ended, on the simulated clock.
    EXPECT_GE(Timer() - start, 1.2);
    EXPECT_NEAR(Timer() - start, 1.2, 1e-9);
    EXPECT_EQ(Injection, 0);
    EXPECT_EQ(valueOf(InjectHandle, INJECT_LED), 0);
    EXPECT_EQ(dimmed(InjectHandle, INJECT_START), 0);
    EXPECT_NEAR(outputVolts(1), 0.0, 1e-3);
    EXPECT_EQ(std::string(Channel_name), "1");
}

// Editing the stimulus while it plays changes neither its values nor its length: the 1.2 s
// pulse ends after 1.2 s, not after the length of the stimulus now on the panel.
TEST_F(InjectionRuntime, AStimulusEditedWhileItPlaysEndsAfterItsOwnLength) {
    SetCtrlVal(InjectHandle, INJECT_CHANNEL, 1);
    useScript(
        "press INJECT START\nwait 0.3\nset PULSE MS1 5000\npress PULSE UPDATE\nwait 1.0\n"
        "get INJECT LED\n");
    runFor(10.0);
    EXPECT_THAT(printed(), HasSubstr("INJECT LED = 0\n"));
    EXPECT_EQ(Injection, 0);
}

TEST_F(InjectionRuntime, ContinuousAlternationPlaysZeroOneZeroAndTheOperatorsStopResetsIt) {
    SetCtrlVal(InjectHandle, INJECT_CHANNEL, 1);
    commit(INJECT_CONTINUOUS, 1);
    EXPECT_EQ(dimmed(InjectHandle, INJECT_ALTERNATE), 0);
    EXPECT_EQ(dimmed(InjectHandle, INJECT_RECORD), 1);
    commit(INJECT_ALTERNATE, 1);
    ASSERT_EQ(Pre_WF(), 0);
    std::string channels;
    for (int k = 0; k < 3; ++k) {
        In_WF();
        channels += Channel_name;
        Stop_inject();
    }
    EXPECT_EQ(channels, "010");
    // A repetition that ends starts the next on the other output, Start staying dimmed.
    In_WF();
    Time -= TotalTime_in_sec;
    StimulusEndChecks();
    EXPECT_EQ(std::string(Channel_name), "0");
    EXPECT_EQ(Injection, 1);
    EXPECT_EQ(dimmed(InjectHandle, INJECT_START), 1);
    StopInject(InjectHandle, INJECT_STOP, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(Old_channel, 0);

    // Played through the wait loop: repetitions at 0, 1.2, 2.4 and 3.6 s until the stop.
    printed();
    useScript("press INJECT START\nwait 3.7\npress INJECT STOP\n");
    runFor(10.0);
    const std::string lines = printed();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 4) << lines;
    EXPECT_THAT(lines, HasSubstr("CONTINUOUS INJECT HAS BEEN TURNED ON!\n"));
    EXPECT_EQ(Old_channel, 0);
    EXPECT_NEAR(outputVolts(0), 0.0, 1e-3);
    EXPECT_NEAR(outputVolts(1), 0.0, 1e-3);

    // Continuous off clears alternation too.
    commit(INJECT_CONTINUOUS, 0);
    EXPECT_EQ(Output_Alternate, 0);
    EXPECT_EQ(valueOf(InjectHandle, INJECT_ALTERNATE), 0);
    EXPECT_EQ(dimmed(InjectHandle, INJECT_ALTERNATE), 1);
    EXPECT_EQ(dimmed(InjectHandle, INJECT_RECORD), 0);
}

TEST_F(InjectionRuntime, ARecordedStimulusRestartsAcquisitionAndSavesExactlyItsLength) {
    commit(INJECT_RECORD, 1);
    SetCtrlVal(InjectHandle, INJECT_CHANNEL, 1);
    useScript(
        "press PANEL ACQUIRE\nwait 0.55\npress INJECT START\nwait 0.6\nget INJECT LED\n"
        "wait 1.0\nget INJECT LED\nget PANEL SAVE_LAMP\npress PANEL STOP\n");
    runFor(10.0);
    const std::string out = printed();
    EXPECT_THAT(out, HasSubstr("INJECT LED = 1\nINJECT LED = 0\nPANEL SAVE_LAMP = 0\n"));
    EXPECT_EQ(Save_status, 0);
    EXPECT_EQ(Save_inject, 0);
    EXPECT_EQ(Injection, 0);
    const auto files = dataFiles();
    ASSERT_EQ(files.size(), 1u);
    std::string error;
    const auto info = vnx::readHeader(files[0].string(), &error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->samples, 4800);  // 1.2 s at 4000 samples per second
    EXPECT_EQ(info->declaredSamples, 4800);
    ASSERT_TRUE(info->stimulus);
    EXPECT_EQ(info->stimulus->kind, kPulse);
    EXPECT_NEAR(outputVolts(1), 0.0, 1e-3);
}

// While a recorded stimulus plays, Record and File > Save are dimmed (either would close its
// file early), also after the restart: its one file is whole, and once it has ended both are
// usable again.
TEST_F(InjectionRuntime, RecordAndSaveAreDimmedWhileARecordedStimulusPlays) {
    commit(INJECT_RECORD, 1);
    ::testing::internal::CaptureStderr();
    // After the stimulus, Save opens its dialog again (the script fails on a panel not shown).
    useScript(
        "press PANEL ACQUIRE\nwait 0.55\npress INJECT START\nwait 0.3\n"
        "menu MENUBAR_FILE_SAVE\npress PANEL RECORD\nwait 2\n"
        "menu MENUBAR_FILE_SAVE\npress INTERVAL CANCEL\npress PANEL STOP\n");
    runFor(5.0);
    EXPECT_EQ(endStatus().value_or(0), 0);
    const std::string notes = ::testing::internal::GetCapturedStderr();
    EXPECT_THAT(notes, HasSubstr("menu item MENUBAR_FILE_SAVE is dimmed"));
    EXPECT_THAT(notes, HasSubstr("PANEL RECORD is dimmed"));
    EXPECT_EQ(notes.rfind("MENUBAR_FILE_SAVE is dimmed"),
              notes.find("MENUBAR_FILE_SAVE is dimmed"));
    const auto files = dataFiles();
    ASSERT_EQ(files.size(), 1u);
    std::string error;
    const auto info = vnx::readHeader(files[0].string(), &error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->samples, 4800);
    EXPECT_EQ(info->declaredSamples, 4800);
}

// Acquisition stopped while a stimulus plays leaves it to end after its length, as one
// started while idle, instead of repeating on the output with nothing to end it.
TEST_F(InjectionRuntime, AStimulusOutlivingAcquisitionStillEndsAfterItsLength) {
    SetCtrlVal(InjectHandle, INJECT_CHANNEL, 1);
    useScript("press PANEL ACQUIRE\nwait 0.3\npress INJECT START\nwait 0.2\npress PANEL STOP\n");
    runFor(10.0);
    EXPECT_EQ(Acquiring, 0);
    EXPECT_EQ(Injection, 0);
    EXPECT_EQ(valueOf(InjectHandle, INJECT_LED), 0);
    EXPECT_EQ(dimmed(InjectHandle, INJECT_START), 0);
    EXPECT_NEAR(outputVolts(1), 0.0, 1e-3);
}

TEST_F(InjectionRuntime, ARecordedStimulusStartsNothingUnlessAcquiringWithoutSaving) {
    commit(INJECT_RECORD, 1);
    pressStart();
    EXPECT_EQ(Injection, 0);
    EXPECT_EQ(AutoSave, 0);
    EXPECT_EQ(Save_inject, 0);
    EXPECT_EQ(dimmed(InjectHandle, INJECT_START), 0);
    EXPECT_EQ(printed(), "");

    // The box ticked while idle does not make interval saving a recorded stimulus, which
    // would end the saving with its first period; and a recorded stimulus asked for while it
    // saves is refused, as the pending restart would stall the saving.
    commit(INJECT_RECORD, 1);
    EXPECT_EQ(Save_inject, 1);
    useScript(
        "press PANEL ACQUIRE\nmenu MENUBAR_FILE_SAVE\nset INTERVAL SAVING 0.5\n"
        "press INTERVAL OK\nwait 0.7\npress INJECT START\nwait 0.5\npress PANEL STOP\n"
        "press PANEL STOP\n");
    runFor(5.0);
    EXPECT_THAT(printed(), HasSubstr("cannot be recorded while data are being saved"));
    EXPECT_EQ(Save_inject, 0);
    EXPECT_EQ(AutoSave, 0);
    EXPECT_EQ(Injection, 0);
    EXPECT_EQ(dataFiles().size(), 3u);  // periods from 0, 0.5 and 1.0 s
}

TEST_F(InjectionRuntime, TheDefaultPulseIsDescribedInSevenCommentLines) {
    Set_wf_comments();
    int count = 0;
    GetNumTextBoxLines(panelHandle, PANEL_COMMENT, &count);
    std::vector<std::string> lines(count);
    for (int i = 0; i < count; ++i) GetTextBoxLine(panelHandle, PANEL_COMMENT, i, &lines[i]);
    EXPECT_THAT(lines,
                ::testing::ElementsAre("", "Baseline = 0.0 ", "DUR 0 = 100.0;  AMP 0 = 1000.0 ",
                                       "DUR 1 = 100.0;  AMP 1 = 0.0 ", "DUR 2 = 0.0;  AMP 2 = 0.0 ",
                                       "DUR 3 = 0.0;  AMP 3 = 0.0 ", "DUR 4 = 0.0;  AMP 4 = 0.0 "));
    // The stimulus comment's first line, cut to 51 characters.
    ResetTextBox(InjectHandle, INJECT_COMMENT, (std::string(60, 'x') + "\nsecond").c_str());
    Set_wf_comments();
    std::string first;
    GetTextBoxLine(panelHandle, PANEL_COMMENT, 0, &first);
    EXPECT_EQ(first, std::string(51, 'x'));
}

// The description goes into the recorded file's header, cut at a line end when the header
// cannot hold it all, and the operator is told what was left out; the operator's own comment
// is back in the box once the stimulus has ended.
TEST_F(InjectionRuntime, ARecordedStimulusGivesTheOperatorsCommentBackAndSaysWhatWasCut) {
    commit(INJECT_RECORD, 1);
    ResetTextBox(panelHandle, PANEL_COMMENT, "my notes\ncell 3, -65 mV");
    ResetTextBox(InjectHandle, INJECT_COMMENT, std::string(51, 's').c_str());
    ::testing::internal::CaptureStderr();
    useScript("press PANEL ACQUIRE\nwait 0.5\npress INJECT START\nwait 2\npress PANEL STOP\n");
    runFor(10.0);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    const auto files = dataFiles();
    ASSERT_EQ(files.size(), 1u);
    std::string error;
    const auto info = vnx::readHeader(files[0].string(), &error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->comment, std::string(51, 's') +
                                 "\nBaseline = 0.0 \nDUR 0 = 100.0;  AMP 0 = 1000.0 \n"
                                 "DUR 1 = 100.0;  AMP 1 = 0.0 \nDUR 2 = 0.0;  AMP 2 = 0.0 \n"
                                 "DUR 3 = 0.0;  AMP 3 = 0.0 \n");
    EXPECT_THAT(errors, HasSubstr("The comment is longer than the 199 bytes the header of " +
                                  files[0].filename().string() +
                                  " holds; left out:\nDUR 4 = 0.0;  AMP 4 = 0.0 \n"));
    EXPECT_EQ(Injection, 0);
    EXPECT_EQ(trelvanix::testing::textOf(panelHandle, PANEL_COMMENT), "my notes\ncell 3, -65 mV");
}

// Choosing another kind while a stimulus plays does not offer a second Start.
TEST_F(InjectionRuntime, StartStaysDimmedWhileAStimulusPlaysWhateverKindIsChosen) {
    commit(INJECT_CONTINUOUS, 1);
    pressStart();
    ASSERT_EQ(Injection, 1);
    SetCtrlVal(InjectHandle, INJECT_WAVEFORM, kSine);
    Set_waveform(InjectHandle, INJECT_WAVEFORM, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(dimmed(InjectHandle, INJECT_START), 1);
    StopInject(InjectHandle, INJECT_STOP, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(dimmed(InjectHandle, INJECT_START), 0);
}

TEST_F(InjectionRuntime, TheOperatorsStopZeroesTheOutputThatPlayedNotOnlyThePanels) {
    SetCtrlVal(InjectHandle, INJECT_CHANNEL, 1);
    useScript("press INJECT START\nwait 0.55\nset INJECT CHANNEL 0\npress INJECT STOP\n");
    runFor(0.56);
    EXPECT_EQ(Injection, 0);
    EXPECT_NEAR(outputVolts(1), 0.0, 1e-3);
    EXPECT_NEAR(outputVolts(0), 0.0, 1e-3);
}

// An output task the driver would not clear at a stimulus's end is reported and cleared
// before the next stimulus creates its own, instead of refusing every later stimulus.
TEST_F(InjectionRuntime, AnOutputTaskLeftByAFailedClearDoesNotBlockTheNextStimulus) {
    std::string error;
    ASSERT_TRUE(driver::injectDriverFault("DAQmxClearTask", 1, -200088, &error)) << error;
    pressStart();
    EXPECT_THAT(AnalogOutputError(), HasSubstr("DAQmxClearTask: injected fault"));
    pressStart();
    EXPECT_EQ(Injection, 0);
    EXPECT_EQ(printed().find("popup"), std::string::npos);
    EXPECT_EQ(Wfm_id_mx, nullptr);
}

// The task that sets an output to 0 V is refused its clear once: the refusal is reported and
// the task cleared before the next use, so every later stimulus still ends at 0 V. A refused
// stop is reported too, a failure the driver cannot describe is named by its call and status,
// and a task still held when the program leaves is cleared then.
TEST_F(InjectionRuntime, RefusedStopsAndClearsAreReportedAndNoLaterStimulusEndsLive) {
    std::string messages;
    ui::setErrorOutputListener([&](const std::string& text) { messages += text; });
    SetCtrlVal(InjectHandle, INJECT_CHANNEL, 1);
    std::string error;
    // At the first stop: clear 1 is the waveform task's, clear 2 the 0 V task's.
    ASSERT_TRUE(driver::injectDriverFault("DAQmxClearTask", 2, -200088, &error)) << error;
    ASSERT_TRUE(driver::injectDriverFault("DAQmxStopTask", 1, -200010, &error)) << error;
    for (int stimulus = 0; stimulus < 2; ++stimulus) {
        useScript("press INJECT START\nwait 0.55\npress INJECT STOP\n");
        runFor(0.56);
        EXPECT_NEAR(outputVolts(1), 0.0, 1e-3) << "stimulus " << stimulus;
    }
    EXPECT_EQ(printed().find("popup"), std::string::npos);
    EXPECT_THAT(messages, HasSubstr("DAQmxStopTask: injected fault"));
    EXPECT_THAT(messages, HasSubstr("DAQmxClearTask: injected fault"));
    EXPECT_THAT(messages, HasSubstr("The output task \"AOUpdateChannel\" could not be released"));

    ASSERT_TRUE(driver::injectDriverFault("DAQmxWriteAnalogF64", 1, -200077, &error)) << error;
    ASSERT_TRUE(driver::injectDriverFault("DAQmxGetExtendedErrorInfo", 1, -200000, &error));
    pressStart();
    EXPECT_THAT(printed(), HasSubstr("ao1.\\nDAQmxWriteAnalogF64 failed with status -200077"));

    // Left held at the last stop, the 0 V task is cleared when the program leaves.
    ASSERT_TRUE(driver::injectDriverFault("DAQmxClearTask", 2, -200088, &error)) << error;
    useScript("press INJECT START\nwait 0.55\npress INJECT STOP\n");
    runFor(0.56);
    ReleaseDriverTasksLeftBehind();
    TaskHandle task = nullptr;
    EXPECT_EQ(DAQmxCreateTask("AOUpdateChannel", &task), 0);
    DAQmxClearTask(task);
    ui::setErrorOutputListener(nullptr);
}

// Stopped in the middle of its pulse, a stimulus's output is set to 0 V a second time when
// the driver refuses once; refused twice (here at a stimulus's end), the operator is told the
// output may not be at 0 V.
TEST_F(InjectionRuntime, ARefusedReturnTo0VIsTriedAgainThenReported) {
    SetCtrlVal(InjectHandle, INJECT_CHANNEL, 1);
    std::string error;
    ASSERT_TRUE(driver::injectDriverFault("DAQmxWriteAnalogScalarF64", 1, -200000, &error));
    useScript("press INJECT START\nwait 0.55\npress INJECT STOP\n");
    runFor(0.56);
    EXPECT_NEAR(outputVolts(1), 0.0, 1e-3);
    EXPECT_EQ(printed().find("popup"), std::string::npos);

    ASSERT_TRUE(driver::injectDriverFault("DAQmxWriteAnalogScalarF64", 1, -200000, &error));
    ASSERT_TRUE(driver::injectDriverFault("DAQmxWriteAnalogScalarF64", 2, -200000, &error));
    std::string messages;
    ui::setErrorOutputListener([&](const std::string& text) { messages += text; });
    pressStart();
    ui::setErrorOutputListener(nullptr);
    EXPECT_THAT(printed(), HasSubstr("popup \"Error!\" \"Output ao1 could not be set to 0 V"));
    EXPECT_THAT(messages, HasSubstr("Output ao1 could not be set to 0 V: it may still hold"));
    EXPECT_EQ(valueOf(InjectHandle, INJECT_LED), 0);
}

TEST_F(InjectionRuntime, AnOutputThatFailsToStartIsNotShownPlayingAndSaysWhy) {
    std::string error;
    ASSERT_TRUE(driver::injectDriverFault("DAQmxWriteAnalogF64", 1, -200077, &error)) << error;
    pressStart();
    EXPECT_EQ(Injection, 0);
    EXPECT_EQ(valueOf(InjectHandle, INJECT_LED), 0);
    EXPECT_EQ(dimmed(InjectHandle, INJECT_START), 0);
    const std::string text = printed();
    EXPECT_THAT(text,
                HasSubstr("popup \"Error!\" \"The stimulus could not be started on output ao0."));
    // The driver's own reason follows.
    EXPECT_THAT(AnalogOutputError(), HasSubstr("injected fault"));
    EXPECT_THAT(text, HasSubstr("ao0.\\nDAQmxWriteAnalogF64: injected fault"));

    // Recorded: acquisition restarts without saving; no file is made.
    ASSERT_TRUE(driver::injectDriverFault("DAQmxWriteAnalogF64", 1, -200077, &error)) << error;
    commit(INJECT_RECORD, 1);
    useScript("press PANEL ACQUIRE\nwait 0.3\npress INJECT START\nwait 2\npress PANEL STOP\n");
    runFor(5.0);
    EXPECT_THAT(printed(), HasSubstr("could not be started"));
    EXPECT_EQ(Save_status, 0);
    EXPECT_EQ(valueOf(panelHandle, PANEL_SAVE_LAMP), 0);
    EXPECT_EQ(valueOf(InjectHandle, INJECT_LED), 0);
    EXPECT_TRUE(dataFiles().empty());
}

TEST_F(InjectionRuntime, AStimulusBeyondTheOutputRangeIsRefusedBeforeAnythingStarts) {
    SetCtrlVal(InjectHandle, INJECT_CONVERSION, 20.0);  // 1000 units are 50 V
    pressStart();
    EXPECT_EQ(printed(),
              "popup \"Error!\" \"The stimulus would reach 50.000 V at the output (20 units per "
              "volt), beyond the output range of -10 V to +10 V.\\nLower its amplitude or raise "
              "the units per volt.\"\n");
    EXPECT_EQ(Injection, 0);
    EXPECT_EQ(Wfm_id_mx, nullptr);

    commit(INJECT_RECORD, 1);
    useScript("press PANEL ACQUIRE\nwait 0.3\npress INJECT START\nwait 2\npress PANEL STOP\n");
    runFor(5.0);
    EXPECT_THAT(printed(), HasSubstr("would reach 50.000 V"));
    EXPECT_EQ(Save_status, 0);
    EXPECT_EQ(Wfm_id_mx, nullptr);
    EXPECT_TRUE(dataFiles().empty());
}

// Reports both outputs when the process ends, after Quit has done its work.
void reportOutputsAtExit() {
    std::fprintf(stderr, "ao0 %.3f V, ao1 %.3f V\n", outputVolts(0), outputVolts(1));
}

TEST_F(InjectionRuntime, QuitWhileAStimulusPlaysLeavesBothOutputsAtZero) {
    ::testing::FLAGS_gtest_death_test_style = "fast";
    SetCtrlVal(InjectHandle, INJECT_PRE_TIME, 0);
    SetCtrlVal(InjectHandle, INJECT_CHANNEL, 1);
    commit(INJECT_CONTINUOUS, 1);
    EXPECT_EXIT(
        {
            pressStart();  // continuous, and nothing else can happen: it plays on
            std::fprintf(stderr, "playing %.3f V\n", outputVolts(1));
            std::atexit(reportOutputsAtExit);
            useScript("answer confirm yes\n");  // "A stimulus is playing. Stop it and quit?"
            Quit(panelHandle, PANEL_QUIT, EVENT_COMMIT, nullptr, 0, 0);
        },
        ::testing::ExitedWithCode(1), "playing 1.000 V\nao0 0.000 V, ao1 0.000 V");
}

}  // namespace
