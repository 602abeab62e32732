#include "analysis/spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

using namespace trelvanix::spectrum;

namespace {

// |X[k]|^2 of the plain DFT sum, the oracle for the FFT route.
double directPower(const std::vector<double>& x, int k) {
    std::complex<double> sum = 0.0;
    const int n = static_cast<int>(x.size());
    for (int i = 0; i < n; ++i) sum += x[i] * std::polar(1.0, -2.0 * std::numbers::pi * k * i / n);
    return std::norm(sum);
}

std::vector<double> sineAndNoise(int n, double cyclesPerValue, unsigned seed) {
    std::vector<double> x(n);
    unsigned state = seed;
    for (int i = 0; i < n; ++i) {
        state = state * 1664525u + 1013904223u;
        x[i] = 0.7 + std::sin(2.0 * std::numbers::pi * cyclesPerValue * i) +
               0.1 * (double(state >> 8) / double(1u << 24) - 0.5);
    }
    return x;
}

TEST(SpectrumLength, IsTheLargestPowerOfTwoOfTheCollectionAtTheSamplingRate) {
    EXPECT_EQ(LengthForMilliseconds(100.0, 4000), 256);  // 400 values wanted
    EXPECT_EQ(LengthForMilliseconds(128.0, 4000), 512);  // exactly a power of two
    EXPECT_EQ(LengthForMilliseconds(127.9, 4000), 256);
    EXPECT_EQ(LengthForMilliseconds(100.0, 50000), 4096);
    EXPECT_EQ(LengthForMilliseconds(1310.72, 50000), 65536);
    EXPECT_EQ(LengthForMilliseconds(0.25, 4000), 1);
    EXPECT_EQ(LengthForMilliseconds(0.2, 4000), 0);
    EXPECT_EQ(LengthForMilliseconds(-5.0, 4000), 0);
    EXPECT_EQ(LengthForMilliseconds(1e30, 4000), 1 << 30) << "no overflow of the length";
}

TEST(SpectrumProcessor, GivesTheUnwindowedPowerOfBinsOneToBelowHalfTheRate) {
    SpectrumProcessor processor;
    processor.configure(256, 4000, {});
    const auto x = sineAndNoise(256, 16.0 / 256, 1);
    auto transformed = x;  // compute works in place
    ASSERT_EQ(processor.compute(transformed.data()), 127);
    EXPECT_DOUBLE_EQ(processor.frequencies()[0], 15.625);
    EXPECT_DOUBLE_EQ(processor.frequencies()[1] - processor.frequencies()[0], 15.625);
    EXPECT_DOUBLE_EQ(processor.frequencies()[126], 1984.375);
    for (int k : {1, 2, 15, 16, 17, 127})
        EXPECT_NEAR(processor.power()[k - 1], directPower(x, k), 1e-9 * directPower(x, 16))
            << "bin " << k;
    EXPECT_NEAR(processor.power()[15], 128.0 * 128.0, 0.02 * 128.0 * 128.0) << "(n/2)^2";
    EXPECT_DOUBLE_EQ(processor.peak().frequency, 250.0);

    processor.setSampleRate(10000);
    EXPECT_DOUBLE_EQ(processor.frequencies()[0], 10000.0 / 256);
}

// A Hann window, the mean of the last three spectra, and decibels, each against the same
// sums done by hand; a change of options starts the average over.
TEST(SpectrumProcessor, WindowsAveragesAndGivesDecibelsAsADirectComputation) {
    constexpr int n = 64;
    std::vector<std::vector<double>> blocks;
    for (unsigned seed = 1; seed <= 4; ++seed) blocks.push_back(sineAndNoise(n, 5.3 / n, seed));
    std::vector<std::vector<double>> windowed = blocks;
    for (auto& block : windowed)
        for (int i = 0; i < n; ++i)
            block[i] *= 0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * i / n));

    SpectrumProcessor processor;
    processor.configure(n, 1000, {.averaged = 3, .hannWindow = true});
    for (auto block : blocks) processor.compute(block.data());
    for (int k = 1; k < n / 2; ++k) {
        const double mean = (directPower(windowed[1], k) + directPower(windowed[2], k) +
                             directPower(windowed[3], k)) /
                            3.0;
        EXPECT_NEAR(processor.power()[k - 1], mean, 1e-9 * mean + 1e-12) << "bin " << k;
    }

    // Decibels of the same average: the last two spectra before and a fresh one.
    processor.setOptions({.averaged = 3, .hannWindow = true, .decibels = true});
    auto first = blocks[0];
    processor.compute(first.data());
    for (int k = 1; k < n / 2; ++k) {
        const double mean = (directPower(windowed[2], k) + directPower(windowed[3], k) +
                             directPower(windowed[0], k)) /
                            3.0;
        EXPECT_NEAR(processor.power()[k - 1], 10.0 * std::log10(mean), 1e-9) << "bin " << k;
    }
    EXPECT_NEAR(processor.peak().frequency, 5.0 * 1000.0 / n, 1e-12);

    // A new count of spectra starts the average over.
    processor.setOptions({.averaged = 2, .hannWindow = true});
    auto second = blocks[1];
    processor.compute(second.data());
    for (int k = 1; k < n / 2; ++k)
        EXPECT_NEAR(processor.power()[k - 1], directPower(windowed[1], k),
                    1e-9 * directPower(windowed[1], k) + 1e-12)
            << "only the spectrum since the change, bin " << k;

    // A constant input has no power away from 0 Hz; its decibels stay finite.
    std::vector<double> constant(n, 2.0);
    processor.configure(n, 1000, {.decibels = true});
    processor.compute(constant.data());
    for (int p = 0; p < processor.points(); ++p) EXPECT_TRUE(std::isfinite(processor.power()[p]));
}

}  // namespace
