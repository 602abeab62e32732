// Measuring one finalised recording of 1 s of 8 channels at 50 kS/s (800 000 samples, read
// back from the file as the program does), with 8 measurements (one per channel, every kind
// once) or 16 (the most the window takes, two per channel), each over 850 ms with a 90 ms
// baseline. Goal: under 5 ms per file.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

#include "recording/vnx_format.h"
#include "results/measured_recording.h"

using namespace trelvanix;
using namespace trelvanix::results;

namespace {

constexpr int kRate = 50000, kChannels = 8;

// Noise, a slow sine and spikes on every channel, written as the program writes a file.
std::string writeRecording() {
    const auto path = std::filesystem::temp_directory_path() /
                      ("results_bench_" + std::to_string(::getpid()) + ".vnx");
    vnx::HeaderContent content;
    content.scanRate = kRate;
    content.channels.resize(kChannels);
    std::string bytes = vnx::encodeHeader(content).bytes;
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0.0, 200.0);
    for (int scan = 0; scan < kRate; ++scan)
        for (int ch = 0; ch < kChannels; ++ch) {
            const double spike = scan % 5000 < 25 ? 15000.0 : 0.0;
            const double value = 3000.0 * std::sin(scan * 2e-4 * (ch + 1)) + spike + noise(random);
            vnx::putInt16(bytes, static_cast<std::int16_t>(std::clamp(value, -32768.0, 32767.0)));
        }
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

void BM_MeasureRecording(benchmark::State& state) {
    const std::string path = writeRecording();
    const std::vector<RecordedFile> files = {{path, {0, 1, 2, 3, 4, 5, 6, 7}}};
    std::vector<Measurement> measurements;
    for (int k = 0; k < state.range(0); ++k) {
        Measurement m;
        m.name = "M" + std::to_string(k);
        m.channel = k % kChannels;
        m.kind = static_cast<MeasureKind>(k % kMeasureKinds);
        m.region = {100, 950};
        m.baseline = Region{0, 90};
        m.threshold = 1.0;
        measurements.push_back(m);
    }
    for (auto _ : state) {
        const MeasuredRecording measured = measureRecording(files, measurements);
        benchmark::DoNotOptimize(measured.values.data());
    }
    state.SetLabel(std::to_string(state.range(0)) + " measurements, 1 s of 8 x 50 kS/s");
    std::filesystem::remove(path);
}
BENCHMARK(BM_MeasureRecording)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace
