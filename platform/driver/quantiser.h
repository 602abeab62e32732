#pragma once
// A 16-bit converter over one input range: what the board reports for a voltage.

#include <cstddef>

#include "platform/driver/driver_backend.h"

namespace trelvanix::driver {

class Quantiser {
  public:
    explicit Quantiser(RangePair range);
    // The code nearest to `volts`, clipped to the range: 65536 codes of span / 65536 volts
    // from the low limit, so the top code lies one step below the high limit.
    double operator()(double volts) const;
    // Converts samples[0 .. count - 1] in place.
    void convert(double* samples, std::size_t count) const;

  private:
    double quantise(double volts) const;

    double low_;
    double step_;
    double perVolt_;
    long long zeroCode_;  // the code of 0 V
    bool zeroOnCode_;     // whether 0 V falls on a code, as in every symmetric range
    bool noNudges_;       // zero on a code, and every code's volts truncate back to it
};

}  // namespace trelvanix::driver
