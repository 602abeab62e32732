#include "stimulus/generators.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "platform/clock/clock.h"

using namespace trelvanix;

namespace {

class Generators : public ::testing::Test {
  protected:
    void SetUp() override {
        clock_ = &installSimulatedClock();
        ResetRandomNumbers();
    }
    SimulatedClock* clock_ = nullptr;
};

TEST(Zapf, SweepLawsAndTheirGuards) {
    // Type 1, 10 to 20 Hz over 1000 ms: 7.5 cycles after 500 ms.
    EXPECT_NEAR(zapf(1, 500, 1000, 10, 20), 0.015, 1e-12);
    EXPECT_NEAR(zapf(1, 500, 1000, 10, 20) * 500, 7.5, 1e-9);
    // Type 2 is the exact exponential sweep: 10 / ln 2 cycles in one second.
    EXPECT_NEAR(zapf(2, 1000, 1000, 10, 20) * 1000, 10 / std::log(2.0), 1e-9);
    EXPECT_DOUBLE_EQ(zapf(2, 0, 1000, 10, 20), 0.001 * 10);
    EXPECT_DOUBLE_EQ(zapf(0, 250, 1000, 10, 20), 0.001 * 250 * 20 / 1000);
    // Equal frequencies: the end moves up by 0.001 Hz; a 0 Hz start is 0.001 Hz.
    EXPECT_DOUBLE_EQ(zapf(0, 1000, 1000, 10, 10), 0.001 * 10.001);
    EXPECT_DOUBLE_EQ(zapf(1, 0, 1000, 0, 20), 0.001 * 0.001);
    // An empty sweep and an unknown law give 0.
    EXPECT_EQ(zapf(1, 5, 0, 10, 20), 0.0);
    EXPECT_EQ(zapf(1, 5, -3, 10, 20), 0.0);
    EXPECT_EQ(zapf(3, 5, 1000, 10, 20), 0.0);
}

TEST(ZapWave, LeadInSweepLeadOutAndReversal) {
    ZapSettings zap;
    zap.freqStart = 10;
    zap.freqEnd = 20;
    zap.cyclesStart = 2;
    zap.cyclesEnd = 4;
    zap.sweepType = 1;
    EXPECT_EQ(ZapLeadIn(zap), 200);
    EXPECT_EQ(ZapLeadOut(zap), 200);
    const int n = 1400;
    std::vector<double> forward(n), backward(n);
    ZapWave(n, 100.0, forward.data(), 0, zap, 90.0, nullptr);
    // Lead-in: a 10 Hz sine from the start phase (3.14 and 6.28 stand for pi and 2 pi).
    EXPECT_DOUBLE_EQ(forward[0], 100.0 * std::sin(3.14 * 90.0 / 180.0));
    EXPECT_DOUBLE_EQ(forward[37], 100.0 * std::sin(6.28 * 0.001 * 10 * 37 + 1.57));
    // Sweep: phase r * (i - A) with r from zapf.
    const double r = zapf(1, 500, 1000, 10, 20);
    EXPECT_DOUBLE_EQ(forward[700], 100.0 * std::sin(6.28 * r * 500 + 1.57));
    // Lead-out continues with the last sweep factor.
    const double last = zapf(1, 999, 1000, 10, 20);
    EXPECT_DOUBLE_EQ(forward[1300], 100.0 * std::sin(6.28 * last * 1100 + 1.57));

    zap.reverse = 1;
    ZapWave(n, 100.0, backward.data(), 0, zap, 90.0, nullptr);
    EXPECT_EQ(backward[n - 1], forward[0]);
    EXPECT_TRUE(std::equal(forward.begin(), forward.end(), backward.rbegin()));
}

TEST(ZapWave, CellShapeInterpolatesTheLoadedPeriod) {
    std::vector<double> cell(1006, 0.0);
    for (int i = 0; i < 1000; ++i) cell[i] = i;  // a saw tooth falling to the 0 after it
    EXPECT_NEAR(cellwfm(6.28 * 0.25, cell.data()), 250.0, 1e-6);
    // Between index 999 and the 0.0 after the period.
    EXPECT_NEAR(cellwfm(6.28 * 0.9995, cell.data()), 499.5, 1e-6);
    EXPECT_NEAR(cellwfm(6.28 * 1.25, cell.data()), 250.0, 1e-6);  // periodic
    EXPECT_DOUBLE_EQ(cellwfm(1.0, nullptr), std::sin(1.0));
}

TEST_F(Generators, RandomNumbersAreInZeroToOneAndNeverZero) {
    float lowest = 1.0f, highest = 0.0f;
    for (int i = 0; i < 20000; ++i) {
        if (i % 7 == 0) clock_->advance(0.001);  // new milliseconds reseed the generator
        const float r = GetRandomNumber();
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_GT(lowest, 0.0f);
    EXPECT_LE(highest, 1.0f);
    EXPECT_GT(highest, 0.99f);
    EXPECT_LT(lowest, 0.01f);
}

TEST_F(Generators, PoissonPulsesNeverStartAfterTheTrainMinusTheirWidth) {
    for (int trial = 0; trial < 50; ++trial) {
        clock_->advance(0.0137);
        std::vector<double> train(5000, -1.0);
        Generate_poisson(train.data(), 5000, 5.0, 7.0, 40.0);
        EXPECT_EQ(train[0], 7.0);  // the first pulse starts at 0
        for (int j = 1; j < 5000; ++j)
            if (train[j] == 7.0 && train[j - 1] == 0.0) {
                EXPECT_LE(j, 4995);
            }
        for (double v : train) EXPECT_TRUE(v == 0.0 || v == 7.0);
    }
    // The mean interval is 1000 / frequency ms.
    const int count = makePoisTrain(1000000, 50.0);
    ASSERT_GT(count, 1000);
    EXPECT_EQ(PoisTimes[0], 0);
    const double mean = static_cast<double>(PoisTimes[count - 1]) / (count - 1);
    EXPECT_NEAR(mean, 1000.0 / 50.0, 1.5);
    // A rate of 0 gives only the event at 0 rather than dividing by zero.
    EXPECT_EQ(makePoisTrain(5000, 0.0), 1);
}

TEST_F(Generators, RectifiedNoiseKeepsOnlyOneSign) {
    std::vector<double> values(20000);
    for (int kind : {0, 1, 2}) {
        NoiseSettings noise;
        noise.rectify = 1;
        noise.seed = NextNoiseSeed();
        generateNoise(values.data(), kind, static_cast<int>(values.size()), kind == 2 ? 0.1 : 1.0,
                      noise);
        EXPECT_GE(*std::min_element(values.begin(), values.end()), 0.0) << kind;
        EXPECT_GT(*std::max_element(values.begin(), values.end()), 0.0) << kind;
        noise.rectify = -1;
        generateNoise(values.data(), kind, static_cast<int>(values.size()), kind == 2 ? 0.1 : 1.0,
                      noise);
        EXPECT_LE(*std::max_element(values.begin(), values.end()), 0.0) << kind;
    }
}

TEST_F(Generators, OrnsteinUhlenbeckRelaxesWithStationarySpreadEqualToItsStrength) {
    const int m = 400000;
    std::vector<double> x(m);
    // dt / tau small, so the discrete process is close to the continuous one.
    ouProcess(x.data(), 0.1, m, 500.0, 5.0, 0, 12345);
    const double mean = std::accumulate(x.begin(), x.end(), 0.0) / m;
    double square = 0.0;
    for (double v : x) square += (v - mean) * (v - mean);
    EXPECT_NEAR(std::sqrt(square / m), 500.0, 500.0 * 0.05);
    EXPECT_NEAR(mean, 0.0, 50.0);
    // Successive values are correlated over about tau / dt = 50 values.
    double lag = 0.0;
    for (int i = 50; i < m; ++i) lag += (x[i] - mean) * (x[i - 50] - mean);
    EXPECT_NEAR(lag / square, std::exp(-1.0), 0.05);
}

TEST_F(Generators, NoiseSeedsDifferAtEveryCallAndRepeatAfterAReset) {
    const int first = NextNoiseSeed(), second = NextNoiseSeed();
    EXPECT_NE(first, second);
    EXPECT_GT(first, 0);
    ResetRandomNumbers();
    EXPECT_EQ(NextNoiseSeed(), first);
}

}  // namespace
