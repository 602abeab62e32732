#include "platform/analysis/real_fft_plan.h"

#include <map>
#include <memory>

namespace trelvanix::analysis_detail {

namespace {

using PlanCache = std::map<int, std::unique_ptr<RealFftPlan>>;

RealFftPlan* cached(PlanCache& cache, int n, std::unique_ptr<RealFftPlan> (*make)(int)) {
    if (auto found = cache.find(n); found != cache.end()) return found->second.get();
    std::unique_ptr<RealFftPlan> plan = make(n);
    if (plan == nullptr) return nullptr;
    return cache.emplace(n, std::move(plan)).first->second.get();
}

}  // namespace

RealFftPlan* RealFftPlan::forLength(int n) {
    static PlanCache cache;
    return cached(cache, n, [](int length) { return make(length, false); });
}

RealFftPlan* RealFftPlan::forCollection(int n) {
    static PlanCache cache;
    return cached(cache, n, [](int length) { return make(length, true); });
}

std::unique_ptr<RealFftPlan> RealFftPlan::make(int n, bool inPlace) {
    std::unique_ptr<RealFftPlan> plan(new RealFftPlan(n));
    const int bins = n / 2 + 1;
    if (inPlace) {
        // The bins take the room of n + 2 values (the last two unused by the samples).
        plan->samples_ = fftw_alloc_real(2 * bins);
        plan->spectrum_ = reinterpret_cast<fftw_complex*>(plan->samples_);
    } else {
        plan->samples_ = fftw_alloc_real(n);
        plan->spectrum_ = fftw_alloc_complex(bins);
        plan->spare_ = fftw_alloc_complex(bins);
    }
    if (plan->samples_ == nullptr || plan->spectrum_ == nullptr ||
        (!inPlace && plan->spare_ == nullptr))
        return nullptr;
    // FFTW_ESTIMATE plans at once, without timed trial runs (which took a quarter of a second
    // for some lengths): a new length, such as a filter resized during acquisition, must not
    // stall the loop that runs on the user-interface thread. Planned alike, plans of one length
    // compute alike, to the bit.
    plan->forward_ = fftw_plan_dft_r2c_1d(n, plan->samples_, plan->spectrum_, FFTW_ESTIMATE);
    if (plan->forward_ == nullptr) return nullptr;
    return plan;
}

bool RealFftPlan::prepareInverse() {
    // An in-place plan's bins share the samples' room; none of its users transforms back.
    if (inPlace()) return false;
    if (inverse_ == nullptr)
        inverse_ = fftw_plan_dft_c2r_1d(n_, spectrum_, samples_, FFTW_ESTIMATE);
    return inverse_ != nullptr;
}

RealFftPlan::~RealFftPlan() {
    if (forward_ != nullptr) fftw_destroy_plan(forward_);
    if (inverse_ != nullptr) fftw_destroy_plan(inverse_);
    if (!inPlace()) fftw_free(spectrum_);
    fftw_free(samples_);
    fftw_free(spare_);
}

}  // namespace trelvanix::analysis_detail
