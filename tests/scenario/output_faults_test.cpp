#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "recording/vnx_reader.h"
#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using namespace trelvanix::vnx;
namespace fs = std::filesystem;

namespace {

// A continuous 2 V stimulus on ao1 is started and stopped in the middle, twice, before
// anything is acquired; then ai1, which reads ao1 back, is recorded for 0.5 s.
constexpr const char* kScript =
    "menu MENUBAR_STIMULUS_INJECT\n"
    "set INJECT WAVEFORM 0\n"
    "set INJECT CHANNEL 1\n"
    "set INJECT PRE_TIME 0\n"
    "set INJECT POST_TIME 0\n"
    "set PULSE MS1 1000\n"
    "set PULSE MV1 40\n"
    "set INJECT CONTINUOUS 1\n"
    "press INJECT START\n"
    "wait 0.5\n"
    "press INJECT STOP\n"
    "press INJECT START\n"
    "wait 0.5\n"
    "press INJECT STOP\n"
    "set PANEL CHECK_1 1\n"
    "set PANEL CHECK_0 0\n"
    "set PANEL RECORD_TIME 0.5\n"
    "press PANEL ACQUIRE\n"
    "wait 0.2\n"
    "press PANEL RECORD\n"
    "wait 1\n"
    "press PANEL STOP\n";

// The calls each output operation gets while the two stimuli start and stop without faults;
// a fault at any of them falls on an output call, never on the recording's.
struct OutputCalls {
    const char* operation;
    int calls;
};
constexpr OutputCalls kOutputCalls[] = {
    {"DAQmxCreateTask", 4},
    {"DAQmxCreateAOVoltageChan", 4},
    {"DAQmxCfgSampClkTiming", 2},
    {"DAQmxWriteAnalogF64", 2},
    {"DAQmxWriteAnalogScalarF64", 2},
    {"DAQmxStartTask", 2},
    {"DAQmxStopTask", 4},
    {"DAQmxClearTask", 4},
};

// Whatever single output call fails, the output ends at 0 V after Stop: the recording made
// afterwards reads 0 V on the read-back, and no pop-up says an output may still be live.
TEST(OutputFaults, AnySingleOutputFailureDuringAContinuousStimulusEndsAt0VAfterStop) {
    const fs::path folder = dataFolder() / "output_faults";
    for (const OutputCalls& op : kOutputCalls) {
        for (int call = 1; call <= op.calls; ++call) {
            const std::string name = std::string(op.operation) + " " + std::to_string(call);
            fs::remove_all(folder);
            fs::create_directories(folder);
            useDataFolder(folder);
            std::ofstream(folder / "board.txt") << "fault " << name << " -200088\n";
            std::ofstream(folder / "run.txt") << kScript;
            const ProgramRun run =
                runProgram({"--headless", "--sim-time", "--board", (folder / "board.txt").string(),
                            "--script", (folder / "run.txt").string()});
            ASSERT_EQ(run.status, 0) << name << "\n" << run.err;
            EXPECT_EQ(run.out.find("could not be set to 0 V"), std::string::npos) << name << "\n"
                                                                                  << run.out;

            fs::path file;
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.path().extension() == ".vnx") file = entry.path();
            ASSERT_FALSE(file.empty()) << name << "\n" << run.out;
            std::string error;
            const auto info = readHeader(file.string(), &error);
            ASSERT_TRUE(info) << error;
            ASSERT_EQ(info->scans(), info->scanRate / 2) << name;
            std::vector<std::int16_t> values;
            ASSERT_TRUE(readScans(file.string(), *info, 0, info->scans(), &values, &error));
            double largest = 0.0;
            for (std::int16_t v : values)
                largest = std::max(largest, std::fabs(userValue(info->channel[0], v)));
            EXPECT_LT(largest, 0.001) << name;
        }
    }
    fs::remove_all(folder);
}

}  // namespace
