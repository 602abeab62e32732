// The power spectrum of one full collection, through the real FFT of the analysis routines.

#include "analysis/spectrum.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "platform/analysis/analysis.h"
#include "platform/analysis/real_fft_plan.h"

namespace trelvanix::spectrum {

namespace {

// Decibels of powers that are exactly 0 (a constant input) sit this far below the peak, so
// that an automatic axis still shows the rest.
constexpr double kDecibelFloorBelowPeak = 1e-30;

// The highest of the powers (none is NaN): four running maxima side by side, so that the
// loop does not wait on one comparison after another.
double highestOf(const std::vector<double>& powers) {
    double lanes[4] = {powers[0], powers[0], powers[0], powers[0]};
    std::size_t i = 0;
    for (; i + 4 <= powers.size(); i += 4)
        for (int lane = 0; lane < 4; ++lane) lanes[lane] = std::max(lanes[lane], powers[i + lane]);
    for (; i < powers.size(); ++i) lanes[0] = std::max(lanes[0], powers[i]);
    return std::max(std::max(lanes[0], lanes[1]), std::max(lanes[2], lanes[3]));
}

}  // namespace

int LengthForMilliseconds(double milliseconds, int samplesPerSecond) {
    const double wanted = milliseconds * samplesPerSecond / 1000.0;
    if (!(wanted >= 1.0)) return 0;
    // Doubling while the wanted count is not below L, then one step back, gives the largest
    // power of two not above it; the bound keeps the int from overflowing.
    long long length = 1;
    while (wanted >= double(length) && length <= (1LL << 30)) length *= 2;
    return static_cast<int>(length / 2);
}

double AverageBytes(int length, int averaged) {
    return averaged > 1 ? double(averaged) * (length / 2 - 1) * sizeof(double) : 0.0;
}

double BinFrequency(int k, int length, int samplesPerSecond) {
    return double(samplesPerSecond) * k / length;
}

bool SpectrumProcessor::configure(int length, int samplesPerSecond,
                                  const SpectrumOptions& options) {
    release();
    if (length < 4) return false;
    plan_ = analysis_detail::RealFftPlan::forCollection(length);
    if (plan_ == nullptr) return false;
    length_ = length;
    samplesPerSecond_ = samplesPerSecond;
    frequencies_.assign(points(), 0.0);
    shown_.assign(points(), 0.0);
    fillFrequencies();
    options_ = SpectrumOptions{};
    configured_ = false;
    setOptions(options);
    clearAverage();
    return true;
}

void SpectrumProcessor::release() {
    *this = SpectrumProcessor{};
}

void SpectrumProcessor::setOptions(const SpectrumOptions& wanted) {
    SpectrumOptions options = wanted;
    options.averaged = std::max(options.averaged, 1);
    // Decibels only change how the average is shown; the average itself goes on.
    const bool sameAverage =
        options.averaged == options_.averaged && options.hannWindow == options_.hannWindow;
    options_ = options;
    if (sameAverage && configured_) return;
    if (options_.hannWindow) {
        // Periodic Hann: the window of an L-point transform repeats every L values.
        window_.resize(length_);
        for (int i = 0; i < length_; ++i)
            window_[i] = 0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * i / length_));
    } else {
        window_.clear();
    }
    history_.assign(options_.averaged > 1 ? options_.averaged : 0,
                    std::vector<double>(points(), 0.0));
    configured_ = true;
    clearAverage();
}

void SpectrumProcessor::setSampleRate(int samplesPerSecond) {
    if (samplesPerSecond == samplesPerSecond_) return;
    samplesPerSecond_ = samplesPerSecond;
    fillFrequencies();
    clearAverage();
}

void SpectrumProcessor::fillFrequencies() {
    for (int k = 1; k <= points(); ++k)
        frequencies_[k - 1] = BinFrequency(k, length_, samplesPerSecond_);
}

void SpectrumProcessor::clearAverage() {
    historyNext_ = 0;
    historyCount_ = 0;
}

double* SpectrumProcessor::values() {
    return plan_ ? plan_->samples() : nullptr;
}

int SpectrumProcessor::compute(const double* values) {
    if (plan_ == nullptr) return 0;
    std::copy(values, values + length_, plan_->samples());
    return compute();
}

int SpectrumProcessor::compute() {
    if (plan_ == nullptr) return 0;
    // The transform's bins are read as FFTW gives them: only the bins shown are needed, so
    // nothing is unpacked or mirrored.
    double* samples = plan_->samples();
    if (!window_.empty())
        for (int i = 0; i < length_; ++i) samples[i] *= window_[i];
    plan_->forward();
    const fftw_complex* bins = plan_->spectrum();

    // Without averaging the power goes straight to what is shown.
    const bool averaging = options_.averaged > 1;
    std::vector<double>& newest = averaging ? history_[historyNext_] : shown_;
    for (int k = 1; k <= points(); ++k)
        newest[k - 1] = bins[k][0] * bins[k][0] + bins[k][1] * bins[k][1];
    if (averaging) {
        historyNext_ = (historyNext_ + 1) % options_.averaged;
        historyCount_ = std::min(historyCount_ + 1, options_.averaged);
        // The mean of the spectra held, summed afresh so that no running error builds up.
        std::copy(history_[0].begin(), history_[0].end(), shown_.begin());
        for (int h = 1; h < historyCount_; ++h)
            for (int p = 0; p < points(); ++p) shown_[p] += history_[h][p];
        for (double& p : shown_) p /= historyCount_;
    }

    const double highest = highestOf(shown_);
    silent_ = !(highest > 0.0);
    if (options_.decibels) {
        const double floor =
            std::max(highest * kDecibelFloorBelowPeak, std::numeric_limits<double>::min());
        for (double& p : shown_) p = 10.0 * std::log10(std::max(p, floor));
    }
    return points();
}

Peak SpectrumProcessor::peak() const {
    if (points() < 1) return {};
    const auto highest = std::max_element(shown_.begin(), shown_.end());
    return {frequencies_[highest - shown_.begin()], *highest, silent_};
}

}  // namespace trelvanix::spectrum
