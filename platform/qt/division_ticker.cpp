#include "platform/qt/division_ticker.h"

#include <cmath>

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

void DivisionTicker::generate(const QCPRange& range, const QLocale& locale, QChar, int,
                              QVector<double>& ticks, QVector<double>* subTicks,
                              QVector<QString>* tickLabels) {
    const double step = (range.upper - range.lower) / divisions_;
    ticks.resize(divisions_ + 1);
    for (int k = 0; k <= divisions_; ++k) ticks[k] = range.lower + k * step;
    ticks[divisions_] = range.upper;  // no rounding drift at the far end
    if (subTicks) subTicks->clear();
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
