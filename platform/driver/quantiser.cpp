#include "platform/driver/quantiser.h"

#include <algorithm>
#include <cmath>

namespace trelvanix::driver {
namespace {
constexpr double kCodes = 65536.0;
}

Quantiser::Quantiser(RangePair range)
    : low_(range.low),
      step_((range.high - range.low) / kCodes),
      perVolt_(kCodes / (range.high - range.low)),
      zeroCode_(-range.low * kCodes / (range.high - range.low)) {
    // Ranges such as ±0.2 V put 0 V on a whole code, whatever the rounding of the division.
    if (std::abs(zeroCode_ - std::round(zeroCode_)) < 1e-6) zeroCode_ = std::round(zeroCode_);
}

double Quantiser::operator()(double volts) const {
    if (std::isnan(volts)) volts = low_;
    const double code = std::clamp(std::round((volts - low_) * perVolt_), 0.0, kCodes - 1.0);
    // Counted from 0 V the code is a whole number of steps; the volts are nudged so that
    // volts * 65536 / span truncates back to exactly that number, as callers convert it.
    const double fromZero = code - zeroCode_;
    double result = fromZero * step_;
    if (fromZero != std::trunc(fromZero)) return low_ + code * step_;
    const double away = fromZero < 0 ? -INFINITY : INFINITY;
    for (int i = 0; i < 4 && std::trunc(result * perVolt_) != fromZero; ++i)
        result = std::nextafter(result, away);
    return result;
}

}  // namespace trelvanix::driver
