#pragma once
// The two ways Convolve computes a full linear convolution, exposed so that tests can check
// each against a plain sum and the benchmark can measure where one overtakes the other.
// Both take valid, non-overlapping arrays of lengths >= 1 and write values first .. first+count-1
// of the full convolution (na+nb-1 values in all) to out[0 .. count-1].

namespace trelvanix::analysis_detail {

// Tap counts (of the shorter array) up to which the direct sum is used. Measured in
// bench/analysis: on a display filter's part of a stretch of 5000 samples the methods cost the
// same at about 110 taps (at 55 taps the direct sum takes half the time); on a whole
// convolution of 100 samples, where the direct sum's ends are summed one output at a time,
// they cross at about 60.
inline constexpr int kDirectConvolutionMaxTaps = 64;

void convolveDirect(const double a[], int na, const double b[], int nb, int first, int count,
                    double out[]);

// Returns false when the FFT plan cannot be made (out is then unchanged). Allocates only the
// first time a given FFT length is needed.
bool convolveOverlapAdd(const double a[], int na, const double b[], int nb, int first, int count,
                        double out[]);

}  // namespace trelvanix::analysis_detail
