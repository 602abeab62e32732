// Convolve at the display filter's load (8 channels x 50 kS/s = 400 000 samples per second of
// data), the direct and FFT methods side by side to place the switch between them, and ReFFT
// at the spectrum window's lengths.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "platform/analysis/analysis.h"
#include "platform/analysis/convolve_methods.h"

namespace {

using namespace trelvanix::analysis_detail;

std::vector<double> randomSignal(int n) {
    std::mt19937 engine(1);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x) v = value(engine);
    return x;
}

constexpr int kSamplesPerSecond = 400000;
constexpr int kChannels = 8;
constexpr int kStretchesPerSecond = 10;  // 0.1 s stretches

// One second of data as the acquisition loop feeds it: per 0.1 s stretch and channel, the
// stretch of 5000 samples plus the filter's history, convolved with the taps.
void BM_ConvolveOneSecondInStretches(benchmark::State& state) {
    const int taps = static_cast<int>(state.range(0));
    const int perStretch = kSamplesPerSecond / kChannels / kStretchesPerSecond + taps;
    const auto input = randomSignal(perStretch);
    const auto coef = randomSignal(taps);
    std::vector<double> out(perStretch + taps - 1);
    for (auto _ : state) {
        for (int call = 0; call < kChannels * kStretchesPerSecond; ++call) {
            Convolve(input.data(), perStretch, coef.data(), taps, out.data());
        }
        benchmark::DoNotOptimize(out.data());
    }
    // Seconds of data processed per second of work: how much faster than real time.
    state.counters["x_real_time"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConvolveOneSecondInStretches)->Arg(55)->Arg(255)->Unit(benchmark::kMillisecond);

// One second of data in a single call of 400 000 samples.
void BM_ConvolveOneSecondWhole(benchmark::State& state) {
    const int taps = static_cast<int>(state.range(0));
    const auto input = randomSignal(kSamplesPerSecond);
    const auto coef = randomSignal(taps);
    std::vector<double> out(kSamplesPerSecond + taps - 1);
    for (auto _ : state) {
        Convolve(input.data(), kSamplesPerSecond, coef.data(), taps, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    // Seconds of data processed per second of work: how much faster than real time.
    state.counters["x_real_time"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConvolveOneSecondWhole)->Arg(55)->Arg(255)->Unit(benchmark::kMillisecond);

// The two methods by tap count (first argument) on a stretch of 100 or 5000 samples plus the
// filter's history (second argument): where they cross sets kDirectConvolutionMaxTaps.
void BM_ConvolveDirect(benchmark::State& state) {
    const int taps = static_cast<int>(state.range(0));
    const auto input = randomSignal(static_cast<int>(state.range(1)) + taps);
    const auto coef = randomSignal(taps);
    std::vector<double> out(input.size() + taps - 1);
    for (auto _ : state) {
        convolveDirect(input.data(), static_cast<int>(input.size()), coef.data(), taps, out.data());
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_ConvolveOverlapAdd(benchmark::State& state) {
    const int taps = static_cast<int>(state.range(0));
    const auto input = randomSignal(static_cast<int>(state.range(1)) + taps);
    const auto coef = randomSignal(taps);
    std::vector<double> out(input.size() + taps - 1);
    for (auto _ : state) {
        convolveOverlapAdd(input.data(), static_cast<int>(input.size()), coef.data(), taps,
                           out.data());
        benchmark::DoNotOptimize(out.data());
    }
}

void crossoverTaps(benchmark::internal::Benchmark* b) {
    for (int stretch : {100, 5000}) {
        for (int taps : {4, 8, 12, 16, 20, 24, 32, 48, 64, 128, 256}) b->Args({taps, stretch});
    }
}
BENCHMARK(BM_ConvolveDirect)->Apply(crossoverTaps)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConvolveOverlapAdd)->Apply(crossoverTaps)->Unit(benchmark::kMicrosecond);

void BM_ReFFT(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto signal = randomSignal(n);
    std::vector<double> re(n), im(n);
    ReFFT(re.data(), im.data(), n);  // the plan is made once, outside the timing
    for (auto _ : state) {
        std::copy(signal.begin(), signal.end(), re.begin());
        ReFFT(re.data(), im.data(), n);
        benchmark::DoNotOptimize(re.data());
    }
}
BENCHMARK(BM_ReFFT)->RangeMultiplier(4)->Range(256, 65536)->Unit(benchmark::kMicrosecond);

}  // namespace
