#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "platform/analysis/analysis.h"
#include "tests/platform/analysis/sine_amplitude.h"

namespace {

using std::numbers::pi;

// One design call with its arguments bound, so the tables below can list designs of any kind.
using Design = std::function<int(double coef[], int n, int window)>;

Design lowPass(double fs, double fc) {
    return [=](double c[], int n, int w) { return Wind_LPF(fs, fc, n, c, w); };
}
Design highPass(double fs, double fc) {
    return [=](double c[], int n, int w) { return Wind_HPF(fs, fc, n, c, w); };
}
Design bandPass(double fs, double fl, double fh) {
    return [=](double c[], int n, int w) { return Wind_BPF(fs, fl, fh, n, c, w); };
}
Design bandStop(double fs, double fl, double fh) {
    return [=](double c[], int n, int w) { return Wind_BSF(fs, fl, fh, n, c, w); };
}

// Amplitude response of a symmetric filter at f Hz.
double amplitudeAt(const std::vector<double>& h, double fs, double f) {
    const double centre = (h.size() - 1) / 2.0;
    double sum = 0.0;
    for (size_t k = 0; k < h.size(); ++k) sum += h[k] * std::cos(2.0 * pi * f / fs * (k - centre));
    return sum;
}

TEST(WindowedFirDesign, ThreeTapRectangularLowPassWorkedByHand) {
    // fc = fs/4: the ideal taps are 1/pi, 1/2, 1/pi; scaled so that they sum to 1.
    double coef[3];
    ASSERT_EQ(Wind_LPF(4.0, 1.0, 3, coef, kWindowRectangular), kAnalysisOk);
    const double sum = 0.5 + 2.0 / pi;
    EXPECT_NEAR(coef[0], (1.0 / pi) / sum, 1e-15);
    EXPECT_NEAR(coef[1], 0.5 / sum, 1e-15);
    EXPECT_NEAR(coef[2], (1.0 / pi) / sum, 1e-15);
}

struct ReferenceDesign {
    std::string name;
    Design design;
    int window;
    std::vector<double> expected;
};

// Values from tests/platform/analysis/oracle_values.py (plain Python, textbook windowed sinc
// with the gain taken as |H| at the normalising frequency), pasted here.
TEST(WindowedFirDesign, MatchesReferenceCoefficients) {
    const std::vector<ReferenceDesign> designs = {
        {"low-pass 11 rectangular",
         lowPass(1000, 100),
         kWindowRectangular,
         {6.6504918833660187e-18, 0.039899882278863805, 0.08607915423242829, 0.12911873134864249,
          0.15959952911545519, 0.17060540604922045, 0.15959952911545519, 0.12911873134864249,
          0.08607915423242829, 0.039899882278863805, 6.6504918833660187e-18}},
        {"low-pass 11 triangular",
         lowPass(1000, 100),
         kWindowTriangular,
         {1.5363886570347452e-18, 0.0184352458811637, 0.059657708853368713, 0.11931541770673747,
          0.18435245881163698, 0.2364783374941862, 0.18435245881163698, 0.11931541770673747,
          0.059657708853368713, 0.0184352458811637, 1.5363886570347452e-18}},
        {"low-pass 11 Hanning",
         lowPass(1000, 100),
         kWindowHanning,
         {0, 0.0054786758595111026, 0.042763636162144819, 0.12151889269739169, 0.20757905037865335,
          0.245319489804598, 0.20757905037865335, 0.12151889269739169, 0.042763636162144833,
          0.0054786758595111052, 0}},
        {"low-pass 11 Hamming",
         lowPass(1000, 100),
         kWindowHamming,
         {7.3914231509637247e-19, 0.0093042831450181433, 0.047577766134417436, 0.12236354636114465,
          0.20224655842984027, 0.23701569185915894, 0.20224655842984035, 0.1223635463611447,
          0.04757776613441745, 0.0093042831450181468, 7.3914231509637247e-19}},
        {"low-pass 11 Blackman",
         lowPass(1000, 100),
         kWindowBlackman,
         {0, 0.0026255823292425096, 0.02828043980691711, 0.10771276216189186, 0.22179201124395706,
          0.27917840891598295, 0.22179201124395706, 0.10771276216189189, 0.028280439806917128,
          0.0026255823292425109, 0}},
        {"low-pass 10 triangular",
         lowPass(1000, 150),
         kWindowTriangular,
         {-0.0071412778333757318, -0.0048360770456929783, 0.051006151590475342, 0.1662395166493483,
          0.29473168663924509, 0.29473168663924509, 0.1662395166493483, 0.051006151590475342,
          -0.0048360770456929783, -0.0071412778333757318}},
        {"high-pass 9 Hamming",
         highPass(1000, 200),
         kWindowHamming,
         {0.0060054911283245584, 0.013283243818447981, -0.05010656809194719, -0.25981830099222375,
          0.59513203957969385, -0.25981830099222381, -0.050106568091947204, 0.013283243818447985,
          0.0060054911283245584}},
        {"band-pass 15 Blackman",
         bandPass(1000, 100, 200),
         kWindowBlackman,
         {0, 0.0029176360732081435, 0, -0.053403136169780922, -0.13815375269045249,
          -0.076062210215869244, 0.19610772516547786, 0.36853953414580043, 0.19610772516547792,
          -0.076062210215869258, -0.13815375269045257, -0.053403136169781033, 0,
          0.0029176360732081391, 0}},
        {"band-pass 8 Hanning",
         bandPass(1000, 100, 250),
         kWindowHanning,
         {0, -0.083770944009354184, -0.027063174777645683, 0.49315338963484279, 0.49315338963484279,
          -0.02706317477764569, -0.08377094400935424, 0}},
        {"band-stop 13 triangular",
         bandStop(1000, 150, 250),
         kWindowTriangular,
         {-0.004694130515022819, -0.038333432804295624, -0.021123587317602617, 0.083631858322588487,
          0.11392894081402423, -0.054907756596677765, 0.84299621619397191, -0.054907756596677765,
          0.11392894081402423, 0.083631858322588487, -0.021123587317602617, -0.038333432804295624,
          -0.004694130515022819}},
    };
    for (const auto& d : designs) {
        SCOPED_TRACE(d.name);
        std::vector<double> coef(d.expected.size());
        ASSERT_EQ(d.design(coef.data(), static_cast<int>(coef.size()), d.window), kAnalysisOk);
        for (size_t k = 0; k < coef.size(); ++k) EXPECT_NEAR(coef[k], d.expected[k], 1e-14) << k;
    }
}

// Every kind, window and a few sizes: symmetric taps and unity gain where the filter passes.
TEST(WindowedFirDesign, SymmetricWithUnityGainWherePassing) {
    const double fs = 10000;
    struct Case {
        std::string name;
        Design design;
        double unityAt;
        bool oddOnly;
    };
    const std::vector<Case> cases = {
        {"low-pass", lowPass(fs, 800), 0.0, false},
        {"high-pass", highPass(fs, 800), fs / 2, true},
        {"band-pass", bandPass(fs, 500, 1500), 1000.0, false},
        {"band-stop", bandStop(fs, 500, 1500), 0.0, true},
    };
    for (const auto& c : cases) {
        for (int window = kWindowRectangular; window <= kWindowBlackman; ++window) {
            for (int n : {1, 3, 7, 54, 55, 101}) {
                if (c.oddOnly && n % 2 == 0) continue;
                SCOPED_TRACE(c.name + " window " + std::to_string(window) + " taps " +
                             std::to_string(n));
                std::vector<double> h(n);
                ASSERT_EQ(c.design(h.data(), n, window), kAnalysisOk);
                for (int k = 0; k < n; ++k) EXPECT_NEAR(h[k], h[n - 1 - k], 1e-15);
                EXPECT_NEAR(amplitudeAt(h, fs, c.unityAt), 1.0, 1e-12);
            }
        }
    }
}

// Filters a sine with Convolve, as the display does, and measures the steady-state amplitude.
double filteredAmplitude(const std::vector<double>& h, double fs, double f) {
    const int n = 4000;
    std::vector<double> x(n);
    for (int i = 0; i < n; ++i) x[i] = std::sin(2.0 * pi * f / fs * i);
    std::vector<double> y(n + h.size() - 1);
    EXPECT_EQ(Convolve(x.data(), n, h.data(), static_cast<int>(h.size()), y.data()), kAnalysisOk);
    // Skip the start-up transient; keep 2000 samples, whole periods at the frequencies used.
    return sineAmplitude(y.data(), 1000, 2000, f / fs);
}

TEST(WindowedFirDesign, SineInPassBandKeptSineInStopBandRemoved) {
    const double fs = 10000;
    struct Case {
        std::string name;
        Design design;
        double passHz;
        double stopHz;
    };
    const std::vector<Case> cases = {
        {"low-pass", lowPass(fs, 1000), 200, 2500},
        {"high-pass", highPass(fs, 1000), 2500, 200},
        {"band-pass", bandPass(fs, 1000, 2500), 1750, 4000},
        {"band-stop", bandStop(fs, 1000, 2500), 250, 1750},
    };
    for (const auto& c : cases) {
        for (int window = kWindowRectangular; window <= kWindowBlackman; ++window) {
            SCOPED_TRACE(c.name + " window " + std::to_string(window));
            std::vector<double> h(55);
            ASSERT_EQ(c.design(h.data(), 55, window), kAnalysisOk);
            EXPECT_GT(filteredAmplitude(h, fs, c.passHz), 0.95);
            EXPECT_LT(filteredAmplitude(h, fs, c.stopHz), 0.10);
        }
    }
}

TEST(WindowedFirDesign, RefusedDesignsReportWhyAndLeaveCoefficientsAlone) {
    struct Case {
        std::string name;
        std::function<int(double*)> call;
        int status;
    };
    const std::vector<Case> cases = {
        {"high-pass, even taps", [](double* c) { return Wind_HPF(1000, 100, 10, c, 2); },
         kAnalysisEvenTapCount},
        {"band-stop, even taps", [](double* c) { return Wind_BSF(1000, 100, 200, 10, c, 2); },
         kAnalysisEvenTapCount},
        {"low-pass, zero cut-off", [](double* c) { return Wind_LPF(1000, 0, 11, c, 2); },
         kAnalysisBadCutoff},
        {"low-pass, negative cut-off", [](double* c) { return Wind_LPF(1000, -5, 11, c, 2); },
         kAnalysisBadCutoff},
        {"low-pass, cut-off at fs/2", [](double* c) { return Wind_LPF(1000, 500, 11, c, 2); },
         kAnalysisBadCutoff},
        {"low-pass, cut-off above fs/2 (500 Hz at 100 S/s)",
         [](double* c) { return Wind_LPF(100, 500, 11, c, 2); }, kAnalysisBadCutoff},
        {"high-pass, cut-off not a number",
         [](double* c) { return Wind_HPF(1000, std::nan(""), 11, c, 2); }, kAnalysisBadCutoff},
        {"band-pass, equal edges", [](double* c) { return Wind_BPF(1000, 200, 200, 11, c, 2); },
         kAnalysisBadCutoff},
        {"band-pass, edges reversed", [](double* c) { return Wind_BPF(1000, 300, 200, 11, c, 2); },
         kAnalysisBadCutoff},
        {"band-stop, upper edge beyond fs/2",
         [](double* c) { return Wind_BSF(1000, 100, 600, 11, c, 2); }, kAnalysisBadCutoff},
        {"window code 0", [](double* c) { return Wind_LPF(1000, 100, 11, c, 0); },
         kAnalysisBadWindowType},
        {"window code 6", [](double* c) { return Wind_BPF(1000, 100, 200, 11, c, 6); },
         kAnalysisBadWindowType},
        {"no taps", [](double* c) { return Wind_LPF(1000, 100, 0, c, 2); }, kAnalysisBadSize},
        {"negative tap count", [](double* c) { return Wind_HPF(1000, 100, -3, c, 2); },
         kAnalysisBadSize},
        {"two-tap Hanning, zero on both taps",
         [](double* c) { return Wind_LPF(1000, 100, 2, c, kWindowHanning); },
         kAnalysisDegenerateDesign},
        {"zero sampling rate", [](double* c) { return Wind_LPF(0, 100, 11, c, 2); },
         kAnalysisBadSamplingRate},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> coef(11, 7.0);
        EXPECT_EQ(c.call(coef.data()), c.status);
        EXPECT_EQ(coef, std::vector<double>(11, 7.0));
    }
    EXPECT_EQ(Wind_LPF(1000, 100, 11, nullptr, 2), kAnalysisNullPointer);
    EXPECT_EQ(Wind_BSF(1000, 100, 200, 11, nullptr, 2), kAnalysisNullPointer);
}

}  // namespace
