// The back end that drives a real board through Comedi, libcomedi loaded at run time: here
// the test stand-in, which serves known samples through a socket as the device file, logs
// commands and writes, and fails a chosen call.

#include <gmock/gmock.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/driver/backend_registry.h"
#include "platform/driver/board_choice.h"
#include "platform/driver/driver_errors.h"
#include "tests/platform/driver/driver_test_support.h"

namespace trelvanix::driver::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class ComediBoardTest : public DriverTest {
  protected:
    void SetUp() override {
        DriverTest::SetUp();
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        log_ = ::testing::TempDir() + "comedi_" + name + ".log";
        device_ = ::testing::TempDir() + "comedi_" + name + ".dev";
        std::remove(log_.c_str());
        std::ofstream{device_};
        ::setenv("TRELVANIX_STANDIN_LOG", log_.c_str(), 1);
        ::unsetenv("TRELVANIX_STANDIN_FAIL");
    }
    void TearDown() override {
        DriverTest::TearDown();
        ::unsetenv("TRELVANIX_STANDIN_LOG");
        ::unsetenv("TRELVANIX_STANDIN_FAIL");
        std::remove(log_.c_str());
        std::remove(device_.c_str());
    }
    // Starts the stand-in board: the board file's device-file line chooses the back end.
    void startComedi() {
        std::string error;
        const std::string board = writeBoardFile("device-file " + device_ + "\n");
        ASSERT_EQ(startBoard({"", board, COMEDI_STANDIN}, &error), 0) << error;
    }
    std::vector<std::string> calls() const {
        std::ifstream in(log_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // The log once `done` holds for it, or after five seconds: the stand-in runs on the
    // real clock.
    template <typename Done>
    std::vector<std::string> callsOnce(Done done) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        std::vector<std::string> lines = calls();
        while (!done(lines) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            lines = calls();
        }
        return lines;
    }
    std::string log_, device_;
};

TEST_F(ComediBoardTest, RangesInVoltsComeUnipolarFirstEachInTheBoardsOrder) {
    startComedi();
    EXPECT_EQ(boardInUse().backend, "comedi");
    EXPECT_FALSE(boardInUse().simulated);
    EXPECT_EQ(describeBoard("Dev1"),
              std::string("Dev1, real board (back end comedi, driver library ") + COMEDI_STANDIN +
                  ", device file " + device_ + ", board file " + ::testing::TempDir() +
                  "board_RangesInVoltsComeUnipolarFirstEachInTheBoardsOrder.txt)");
    // The board's order is +-10, +-5, 0..10, +-0.5, 0..5, 0..20 mA, +-0.05.
    std::vector<double> ranges(128, 7.0);
    ASSERT_EQ(DAQmxGetDevAIVoltageRngs("Dev1", ranges.data(), 128), 0);
    EXPECT_EQ(std::vector<double>(ranges.begin(), ranges.begin() + 13),
              (std::vector<double>{0, 10, 0, 5, -10, 10, -5, 5, -0.5, 0.5, -0.05, 0.05, 0}));
    EXPECT_EQ(DAQmxGetDevAIVoltageRngs("Dev2", ranges.data(), 128), kErrorInvalidDeviceId);
}

TEST_F(ComediBoardTest, InputIsACommandReadAsCalibratedVoltsByScan) {
    startComedi();
    TaskHandle task = inputTask({3, 1}, 1000.0, 2000, -0.5, 0.5);
    ASSERT_EQ(DAQmxStartTask(task), 0) << lastError();
    const std::vector<double> samples = read(task, 5, 2);
    uInt64 total = 0;
    ASSERT_EQ(DAQmxGetReadTotalSampPerChanAcquired(task, &total), 0);
    EXPECT_GE(total, 5u);
    release(task);

    // The stand-in reads 3 codes low; its calibration puts them back.
    for (int j = 0; j < 5; ++j) {
        EXPECT_NEAR(samples[2 * j], -0.5 + (32768 + 4000 + j) / 65535.0, 1e-12) << j;
        EXPECT_NEAR(samples[2 * j + 1], -0.5 + (32768 + 2000 + j) / 65535.0, 1e-12) << j;
    }
    // Continuous, at 1 ms a scan, on the board's range 3 (+-0.5 V), referenced to ground.
    EXPECT_THAT(calls(), ElementsAre("comedi_open " + device_,
                                     "comedi_command 0 flags 0 start 2/0 scan 16/1000000 stop "
                                     "1/0 chanlist 3/3/0 1/3/0",
                                     "comedi_cancel 0"));
}

TEST_F(ComediBoardTest, AWaveformPlaysOverAndOverAtItsRateThenTheOutputGoesTo0V) {
    startComedi();
    TaskHandle task = playWaveform(1, {0.5, 1.0, -1.0}, 2000.0);
    // While it plays, the output subdevice is the waveform's.
    TaskHandle level = nullptr;
    ASSERT_EQ(DAQmxCreateTask("AOUpdateChannel", &level), 0);
    ASSERT_EQ(DAQmxCreateAOVoltageChan(level, "Dev1/ao0", "", -10, 10, DAQmx_Val_Volts, ""), 0);
    EXPECT_EQ(DAQmxWriteAnalogScalarF64(level, 1, 10.0, 2.5, nullptr), kErrorResourceReserved);
    callsOnce([](const std::vector<std::string>& lines) { return lines.size() >= 7; });
    release(task);
    // The values beyond the waveform's limits are refused; a single value holds.
    EXPECT_EQ(DAQmxWriteAnalogScalarF64(level, 1, 10.0, 10.5, nullptr), kErrorAODataOutOfRange);
    EXPECT_EQ(DAQmxWriteAnalogScalarF64(level, 1, 10.0, 2.5, nullptr), 0) << lastError();
    release(level);

    std::vector<std::string> lines = calls();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[1],
              "comedi_command 1 flags 64 start 128/0 scan 16/500000 stop 1/0 "
              "chanlist 1/0/0");
    EXPECT_EQ(lines[2], "comedi_internal_trigger 1 0");
    // 0.5, 1 and -1 V in codes of +-10 V, a sample each, over and over.
    const std::string played[] = {"ao1 34406 x 1", "ao1 36044 x 1", "ao1 29491 x 1"};
    std::size_t k = 3;
    for (; lines[k] != "comedi_cancel 1"; ++k) ASSERT_EQ(lines[k], played[(k - 3) % 3]) << k;
    EXPECT_GE(k, 3u + 3u);
    EXPECT_THAT(std::vector<std::string>(lines.begin() + k, lines.end()),
                ElementsAre("comedi_cancel 1", "comedi_data_write 1 1 0 0 32768",
                            "comedi_data_write 1 0 0 0 40959"));
}

