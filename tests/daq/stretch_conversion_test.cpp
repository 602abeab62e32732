#include "daq/stretch_conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

using namespace trelvanix;

namespace {

TEST(Counts, ATenVoltRangeStoresThreeVoltsAs9830AndShowsItBack) {
    const double perVolt = CountsPerVolt(20.0);  // ±10 V
    const std::int16_t count = CountOf(3.0, perVolt);
    EXPECT_EQ(count, 9830);
    const double volts = count * VoltsPerCount(0.5f);  // board gain of ±10 V
    EXPECT_NEAR(volts, 2.99988, 5e-6);
    EXPECT_NEAR(DisplayValue(volts, 1.0, 2.0), 1.99994, 5e-6);
}

TEST(Counts, TruncateTowardZeroOnBothSides) {
    const double perVolt = CountsPerVolt(10.0);  // ±5 V: 6553.6 counts per volt
    EXPECT_EQ(CountOf(1.0, perVolt), 6553);
    EXPECT_EQ(CountOf(-1.0, perVolt), -6553);
    EXPECT_EQ(CountOf(0.0001, perVolt), 0);
    EXPECT_EQ(CountOf(-0.0001, perVolt), 0);
}

// A sample at a range limit would need 32768 counts; wrapped it would read as the opposite
// limit, so it is held at the highest (lowest) count instead.
TEST(Counts, SamplesAtOrBeyondTheRangeLimitsSaturate) {
    const double perVolt = CountsPerVolt(10.0);
    EXPECT_EQ(CountOf(5.0, perVolt), 32767);
    EXPECT_EQ(CountOf(7.5, perVolt), 32767);
    EXPECT_EQ(CountOf(1e12, perVolt), 32767);
    EXPECT_EQ(CountOf(std::numeric_limits<double>::infinity(), perVolt), 32767);
    EXPECT_EQ(CountOf(-5.0, perVolt), -32768);
    EXPECT_EQ(CountOf(-7.5, perVolt), -32768);
    EXPECT_EQ(CountOf(-std::numeric_limits<double>::infinity(), perVolt), -32768);
    EXPECT_EQ(CountOf(std::nan(""), perVolt), 0);
    // Just inside the limits the counts are exact.
    EXPECT_EQ(CountOf(32767.0 / 6553.6, perVolt), 32767);
    EXPECT_EQ(CountOf(-32767.5 / 6553.6, perVolt), -32767);
}

// Channels 0 and 2 on different ranges, three scans: the interleaved counts stay in scan
// order and the grouped ones hold each channel's samples together, in scan order.
TEST(Counts, AStretchIsConvertedInScanOrderAndRegroupedByChannel) {
    const int n = 3, channels = 2;
    const double read[] = {1.0, -0.10, 2.0, -0.20, 3.0, -0.30};
    const double perVolt[] = {CountsPerVolt(20.0), CountsPerVolt(2.0)};  // ±10 V, ±1 V
    std::vector<std::int16_t> interleaved(n * channels), grouped(n * channels);
    ConvertStretch(read, n, channels, perVolt, interleaved.data(), grouped.data());
    const std::vector<std::int16_t> scans = {3276, -3276, 6553, -6553, 9830, -9830};
    const std::vector<std::int16_t> byChannel = {3276, 6553, 9830, -3276, -6553, -9830};
    EXPECT_EQ(interleaved, scans);
    EXPECT_EQ(grouped, byChannel);
}

TEST(Counts, BoardGainDividesTheVoltsPerCount) {
    EXPECT_DOUBLE_EQ(VoltsPerCount(1.0f), 10.0 / 65536.0);
    EXPECT_DOUBLE_EQ(VoltsPerCount(25.0f), 10.0 / 65536.0 / 25.0);
    // On the ±0.2 V range (gain 25) a count read back is the input voltage.
    const std::int16_t count = CountOf(0.1, CountsPerVolt(0.4));
    EXPECT_NEAR(count * VoltsPerCount(25.0f), 0.1, 0.4 / 65536.0);
}

TEST(Stretches, OneChannelAt4000PerSecondIn100MsStretches) {
    const int n = SamplesPerChannel(4000, 0.1);
    EXPECT_EQ(n, 400);
    EXPECT_EQ(HalfStretches(199, n), 0u);
    EXPECT_EQ(HalfStretches(200, n), 1u);
    EXPECT_EQ(HalfStretches(399, n), 1u);
    EXPECT_EQ(HalfStretches(400, n), 2u);
    EXPECT_EQ(HalfStretches(40000, n), 200u);
}

TEST(Stretches, TooShortStretchesHoldFewerThanTwoSamples) {
    EXPECT_EQ(SamplesPerChannel(100, 0.01), 1);
    EXPECT_EQ(SamplesPerChannel(100, 0.005), 0);
    EXPECT_EQ(SamplesPerChannel(100, 0.02), 2);
    EXPECT_EQ(SamplesPerChannel(50000, 0.001), 50);
    // A two-sample stretch has one-sample halves; fewer have none to wait for.
    EXPECT_EQ(HalfStretches(7, 2), 7u);
    EXPECT_EQ(HalfStretches(7, 1), 0u);
}

}  // namespace
