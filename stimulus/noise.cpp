// White, Gaussian and Ornstein-Uhlenbeck noise.

#include <cmath>

#include "platform/analysis/analysis.h"
#include "stimulus/generators.h"

namespace {

// Keeps the positive part (rectify +1) or the negative part (-1) of the values.
void rectifyValues(double* values, int m, int rectify) {
    if (rectify == 0) return;
    for (int i = 0; i < m; ++i)
        if (values[i] * rectify <= 0.0) values[i] = 0.0;
}

}  // namespace

void generateNoise(double* out, int kind, int m, double dt, const trelvanix::NoiseSettings& noise) {
    switch (kind) {
        case 0:
            WhiteNoise(m, noise.stdev, noise.seed, out);
            rectifyValues(out, m, noise.rectify);
            break;
        case 1:
            GaussNoise(m, noise.stdev, noise.seed, out);
            rectifyValues(out, m, noise.rectify);
            break;
        case 2:
            ouProcess(out, dt, m, noise.strength, noise.tau, noise.rectify, noise.seed);
            break;
        default:
            break;
    }
}

void ouProcess(double* out, double dt, int m, double strength, double tau, int rectify, int seed) {
    if (m < 1) return;
    // The Gaussian draws go into `out` first and each is replaced by the process's value, so a
    // long stimulus needs no second array of its length.
    GaussNoise(m, 1.0, seed, out);
    const double drive = std::sqrt(2.0 * dt / tau) * strength;
    double x = 1.0;
    for (int i = 0; i < m; ++i) {
        x = drive * out[i] + (x - (x / tau) * dt);
        if (rectify != 0 && x * rectify <= 0.0) x = 0.0;
        out[i] = x;
    }
}
