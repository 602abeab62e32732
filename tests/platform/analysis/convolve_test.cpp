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
        {1000, 64}, {1000, 65}, {5055, 255}, {300, 1000}, {4097, 2049}};
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
        const int total = static_cast<int>(expected.size());
        convolveDirect(x.data(), nx, y.data(), ny, 0, total, out.data());
        expectClose(out, expected, 1e-12);

        std::fill(out.begin(), out.end(), 99.0);
        ASSERT_TRUE(convolveOverlapAdd(x.data(), nx, y.data(), ny, 0, total, out.data()));
        expectClose(out, expected, 1e-11);
    }
}

// A display filter's part (the outputs where the taps lie inside the data), parts reaching
// into either end, and parts shorter and longer than the direct method's blocks of 32: each
// method gives the same values as the whole convolution.
TEST(Convolve, PartsAgreeWithTheWholeByEitherMethod) {
    struct Case {
        int nx, ny, first, count;
    };
    const Case cases[] = {{55, 5055, 55, 5000}, {55, 455, 55, 400},     {5055, 55, 0, 5109},
                          {55, 5055, 3, 100},   {55, 5055, 5050, 59},   {17, 100, 16, 31},
                          {17, 100, 16, 33},    {255, 5255, 255, 5000}, {9, 9, 4, 1}};
    unsigned seed = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.nx) + " x " + std::to_string(c.ny) + " from " +
                     std::to_string(c.first) + " count " + std::to_string(c.count));
        const auto x = randomSignal(c.nx, seed++);
        const auto y = randomSignal(c.ny, seed++);
        const auto whole = naiveConvolution(x, y);
        const std::vector<double> expected(whole.begin() + c.first,
                                           whole.begin() + c.first + c.count);
        std::vector<double> out(c.count + 1, 99.0);
        ASSERT_EQ(ConvolvePart(x.data(), c.nx, y.data(), c.ny, c.first, c.count, out.data()),
                  kAnalysisOk);
        EXPECT_EQ(out.back(), 99.0);  // nothing written past the part
        out.pop_back();
        expectClose(out, expected, 1e-11);
        convolveDirect(x.data(), c.nx, y.data(), c.ny, c.first, c.count, out.data());
        expectClose(out, expected, 1e-12);
        ASSERT_TRUE(
            convolveOverlapAdd(x.data(), c.nx, y.data(), c.ny, c.first, c.count, out.data()));
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
    EXPECT_EQ(ConvolvePart(x, 2, x, 2, -1, 2, out), kAnalysisBadSize);
    EXPECT_EQ(ConvolvePart(x, 2, x, 2, 0, 0, out), kAnalysisBadSize);
    EXPECT_EQ(ConvolvePart(x, 2, x, 2, 1, 3, out), kAnalysisBadSize);
    EXPECT_EQ(ConvolvePart(x, 2, x, 2, 0, 1, nullptr), kAnalysisNullPointer);
    EXPECT_EQ(std::vector<double>(out, out + 3), std::vector<double>(3, 5.0));
}

}  // namespace
