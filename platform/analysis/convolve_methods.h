#pragma once
// The two ways Convolve computes a full linear convolution, exposed so that tests can check
// each against a plain sum and the benchmark can measure where one overtakes the other.
// Both take valid, non-overlapping arrays of lengths >= 1 and write na+nb-1 values to out.

namespace trelvanix::analysis_detail {

// Tap counts (of the shorter array) up to which the direct sum is used; above it, overlap-add
// with FFTs is faster (measured in bench/analysis).
inline constexpr int kDirectConvolutionMaxTaps = 64;

void convolveDirect(const double a[], int na, const double b[], int nb, double out[]);

// Returns false when the FFT plan or work buffer cannot be allocated (out is then unchanged).
bool convolveOverlapAdd(const double a[], int na, const double b[], int nb, double out[]);

}  // namespace trelvanix::analysis_detail
