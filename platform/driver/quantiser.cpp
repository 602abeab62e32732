#include "platform/driver/quantiser.h"

#include <cmath>
#include <limits>

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

}  // namespace

Quantiser::Quantiser(RangePair range)
    : low_(range.low),
      step_((range.high - range.low) / kCodes),
      perVolt_(kCodes / (range.high - range.low)) {
    // Ranges such as ±0.2 V put 0 V on a whole code, whatever the rounding of the division.
    const double zero = -range.low * perVolt_;
    zeroCode_ = std::llround(zero);
    zeroOnCode_ = std::abs(zero - double(zeroCode_)) < 1e-6;
}

inline double Quantiser::quantise(double volts) const {
    double scaled = (volts - low_) * perVolt_;
    if (!(scaled > 0.0)) scaled = 0.0;  // also what a NaN reads as
    if (scaled > kCodes - 1.0) scaled = kCodes - 1.0;
    const long long code = static_cast<long long>(scaled + 0.5);
    if (!zeroOnCode_) return low_ + double(code) * step_;
    // Counted from 0 V the code is a whole number of steps; the volts are nudged so that
    // volts * 65536 / span truncates back to exactly that number, as callers convert it.
    const long long fromZero = code - zeroCode_;
    const double result = double(fromZero) * step_;
    if (static_cast<long long>(result * perVolt_) == fromZero) return result;
    return nudgedToCode(result, fromZero, perVolt_);
}

void Quantiser::convert(double* samples, std::size_t count, std::size_t stride) const {
    // One inlined loop: the samples are independent, so the processor overlaps them.
    for (std::size_t k = 0; k < count; ++k, samples += stride) *samples = quantise(*samples);
}

double Quantiser::operator()(double volts) const {
    return quantise(volts);
}

}  // namespace trelvanix::driver
