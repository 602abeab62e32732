// Butterworth low-pass and high-pass filters: the analogue prototype's pole pairs become
// second-order sections through the bilinear transform, with the cut-off pre-warped so the
// digital filter is exactly 3 dB down at fc.

#include <cmath>
#include <numbers>

#include "platform/analysis/analysis.h"

namespace {

// y[i] = b0 x[i] + b1 x[i-1] + b2 x[i-2] - a1 y[i-1] - a2 y[i-2], with a0 = 1.
struct Section {
    double b0, b1, b2, a1, a2;
};

// Transposed direct form II from zero state; `in` may equal `out`.
void runSection(const Section& s, const double in[], double out[], int n) {
    double state1 = 0.0;
    double state2 = 0.0;
    for (int i = 0; i < n; ++i) {
        const double x = in[i];
        const double y = s.b0 * x + state1;
        state1 = s.b1 * x - s.a1 * y + state2;
        state2 = s.b2 * x - s.a2 * y;
        out[i] = y;
    }
}

// With K = tan(pi fc / fs), the prototype section s^2 + d s + 1 maps to the denominator
// (1 + dK + K^2) + 2(K^2 - 1) z^-1 + (1 - dK + K^2) z^-2; the numerator is K^2 (1 + z^-1)^2
// for low-pass and (1 - z^-1)^2 for high-pass. A first-order section (s + 1) is the same
// with the z^-2 terms dropped: (1 + K) + (K - 1) z^-1 over K (1 + z^-1) or (1 - z^-1).
Section quadraticSection(bool highPass, double k, double damping) {
    const double a0 = 1.0 + damping * k + k * k;
    const double a1 = 2.0 * (k * k - 1.0) / a0;
    const double a2 = (1.0 - damping * k + k * k) / a0;
    if (highPass) return {1.0 / a0, -2.0 / a0, 1.0 / a0, a1, a2};
    const double g = k * k / a0;
    return {g, 2.0 * g, g, a1, a2};
}

Section linearSection(bool highPass, double k) {
    const double a0 = 1.0 + k;
    const double a1 = (k - 1.0) / a0;
    if (highPass) return {1.0 / a0, -1.0 / a0, 0.0, a1, 0.0};
    return {k / a0, k / a0, 0.0, a1, 0.0};
}

int butterworth(bool highPass, const double x[], int n, double fs, double fc, int order,
                double y[]) {
    if (x == nullptr || y == nullptr) return kAnalysisNullPointer;
    if (n < 1) return kAnalysisBadSize;
    if (!(fs > 0.0)) return kAnalysisBadSamplingRate;
    if (!(fc > 0.0 && fc < fs / 2.0)) return kAnalysisBadCutoff;
    if (order < 1) return kAnalysisBadOrder;

    const double k = std::tan(std::numbers::pi * fc / fs);
    const double* in = x;
    // Pole pair m of the order-N prototype lies at angle (2m+1) pi / (2N) from the imaginary
    // axis, giving the section s^2 + 2 sin((2m+1) pi / (2N)) s + 1.
    for (int m = 0; m < order / 2; ++m) {
        const double damping = 2.0 * std::sin((2 * m + 1) * std::numbers::pi / (2.0 * order));
        runSection(quadraticSection(highPass, k, damping), in, y, n);
        in = y;
    }
    if (order % 2 == 1) runSection(linearSection(highPass, k), in, y, n);
    return kAnalysisOk;
}

}  // namespace

int Bw_LPF(const double x[], int n, double fs, double fc, int order, double y[]) {
    return butterworth(false, x, n, fs, fc, order, y);
}

int Bw_HPF(const double x[], int n, double fs, double fc, int order, double y[]) {
    return butterworth(true, x, n, fs, fc, order, y);
}
