#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "platform/analysis/analysis.h"
#include "platform/analysis/convolve_methods.h"

namespace {

using namespace trelvanix::analysis_detail;

std::vector<double> randomSignal(int n, unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x) v = value(engine);
    return x;
}

// The defining sum, term by term.
std::vector<double> naiveConvolution(const std::vector<double>& x, const std::vector<double>& y) {
    std::vector<double> out(x.size() + y.size() - 1, 0.0);
    for (size_t i = 0; i < x.size(); ++i)
        for (size_t j = 0; j < y.size(); ++j) out[i + j] += x[i] * y[j];
    return out;
}

void expectClose(const std::vector<double>& actual, const std::vector<double>& expected,
                 double tolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << i;
}

TEST(Convolve, WorkedByHand) {
    const double x[] = {1, 2, 3};
    const double y[] = {0, 1, 0.5};
    double out[5];
    ASSERT_EQ(Convolve(x, 3, y, 3, out), kAnalysisOk);
    const std::vector<double> expected = {0, 1, 2.5, 4, 1.5};
    EXPECT_EQ(std::vector<double>(out, out + 5), expected);
}

// Sizes around the direct method's blocks of eight, both argument orders, single samples,
// and kernels either side of the switch to FFT overlap-add.
TEST(Convolve, BothMethodsAgreeWithTheDefiningSum) {
    const std::vector<std::pair<int, int>> sizes = {
        {1, 1},     {1, 9},     {9, 1},      {8, 8},      {17, 3},
        {3, 17},    {100, 55},  {55, 100},   {64, 64},    {5055, 55},
        {1000, 16}, {1000, 17}, {5055, 255}, {300, 1000}, {4097, 2049}};
    unsigned seed = 1;
    for (auto [nx, ny] : sizes) {
        SCOPED_TRACE(std::to_string(nx) + " x " + std::to_string(ny));
        const auto x = randomSignal(nx, seed++);
        const auto y = randomSignal(ny, seed++);
        const auto expected = naiveConvolution(x, y);
        // Rounding of an FFT grows with the length of the sums; 1e-11 is far below any fault.
        std::vector<double> out(expected.size(), 99.0);
        ASSERT_EQ(Convolve(x.data(), nx, y.data(), ny, out.data()), kAnalysisOk);
        expectClose(out, expected, 1e-11);

        std::fill(out.begin(), out.end(), 99.0);
        convolveDirect(x.data(), nx, y.data(), ny, out.data());
        expectClose(out, expected, 1e-12);

        std::fill(out.begin(), out.end(), 99.0);
        ASSERT_TRUE(convolveOverlapAdd(x.data(), nx, y.data(), ny, out.data()));
        expectClose(out, expected, 1e-11);
    }
}

TEST(Convolve, RefusesBadArgumentsWithoutWriting) {
    const double x[] = {1, 2};
    double out[3] = {5, 5, 5};
    EXPECT_EQ(Convolve(nullptr, 2, x, 2, out), kAnalysisNullPointer);
    EXPECT_EQ(Convolve(x, 2, nullptr, 2, out), kAnalysisNullPointer);
    EXPECT_EQ(Convolve(x, 2, x, 2, nullptr), kAnalysisNullPointer);
    EXPECT_EQ(Convolve(x, 0, x, 2, out), kAnalysisBadSize);
    EXPECT_EQ(Convolve(x, 2, x, -1, out), kAnalysisBadSize);
    EXPECT_EQ(std::vector<double>(out, out + 3), std::vector<double>(3, 5.0));
}

}  // namespace
