#include "platform/analysis/real_fft_plan.h"

#include <map>
#include <memory>

namespace trelvanix::analysis_detail {

RealFftPlan* RealFftPlan::forLength(int n) {
    static std::map<int, std::unique_ptr<RealFftPlan>> cache;
    if (auto found = cache.find(n); found != cache.end()) return found->second.get();

    std::unique_ptr<RealFftPlan> plan(new RealFftPlan(n));
    plan->samples_ = fftw_alloc_real(n);
    plan->spectrum_ = fftw_alloc_complex(n / 2 + 1);
    plan->spare_ = fftw_alloc_complex(n / 2 + 1);
    if (plan->samples_ == nullptr || plan->spectrum_ == nullptr || plan->spare_ == nullptr) {
        return nullptr;
    }
    // FFTW_ESTIMATE plans at once, without timed trial runs (which took a quarter of a second
    // for some lengths): a new length, such as a filter resized during acquisition, must not
    // stall the loop that runs on the user-interface thread.
    plan->forward_ = fftw_plan_dft_r2c_1d(n, plan->samples_, plan->spectrum_, FFTW_ESTIMATE);
    if (plan->forward_ == nullptr) return nullptr;
    return cache.emplace(n, std::move(plan)).first->second.get();
}

bool RealFftPlan::prepareInverse() {
    if (inverse_ == nullptr)
        inverse_ = fftw_plan_dft_c2r_1d(n_, spectrum_, samples_, FFTW_ESTIMATE);
    return inverse_ != nullptr;
}

RealFftPlan::~RealFftPlan() {
    if (forward_ != nullptr) fftw_destroy_plan(forward_);
    if (inverse_ != nullptr) fftw_destroy_plan(inverse_);
    fftw_free(samples_);
    fftw_free(spectrum_);
    fftw_free(spare_);
}

}  // namespace trelvanix::analysis_detail
