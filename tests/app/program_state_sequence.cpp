// Two tests run in this order in one process: the first leaves state behind in every module
// the way a test that ends early would (without a fixture's tear-down); the second, started
// by the fixture through ResetProgramState alone, must see none of it.

#include <gtest/gtest.h>

#include <string>

#include "app/acquisition_settings.h"
#include "app/display_controls.h"
#include "daq/acquisition.h"
#include "daq/device_init.h"
#include "platform/driver/fault_injection.h"
#include "platform/ui/file_system.h"
#include "platform/ui/model.h"
#include "platform/ui/runtime_files.h"
#include "protocol/protocol.h"
#include "recording/recording.h"
#include "state/shared_state.h"
#include "tests/app/program_fixture.h"
#include "tests/platform/ui/failing_file_system.h"

namespace {

int leftOpenHandle = -1;

trelvanix::ui::testing::FailingFileSystem failing;

TEST(ProgramStateSequence, FirstLeavesStateInEveryModule) {
    NumScans = 50000;
    Gain_Factor[2] = 7.0;
    Save_status = 1;
    Filename = "left behind";
    FromFile1 = 2;
    SaveHandle = 9;
    MoveSig = 1;
    TimerSetHandle = 4;
    trelvanix::DataFolder() = "/nowhere";
    trelvanix::ui::installFileSystem(&failing);
    leftOpenHandle = OpenFile("/dev/null", VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY);
    ASSERT_GE(leftOpenHandle, 0);
    ASSERT_TRUE(trelvanix::driver::injectDriverFault("DAQmxCreateTask", 1, -200, nullptr));
    AI_Task = reinterpret_cast<TaskHandle>(1);
    Num_lines = 3;
    Double_values = {1.0, 2.0, 3.0};
    CreatePrtHandle = 12;
    Data_type[0] = 'D';
}

class ProgramStateSecond : public trelvanix::testing::ProgramTest {};

TEST_F(ProgramStateSecond, SeesNoneOfIt) {
    EXPECT_EQ(NumScans, 4000);
    EXPECT_EQ(Gain_Factor[2], 1.0);
    EXPECT_EQ(Save_status, 0);
    EXPECT_EQ(Filename, "");
    EXPECT_EQ(FromFile1, -1);
    EXPECT_EQ(SaveHandle, -1);
    EXPECT_EQ(MoveSig, 0);
    EXPECT_EQ(TimerSetHandle, -1);
    EXPECT_EQ(trelvanix::DataFolder(), folder.string());
    EXPECT_EQ(&trelvanix::ui::fileSystem(), &trelvanix::ui::standardFileSystem());
    EXPECT_LT(WriteFile(leftOpenHandle, "x", 1), 0) << "the handle was released";
    EXPECT_EQ(AI_Task, nullptr);
    EXPECT_EQ(Num_lines, 0);
    EXPECT_TRUE(Double_values.empty());
    EXPECT_EQ(CreatePrtHandle, -1);
    EXPECT_STREQ(Data_type, "");
    // The planned task failure is gone: the program starts and acquires.
    ASSERT_TRUE(startProgram());
    EXPECT_EQ(trelvanix::driver::takeInjectedFault(trelvanix::driver::DriverOperation::CreateTask),
              0);
}

}  // namespace
