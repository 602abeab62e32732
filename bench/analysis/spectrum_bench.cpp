// The spectrum window's share of the acquisition loop at 8 channels x 50 kS/s in 0.1 s
// stretches, with a collection of 65 536 values (about 1.3 s of one channel): per stretch the
// collection of the channel's 5000 displayed values, and every 13.1 stretches one spectrum.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/spectrum.h"
#include "analysis/spectrum_window.h"
#include "state/shared_state.h"

namespace {

using trelvanix::spectrum::SpectrumOptions;
using trelvanix::spectrum::SpectrumProcessor;

constexpr int kLength = 65536;
constexpr int kPerStretch = 5000;  // 50 kS/s x 0.1 s
constexpr int kSamplesPerSecond = 50000;

std::vector<double> hum(int n) {
    std::vector<double> x(n);
    for (int i = 0; i < n; ++i) x[i] = 0.5 * std::sin(2.0 * M_PI * 50.0 * i / kSamplesPerSecond);
    return x;
}

// One spectrum of 65 536 values: plain as the window draws it by default, and with every
// option on (Hann window, 10 spectra averaged, decibels).
void BM_SpectrumOf65536(benchmark::State& state) {
    SpectrumOptions options;
    if (state.range(0) != 0) options = {.averaged = 10, .hannWindow = true, .decibels = true};
    SpectrumProcessor processor;
    processor.configure(kLength, kSamplesPerSecond, options);
    const auto values = hum(kLength);
    for (auto _ : state) {
        // The collection fills the transform's input; the copy stands for it.
        std::copy(values.begin(), values.end(), processor.values());
        processor.compute();
        benchmark::DoNotOptimize(processor.power());
    }
    state.SetLabel(state.range(0) != 0 ? "Hann, 10 averaged, dB" : "as drawn by default");
}
BENCHMARK(BM_SpectrumOf65536)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Collecting one stretch of the channel into the buffer (the values converted to the
// channel's unit on the way).
void BM_CollectOneStretch(benchmark::State& state) {
    trelvanix::ResetSharedState();
    const auto shown = hum(kPerStretch);
    SpectrumProcessor processor;
    processor.configure(kLength, kSamplesPerSecond, {});
    FourierData = processor.values();
    LengthForAnalysis = kLength;
    StartFourier = 1;
    for (auto _ : state) {
        if (DataCount + kPerStretch > kLength) DataCount = 0;
        CollectSpectrumValues(shown.data(), kPerStretch, 3);
        benchmark::DoNotOptimize(FourierData);
    }
    trelvanix::ResetSharedState();
}
BENCHMARK(BM_CollectOneStretch)->Unit(benchmark::kMicrosecond);

}  // namespace
