#include "platform/driver/quantiser.h"

#include <cmath>
#include <limits>

#include "platform/analysis/vector_clones.h"

namespace trelvanix::driver {
namespace {

constexpr double kCodes = 65536.0;

// The volts of `fromZero` steps, nudged so that volts * perVolt truncates back to fromZero;
// rarely needed, so kept out of the per-sample loop.
[[gnu::noinline]] double nudgedToCode(double result, long long fromZero, double perVolt) {
    const double away = fromZero < 0 ? -std::numeric_limits<double>::infinity()
                                     : std::numeric_limits<double>::infinity();
    for (int i = 0; i < 4 && static_cast<long long>(result * perVolt) != fromZero; ++i)
        result = std::nextafter(result, away);
    return result;
}

// Whether every code's volts, as whole steps from the code of 0 V, truncate back to that many
// steps. Counted over all codes without stopping early, in vector registers: the check is made
// for every range a board uses.
TRELVANIX_VECTOR_CLONES
bool everyCodeTruncatesBack(long long zeroCode, double step, double perVolt) {
    // Steps from zero stay far inside an int where 0 V lies near the range; elsewhere each code
    // is checked in 64-bit arithmetic.
    constexpr long long kNear = 1LL << 24;
    if (zeroCode < -kNear || zeroCode > kNear) {
        for (long long code = 0; code < static_cast<long long>(kCodes); ++code) {
            const long long fromZero = code - zeroCode;
            if (static_cast<long long>(double(fromZero) * step * perVolt) != fromZero) return false;
        }
        return true;
    }
    const int zero = static_cast<int>(zeroCode);
    int misses = 0;
    for (int code = 0; code < static_cast<int>(kCodes); ++code) {
        const int fromZero = code - zero;
        misses += static_cast<int>(double(fromZero) * step * perVolt) != fromZero;
    }
    return misses == 0;
}

}  // namespace

Quantiser::Quantiser(RangePair range)
    : low_(range.low),
      step_((range.high - range.low) / kCodes),
      perVolt_(kCodes / (range.high - range.low)) {
    // Ranges such as ±0.2 V put 0 V on a whole code, whatever the rounding of the division.
    const double zero = -range.low * perVolt_;
    zeroCode_ = std::llround(zero);
    zeroOnCode_ = std::abs(zero - double(zeroCode_)) < 1e-6;
    // In most such ranges no code needs nudging; the per-sample check is then left out.
    noNudges_ = zeroOnCode_ && everyCodeTruncatesBack(zeroCode_, step_, perVolt_);
}

namespace {

// The code nearest to `volts` in a range from `low`, clipped to 0 .. 65535.
inline int codeIn(double volts, double low, double perVolt) {
    double scaled = (volts - low) * perVolt;
    scaled = scaled > 0.0 ? scaled : 0.0;  // also what a NaN reads as
    scaled = scaled < kCodes - 1.0 ? scaled : kCodes - 1.0;
    return static_cast<int>(scaled + 0.5);
}

// The volts of each sample's code, as whole steps from the code of 0 V.
TRELVANIX_VECTOR_CLONES
void toCodeVolts(double* samples, std::size_t count, double low, double perVolt, double step,
                 double zeroCode) {
    // Whole numbers: the difference is exact, the same steps from zero as quantise's.
    for (std::size_t k = 0; k < count; ++k)
        samples[k] = (double(codeIn(samples[k], low, perVolt)) - zeroCode) * step;
}

}  // namespace

inline double Quantiser::quantise(double volts) const {
    const int code = codeIn(volts, low_, perVolt_);
    if (!zeroOnCode_) return low_ + double(code) * step_;
    // Counted from 0 V the code is a whole number of steps; the volts are nudged so that
    // volts * 65536 / span truncates back to exactly that number, as callers convert it.
    const long long fromZero = code - zeroCode_;
    const double result = double(fromZero) * step_;
    if (static_cast<long long>(result * perVolt_) == fromZero) return result;
    return nudgedToCode(result, fromZero, perVolt_);
}

void Quantiser::convert(double* samples, std::size_t count) const {
    // Without branches where no code needs nudging, so that the compiler can convert several
    // samples at once in vector registers; the range is passed by value, as the samples could
    // otherwise overlap it for all the compiler knows.
    if (noNudges_) return toCodeVolts(samples, count, low_, perVolt_, step_, double(zeroCode_));
    for (std::size_t k = 0; k < count; ++k) samples[k] = quantise(samples[k]);
}

double Quantiser::operator()(double volts) const {
    return quantise(volts);
}

}  // namespace trelvanix::driver
