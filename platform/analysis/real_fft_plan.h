#pragma once
// FFTW plans for real transforms of one length, with their own aligned buffers, created once
// per length and kept for the life of the process, so no call after the first allocates. The
// cache takes no lock: the routines run on one thread only.

#include <fftw3.h>

#include <memory>

namespace trelvanix::analysis_detail {

class RealFftPlan {
  public:
    // The plan for length n (n >= 1), made on first use; null when FFTW cannot allocate it.
    static RealFftPlan* forLength(int n);
    // A second plan for length n, made on first use and kept too, whose samples no routine
    // writes: a collection fills them over time (one collection per length at a time). Its
    // transform runs in place, about a third faster: forward() overwrites the samples with the
    // spectrum, and it has no spare spectrum and no inverse. Null when FFTW cannot allocate it.
    static RealFftPlan* forCollection(int n);

    ~RealFftPlan();
    RealFftPlan(const RealFftPlan&) = delete;
    RealFftPlan& operator=(const RealFftPlan&) = delete;

    int length() const { return n_; }
    double* samples() { return samples_; }          // n real values
    fftw_complex* spectrum() { return spectrum_; }  // n/2 + 1 bins
    // A second n/2 + 1 bins to hold one transform while others run (a convolution kernel),
    // so that callers need not allocate per call.
    fftw_complex* spareSpectrum() { return spare_; }

    // samples -> spectrum, unscaled.
    void forward() { fftw_execute(forward_); }
    // Makes the inverse plan, the first time only: a spectrum needs none, and planning costs
    // as much as many transforms. False when FFTW cannot make it.
    bool prepareInverse();
    // spectrum -> samples, unscaled (n times the inverse); overwrites the spectrum. Needs
    // prepareInverse() first.
    void inverse() { fftw_execute(inverse_); }

  private:
    explicit RealFftPlan(int n) : n_(n) {}
    static std::unique_ptr<RealFftPlan> make(int n, bool inPlace);
    bool inPlace() const { return static_cast<void*>(spectrum_) == static_cast<void*>(samples_); }

    int n_;
    double* samples_ = nullptr;
    fftw_complex* spectrum_ = nullptr;
    fftw_complex* spare_ = nullptr;
    fftw_plan forward_ = nullptr;
    fftw_plan inverse_ = nullptr;
};

}  // namespace trelvanix::analysis_detail
