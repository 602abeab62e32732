// The back end that drives a real board through the vendor's driver library, loaded at run
// time: here the test stand-in, which logs every call and can fail a chosen one.

#include <gmock/gmock.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/driver/backend_registry.h"
#include "platform/driver/board_choice.h"
#include "platform/driver/driver_errors.h"
#include "tests/platform/driver/driver_test_support.h"

namespace trelvanix::driver::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class DaqmxLibraryTest : public DriverTest {
  protected:
    void SetUp() override {
        DriverTest::SetUp();
        log_ = ::testing::TempDir() + "standin_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
        std::remove(log_.c_str());
        ::setenv("TRELVANIX_STANDIN_LOG", log_.c_str(), 1);
        ::unsetenv("TRELVANIX_STANDIN_FAIL");
    }
    void TearDown() override {
        DriverTest::TearDown();
        ::unsetenv("TRELVANIX_STANDIN_LOG");
        ::unsetenv("TRELVANIX_STANDIN_FAIL");
        std::remove(log_.c_str());
    }
    // The log's lines, without the polls of the acquired count.
    std::vector<std::string> calls() const {
        std::ifstream in(log_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    std::string log_;
};

TEST_F(DaqmxLibraryTest, OperationsGoToTheLibraryInOrderWithTheirArguments) {
    std::string error;
    ASSERT_EQ(startBoard({"", "", DAQMX_STANDIN}, &error), 0) << error;
    EXPECT_EQ(boardInUse().backend, "daqmx");
    EXPECT_FALSE(boardInUse().simulated);
    EXPECT_EQ(
        describeBoard("Dev1"),
        std::string("Dev1, real board (back end daqmx, driver library ") + DAQMX_STANDIN + ")");

    double ranges[128] = {};
    ASSERT_EQ(DAQmxGetDevAIVoltageRngs("Dev1", ranges, 128), 0);
    EXPECT_THAT(std::vector<double>(ranges, ranges + 10),
                ElementsAre(-10, 10, -5, 5, -0.5, 0.5, -0.05, 0.05, 0, 0));

    TaskHandle task = inputTask({3, 1}, 1000.0, 2000, -5.0, 5.0);
    ASSERT_EQ(DAQmxStartTask(task), 0);
    const std::vector<double> samples = read(task, 5, 2);
    uInt64 total = 0;
    ASSERT_EQ(DAQmxGetReadTotalSampPerChanAcquired(task, &total), 0);
    EXPECT_GE(total, 5u);
    release(task);

    // The library's samples, by scan: ai3 then ai1, a count ramp a quarter count above the code.
    for (int j = 0; j < 5; ++j) {
        EXPECT_DOUBLE_EQ(samples[2 * j], (4000 + j + 0.25) * 10.0 / 65536) << j;
        EXPECT_DOUBLE_EQ(samples[2 * j + 1], (2000 + j + 0.25) * 10.0 / 65536) << j;
    }
    EXPECT_THAT(
        calls(),
        ElementsAre("DAQmxGetDevAIVoltageRngs \"Dev1\" 0", "DAQmxGetDevAIVoltageRngs \"Dev1\" 8",
                    "DAQmxCreateTask \"Vanix_AnalogIn_Task\"",
                    "DAQmxCreateAIVoltageChan Vanix_AnalogIn_Task \"Dev1/ai3\" "
                    "\"\" 10083 -5 5 10348 null",
                    "DAQmxCreateAIVoltageChan Vanix_AnalogIn_Task \"Dev1/ai1\" "
                    "\"\" 10083 -5 5 10348 null",
                    "DAQmxCfgSampClkTiming Vanix_AnalogIn_Task \"\" 1000 10280 "
                    "10123 2000",
                    "DAQmxStartTask Vanix_AnalogIn_Task",
                    "DAQmxReadAnalogF64 Vanix_AnalogIn_Task 5 10 1 10",
                    "DAQmxGetReadTotalSampPerChanAcquired Vanix_AnalogIn_Task",
                    "DAQmxStopTask Vanix_AnalogIn_Task", "DAQmxClearTask Vanix_AnalogIn_Task"));
}

TEST_F(DaqmxLibraryTest, AnOutputIsWrittenThroughTheLibrary) {
    std::string error;
    ASSERT_EQ(startBoard({"daqmx", "", DAQMX_STANDIN}, &error), 0) << error;
    TaskHandle task = playWaveform(1, {0.5, 1.0, -1.0}, 2000.0);
    release(task);
    EXPECT_THAT(
        calls(),
        ElementsAre("DAQmxCreateTask \"AOGenerateWaveforms\"",
                    "DAQmxCreateAOVoltageChan AOGenerateWaveforms \"Dev1/ao1\" \"\" -10 10 "
                    "10348 null",
                    "DAQmxCfgSampClkTiming AOGenerateWaveforms \"OnboardClock\" 2000 10280 "
                    "10123 3",
                    "DAQmxWriteAnalogF64 AOGenerateWaveforms 3 1 10 0 0.5",
                    "DAQmxStopTask AOGenerateWaveforms", "DAQmxClearTask AOGenerateWaveforms"));
}

TEST_F(DaqmxLibraryTest, TheLibrarysErrorAndItsTextReachTheCaller) {
    ::setenv("TRELVANIX_STANDIN_FAIL", "DAQmxReadAnalogF64 2 -200279", 1);
    std::string error;
    ASSERT_EQ(startBoard({"", "", DAQMX_STANDIN}, &error), 0) << error;
    TaskHandle task = inputTask({0}, 1000.0, 1000);
    ASSERT_EQ(DAQmxStartTask(task), 0);
    read(task, 2, 1);
    double data[2];
    int32 got = -1;
    EXPECT_EQ(
        DAQmxReadAnalogF64(task, 2, 10.0, DAQmx_Val_GroupByScanNumber, data, 2, &got, nullptr),
        -200279);
    EXPECT_EQ(got, 0);
    EXPECT_EQ(lastError(),
              "DAQmxReadAnalogF64: Stand-in failure of DAQmxReadAnalogF64, call 2.\n"
              "Status Code: -200279");
    // An unknown device is the library's to refuse, with its own text.
    double ranges[2];
    EXPECT_EQ(DAQmxGetDevAIVoltageRngs("Dev9", ranges, 2), -200220);
    EXPECT_THAT(lastError(), HasSubstr("Device identifier is invalid."));
    release(task);
}

TEST_F(DaqmxLibraryTest, AMissingLibraryOrFunctionIsRefusedAndNothingIsHalfLoaded) {
    std::string error;
    EXPECT_EQ(startBoard({"", "", "/nowhere/libnidaqmx.so"}, &error), kErrorBoardFileInvalid);
    EXPECT_THAT(error, HasSubstr("/nowhere/libnidaqmx.so: the driver library cannot be loaded: "));

    EXPECT_EQ(startBoard({"", "", DAQMX_STANDIN_INCOMPLETE}, &error), kErrorBoardFileInvalid);
    EXPECT_EQ(error, std::string(DAQMX_STANDIN_INCOMPLETE) +
                         ": the driver library lacks the function "
                         "DAQmxGetReadTotalSampPerChanAcquired");
    EXPECT_TRUE(boardInUse().simulated) << "the simulated board stays in use";
    EXPECT_TRUE(calls().empty());
}

}  // namespace
}  // namespace trelvanix::driver::testing
