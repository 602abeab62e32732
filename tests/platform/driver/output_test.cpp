// Analog outputs of the simulated board seen through the inputs that follow them: the
// read-back on ai1 and the model cell on ai0.

#include <cmath>

#include "platform/driver/driver_errors.h"
#include "tests/platform/driver/driver_test_support.h"

namespace trelvanix::driver::testing {
namespace {

class OutputTest : public DriverTest {
  protected:
    void SetUp() override {
        DriverTest::SetUp();
        BoardConfig config = quietBoard();
        config.inputs[0] = defaultSignal(SignalSource::Cell);
        config.inputs[0].sigma = 0.0;
        config.inputs[1] = defaultSignal(SignalSource::Readback);
        installSimulatedBoard(config);
    }

    // What ai1 reads over the next `samples` samples at `rate`, from now.
    std::vector<double> readBack(int samples, double rate) {
        TaskHandle task = inputTask({1}, rate, 100000);
        DAQmxStartTask(task);
        auto data = read(task, samples, 1);
        release(task);
        return data;
    }

    // The program's way of setting an output: a task of its own, cleared at once.
    void updateChannel(const char* channel, double volts) {
        TaskHandle task = nullptr;
        ASSERT_EQ(DAQmxCreateTask("AOUpdateChannel", &task), 0);
        ASSERT_EQ(DAQmxCreateAOVoltageChan(task, channel, "", -10.0, 10.0, DAQmx_Val_Volts, ""), 0);
        ASSERT_EQ(DAQmxWriteAnalogScalarF64(task, 1, 10.0, volts, nullptr), 0) << lastError();
        ASSERT_EQ(DAQmxStartTask(task), 0);
        release(task);
    }

    static constexpr double kStep = 20.0 / 65536;  // one code on the ±10 V range
};

TEST_F(OutputTest, AWaveformIsSeenOnAi1AtItsTimesAndRegenerates) {
    clock_->advance(2.0);
    const std::vector<double> waveform = {1.0, 2.0, 3.0, 4.0};
    TaskHandle output = playWaveform(1, waveform, 100.0);  // starts now, 10 ms a sample
    clock_->advance(0.0035);
    const auto seen = readBack(200, 1000.0);  // 0.2 s: five passes of the waveform
    for (int i = 0; i < 200; ++i) {
        // Input sample i is taken 3.5 + i ms after the output began.
        const int outputSample = static_cast<int>(std::floor((3.5 + i) / 10.0)) % 4;
        ASSERT_NEAR(seen[i], waveform[outputSample], kStep) << "sample " << i;
    }
    release(output);
}

TEST_F(OutputTest, AStoppedOutputHoldsTheValueItWasPuttingOut) {
    TaskHandle output = playWaveform(1, {-1.0, -2.0, -3.0}, 10.0);
    clock_->advance(0.25);  // sample 2 of the waveform is out
    ASSERT_EQ(DAQmxStopTask(output), 0);
    clock_->advance(1.0);
    EXPECT_NEAR(readBack(10, 1000.0)[9], -3.0, kStep);
    ASSERT_EQ(DAQmxClearTask(output), 0);
    EXPECT_NEAR(readBack(10, 1000.0)[9], -3.0, kStep);
}

TEST_F(OutputTest, AScalarWriteHoldsAfterItsTaskIsCleared) {
    updateChannel("Dev1/ao1", 2.5);
    clock_->advance(10.0);
    EXPECT_NEAR(readBack(10, 1000.0)[0], 2.5, kStep);
    // A write without auto-start waits for the task to start.
    TaskHandle task = nullptr;
    DAQmxCreateTask("", &task);
    DAQmxCreateAOVoltageChan(task, "Dev1/ao1", "", -10.0, 10.0, DAQmx_Val_Volts, "");
    ASSERT_EQ(DAQmxWriteAnalogScalarF64(task, 0, 10.0, -4.0, nullptr), 0);
    EXPECT_NEAR(readBack(10, 1000.0)[0], 2.5, kStep);
    ASSERT_EQ(DAQmxStartTask(task), 0);
    EXPECT_NEAR(readBack(10, 1000.0)[0], -4.0, kStep);
    release(task);
}

TEST_F(OutputTest, InputsReadLaterStillSeeTheOutputAsItWasAtTheirTimes) {
    TaskHandle input = inputTask({1}, 1000.0, 10000);
    ASSERT_EQ(DAQmxStartTask(input), 0);
    clock_->advance(0.1);
    updateChannel("Dev1/ao1", 1.0);
    clock_->advance(0.1);
    updateChannel("Dev1/ao1", -1.0);
    const auto seen = read(input, 300, 1);  // read long after both changes
    EXPECT_NEAR(seen[99], 0.0, kStep);
    EXPECT_NEAR(seen[100], 1.0, kStep);
    EXPECT_NEAR(seen[199], 1.0, kStep);
    EXPECT_NEAR(seen[200], -1.0, kStep);
    release(input);
}

TEST_F(OutputTest, TheModelCellChargesExponentiallyWithItsTimeConstant) {
    // Default cell: rest -0.65 V, 0.2 V per volt of ao0, tau 30 ms.
    TaskHandle input = inputTask({0}, 10000.0, 100000, -1.0, 1.0);
    ASSERT_EQ(DAQmxStartTask(input), 0);
    clock_->advance(0.05);
    updateChannel("Dev1/ao0", 5.0);  // settles 1.0 V higher
    const auto v = read(input, 3000, 1);
    EXPECT_NEAR(v[499], -0.65, 1e-3);
    EXPECT_NEAR(v[2999], 0.35, 1e-3);
    // The time to reach 1 - 1/e of the step is the time constant.
    int crossing = 500;
    while (v[crossing] < -0.65 + (1.0 - std::exp(-1.0))) ++crossing;
    EXPECT_NEAR((crossing - 500) / 10000.0, 0.03, 0.0002);
    for (int i : {600, 800, 1400})
        EXPECT_NEAR(v[i], -0.65 + (1.0 - std::exp(-(i - 500) / 300.0)), 1e-3) << i;
    release(input);
}

TEST_F(OutputTest, OutputValuesOutsideTheChannelLimitsAreRefused) {
    TaskHandle task = nullptr;
    DAQmxCreateTask("", &task);
    DAQmxCreateAOVoltageChan(task, "Dev1/ao1", "", -5.0, 5.0, DAQmx_Val_Volts, "");
    EXPECT_EQ(DAQmxWriteAnalogScalarF64(task, 1, 10.0, 6.0, nullptr), kErrorAODataOutOfRange);
    EXPECT_NE(lastError().find("DAQmxWriteAnalogScalarF64"), std::string::npos);
    EXPECT_EQ(DAQmxWriteAnalogScalarF64(task, 1, 10.0, NAN, nullptr), kErrorAODataOutOfRange);
    release(task);
    EXPECT_NEAR(readBack(1, 1000.0)[0], 0.0, kStep);  // nothing reached the output
}

}  // namespace
}  // namespace trelvanix::driver::testing
