// Protocol steps that cannot be played or recorded: the protocol ends with the step still to
// do, the operator is told which step and why, and nothing plays unasked afterwards.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/driver/fault_injection.h"
#include "platform/ui/error_output.h"
#include "platform/ui/file_system.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/stimulus.h"
#include "tests/platform/ui/failing_file_system.h"
#include "tests/protocol/protocol_fixture.h"

using namespace trelvanix;
using namespace trelvanix::callbacks;
using ::testing::HasSubstr;
using trelvanix::testing::textOf;

namespace {

class FailedSteps : public trelvanix::testing::ProtocolTest {
  protected:
    // Three recorded pulse steps of 1, 2 and 3 V on ao1.
    void loadRecordedSteps() {
        chooseKind(kPulse);
        loadProtocol(writeFile("amp.prt", "1 PULSE_MV1 DOUBLE 3 \n20 40 60"));
        SetCtrlVal(InjectHandle, INJECT_CHANNEL, 1);
        recordSteps(1);
        SetCtrlVal(ProtocolHandle, PROTOCOL_PAUSE, 0.5);
        ASSERT_EQ(popups(), "");
    }
    void recordSteps(int on) {
        SetCtrlVal(InjectHandle, INJECT_RECORD, on);
        press(InjectHandle, INJECT_RECORD, save_inject);
    }
    int dataFiles() const {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            count += entry.path().extension() == ".vnx";
        return count;
    }
    // Nothing is left armed or playing: a later plain Acquire plays no step.
    void expectNothingPlaysUnasked() {
        EXPECT_EQ(Protocol, 0);
        EXPECT_EQ(Injection, 0);
        EXPECT_EQ(Save_status, 0);
        EXPECT_EQ(intOf(InjectHandle, INJECT_STEP), 0);
        recordSteps(0);
        useScript("press PANEL ACQUIRE\nwait 5\npress PANEL STOP\n");
        runFor(6.0);
        EXPECT_EQ(intOf(InjectHandle, INJECT_STEP), 0);
        // The ended protocol gave the control its own value back, and no later step came.
        EXPECT_EQ(doubleOf(Handle[kPulse], PULSE_MV1), 1000.0) << "a later step was applied";
        EXPECT_EQ(dataFiles(), 0);
    }
};

// The acquisition restart that was to record step 1 fails: the protocol ends, the pop-up names
// the step and the driver's message, and the step is the one the next Run plays.
TEST_F(FailedSteps, AStepWhoseRestartFailsEndsTheProtocolAndNamesTheStep) {
    loadRecordedSteps();
    std::string error;
    // Call 1 is the input task of Acquire, call 2 the restart's.
    ASSERT_TRUE(driver::injectDriverFault("DAQmxCreateTask", 2, -200088, &error)) << error;
    useScript("press PANEL ACQUIRE\nwait 0.3\npress PROTOCOL RUN\nwait 3\n");
    runFor(4.0);
    EXPECT_THAT(popups(), HasSubstr("popup \"Error!\" \"The stimulus of protocol step 1 of 3 "
                                    "could not be recorded: acquisition stopped on a driver "
                                    "error.\\nDAQmxCreateTask: injected fault\\nStatus Code: "
                                    "-200088\\nThe protocol has stopped; Run plays this step "
                                    "next.\""));
    expectNothingPlaysUnasked();
}

// The data file of step 1 cannot be created (a full disk): the step's output is never started,
// and the protocol ends with the file's message rather than stimulating the cell unrecorded.
TEST_F(FailedSteps, AStepWhoseFileCannotBeCreatedIsNotPlayed) {
    loadRecordedSteps();
    std::string messages;
    ui::setErrorOutputListener([&](const std::string& text) { messages += text; });
    // An output start would meet this fault and say so.
    std::string error;
    ASSERT_TRUE(driver::injectDriverFault("DAQmxWriteAnalogF64", 1, -200077, &error)) << error;
    ui::testing::FailingFileSystem disk;
    disk.failCreate = true;
    ui::installFileSystem(&disk);
    useScript("press PANEL ACQUIRE\nwait 0.3\npress PROTOCOL RUN\nwait 3\npress PANEL STOP\n");
    runFor(4.0);
    const std::string shown = popups();
    EXPECT_THAT(shown, HasSubstr("popup \"Error!\" \"The stimulus of protocol step 1 of 3 was "
                                 "not played: it could not be recorded.\\nThe data file "));
    EXPECT_THAT(shown, HasSubstr("Nothing is being recorded.\\nThe protocol has stopped; Run "
                                 "plays this step next.\"\n"));
    EXPECT_EQ(shown.find("could not be started"), std::string::npos) << shown;
    EXPECT_EQ(messages.find("DAQmxWriteAnalogF64"), std::string::npos) << messages;
    expectNothingPlaysUnasked();
    ui::installFileSystem(nullptr);
    ui::setErrorOutputListener(nullptr);
}

// A step refused before it plays (its volts beyond the output range), the last one too, ends
// the protocol as a driver's refusal does: the step stays to do, named with the reason, and
// the next Run plays it once it can be played.
TEST_F(FailedSteps, AStepRefusedBeforeItPlaysStaysToDo) {
    chooseKind(kPulse);
    loadProtocol(writeFile("amp.prt", "1 PULSE_MV1 DOUBLE 3 \n20 40 600"));  // 1, 2 and 30 V
    SetCtrlVal(ProtocolHandle, PROTOCOL_PAUSE, 0.5);
    ASSERT_EQ(popups(), "");
    useScript("press PANEL ACQUIRE\nwait 0.3\npress PROTOCOL RUN\nwait 5\npress PANEL STOP\n");
    runFor(6.0);
    const std::string shown = popups();
    EXPECT_THAT(shown, HasSubstr("popup \"Error!\" \"The stimulus of protocol step 3 of 3 was "
                                 "not played.\\nThe stimulus would reach 30.000 V at the output"));
    EXPECT_THAT(shown, HasSubstr("\\nThe protocol has stopped; Run plays this step next.\"\n"));
    EXPECT_EQ(intOf(InjectHandle, INJECT_STEP), 2);
    EXPECT_EQ(textOf(ProtocolHandle, PROTOCOL_STATE), "stopped before step 3 of 3");

    // The protocol has not finished, so Run asks nothing and plays the step.
    SetCtrlVal(InjectHandle, INJECT_CONVERSION, 100.0);
    useScript("press PANEL ACQUIRE\nwait 0.3\npress PROTOCOL RUN\nwait 3\npress PANEL STOP\n");
    runFor(4.0);
    EXPECT_EQ(popups(), "");
    EXPECT_EQ(textOf(ProtocolHandle, PROTOCOL_STATE), "finished, 3 of 3");
    EXPECT_EQ(endStatus().value_or(0), 0);
}

}  // namespace
