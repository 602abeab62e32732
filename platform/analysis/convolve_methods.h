#pragma once
// The two ways Convolve computes a full linear convolution, exposed so that tests can check
// each against a plain sum and the benchmark can measure where one overtakes the other.
// Both take valid, non-overlapping arrays of lengths >= 1 and write na+nb-1 values to out.

namespace trelvanix::analysis_detail {

// Tap counts (of the shorter array) up to which the direct sum is used. Measured in
// bench/analysis on stretches of 100 and 5000 samples: the two methods cost the same at 16 to
// 20 taps; at 55 taps overlap-add is 3 to 4 times faster, at 255 taps 10 to 17 times.
inline constexpr int kDirectConvolutionMaxTaps = 16;

void convolveDirect(const double a[], int na, const double b[], int nb, double out[]);

// Returns false when the FFT plan cannot be made (out is then unchanged). Allocates only the
// first time a given FFT length is needed.
bool convolveOverlapAdd(const double a[], int na, const double b[], int nb, double out[]);

}  // namespace trelvanix::analysis_detail
