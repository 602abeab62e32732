#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "platform/analysis/analysis.h"
#include "tests/platform/analysis/sine_amplitude.h"

namespace {

using std::numbers::pi;
using Filter = int (*)(const double[], int, double, double, int, double[]);

void expectStepResponse(Filter filter, double fs, double fc, int order,
                        const std::vector<double>& expected) {
    const int n = static_cast<int>(expected.size());
    std::vector<double> step(n, 1.0), y(n);
    ASSERT_EQ(filter(step.data(), n, fs, fc, order, y.data()), kAnalysisOk);
    for (int i = 0; i < n; ++i) EXPECT_NEAR(y[i], expected[i], 1e-13) << i;
}

// Values from tests/platform/analysis/oracle_values.py: the analogue poles mapped one by one
// through the bilinear transform, expanded to a single difference equation in plain Python.
TEST(Butterworth, StepResponsesMatchReferenceValues) {
    {
        SCOPED_TRACE("low-pass, order 3, 50 Hz at 1000 S/s");
        expectStepResponse(
            &Bw_LPF, 1000, 50, 3,
            {0.0028981946337214431, 0.018473367181050502, 0.058553238112494736, 0.12809685417902147,
             0.22415882701272222, 0.33937019396825469, 0.46455762793451871, 0.59059296248916038,
             0.70958283286179558, 0.81551822147496589, 0.90450538683992698, 0.9746938849162029});
    }
    {
        SCOPED_TRACE("high-pass, order 2, 100 Hz at 1000 S/s");
        expectStepResponse(
            &Bw_HPF, 1000, 100, 2,
            {0.63894552515902237, 0.091356752282857889, -0.15933874724737879, -0.21983329474212865,
             -0.18548988019699772, -0.1212637810993293, -0.062031618484808704,
             -0.020843047840140523, 0.0017835539482350983, 0.0106426108456661});
    }
    {
        SCOPED_TRACE("low-pass, order 5, 1200 Hz at 8000 S/s");
        expectStepResponse(
            &Bw_LPF, 8000, 1200, 5,
            {0.0069331961301426041, 0.055298490221510122, 0.20623571090572429, 0.48406722218728537,
             0.81484991321068656, 1.0668338923309562, 1.1575685629392969, 1.1093372225382268,
             1.0121269976482079, 0.94811876217075242});
    }
}

TEST(Butterworth, StepSettlesToOneThroughLowPassAndToZeroThroughHighPass) {
    const int n = 2000;
    std::vector<double> step(n, 1.0), y(n);
    for (int order : {1, 2, 5, 8}) {
        SCOPED_TRACE("order " + std::to_string(order));
        ASSERT_EQ(Bw_LPF(step.data(), n, 1000, 40, order, y.data()), kAnalysisOk);
        EXPECT_NEAR(y.back(), 1.0, 1e-9);
        ASSERT_EQ(Bw_HPF(step.data(), n, 1000, 40, order, y.data()), kAnalysisOk);
        EXPECT_NEAR(y.back(), 0.0, 1e-9);
    }
}

double steadySineGain(Filter filter, double fs, double fc, int order, double f) {
    const int n = 20000;
    std::vector<double> x(n), y(n);
    for (int i = 0; i < n; ++i) x[i] = std::sin(2.0 * pi * f / fs * i);
    EXPECT_EQ(filter(x.data(), n, fs, fc, order, y.data()), kAnalysisOk);
    return sineAmplitude(y.data(), n / 2, n / 2, f / fs);
}

// Pre-warping puts the -3 dB point exactly at fc; away from it the gain follows
// 1 / sqrt(1 + r^(2N)), r the ratio of the warped frequencies, so each order adds 6 dB/octave.
TEST(Butterworth, ThreeDecibelsDownAtCutoffAndSlopeGrowsWithOrder) {
    const double fs = 10000;
    const double fc = 500;
    const double warpedCutoff = std::tan(pi * fc / fs);
    for (int order = 1; order <= 6; ++order) {
        SCOPED_TRACE("order " + std::to_string(order));
        EXPECT_NEAR(steadySineGain(&Bw_LPF, fs, fc, order, fc), 1.0 / std::sqrt(2.0), 1e-3);
        EXPECT_NEAR(steadySineGain(&Bw_HPF, fs, fc, order, fc), 1.0 / std::sqrt(2.0), 1e-3);
        const double octaveUp = std::tan(pi * 2 * fc / fs) / warpedCutoff;
        const double octaveDown = warpedCutoff / std::tan(pi * fc / 2 / fs);
        EXPECT_NEAR(steadySineGain(&Bw_LPF, fs, fc, order, 2 * fc),
                    1.0 / std::sqrt(1.0 + std::pow(octaveUp, 2 * order)), 1e-3);
        EXPECT_NEAR(steadySineGain(&Bw_HPF, fs, fc, order, fc / 2),
                    1.0 / std::sqrt(1.0 + std::pow(octaveDown, 2 * order)), 1e-3);
    }
}

TEST(Butterworth, InPlaceGivesTheSameAsSeparateArrays) {
    std::vector<double> x(1000);
    for (size_t i = 0; i < x.size(); ++i) x[i] = std::sin(0.05 * i) + 0.3 * std::cos(0.9 * i);
    for (Filter filter : {&Bw_LPF, &Bw_HPF}) {
        std::vector<double> separate(x.size());
        std::vector<double> inPlace = x;
        ASSERT_EQ(filter(x.data(), 1000, 1000, 60, 5, separate.data()), kAnalysisOk);
        ASSERT_EQ(filter(inPlace.data(), 1000, 1000, 60, 5, inPlace.data()), kAnalysisOk);
        EXPECT_EQ(inPlace, separate);
    }
}

TEST(Butterworth, RefusesBadArgumentsAndLeavesTheDataAlone) {
    struct Case {
        std::string name;
        double fs, fc;
        int order, n;
        int status;
    };
    const std::vector<Case> cases = {
        {"order 0", 1000, 100, 0, 4, kAnalysisBadOrder},
        {"negative order", 1000, 100, -2, 4, kAnalysisBadOrder},
        {"zero cut-off", 1000, 0, 2, 4, kAnalysisBadCutoff},
        {"cut-off at fs/2", 1000, 500, 2, 4, kAnalysisBadCutoff},
        {"cut-off above fs/2", 1000, 800, 2, 4, kAnalysisBadCutoff},
        {"zero sampling rate", 0, 100, 2, 4, kAnalysisBadSamplingRate},
        {"no samples", 1000, 100, 2, 0, kAnalysisBadSize},
    };
    for (Filter filter : {&Bw_LPF, &Bw_HPF}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            std::vector<double> data = {1, 2, 3, 4};
            EXPECT_EQ(filter(data.data(), c.n, c.fs, c.fc, c.order, data.data()), c.status);
            EXPECT_EQ(data, (std::vector<double>{1, 2, 3, 4}));
        }
        double y[1];
        EXPECT_EQ(filter(nullptr, 1, 1000, 100, 2, y), kAnalysisNullPointer);
        EXPECT_EQ(filter(y, 1, 1000, 100, 2, nullptr), kAnalysisNullPointer);
    }
}

}  // namespace
