// Reading 8 inputs of the default simulated board at 50 kS/s in 0.1 s stretches on the
// simulated clock. The "cpu_ms_per_data_second" counter is milliseconds of processing per
// second of data (1000/x is how many times faster than real time).

#include <benchmark/benchmark.h>

#include <ctime>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/driver/daqmx.h"
#include "platform/driver/simulated_board.h"

namespace {

void BM_ReadEightInputsAt50kSps(benchmark::State& state) {
    constexpr double kRate = 50000.0;
    constexpr int kChannels = 8;
    constexpr int kStretch = 5000;  // 0.1 s
    trelvanix::installSimulatedClock();
    trelvanix::driver::resetSimulatedBoard();
    TaskHandle task = nullptr;
    DAQmxCreateTask("Vanix_AnalogIn_Task", &task);
    DAQmxCreateAIVoltageChan(task, "Dev1/ai0:7", "", DAQmx_Val_RSE, -5.0, 5.0, DAQmx_Val_Volts,
                             nullptr);
    DAQmxCfgSampClkTiming(task, "", kRate, DAQmx_Val_Rising, DAQmx_Val_ContSamps,
                          20 * 50000 * kChannels);
    DAQmxStartTask(task);
    std::vector<double> buffer(kStretch * kChannels);
    int32 read = 0;
    double dataSeconds = 0.0;
    const std::clock_t started = std::clock();
    for (auto _ : state) {
        const int32 status =
            DAQmxReadAnalogF64(task, kStretch, 10.0, DAQmx_Val_GroupByScanNumber, buffer.data(),
                               static_cast<uInt32>(buffer.size()), &read, nullptr);
        if (status < 0) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(buffer.data());
        dataSeconds += kStretch / kRate;
    }
    DAQmxStopTask(task);
    DAQmxClearTask(task);
    // Milliseconds of processing per second of data.
    state.counters["cpu_ms_per_data_second"] =
        1e3 * double(std::clock() - started) / CLOCKS_PER_SEC / dataSeconds;
    state.SetItemsProcessed(state.iterations() * kStretch * kChannels);
}
BENCHMARK(BM_ReadEightInputsAt50kSps)->Unit(benchmark::kMillisecond);

}  // namespace
