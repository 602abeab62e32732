#include "platform/qt/division_ticker.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/round_steps.h"

namespace trelvanix::qt {

namespace {
constexpr int kMostDecimals = 6;

bool showsExactly(double value, int decimals) {
    const double scaled = value * std::pow(10.0, decimals);
    return std::abs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, std::abs(scaled));
}
}  // namespace

int DivisionTicker::decimalsFor(double first, double step) {
    for (int d = 0; d < kMostDecimals; ++d)
        if (showsExactly(first, d) && showsExactly(step, d)) return d;
    return kMostDecimals;
}

double DivisionTicker::roundStep(double rough) {
    return ui::roundStep(rough);
}

void DivisionTicker::generateRound(const QCPRange& range, const QLocale& locale,
                                   QVector<double>& ticks, QVector<QString>* tickLabels) const {
    const double a = range.lower * gain_ + offset_, b = range.upper * gain_ + offset_;
    const double lo = std::min(a, b), hi = std::max(a, b);
    const double step = roundStep((hi - lo) / divisions_);
    // Decimals enough for the step: 2.5 needs one more than its power of ten.
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
    const int decimals = std::clamp(int(-std::floor(std::log10(step) + 1e-9)), 0, 12) +
                         (std::abs(mantissa - 2.5) < 1e-9 ? 1 : 0);
    ticks.clear();
    if (tickLabels) tickLabels->clear();
    for (double k = std::ceil(lo / step - 1e-9); k * step <= hi + step * 1e-9; k += 1.0) {
        const double label = k * step;
        // A last step that overshoots the end by rounding only still marks the end.
        ticks.push_back(std::clamp((label - offset_) / gain_, range.lower, range.upper));
        if (tickLabels)
            tickLabels->push_back(locale.toString(label == 0.0 ? 0.0 : label, 'f', decimals));
    }
    if (gain_ < 0) {  // labels fall as values rise: ticks go in the axis's order
        std::reverse(ticks.begin(), ticks.end());
        if (tickLabels) std::reverse(tickLabels->begin(), tickLabels->end());
    }
}

void DivisionTicker::generate(const QCPRange& range, const QLocale& locale, QChar, int,
                              QVector<double>& ticks, QVector<double>* subTicks,
                              QVector<QString>* tickLabels) {
    if (subTicks) subTicks->clear();
    if (roundSteps_ && gain_ != 0.0) return generateRound(range, locale, ticks, tickLabels);
    const double step = (range.upper - range.lower) / divisions_;
    ticks.resize(divisions_ + 1);
    for (int k = 0; k <= divisions_; ++k) ticks[k] = range.lower + k * step;
    ticks[divisions_] = range.upper;  // no rounding drift at the far end
    if (!tickLabels) return;

    const double first = range.lower * gain_ + offset_;
    const double labelStep = step * gain_;
    const int decimals = decimalsFor(first, labelStep);
    tickLabels->resize(ticks.size());
    for (int k = 0; k < ticks.size(); ++k) {
        double label = ticks[k] * gain_ + offset_;
        if (std::abs(label) < std::abs(labelStep) * 1e-9) label = 0.0;  // never "-0.00"
        (*tickLabels)[k] = locale.toString(label, 'f', decimals);
    }
}

}  // namespace trelvanix::qt
