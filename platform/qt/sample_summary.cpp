#include "platform/qt/sample_summary.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace trelvanix::qt {

void minMax(const double* y, std::size_t begin, std::size_t end, double& lo, double& hi) {
    // Four independent running extremes: the loop is bound by throughput, not by the latency
    // of one long chain of comparisons, and the compiler can pair them up in vector registers.
    double a[4] = {y[begin], y[begin], y[begin], y[begin]};
    double b[4] = {y[begin], y[begin], y[begin], y[begin]};
    std::size_t i = begin + 1;
    for (; i + 4 <= end; i += 4) {
        for (int k = 0; k < 4; ++k) {
            const double v = y[i + k];
            a[k] = v < a[k] ? v : a[k];
            b[k] = v > b[k] ? v : b[k];
        }
    }
    for (; i < end; ++i) {
        a[0] = y[i] < a[0] ? y[i] : a[0];
        b[0] = y[i] > b[0] ? y[i] : b[0];
    }
    lo = std::min({a[0], a[1], a[2], a[3]});
    hi = std::max({b[0], b[1], b[2], b[3]});
}

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Extremes of y[begin, end) passing over every NaN, folded into lo and hi.
void foldExtremes(const double* y, std::size_t begin, std::size_t end, double& lo, double& hi) {
    for (std::size_t i = begin; i < end; ++i) {
        lo = y[i] < lo ? y[i] : lo;
        hi = y[i] > hi ? y[i] : hi;
    }
}

}  // namespace

SampleSummary::SampleSummary(const double* y, std::size_t n) {
    const std::size_t blocks = n / kBlock;
    lows_.resize(blocks);
    highs_.resize(blocks);
    for (std::size_t k = 0; k < blocks; ++k) {
        double lo = kInfinity, hi = -kInfinity;
        foldExtremes(y, k * kBlock, (k + 1) * kBlock, lo, hi);
        lows_[k] = lo;
        highs_[k] = hi;
    }
    if (n > 0) extremes(y, 0, n, lowest_, highest_);
}

void SampleSummary::extremes(const double* y, std::size_t begin, std::size_t end, double& lo,
                             double& hi) const {
    if (std::isnan(y[begin])) {
        lo = hi = y[begin];
        return;
    }
    lo = hi = y[begin];
    const std::size_t firstBlock = (begin + kBlock) / kBlock;  // the first that starts after begin
    const std::size_t endBlock = std::min(end / kBlock, lows_.size());
    if (firstBlock >= endBlock) {
        foldExtremes(y, begin + 1, end, lo, hi);
        return;
    }
    foldExtremes(y, begin + 1, firstBlock * kBlock, lo, hi);
    for (std::size_t k = firstBlock; k < endBlock; ++k) {
        lo = lows_[k] < lo ? lows_[k] : lo;
        hi = highs_[k] > hi ? highs_[k] : hi;
    }
    foldExtremes(y, endBlock * kBlock, end, lo, hi);
}

}  // namespace trelvanix::qt
