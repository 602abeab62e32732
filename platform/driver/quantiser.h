#pragma once
// A 16-bit converter over one input range: what the board reports for a voltage.

#include "platform/driver/driver_backend.h"

namespace trelvanix::driver {

class Quantiser {
  public:
    explicit Quantiser(RangePair range);
    // The code nearest to `volts`, clipped to the range: 65536 codes of span / 65536 volts
    // from the low limit, so the top code lies one step below the high limit.
    double operator()(double volts) const;
    double step() const { return step_; }

  private:
    double low_;
    double step_;
    double perVolt_;
    double zeroCode_;  // the code of 0 V, when the range straddles it
};

}  // namespace trelvanix::driver
