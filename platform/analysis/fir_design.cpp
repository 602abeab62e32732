// Windowed-sinc FIR design: ideal impulse responses truncated to n taps around the centre
// M = (n-1)/2, shaped by a symmetric window and scaled to unity gain in the pass band.

#include <cmath>
#include <new>
#include <numbers>
#include <vector>

#include "platform/analysis/analysis.h"

namespace {

using std::numbers::pi;

double windowValue(int windowType, int k, int n) {
    if (n == 1) return 1.0;
    const double centre = (n - 1) / 2.0;
    const double phase = 2.0 * pi * k / (n - 1);
    switch (windowType) {
        case kWindowTriangular: {
            // Non-zero end points: half-width (n+1)/2 for odd n and n/2 for even n.
            const double halfWidth = (n % 2 == 1) ? (n + 1) / 2.0 : n / 2.0;
            return 1.0 - std::abs(k - centre) / halfWidth;
        }
        case kWindowHanning:
            return 0.5 - 0.5 * std::cos(phase);
        case kWindowHamming:
            return 0.54 - 0.46 * std::cos(phase);
        case kWindowBlackman:
            return 0.42 - 0.5 * std::cos(phase) + 0.08 * std::cos(2.0 * phase);
        default:
            return 1.0;
    }
}

double sinc(double x) {
    return x == 0.0 ? 1.0 : std::sin(pi * x) / (pi * x);
}

// Ideal low-pass of cut-off `fraction` (cut-off / fs) sampled at offset t from the centre.
double lowPassTap(double fraction, double t) {
    return 2.0 * fraction * sinc(2.0 * fraction * t);
}

enum class Kind { LowPass, HighPass, BandPass, BandStop };

// Frequency (as a fraction of fs) where each kind is scaled to unity gain.
double normalisingFrequency(Kind kind, double low, double high) {
    switch (kind) {
        case Kind::HighPass:
            return 0.5;
        case Kind::BandPass:
            return (low + high) / 2.0;
        default:
            return 0.0;
    }
}

// low and high are cut-offs as fractions of fs; low-pass uses only high, high-pass only low.
int design(Kind kind, double fs, double lowHz, double highHz, int n, double coef[],
           int windowType) {
    if (coef == nullptr) return kAnalysisNullPointer;
    if (n < 1) return kAnalysisBadSize;
    if (!(fs > 0.0)) return kAnalysisBadSamplingRate;
    const bool usesLow = kind != Kind::LowPass;
    const bool usesHigh = kind != Kind::HighPass;
    const double nyquist = fs / 2.0;
    if (usesLow && !(lowHz > 0.0 && lowHz < nyquist)) return kAnalysisBadCutoff;
    if (usesHigh && !(highHz > 0.0 && highHz < nyquist)) return kAnalysisBadCutoff;
    if (usesLow && usesHigh && !(lowHz < highHz)) return kAnalysisBadCutoff;
    // An even-length high-pass or band-stop filter has a forced zero at fs/2.
    if ((kind == Kind::HighPass || kind == Kind::BandStop) && n % 2 == 0) {
        return kAnalysisEvenTapCount;
    }
    if (windowType < kWindowRectangular || windowType > kWindowBlackman) {
        return kAnalysisBadWindowType;
    }

    const double low = lowHz / fs;
    const double high = highHz / fs;
    const double centre = (n - 1) / 2.0;
    std::vector<double> taps;
    try {
        taps.resize(n);
    } catch (const std::bad_alloc&) {
        return kAnalysisOutOfMemory;
    }
    for (int k = 0; k < n; ++k) {
        const double t = k - centre;
        const double impulse = (t == 0.0) ? 1.0 : 0.0;
        double ideal = 0.0;
        switch (kind) {
            case Kind::LowPass:
                ideal = lowPassTap(high, t);
                break;
            case Kind::HighPass:
                ideal = impulse - lowPassTap(low, t);
                break;
            case Kind::BandPass:
                ideal = lowPassTap(high, t) - lowPassTap(low, t);
                break;
            case Kind::BandStop:
                ideal = impulse - (lowPassTap(high, t) - lowPassTap(low, t));
                break;
        }
        taps[k] = ideal * windowValue(windowType, k, n);
    }

    // Amplitude response of a symmetric filter at frequency f: sum of h[k] cos(2 pi f (k-M)).
    const double f = normalisingFrequency(kind, low, high);
    double gain = 0.0;
    for (int k = 0; k < n; ++k) gain += taps[k] * std::cos(2.0 * pi * f * (k - centre));
    // Only windows that vanish on every tap (Hanning or Blackman of 2 taps) or a sliver of a
    // band seen through a few taps come near zero gain.
    if (!(std::abs(gain) > 1e-12)) return kAnalysisDegenerateDesign;
    for (int k = 0; k < n; ++k) coef[k] = taps[k] / gain;
    return kAnalysisOk;
}

}  // namespace

int Wind_LPF(double samplingFreq, double cutoff, int numCoefs, double coef[], int windowType) {
    return design(Kind::LowPass, samplingFreq, 0.0, cutoff, numCoefs, coef, windowType);
}

int Wind_HPF(double samplingFreq, double cutoff, int numCoefs, double coef[], int windowType) {
    return design(Kind::HighPass, samplingFreq, cutoff, 0.0, numCoefs, coef, windowType);
}

int Wind_BPF(double samplingFreq, double lowCutoff, double highCutoff, int numCoefs, double coef[],
             int windowType) {
    return design(Kind::BandPass, samplingFreq, lowCutoff, highCutoff, numCoefs, coef, windowType);
}

int Wind_BSF(double samplingFreq, double lowCutoff, double highCutoff, int numCoefs, double coef[],
             int windowType) {
    return design(Kind::BandStop, samplingFreq, lowCutoff, highCutoff, numCoefs, coef, windowType);
}
