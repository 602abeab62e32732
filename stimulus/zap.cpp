// Frequency sweeps. The constants 3.14 and 6.28 stand for pi and 2 pi as the stimuli stored
// so far were made with them; using the exact values would shift every stored sweep.

#include <algorithm>
#include <cmath>

#include "stimulus/generators.h"

namespace trelvanix {

bool IsValidSweepType(int type) {
    return type >= 0 && type <= 2;
}

int ZapLeadIn(const ZapSettings& zap) {
    return zap.freqStart > 0.0 ? static_cast<int>(1000 * zap.cyclesStart / zap.freqStart) : 0;
}

int ZapLeadOut(const ZapSettings& zap) {
    return zap.freqEnd > 0.0 ? static_cast<int>(1000 * zap.cyclesEnd / zap.freqEnd) : 0;
}

}  // namespace trelvanix

double zapf(int type, double t, double T, double f1, double f2) {
    if (T <= 0.0) return 0.0;
    if (f1 == 0.0) f1 += 0.001;
    if (f2 == 0.0) f2 += 0.001;
    if (f1 == f2) f2 = f1 + 0.001;
    double r = 0.0;
    switch (type) {
        case 0:
            r = t * f2 / T;
            break;
        case 1:
            r = f1 + t * (f2 - f1) / T;
            break;
        case 2: {
            const double k = std::log(f2 / f1) / T;
            r = t == 0.0 ? f1 : (std::exp(k * t) - 1.0) * (f1 / k) / t;
            break;
        }
        default:
            return 0.0;
    }
    return 0.001 * r;
}

double cellwfm(double x, const double* cellArray) {
    if (!cellArray) return std::sin(x);
    const int k = static_cast<int>(std::floor(x / 6.28));
    const double within = x - 6.28 * k;
    const double u = 1000.0 * within / 6.28;
    // Rounding can put u at 1000.0 exactly; the last step interpolates from index 999.
    const int j = std::clamp(static_cast<int>(std::floor(u)), 0, 999);
    return cellArray[j] + (cellArray[j + 1] - cellArray[j]) * (u - j);
}

void ZapWave(int n, double amplitude, double* out, int shape, const trelvanix::ZapSettings& zap,
             double phase, const double* cellArray) {
    const int leadIn = trelvanix::ZapLeadIn(zap);
    const int sweep = n - leadIn - trelvanix::ZapLeadOut(zap);
    double lastFactor = 0.0;  // an empty sweep leaves the lead-out at phase 0
    for (int i = 0; i < n; ++i) {
        double cycles;
        if (i < leadIn) {
            cycles = 0.001 * zap.freqStart * i;
        } else if (i < leadIn + sweep) {
            const double r = zapf(zap.sweepType, i - leadIn, sweep, zap.freqStart, zap.freqEnd);
            if (i == leadIn + sweep - 1) lastFactor = r;
            cycles = r * (i - leadIn);
        } else {
            cycles = lastFactor * (i - leadIn);
        }
        const double x = 6.28 * cycles + 3.14 * phase / 180.0;
        const double value = amplitude * (shape == 0 ? std::sin(x) : cellwfm(x, cellArray));
        out[zap.reverse == 1 ? n - 1 - i : i] = value;
    }
}
