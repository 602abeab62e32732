// Ramp, sine and noise patterns.

#include <cmath>
#include <numbers>
#include <random>

#include "platform/analysis/analysis.h"

int Ramp(int n, double first, double last, double out[]) {
    if (out == nullptr) return kAnalysisNullPointer;
    if (n < 1) return kAnalysisBadSize;
    if (n == 1) {
        out[0] = first;
        return kAnalysisOk;
    }
    const double step = (last - first) / (n - 1);
    for (int i = 0; i < n - 1; ++i) out[i] = first + i * step;
    out[n - 1] = last;  // exactly, whatever the rounding of the steps
    return kAnalysisOk;
}

int SineWave(int n, double amp, double freq, double* phase, double out[]) {
    if (out == nullptr || phase == nullptr) return kAnalysisNullPointer;
    if (n < 1) return kAnalysisBadSize;
    constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
    const double start = *phase;
    for (int i = 0; i < n; ++i)
        out[i] = amp * std::sin((start + 360.0 * freq * i) * kRadiansPerDegree);
    double next = std::fmod(start + 360.0 * freq * n, 360.0);
    if (next < 0.0) next += 360.0;  // fmod keeps the sign of a falling phase
    *phase = next;
    return kAnalysisOk;
}

namespace {

// Each noise routine has its own generator, so reseeding one does not disturb the other.
// Without a positive seed the generators start from the engine's default seed.
struct WhiteNoiseSource {
    std::mt19937 engine;
    std::uniform_real_distribution<double> unit{-1.0, 1.0};
};

struct GaussNoiseSource {
    std::mt19937 engine;
    std::normal_distribution<double> standard{0.0, 1.0};
};

WhiteNoiseSource& whiteNoiseSource() {
    static WhiteNoiseSource source;
    return source;
}

GaussNoiseSource& gaussNoiseSource() {
    static GaussNoiseSource source;
    return source;
}

}  // namespace

int WhiteNoise(int n, double amp, int seed, double out[]) {
    if (out == nullptr) return kAnalysisNullPointer;
    if (n < 1) return kAnalysisBadSize;
    WhiteNoiseSource& source = whiteNoiseSource();
    if (seed > 0) {
        source.engine.seed(static_cast<std::mt19937::result_type>(seed));
        source.unit.reset();
    }
    const double scale = std::abs(amp);
    for (int i = 0; i < n; ++i) out[i] = scale * source.unit(source.engine);
    return kAnalysisOk;
}

int GaussNoise(int n, double sd, int seed, double out[]) {
    if (out == nullptr) return kAnalysisNullPointer;
    if (n < 1) return kAnalysisBadSize;
    GaussNoiseSource& source = gaussNoiseSource();
    if (seed > 0) {
        source.engine.seed(static_cast<std::mt19937::result_type>(seed));
        // The distribution keeps a spare value between calls; a reseed must drop it.
        source.standard.reset();
    }
    const double spread = std::abs(sd);
    for (int i = 0; i < n; ++i) out[i] = spread * source.standard(source.engine);
    return kAnalysisOk;
}
