// Convolve and ConvolvePart: linear convolution, by direct sums (convolve_direct.cpp) for short
// kernels and by FFT overlap-add for long ones.

#include <algorithm>
#include <climits>
#include <cmath>
#include <complex>

#include "platform/analysis/analysis.h"
#include "platform/analysis/convolve_methods.h"
#include "platform/analysis/real_fft_plan.h"

namespace trelvanix::analysis_detail {

namespace {

// Beyond this an FFT's buffers alone would take gigabytes.
constexpr long long kLongestFft = 1LL << 30;

long long nextPowerOfTwo(long long n) {
    long long p = 1;
    while (p < n) p *= 2;
    return p;
}

// FFT length with the least work per output sample: each block of N - nb + 1 inputs costs
// about two transforms of N points; never longer than the whole result needs. 0 when even
// the shortest usable length is too long.
int overlapAddLength(int na, int nb) {
    const long long shortest = std::max(nextPowerOfTwo(2LL * nb), 2LL);
    const long long wholeResult =
        std::max(nextPowerOfTwo(static_cast<long long>(na) + nb - 1), 2LL);
    if (std::min(shortest, wholeResult) > kLongestFft) return 0;
    const long long longest = std::min(wholeResult, kLongestFft);
    long long best = longest;
    double bestCost = HUGE_VAL;
    for (long long n = shortest; n <= longest; n *= 2) {
        const double cost = n * std::log2(n) / std::min(n - nb + 1, static_cast<long long>(na));
        if (cost < bestCost) {
            bestCost = cost;
            best = n;
        }
    }
    return static_cast<int>(best);
}

}  // namespace

bool convolveOverlapAdd(const double a[], int na, const double b[], int nb, int first, int count,
                        double out[]) {
    if (nb > na) {
        std::swap(a, b);
        std::swap(na, nb);
    }
    const int n = overlapAddLength(na, nb);
    if (n == 0) return false;
    RealFftPlan* plan = RealFftPlan::forLength(n);
    if (plan == nullptr || !plan->prepareInverse()) return false;
    const int bins = n / 2 + 1;
    double* samples = plan->samples();
    // fftw_complex is laid out as std::complex<double> (FFTW manual, "Complex numbers").
    auto* spectrum = reinterpret_cast<std::complex<double>*>(plan->spectrum());
    auto* kernel = reinterpret_cast<std::complex<double>*>(plan->spareSpectrum());
    std::fill(samples, samples + n, 0.0);
    std::copy(b, b + nb, samples);
    plan->forward();
    // The inverse transform is unscaled, so the kernel carries the 1/n.
    for (int k = 0; k < bins; ++k) kernel[k] = spectrum[k] / static_cast<double>(n);

    std::fill(out, out + count, 0.0);
    const int end = first + count;
    const int blockLength = n - nb + 1;
    // Only the blocks of a whose outputs reach first .. end - 1 are transformed.
    const int firstBlock = std::max(0, first - nb + 1) / blockLength;
    for (int start = firstBlock * blockLength; start < std::min(na, end); start += blockLength) {
        const int length = std::min(blockLength, na - start);
        std::copy(a + start, a + start + length, samples);
        std::fill(samples + length, samples + n, 0.0);
        plan->forward();
        for (int k = 0; k < bins; ++k) spectrum[k] *= kernel[k];
        plan->inverse();
        const int from = std::max(start, first), to = std::min(start + length + nb - 1, end);
        for (int i = from; i < to; ++i) out[i - first] += samples[i - start];
    }
    return true;
}

}  // namespace trelvanix::analysis_detail

namespace {

// The method measured faster for the shorter array's length.
int convolvePart(const double x[], int nx, const double y[], int ny, int first, int count,
                 double out[]) {
    using namespace trelvanix::analysis_detail;
    if (std::min(nx, ny) <= kDirectConvolutionMaxTaps) {
        convolveDirect(x, nx, y, ny, first, count, out);
        return kAnalysisOk;
    }
    return convolveOverlapAdd(x, nx, y, ny, first, count, out) ? kAnalysisOk : kAnalysisOutOfMemory;
}

}  // namespace

int Convolve(const double x[], int nx, const double y[], int ny, double out[]) {
    if (x == nullptr || y == nullptr || out == nullptr) return kAnalysisNullPointer;
    if (nx < 1 || ny < 1) return kAnalysisBadSize;
    if (static_cast<long long>(nx) + ny - 1 > INT_MAX) return kAnalysisBadSize;
    return convolvePart(x, nx, y, ny, 0, nx + ny - 1, out);
}

int ConvolvePart(const double x[], int nx, const double y[], int ny, int first, int count,
                 double out[]) {
    if (x == nullptr || y == nullptr || out == nullptr) return kAnalysisNullPointer;
    if (nx < 1 || ny < 1 || first < 0 || count < 1) return kAnalysisBadSize;
    if (static_cast<long long>(first) + count > static_cast<long long>(nx) + ny - 1)
        return kAnalysisBadSize;
    return convolvePart(x, nx, y, ny, first, count, out);
}
