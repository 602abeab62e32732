#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "platform/analysis/analysis.h"

namespace {

TEST(ReFFT, FourPointsWorkedByHand) {
    // X[k] = sum of x[i] (-j)^(ik): 10, -2+2j, -2, -2-2j.
    double re[] = {1, 2, 3, 4};
    double im[] = {9, 9, 9, 9};  // ignored on entry
    ASSERT_EQ(ReFFT(re, im, 4), kAnalysisOk);
    const double expectedRe[] = {10, -2, -2, -2};
    const double expectedIm[] = {0, 2, 0, -2};
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(re[k], expectedRe[k], 1e-14) << k;
        EXPECT_NEAR(im[k], expectedIm[k], 1e-14) << k;
    }
}

// Values from tests/platform/analysis/oracle_values.py (the DFT sum in plain Python).
TEST(ReFFT, EightPointsMatchReferenceValues) {
    double re[] = {0.5, -1.25, 3.0, 2.0, -0.75, 0.0, 1.5, -2.5};
    double im[8] = {};
    ASSERT_EQ(ReFFT(re, im, 8), kAnalysisOk);
    const double expectedRe[] = {2.5, -2.8158639918226478, -4.75, 5.3158639918226491,
                                 6,   5.3158639918226402,  -4.75, -2.8158639918226571};
    const double expectedIm[] = {0, -3.7980970388562798, 0.75,  -0.79809703885627936,
                                 0, 0.79809703885628491, -0.75, 3.7980970388562727};
    for (int k = 0; k < 8; ++k) {
        EXPECT_NEAR(re[k], expectedRe[k], 1e-13) << k;
        EXPECT_NEAR(im[k], expectedIm[k], 1e-13) << k;
    }
}

// The defining sum in long double, for lengths from 1 up; each length twice, with another
// length in between, so a reused plan is checked too.
TEST(ReFFT, AgreesWithTheDftDefinition) {
    std::mt19937 engine(7);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (int pass = 0; pass < 2; ++pass) {
        for (int n : {1, 2, 16, 256, 1024}) {
            SCOPED_TRACE("n = " + std::to_string(n) + ", pass " + std::to_string(pass));
            std::vector<double> x(n);
            for (double& v : x) v = value(engine);
            std::vector<double> re = x;
            std::vector<double> im(n, 0.0);
            ASSERT_EQ(ReFFT(re.data(), im.data(), n), kAnalysisOk);
            for (int k = 0; k < n; ++k) {
                std::complex<long double> sum = 0;
                for (int i = 0; i < n; ++i) {
                    const long double angle = -2.0L * std::numbers::pi_v<long double> *
                                              ((static_cast<long long>(i) * k) % n) / n;
                    sum += static_cast<long double>(x[i]) *
                           std::complex<long double>(std::cos(angle), std::sin(angle));
                }
                EXPECT_NEAR(re[k], static_cast<double>(sum.real()), 1e-12) << k;
                EXPECT_NEAR(im[k], static_cast<double>(sum.imag()), 1e-12) << k;
            }
        }
    }
}

TEST(ReFFT, SinePeaksAtItsBin) {
    const int n = 256;
    const int bin = 10;
    const double amp = 3.0;
    std::vector<double> re(n), im(n);
    for (int i = 0; i < n; ++i) re[i] = amp * std::sin(2.0 * std::numbers::pi * bin * i / n);
    ASSERT_EQ(ReFFT(re.data(), im.data(), n), kAnalysisOk);
    // A sine of amplitude A puts -j A n / 2 at its bin and the conjugate at n - bin.
    EXPECT_NEAR(im[bin], -amp * n / 2, 1e-10);
    EXPECT_NEAR(im[n - bin], amp * n / 2, 1e-10);
    for (int k = 0; k < n; ++k) {
        if (k == bin || k == n - bin) continue;
        EXPECT_NEAR(std::hypot(re[k], im[k]), 0.0, 1e-10) << k;
    }
}

TEST(ReFFT, RefusesBadLengthsWithoutWriting) {
    std::vector<double> re(12, 1.0), im(12, 2.0);
    EXPECT_EQ(ReFFT(re.data(), im.data(), 0), kAnalysisBadSize);
    EXPECT_EQ(ReFFT(re.data(), im.data(), -4), kAnalysisBadSize);
    EXPECT_EQ(ReFFT(re.data(), im.data(), 3), kAnalysisNotPowerOfTwo);
    EXPECT_EQ(ReFFT(re.data(), im.data(), 12), kAnalysisNotPowerOfTwo);
    EXPECT_EQ(ReFFT(nullptr, im.data(), 4), kAnalysisNullPointer);
    EXPECT_EQ(ReFFT(re.data(), nullptr, 4), kAnalysisNullPointer);
    EXPECT_EQ(re, std::vector<double>(12, 1.0));
    EXPECT_EQ(im, std::vector<double>(12, 2.0));
}

}  // namespace