TEST_F(ComediBoardTest, FailuresAreRefusedWithComedisOwnText) {
    startComedi();
    ::setenv("TRELVANIX_STANDIN_FAIL", "comedi_command 1 16", 1);
    TaskHandle task = inputTask({0, 1}, 1000.0, 2000);
    EXPECT_EQ(DAQmxStartTask(task), kErrorResourceReserved);
    EXPECT_EQ(lastError(),
              "DAQmxStartTask: the input command of task \"Vanix_AnalogIn_Task\" cannot start "
              "(Comedi: Device or resource busy)\nStatus Code: -50103");

    // The stream ends after 20 scans as a board whose buffer overflowed.
    ::setenv("TRELVANIX_STANDIN_FAIL", "read 20 32", 1);
    ASSERT_EQ(DAQmxStartTask(task), 0) << lastError();
    read(task, 10, 2);
    std::vector<double> data(40);
    int32 got = -1;
    EXPECT_EQ(DAQmxReadAnalogF64(task, 20, 10.0, DAQmx_Val_GroupByScanNumber, data.data(), 40, &got,
                                 nullptr),
              kErrorSamplesNoLongerAvailable);
    EXPECT_EQ(got, 0);
    EXPECT_EQ(lastError(),
              "DAQmxReadAnalogF64: task \"Vanix_AnalogIn_Task\": the board's buffer overflowed: "
              "samples were lost before they could be read (Comedi: Broken pipe)\n"
              "Status Code: -200279");
    release(task);

    // A rate the board cannot reach is refused, not run slower under the program's name.
    task = inputTask({0, 1}, 900000.0, 2000000);
    EXPECT_EQ(DAQmxStartTask(task), kErrorInvalidAttributeValue);
    EXPECT_THAT(lastError(), HasSubstr("the board cannot run at 900000 S/s; the nearest rate it "
                                       "offers is 500000 S/s"));
    release(task);
}

TEST_F(ComediBoardTest, AMissingLibraryFunctionOrDeviceFileStopsStartUp) {
    std::string error;
    const auto refused = [&](const std::string& boardText, const char* library) {
        error.clear();
        EXPECT_EQ(startBoard({"comedi", writeBoardFile(boardText), library}, &error),
                  kErrorBoardFileInvalid);
        EXPECT_TRUE(boardInUse().simulated) << "the simulated board stays in use";
        return error;
    };
    const std::string deviceLine = "device-file " + device_ + "\n";
    EXPECT_THAT(refused(deviceLine, "/nowhere/libcomedi.so.0"),
                HasSubstr("/nowhere/libcomedi.so.0: the Comedi library cannot be loaded (it "
                          "comes with the package libcomedi0): "));
    EXPECT_EQ(refused(deviceLine, COMEDI_STANDIN_INCOMPLETE),
              std::string(COMEDI_STANDIN_INCOMPLETE) +
                  ": the Comedi library lacks the function comedi_command");
    EXPECT_EQ(refused("device-file /nowhere/comedi0\n", COMEDI_STANDIN),
              "/nowhere/comedi0: the Comedi device cannot be opened: No such file or directory");
    EXPECT_THAT(calls(), ElementsAre("comedi_open /nowhere/comedi0"));
    // Only a back end that opens a device file is given one.
    error.clear();
    EXPECT_EQ(startBoard({"daqmx", writeBoardFile(deviceLine), "libx.so"}, &error),
              kErrorBoardFileInvalid);
    EXPECT_EQ(error, "back end daqmx opens no device file, but " + device_ + " is named");
    const BackendEntry* entry = backendNamed("comedi");
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->defaultDriverLibrary, "libcomedi.so.0");
    EXPECT_STREQ(entry->defaultDeviceFile, "/dev/comedi0");
}

}  // namespace
}  // namespace trelvanix::driver::testing
