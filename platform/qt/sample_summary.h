#pragma once
// The lowest and highest value of each block of a waveform's samples, so that the extremes of
// a long run of samples cost a few block look-ups instead of a pass over every sample.

#include <cstddef>
#include <vector>

namespace trelvanix::qt {

// Lowest and highest of y[begin, end), end > begin. Later NaN samples are passed over; a NaN
// at `begin` gives a NaN result, which callers skip.
void minMax(const double* y, std::size_t begin, std::size_t end, double& lo, double& hi);

class SampleSummary {
  public:
    SampleSummary() = default;
    SampleSummary(const double* y, std::size_t n);

    // The same extremes as minMax(y, begin, end), y being the samples summarised.
    void extremes(const double* y, std::size_t begin, std::size_t end, double& lo,
                  double& hi) const;
    // Extremes of all the samples, as minMax(y, 0, n).
    double lowest() const { return lowest_; }
    double highest() const { return highest_; }

  private:
    static constexpr std::size_t kBlock = 16;
    // Per block, NaN passed over: +inf and -inf for a block of NaN only.
    std::vector<double> lows_, highs_;
    double lowest_ = 0.0, highest_ = 0.0;
};

}  // namespace trelvanix::qt
