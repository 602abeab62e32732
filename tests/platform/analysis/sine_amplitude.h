#pragma once
// Amplitude of the component at `cyclesPerSample` in y[first .. first+count), found by
// projecting onto a sine and a cosine; count should span whole periods.

#include <cmath>
#include <numbers>

inline double sineAmplitude(const double y[], int first, int count, double cyclesPerSample) {
    double inPhase = 0.0;
    double quadrature = 0.0;
    for (int i = first; i < first + count; ++i) {
        const double angle = 2.0 * std::numbers::pi * cyclesPerSample * i;
        inPhase += y[i] * std::sin(angle);
        quadrature += y[i] * std::cos(angle);
    }
    return 2.0 * std::hypot(inPhase, quadrature) / count;
}
