// Start-up names the board in use in the window title, and discovers a real board's ranges
// through its driver library (the test stand-ins).

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/driver/board_choice.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "tests/app/program_fixture.h"

using namespace trelvanix;
using namespace trelvanix::testing;

namespace {

std::string title() {
    std::string text;
    GetPanelAttribute(panelHandle, ATTR_TITLE, &text);
    return text;
}

std::vector<std::string> boardGainLabels() {
    int count = 0;
    GetNumListItems(panelHandle, PANEL_BOARD_GAIN, &count);
    std::vector<std::string> labels(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) GetLabelFromIndex(panelHandle, PANEL_BOARD_GAIN, i, &labels[i]);
    return labels;
}

}  // namespace

class BoardStartup : public ProgramTest {};

TEST_F(BoardStartup, TheTitleSaysTheSimulatedBoardIsInUse) {
    ASSERT_TRUE(startProgram());
    EXPECT_EQ(title(), "Trelvanix - Dev1, simulated board (back end simulated)");
}

TEST_F(BoardStartup, ARealBoardsRangesFillTheBoardGainList) {
    std::string error;
    ASSERT_EQ(driver::startBoard({"", "", DAQMX_STANDIN}, &error), 0) << error;
    ASSERT_TRUE(startProgram());
    EXPECT_EQ(title(),
              std::string("Trelvanix - Dev1, real board (back end daqmx, driver library ") +
                  DAQMX_STANDIN + ")");
    EXPECT_EQ(boardGainLabels(),
              (std::vector<std::string>{"Do Not Use, Gain = 0.50", "-5.00 V to 5.00 V, Gain=1.00",
                                        "-0.50 V to 0.50 V, Gain=10.00",
                                        "-0.05 V to 0.05 V, Gain=100.00"}));
    EXPECT_EQ(AIVoltageRanges[6], -0.05);
    EXPECT_EQ(AIVoltageRanges[8], 0.0);
    EXPECT_EQ(AILimitsIndex[0], 1);
}

#ifdef COMEDI_STANDIN
// The Comedi stand-in's ranges come as +-10, +-5, 0..10, +-0.5, 0..5 V, 0..20 mA, +-0.05 V.
TEST_F(BoardStartup, AComediBoardsBipolarRangesFillTheListAfterItsUnipolarOnes) {
    const std::string device = ::testing::TempDir() + "startup_comedi0";
    const std::string board = ::testing::TempDir() + "startup_comedi.board";
    std::ofstream{device};
    std::ofstream(board) << "device-file " << device << "\n";
    std::string error;
    ASSERT_EQ(driver::startBoard({"", board, COMEDI_STANDIN}, &error), 0) << error;
    ASSERT_TRUE(startProgram());
    EXPECT_EQ(boardGainLabels(),
              (std::vector<std::string>{"Do Not Use, Gain = 0.50", "-5.00 V to 5.00 V, Gain=1.00",
                                        "-0.50 V to 0.50 V, Gain=10.00",
                                        "-0.05 V to 0.05 V, Gain=100.00"}));
    // List item i is range pair 2 + i: the two unipolar ranges come first.
    EXPECT_EQ(AIVRngBipolarOffset, 2);
    EXPECT_EQ(AILimitsIndex[0], 1);
    EXPECT_EQ(AIVoltageRanges[2 * (2 + 1)], -5.0);
    EXPECT_EQ(AIVoltageRanges[2 * (2 + 2) + 1], 0.5);
    std::remove(device.c_str());
    std::remove(board.c_str());
}
#endif
