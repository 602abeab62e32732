// ReFFT: forward real FFT through a cached FFTW plan, unpacked to all n bins.

#include "platform/analysis/analysis.h"
#include "platform/analysis/real_fft_plan.h"

using trelvanix::analysis_detail::RealFftPlan;

int ReFFT(double x[], double y[], int n) {
    if (x == nullptr || y == nullptr) return kAnalysisNullPointer;
    if (n < 1) return kAnalysisBadSize;
    if ((n & (n - 1)) != 0) return kAnalysisNotPowerOfTwo;
    RealFftPlan* plan = RealFftPlan::forLength(n);
    if (plan == nullptr) return kAnalysisOutOfMemory;

    double* samples = plan->samples();
    for (int i = 0; i < n; ++i) samples[i] = x[i];
    plan->forward();
    const fftw_complex* bins = plan->spectrum();
    for (int k = 0; k <= n / 2; ++k) {
        x[k] = bins[k][0];
        y[k] = bins[k][1];
    }
    // A real signal's spectrum is conjugate-symmetric: X[n-k] = conj(X[k]).
    for (int k = n / 2 + 1; k < n; ++k) {
        x[k] = x[n - k];
        y[k] = -y[n - k];
    }
    return kAnalysisOk;
}
