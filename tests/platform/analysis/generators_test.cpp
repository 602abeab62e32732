#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "platform/analysis/analysis.h"

namespace {

TEST(Ramp, RunsFromFirstToLastInclusive) {
    double out[5];
    ASSERT_EQ(Ramp(5, 0.0, 1000.0, out), kAnalysisOk);
    EXPECT_EQ(std::vector<double>(out, out + 5), (std::vector<double>{0, 250, 500, 750, 1000}));

    // A falling segment, as a ramp train's second segment going back to 0.
    ASSERT_EQ(Ramp(4, 1000.0, 0.0, out), kAnalysisOk);
    EXPECT_NEAR(out[1], 666.6666666666667, 1e-9);
    EXPECT_EQ(out[3], 0.0);

    // Steps that do not divide evenly still end exactly on the last value.
    std::vector<double> long_(101);
    ASSERT_EQ(Ramp(101, 0.1, 0.7, long_.data()), kAnalysisOk);
    EXPECT_EQ(long_.front(), 0.1);
    EXPECT_EQ(long_.back(), 0.7);

    ASSERT_EQ(Ramp(1, 3.5, 9.0, out), kAnalysisOk);
    EXPECT_EQ(out[0], 3.5);
    ASSERT_EQ(Ramp(2, -1.0, 1.0, out), kAnalysisOk);
    EXPECT_EQ(out[0], -1.0);
    EXPECT_EQ(out[1], 1.0);
}

TEST(SineWave, ValuesWorkedByHand) {
    // amp 2, a quarter cycle per sample from 30 degrees: 2 sin 30, 2 sin 120, 2 sin 210, ...
    double out[5];
    double phase = 30.0;
    ASSERT_EQ(SineWave(5, 2.0, 0.25, &phase, out), kAnalysisOk);
    const double expected[] = {1.0, std::sqrt(3.0), -1.0, -std::sqrt(3.0), 1.0};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(out[i], expected[i], 1e-14) << i;
    EXPECT_NEAR(phase, 120.0, 1e-12);  // 30 + 360 * 0.25 * 5 = 480, less a turn
}

TEST(SineWave, TwoCallsMakeOneWaveOfTwiceTheLength) {
    const int n = 1000;
    const double freq = 0.0123;
    std::vector<double> whole(2 * n), parts(2 * n);
    double phaseWhole = 45.0;
    double phaseParts = 45.0;
    ASSERT_EQ(SineWave(2 * n, 5.0, freq, &phaseWhole, whole.data()), kAnalysisOk);
    ASSERT_EQ(SineWave(n, 5.0, freq, &phaseParts, parts.data()), kAnalysisOk);
    ASSERT_EQ(SineWave(n, 5.0, freq, &phaseParts, parts.data() + n), kAnalysisOk);
    for (int i = 0; i < 2 * n; ++i) EXPECT_NEAR(parts[i], whole[i], 1e-9) << i;
    EXPECT_NEAR(phaseParts, phaseWhole, 1e-9);
    EXPECT_GE(phaseWhole, 0.0);
    EXPECT_LT(phaseWhole, 360.0);
}

TEST(SineWave, HalfWavesOfAnUnevenDutyCycleJoinAtTheZeroCrossing) {
    // One 100-sample period with duty 0.3: 30 samples of the first half-wave, 70 of the second.
    const int n = 100;
    std::vector<double> period(n);
    double phase = 0.0;
    ASSERT_EQ(SineWave(30, 1.0, 0.5 / n / 0.3, &phase, period.data()), kAnalysisOk);
    EXPECT_NEAR(phase, 180.0, 1e-9);
    ASSERT_EQ(SineWave(70, 1.0, 0.5 / n / 0.7, &phase, period.data() + 30), kAnalysisOk);
    EXPECT_NEAR(phase, 0.0, 1e-9);
    EXPECT_NEAR(period[30], 0.0, 1e-12);
    EXPECT_TRUE(
        std::all_of(period.begin() + 1, period.begin() + 30, [](double v) { return v > 0; }));
    EXPECT_TRUE(std::all_of(period.begin() + 31, period.end(), [](double v) { return v < 0; }));
}

TEST(SineWave, FallingPhaseWrapsIntoOneTurn) {
    double out[3];
    double phase = 10.0;
    ASSERT_EQ(SineWave(3, 1.0, -0.1, &phase, out), kAnalysisOk);
    EXPECT_NEAR(phase, 10.0 - 108.0 + 360.0, 1e-12);
}

double mean(const std::vector<double>& v) {
    return std::accumulate(v.begin(), v.end(), 0.0) / v.size();
}

double standardDeviation(const std::vector<double>& v) {
    const double m = mean(v);
    double sum = 0.0;
    for (double x : v) sum += (x - m) * (x - m);
    return std::sqrt(sum / (v.size() - 1));
}

TEST(WhiteNoise, UniformWithinTheAmplitude) {
    std::vector<double> v(200000);
    ASSERT_EQ(WhiteNoise(static_cast<int>(v.size()), 2.5, 11, v.data()), kAnalysisOk);
    EXPECT_GE(*std::min_element(v.begin(), v.end()), -2.5);
    EXPECT_LE(*std::max_element(v.begin(), v.end()), 2.5);
    // Mean 0 and spread amp / sqrt(3); the margins are about five standard errors.
    EXPECT_NEAR(mean(v), 0.0, 0.02);
    EXPECT_NEAR(standardDeviation(v), 2.5 / std::sqrt(3.0), 0.01);
    // Both ends of the range are reached, not just the middle.
    EXPECT_LT(*std::min_element(v.begin(), v.end()), -2.49);
    EXPECT_GT(*std::max_element(v.begin(), v.end()), 2.49);
}

TEST(GaussNoise, NormalWithMeanZeroAndTheGivenSpread) {
    std::vector<double> v(200000);
    ASSERT_EQ(GaussNoise(static_cast<int>(v.size()), 4.0, 3, v.data()), kAnalysisOk);
    EXPECT_NEAR(mean(v), 0.0, 0.05);
    EXPECT_NEAR(standardDeviation(v), 4.0, 0.04);
    // About 68.3 % of normal values lie within one standard deviation.
    const auto within =
        std::count_if(v.begin(), v.end(), [](double x) { return std::abs(x) < 4.0; });
    EXPECT_NEAR(static_cast<double>(within) / v.size(), 0.6827, 0.006);
}

using NoiseRoutine = int (*)(int, double, int, double[]);

struct NamedNoise {
    const char* name;
    NoiseRoutine routine;
};

class NoiseSeeding : public ::testing::TestWithParam<NamedNoise> {};

TEST_P(NoiseSeeding, SameSeedSameValuesAndNoSeedContinues) {
    const NoiseRoutine noise = GetParam().routine;
    std::vector<double> first(500), again(500), other(500);
    ASSERT_EQ(noise(500, 1.0, 42, first.data()), kAnalysisOk);
    ASSERT_EQ(noise(500, 1.0, 42, again.data()), kAnalysisOk);
    EXPECT_EQ(first, again);
    ASSERT_EQ(noise(500, 1.0, 43, other.data()), kAnalysisOk);
    EXPECT_NE(first, other);

    // Seeds 0 and below continue one sequence: two halves equal one run of the whole length.
    std::vector<double> whole(1000), halves(1000);
    ASSERT_EQ(noise(1000, 1.0, 9, whole.data()), kAnalysisOk);
    ASSERT_EQ(noise(400, 1.0, 9, halves.data()), kAnalysisOk);
    ASSERT_EQ(noise(600, 1.0, 0, halves.data() + 400), kAnalysisOk);
    EXPECT_EQ(halves, whole);
    ASSERT_EQ(noise(500, 1.0, -1, again.data()), kAnalysisOk);
    EXPECT_NE(std::vector<double>(whole.begin(), whole.begin() + 500), again);
}

TEST_P(NoiseSeeding, RefusesBadArguments) {
    const NoiseRoutine noise = GetParam().routine;
    double out[2] = {5, 5};
    EXPECT_EQ(noise(0, 1.0, 1, out), kAnalysisBadSize);
    EXPECT_EQ(noise(-2, 1.0, 1, out), kAnalysisBadSize);
    EXPECT_EQ(noise(2, 1.0, 1, nullptr), kAnalysisNullPointer);
    EXPECT_EQ(out[0], 5.0);
    EXPECT_EQ(out[1], 5.0);
}

INSTANTIATE_TEST_SUITE_P(Routines, NoiseSeeding,
                         ::testing::Values(NamedNoise{"WhiteNoise", &WhiteNoise},
                                           NamedNoise{"GaussNoise", &GaussNoise}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NoiseGenerators, EachKeepsItsOwnSequence) {
    std::vector<double> alone(100), interleaved(100), scratch(50);
    ASSERT_EQ(WhiteNoise(50, 1.0, 5, alone.data()), kAnalysisOk);
    ASSERT_EQ(WhiteNoise(50, 1.0, 0, alone.data() + 50), kAnalysisOk);
    ASSERT_EQ(WhiteNoise(50, 1.0, 5, interleaved.data()), kAnalysisOk);
    ASSERT_EQ(GaussNoise(50, 1.0, 77, scratch.data()), kAnalysisOk);
    ASSERT_EQ(WhiteNoise(50, 1.0, 0, interleaved.data() + 50), kAnalysisOk);
    EXPECT_EQ(interleaved, alone);
}

TEST(Generators, RefuseBadArgumentsWithoutWriting) {
    double out[2] = {5, 5};
    double phase = 12.0;
    EXPECT_EQ(Ramp(0, 0, 1, out), kAnalysisBadSize);
    EXPECT_EQ(Ramp(-1, 0, 1, out), kAnalysisBadSize);
    EXPECT_EQ(Ramp(2, 0, 1, nullptr), kAnalysisNullPointer);
    EXPECT_EQ(SineWave(0, 1, 0.1, &phase, out), kAnalysisBadSize);
    EXPECT_EQ(SineWave(2, 1, 0.1, nullptr, out), kAnalysisNullPointer);
    EXPECT_EQ(SineWave(2, 1, 0.1, &phase, nullptr), kAnalysisNullPointer);
    EXPECT_EQ(out[0], 5.0);
    EXPECT_EQ(out[1], 5.0);
    EXPECT_EQ(phase, 12.0);
}

}  // namespace
