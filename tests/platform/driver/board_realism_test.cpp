// The simulated board behaves as a real one where the program could tell: its signals run on
// between acquisitions, a task is refused the resources a running task holds, and input
// sampling is limited to the board's aggregate rate.

#include <gmock/gmock.h>

#include <cmath>
#include <numbers>

#include "platform/driver/board_file.h"
#include "platform/driver/driver_errors.h"
#include "platform/driver/signal_generator.h"
#include "tests/platform/driver/driver_test_support.h"

namespace trelvanix::driver::testing {
namespace {

using ::testing::HasSubstr;
using BoardRealismTest = DriverTest;

TEST_F(BoardRealismTest, SignalsRunOnBetweenAcquisitions) {
    BoardConfig config = quietBoard();
    config.inputs[2] = defaultSignal(SignalSource::Sine);  // 2 V at 1 Hz
    config.inputs[5] = defaultSignal(SignalSource::Noise);
    installSimulatedBoard(config);
    const auto acquire = [&](int samples) {
        TaskHandle task = inputTask({2, 5}, 1000.0, 10000);
        auto data = read(task, samples, 2);
        release(task);
        return data;
    };
    const auto first = acquire(250);
    clock_->advance(0.1);
    const auto second = acquire(100);
    // The second run starts 0.35 s into the sine, not at its zero.
    const double step = 20.0 / 65536;
    EXPECT_NEAR(second[0], 2.0 * std::sin(2 * std::numbers::pi * 0.35), step);
    EXPECT_NEAR(second[2 * 99], 2.0 * std::sin(2 * std::numbers::pi * 0.449), step);
    // The noise goes on where it was instead of repeating itself.
    int repeated = 0;
    for (int j = 0; j < 100; ++j) repeated += second[2 * j + 1] == first[2 * j + 1];
    EXPECT_LT(repeated, 20);
}

TEST(PeriodicSignals, FollowTheirWaveformsAnHourInWhateverTheChunks) {
    InputSignal sine = defaultSignal(SignalSource::Sine);
    sine.frequency = 1234.5;
    InputSignal hum = defaultSignal(SignalSource::Hum);
    hum.sigma = 0.0;
    const double start = 3600.25, rate = 50000.0;
    const auto expected = [&](const InputSignal& s, std::size_t i) {
        const double phase = 2 * std::numbers::pi * s.frequency * (start + double(i) / rate);
        const double third = s.source == SignalSource::Hum ? 0.3 * std::sin(3 * phase) : 0.0;
        return s.amplitude * (std::sin(phase) + third);
    };
    const OutputHistory outputs;
    for (const InputSignal& signal : {sine, hum}) {
        SignalGenerator generator(signal, 1, 2);
        generator.resume(start, rate, outputs);
        std::size_t done = 0;
        for (std::size_t chunk : {1, 300, 7000, 999}) {
            std::vector<double> samples(chunk);
            generator.generate(chunk, samples.data(), outputs);
            // Far below the 0.3 mV of a code on the narrowest range that holds them.
            for (std::size_t k = 0; k < chunk; ++k)
                ASSERT_NEAR(samples[k], expected(signal, done + k), 1e-6) << "sample " << done + k;
            done += chunk;
        }
    }
}

TEST_F(BoardRealismTest, ATaskNeedingAResourceInUseIsRefusedAsTheBoardRefusesIt) {
    TaskHandle running = inputTask({0}, 1000.0, 1000);
    ASSERT_EQ(DAQmxStartTask(running), 0);
    TaskHandle second = nullptr;
    ASSERT_EQ(DAQmxCreateTask("second", &second), 0);
    ASSERT_EQ(DAQmxCreateAIVoltageChan(second, "Dev1/ai4", "", DAQmx_Val_RSE, -10, 10,
                                       DAQmx_Val_Volts, ""),
              0);
    ASSERT_EQ(
        DAQmxCfgSampClkTiming(second, "", 1000.0, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1000), 0);
    EXPECT_EQ(DAQmxStartTask(second), kErrorResourceReserved);
    EXPECT_EQ(lastError(),
              "DAQmxStartTask: The specified resource is reserved. The operation could not be "
              "completed as specified.\nResource: the analog-input timing engine of Dev1, "
              "reserved by task \"Vanix_AnalogIn_Task\"\nTask Name: second\nStatus Code: -50103");
    release(running);
    EXPECT_EQ(DAQmxStartTask(second), 0) << "free once the first task is stopped";
    release(second);

    // A waveform on ao0 holds ao0 and the output timing engine, but not ao1.
    TaskHandle waveform = playWaveform(0, {1.0, -1.0}, 100.0);
    const auto setLevel = [](const char* channel) {
        TaskHandle task = nullptr;
        DAQmxCreateTask("AOUpdateChannel", &task);
        DAQmxCreateAOVoltageChan(task, channel, "", -10.0, 10.0, DAQmx_Val_Volts, "");
        const int32 status = DAQmxWriteAnalogScalarF64(task, 1, 10.0, 2.0, nullptr);
        release(task);
        return status;
    };
    EXPECT_EQ(setLevel("Dev1/ao0"), kErrorResourceReserved);
    EXPECT_THAT(lastError(),
                HasSubstr("Resource: Dev1/ao0, reserved by task \"AOGenerateWaveforms\""));
    EXPECT_EQ(setLevel("Dev1/ao1"), 0);
    TaskHandle other = nullptr;
    DAQmxCreateTask("other", &other);
    DAQmxCreateAOVoltageChan(other, "Dev1/ao1", "", -10.0, 10.0, DAQmx_Val_Volts, "");
    DAQmxCfgSampClkTiming(other, "OnboardClock", 100.0, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 2);
    const double samples[] = {0.0, 1.0};
    int32 written = 0;
    EXPECT_EQ(DAQmxWriteAnalogF64(other, 2, 1, 10.0, DAQmx_Val_GroupByChannel, samples, &written,
                                  nullptr),
              kErrorResourceReserved);
    EXPECT_THAT(lastError(), HasSubstr("the analog-output timing engine of Dev1"));
    release(other);
    release(waveform);
}

TEST_F(BoardRealismTest, InputSamplingIsLimitedToTheAggregateRate) {
    // The default board takes the program's fastest setting, 8 channels at 50 kS/s.
    TaskHandle fast = inputTask({0, 1, 2, 3, 4, 5, 6, 7}, 50000.0, 1000000);
    release(fast);

    BoardConfig config;
    std::string error;
    ASSERT_TRUE(parseBoardText("max-rate 100000\n", "slow.board", &config, &error)) << error;
    installSimulatedBoard(config);
    TaskHandle four = inputTask({0, 1, 2, 3}, 25000.0, 100000);
    EXPECT_EQ(DAQmxStartTask(four), 0);
    release(four);
    TaskHandle task = nullptr;
    DAQmxCreateTask("", &task);
    DAQmxCreateAIVoltageChan(task, "Dev1/ai0:4", "", DAQmx_Val_RSE, -10, 10, DAQmx_Val_Volts, "");
    EXPECT_EQ(
        DAQmxCfgSampClkTiming(task, "", 25000.0, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 100000),
        kErrorInvalidAttributeValue);
    EXPECT_THAT(lastError(), HasSubstr("Property: DAQmx_SampClk_Rate\nRequested Value: 25000\n"
                                       "Maximum Value: 20000\n"));
    release(task);
    EXPECT_FALSE(parseBoardText("max-rate 0\n", "bad.board", &config, &error));
    EXPECT_EQ(error,
              "bad.board, line 1: max-rate needs one number of samples per second, greater than 0");
}

TEST_F(BoardRealismTest, AChannelGivenTwiceIsRefusedAndTheTaskStaysAsItWas) {
    TaskHandle task = inputTask({2}, 1000.0, 1000);
    EXPECT_EQ(DAQmxCreateAIVoltageChan(task, "Dev1/ai0, Dev1/ai2", "", DAQmx_Val_RSE, -10, 10,
                                       DAQmx_Val_Volts, ""),
              kErrorChanAlreadyInTask);
    EXPECT_THAT(lastError(), HasSubstr("Dev1/ai2 is already in task \"Vanix_AnalogIn_Task\""));
    EXPECT_EQ(read(task, 10, 1).size(), 10u) << "still the one channel";
    release(task);
}

}  // namespace
}  // namespace trelvanix::driver::testing
