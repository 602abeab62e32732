// The protocol editor: picking a parameter on a sub-panel, making the values, saving the file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/ui/toolkit.h"
#include "protocol/protocol.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/stimulus.h"
#include "tests/protocol/protocol_fixture.h"

using namespace trelvanix;
using namespace trelvanix::callbacks;
using ::testing::HasSubstr;

namespace {

class ProtocolEditor : public trelvanix::testing::ProtocolTest {
  protected:
    void SetUp() override {
        ProtocolTest::SetUp();
        show_create_protocol(0, 0, nullptr, 0);
        ASSERT_GT(CreatePrtHandle, 0);
    }
    void pick(int kind, int control) {
        set_control(Handle[kind], control, EVENT_COMMIT, nullptr, 0, 0);
    }
    std::string generate(int start, int end, int step) {
        SetCtrlVal(CreatePrtHandle, PRT_START, start);
        SetCtrlVal(CreatePrtHandle, PRT_END, end);
        SetCtrlVal(CreatePrtHandle, PRT_STEP, step);
        press(CreatePrtHandle, PRT_GENERATE, set_val);
        return firstLine(PRT_VALUES);
    }
    std::string firstLine(int control) {
        std::string line;
        GetTextBoxLine(CreatePrtHandle, control, 0, &line);
        return line;
    }
    std::string pickedLabel() {
        std::string label;
        GetCtrlAttribute(CreatePrtHandle, PRT_LABEL, ATTR_LABEL_TEXT, &label);
        return label;
    }
    // Saves through the save button into a file of the test's folder; its text.
    std::string save(const std::string& name) {
        const std::string path = (folder / name).string();
        useScript("answer file \"" + path + "\"\n");
        press(CreatePrtHandle, PRT_SAVE, Save_protocol);
        return readFile(path);
    }
};

TEST_F(ProtocolEditor, APickedAmplitudeFamilyIsSavedByteForByte) {
    pick(kPulse, PULSE_MV1);
    EXPECT_EQ(firstLine(PRT_NAME), "PULSE_MV1");
    EXPECT_STREQ(Data_type, "DOUBLE");
    EXPECT_EQ(generate(-60, -20, 10), "-60 -50 -40 -30 -20");
    EXPECT_EQ(save("amp.prt"), "1 PULSE_MV1 DOUBLE 5 \n-60 -50 -40 -30 -20");
    EXPECT_EQ(popups(), "");

    // The saved file loads back into the runner with the pulse selected.
    chooseKind(kPulse);
    loadProtocol((folder / "amp.prt").string());
    EXPECT_EQ(popups(), "");
    EXPECT_EQ(Num_lines, 5);
    EXPECT_EQ(Double_values.back(), -20.0);
}

TEST_F(ProtocolEditor, TheListFollowsStartEndAndTheSignedStep) {
    pick(kPulse, PULSE_REPEATS);
    EXPECT_STREQ(Data_type, "INTEGER");
    EXPECT_EQ(generate(7, 7, 3), "7");
    EXPECT_EQ(save("one.prt"), "1 PULSE_REPEATS INTEGER 1 \n7");
    EXPECT_EQ(generate(0, 10, -5), "0 -5 -10");
    EXPECT_EQ(generate(0, 10, 3), "0 3 6 9");

    // Step 0 is refused and the values stay.
    EXPECT_EQ(generate(0, 10, 0), "0 3 6 9");
    EXPECT_EQ(popups(), "popup \"Error!!!\" \"Step cannot be zero.\"\n");
    // A list longer than the values box holds is refused and the values stay.
    EXPECT_EQ(generate(0, 1000, 1), "0 3 6 9");
    EXPECT_THAT(popups(), HasSubstr("do not fit in 999 characters"));
    EXPECT_EQ(generate(-1000000000, 1000000000, 1), "0 3 6 9");
    EXPECT_THAT(popups(), HasSubstr("do not fit in 999 characters"));
}

TEST_F(ProtocolEditor, AHandEditedListIsCountedByItsValues) {
    pick(kSine, SINE_PHASE);
    ResetTextBox(CreatePrtHandle, PRT_VALUES, "");
    InsertTextBoxLine(CreatePrtHandle, PRT_VALUES, 0, "0  90 180 ");
    EXPECT_EQ(save("phase.prt"), "1 SINE_PHASE DOUBLE 3 \n0  90 180 ");
}

TEST_F(ProtocolEditor, SavingIsRefusedWithoutANameValuesOrAKnownName) {
    EXPECT_EQ(save("none.prt"), "");
    EXPECT_EQ(popups(), "popup \"Error!!!\" \"Parameter or parameter values cannot be null.\"\n");

    ResetTextBox(CreatePrtHandle, PRT_NAME, "PULSE_NOTE");
    generate(1, 3, 1);
    useScript("");  // no dialog may open
    press(CreatePrtHandle, PRT_SAVE, Save_protocol);
    EXPECT_EQ(popups(), "popup \"Error\" \"Control name not found. Contact programmer.\"\n");

    pick(kPulse, PULSE_MV1);
    useScript("answer file \"" + (folder / "no" / "such" / "dir.prt").string() + "\"\n");
    press(CreatePrtHandle, PRT_SAVE, Save_protocol);
    EXPECT_EQ(popups(), "popup \"Error!\" \"Error opening the protocol file\"\n");
}

// Files the runner would refuse are not written: no value type yet, a word that is no number,
// a value the control cannot take.
TEST_F(ProtocolEditor, AFileTheRunnerWouldRefuseIsNotSaved) {
    ResetTextBox(CreatePrtHandle, PRT_NAME, "PULSE_MV1");
    generate(-60, -20, 10);
    EXPECT_EQ(save("typed.prt"), "");
    EXPECT_EQ(popups(),
              "popup \"Error!!!\" \"The value type of PULSE_MV1 is not known yet: change "
              "its value on its stimulus sub-panel first.\"\n");

    pick(kPulse, PULSE_REPEATS);
    EXPECT_EQ(generate(1000000000, -1000000000, 1000000000), "1000000000 2000000000 3000000000");
    EXPECT_EQ(save("repeats.prt"), "");
    EXPECT_EQ(popups(),
              "popup \"Error!!!\" \"Value 1 of 3 in the protocol file, 1000000000, is "
              "outside the range of PULSE_REPEATS, 1 to 100000. The protocol file was "
              "not saved.\"\n");
    pick(kSine, SINE_DURATION);
    ResetTextBox(CreatePrtHandle, PRT_VALUES, "100 0");
    EXPECT_EQ(save("duration.prt"), "");
    EXPECT_THAT(popups(), HasSubstr("Value 2 of 2 in the protocol file, 0, is outside the range of "
                                    "SINE_DURATION, 1 to 3600000."));
    ResetTextBox(CreatePrtHandle, PRT_VALUES, "100 2O0");
    EXPECT_EQ(save("typo.prt"), "");
    EXPECT_THAT(popups(), HasSubstr("Value 2 of 2, 2O0, is not a number."));
    ResetTextBox(CreatePrtHandle, PRT_VALUES, "100 200");
    EXPECT_EQ(save("good.prt"), "1 SINE_DURATION INTEGER 2 \n100 200");
}

TEST_F(ProtocolEditor, CommittingAParameterOnItsPanelPicksItAndRebuildsTheStimulus) {
    chooseKind(kPulse);
    DisplayPanel(Handle[kSine]);
    const int before = Num_wf_points;
    useScript("set PULSE REPEATS 2\nset SINE PHASE 90\n");
    runFor(1.0);
    EXPECT_GT(Num_wf_points, before);  // the new repeat count took effect
    EXPECT_EQ(firstLine(PRT_NAME), "SINE_PHASE");
    EXPECT_STREQ(Data_type, "DOUBLE");
    // Beside the name, the label the operator knows the control by; a step by its row and
    // column.
    EXPECT_EQ(pickedLabel(), "Sine: Start phase (deg)");
    pick(kPulse, PULSE_REPEATS);
    EXPECT_STREQ(Data_type, "INTEGER");
    EXPECT_EQ(pickedLabel(), "Pulse train: Repeats (steps 1-3)");
    pick(kRamp, RAMP_MS2);
    EXPECT_EQ(pickedLabel(), "Ramp train: Segment 2, Duration (ms)");
    pick(kPulse, PULSE_MV1);
    EXPECT_EQ(pickedLabel(), "Pulse train: Step 1, Amplitude (units)");
}

}  // namespace
