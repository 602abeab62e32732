// Convolution by direct sums. Where the shorter array lies wholly inside the longer one, 32
// outputs are summed side by side in vector registers; the function is compiled for the
// processor's widest vector unit where the compiler can choose at run time. Every output is
// summed term by term in tap order, so each path gives the same values to the last bit.

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/analysis/convolve_methods.h"
#include "platform/analysis/vector_clones.h"

namespace trelvanix::analysis_detail {

namespace {

constexpr int kLanes = 8;                  // doubles per vector
constexpr int kVectors = 4;                // vectors summed side by side
constexpr int kBlock = kLanes * kVectors;  // outputs per block

// Output i of a * b, summing only the terms inside both arrays.
double convolutionAt(const double a[], int na, const double b[], int nb, int i) {
    const int first = std::max(0, i - na + 1);
    const int last = std::min(nb - 1, i);
    double sum = 0.0;
    for (int j = first; j <= last; ++j) sum += b[j] * a[i - j];
    return sum;
}

// Outputs from .. from + blocks * kBlock - 1 of a * b, all where b (nb taps) overlaps a
// completely, into out[0 ..].
TRELVANIX_VECTOR_CLONES
void sumBlocks(const double* a, const double* b, int nb, int from, int blocks, double* out) {
#if defined(__GNUC__)
    // GCC and Clang vector types: the compiler keeps the accumulators in registers of the
    // clone's width.
    typedef double Lanes __attribute__((vector_size(sizeof(double) * kLanes)));
    for (int block = 0; block < blocks; ++block) {
        const int i = from + block * kBlock;
        Lanes acc[kVectors] = {};
        for (int j = 0; j < nb; ++j) {
            const double tap = b[j];
            const double* samples = a + (i - j);
#pragma GCC unroll 8
            for (int v = 0; v < kVectors; ++v) {
                Lanes x;
                std::memcpy(&x, samples + v * kLanes, sizeof x);
                acc[v] += tap * x;
            }
        }
        std::memcpy(out + block * kBlock, acc, sizeof acc);
    }
#else
    for (int block = 0; block < blocks; ++block) {
        const int i = from + block * kBlock;
        double acc[kBlock] = {};
        for (int j = 0; j < nb; ++j) {
            const double tap = b[j];
            const double* samples = a + (i - j);
            for (int t = 0; t < kBlock; ++t) acc[t] += tap * samples[t];
        }
        std::copy(acc, acc + kBlock, out + block * kBlock);
    }
#endif
}

// Outputs from .. from + count - 1, all with complete overlap, into out[0 .. count - 1].
void sumCompleteOverlap(const double* a, int na, const double* b, int nb, int from, int count,
                        double* out) {
    const int blocks = count / kBlock;
    sumBlocks(a, b, nb, from, blocks, out);
    const int done = blocks * kBlock;
    if (done == count) return;
    if (blocks > 0) {
        // The last block ends where the range ends; the outputs it repeats come out the same.
        sumBlocks(a, b, nb, from + count - kBlock, 1, out + count - kBlock);
        return;
    }
    for (int k = done; k < count; ++k) out[k] = convolutionAt(a, na, b, nb, from + k);
}

}  // namespace

void convolveDirect(const double a[], int na, const double b[], int nb, int first, int count,
                    double out[]) {
    if (nb > na) {
        std::swap(a, b);
        std::swap(na, nb);
    }
    const int end = first + count;
    // Outputs nb - 1 .. na - 1 have b wholly inside a.
    const int completeFirst = std::clamp(nb - 1, first, end);
    const int completeEnd = std::clamp(na, completeFirst, end);
    for (int i = first; i < completeFirst; ++i) out[i - first] = convolutionAt(a, na, b, nb, i);
    sumCompleteOverlap(a, na, b, nb, completeFirst, completeEnd - completeFirst,
                       out + (completeFirst - first));
    for (int i = completeEnd; i < end; ++i) out[i - first] = convolutionAt(a, na, b, nb, i);
}

}  // namespace trelvanix::analysis_detail
