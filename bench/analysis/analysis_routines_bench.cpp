// Convolve and ConvolvePart at the display filters' load (8 channels x 50 kS/s = 400 000
// samples per second of data), the direct and FFT methods side by side to place the switch
// between them, and ReFFT at the spectrum window's lengths.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
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

// Processor seconds since `started`, read as the benchmark's own loop ends.
double processorSeconds(std::clock_t started) {
    return double(std::clock() - started) / CLOCKS_PER_SEC;
}

constexpr int kSamplesPerSecond = 400000;
constexpr int kChannels = 8;
constexpr int kStretchesPerSecond = 10;  // 0.1 s stretches

// One second of data as the display filters take it: per 0.1 s stretch and channel, the
// 5000 outputs where the taps lie inside the stretch and its history.
void BM_ConvolveOneSecondInStretches(benchmark::State& state) {
    const int taps = static_cast<int>(state.range(0));
    const int perStretch = kSamplesPerSecond / kChannels / kStretchesPerSecond;
    const auto input = randomSignal(perStretch + taps);
    const auto coef = randomSignal(taps);
    std::vector<double> out(perStretch);
    const std::clock_t started = std::clock();
    for (auto _ : state) {
        for (int call = 0; call < kChannels * kStretchesPerSecond; ++call) {
            ConvolvePart(coef.data(), taps, input.data(), perStretch + taps, taps, perStretch,
                         out.data());
        }
        benchmark::DoNotOptimize(out.data());
    }
    // Milliseconds of processor time per second of data (each iteration is one second).
    state.counters["cpu_ms_per_data_second"] =
        1e3 * processorSeconds(started) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ConvolveOneSecondInStretches)->Arg(55)->Arg(255)->Unit(benchmark::kMillisecond);

// One second of data in a single call of 400 000 samples.
void BM_ConvolveOneSecondWhole(benchmark::State& state) {
    const int taps = static_cast<int>(state.range(0));
    const auto input = randomSignal(kSamplesPerSecond);
    const auto coef = randomSignal(taps);
    std::vector<double> out(kSamplesPerSecond + taps - 1);
    const std::clock_t started = std::clock();
    for (auto _ : state) {
        Convolve(input.data(), kSamplesPerSecond, coef.data(), taps, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    // Milliseconds of processor time per second of data (each iteration is one second).
    state.counters["cpu_ms_per_data_second"] =
        1e3 * processorSeconds(started) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ConvolveOneSecondWhole)->Arg(55)->Arg(255)->Unit(benchmark::kMillisecond);

// The two methods by tap count (first argument) on a display filter's part of a stretch of 100
// or 5000 samples (second argument) after the filter's history, and on the whole convolution
// (third argument 1): where they cross sets kDirectConvolutionMaxTaps.
template <bool kDirect>
void convolveByMethod(benchmark::State& state) {
    const int taps = static_cast<int>(state.range(0));
    const int stretch = static_cast<int>(state.range(1));
    const bool whole = state.range(2) != 0;
    const auto input = randomSignal(stretch + taps);
    const auto coef = randomSignal(taps);
    const int first = whole ? 0 : taps;
    const int count = whole ? stretch + 2 * taps - 1 : stretch;
    std::vector<double> out(count);
    for (auto _ : state) {
        if constexpr (kDirect)
            convolveDirect(coef.data(), taps, input.data(), stretch + taps, first, count,
                           out.data());
        else
            convolveOverlapAdd(coef.data(), taps, input.data(), stretch + taps, first, count,
                               out.data());
        benchmark::DoNotOptimize(out.data());
    }
    // Multiply-adds of the defining sums, in thousands of millions (printed per second).
    state.counters["GMAC"] = benchmark::Counter(
        1e-9 * double(state.iterations()) * double(count) * taps, benchmark::Counter::kIsRate);
}

void BM_ConvolveDirect(benchmark::State& state) {
    convolveByMethod<true>(state);
}
void BM_ConvolveOverlapAdd(benchmark::State& state) {
    convolveByMethod<false>(state);
}

void crossoverTaps(benchmark::internal::Benchmark* b) {
    for (int whole : {0, 1})
        for (int stretch : {100, 5000})
            for (int taps : {16, 32, 55, 64, 96, 128, 192, 256}) b->Args({taps, stretch, whole});
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
