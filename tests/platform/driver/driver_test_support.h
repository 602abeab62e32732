#pragma once
// Shared set-up of the driver tests: a simulated clock, a fresh default board, and short
// ways to make the tasks the program makes.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/driver/board_config.h"
#include "platform/driver/daqmx.h"
#include "platform/driver/simulated_board.h"

namespace trelvanix::driver::testing {

class DriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clock_ = &installSimulatedClock();
        resetSimulatedBoard();
    }
    void TearDown() override {
        if (!boardPath_.empty()) std::remove(boardPath_.c_str());
        resetSimulatedBoard();
    }

    // A board file of this test holding `text`, removed when the test ends.
    std::string writeBoardFile(const std::string& text) {
        boardPath_ = ::testing::TempDir() + "board_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
        std::ofstream(boardPath_) << text;
        return boardPath_;
    }

    // A board whose inputs all carry a constant, noise-free level unless set otherwise.
    static BoardConfig quietBoard() {
        BoardConfig config = defaultBoardConfig();
        for (auto& input : config.inputs) input = defaultSignal(SignalSource::Constant);
        return config;
    }

    // An input task on `channels` ("Dev1/ai%d"), each on range low..high, clocked at `rate`
    // with a buffer of `buffer` samples per channel, not started.
    TaskHandle inputTask(const std::vector<int>& channels, double rate, uInt64 buffer,
                         double low = -10.0, double high = 10.0) {
        TaskHandle task = nullptr;
        EXPECT_EQ(DAQmxCreateTask("Vanix_AnalogIn_Task", &task), 0);
        for (int ch : channels) {
            const std::string name = "Dev1/ai" + std::to_string(ch);
            EXPECT_EQ(DAQmxCreateAIVoltageChan(task, name.c_str(), "", DAQmx_Val_RSE, low, high,
                                               DAQmx_Val_Volts, nullptr),
                      0)
                << lastError();
        }
        EXPECT_EQ(
            DAQmxCfgSampClkTiming(task, "", rate, DAQmx_Val_Rising, DAQmx_Val_ContSamps, buffer), 0)
            << lastError();
        return task;
    }

    // Reads `perChannel` samples per channel interleaved by scan; expects success.
    std::vector<double> read(TaskHandle task, int perChannel, int channels) {
        std::vector<double> data(static_cast<std::size_t>(perChannel * channels));
        int32 got = 0;
        EXPECT_EQ(DAQmxReadAnalogF64(task, perChannel, 10.0, DAQmx_Val_GroupByScanNumber,
                                     data.data(), static_cast<uInt32>(data.size()), &got, nullptr),
                  0)
            << lastError();
        EXPECT_EQ(got, perChannel);
        return data;
    }

    // Plays `waveform` continuously on ao`output` at `rate`, as the program's stimulus does.
    TaskHandle playWaveform(int output, const std::vector<double>& waveform, double rate) {
        TaskHandle task = nullptr;
        const std::string name = "Dev1/ao" + std::to_string(output);
        EXPECT_EQ(DAQmxCreateTask("AOGenerateWaveforms", &task), 0);
        EXPECT_EQ(
            DAQmxCreateAOVoltageChan(task, name.c_str(), "", -10.0, 10.0, DAQmx_Val_Volts, ""), 0);
        EXPECT_EQ(DAQmxCfgSampClkTiming(task, "OnboardClock", rate, DAQmx_Val_Rising,
                                        DAQmx_Val_ContSamps, waveform.size()),
                  0);
        int32 written = 0;
        EXPECT_EQ(DAQmxWriteAnalogF64(task, static_cast<int32>(waveform.size()), 1, 10.0,
                                      DAQmx_Val_GroupByChannel, waveform.data(), &written, nullptr),
                  0)
            << lastError();
        EXPECT_EQ(written, static_cast<int32>(waveform.size()));
        return task;
    }

    static void release(TaskHandle task) {
        DAQmxStopTask(task);
        DAQmxClearTask(task);
    }

    static std::string lastError() {
        char text[2048];
        DAQmxGetExtendedErrorInfo(text, sizeof text);
        return text;
    }

    SimulatedClock* clock_ = nullptr;

  private:
    std::string boardPath_;
};

}  // namespace trelvanix::driver::testing
