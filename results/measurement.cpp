#include "results/measurement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace trelvanix::results {

namespace {

struct KindNames {
    MeasureKind kind;
    const char* word;
    const char* name;
};

constexpr KindNames kKinds[kMeasureKinds] = {
    {MeasureKind::Mean, "mean", "Mean"},
    {MeasureKind::Minimum, "minimum", "Minimum"},
    {MeasureKind::Maximum, "maximum", "Maximum"},
    {MeasureKind::Peak, "peak", "Peak"},
    {MeasureKind::PeakToPeak, "peak-to-peak", "Peak-to-peak"},
    {MeasureKind::TimeOfPeak, "time-of-peak", "Time of peak"},
    {MeasureKind::Slope, "slope", "Slope"},
    {MeasureKind::SpikeCount, "spike-count", "Spike count"},
};

std::string regionProblem(const std::string& what, const Region& r) {
    if (!std::isfinite(r.start) || !std::isfinite(r.end))
        return "its " + what + " needs a start and an end in ms";
    if (r.start < 0.0)
        return "its " + what + " starts at " + formatNumber(r.start) +
               " ms, before the recorded file (regions count from the file's start, 0 ms)";
    if (r.end <= r.start)
        return "its " + what + " is empty: the end (" + formatNumber(r.end) +
               " ms) must come after the start (" + formatNumber(r.start) + " ms)";
    return "";
}

// The scan of the region with the largest excursion from the baseline (the first of equals).
std::int64_t peakScan(const std::int16_t* x, std::size_t stride, ScanRange r, double b) {
    std::int64_t best = r.first;
    double largest = -1.0;
    for (std::int64_t i = r.first; i < r.end; ++i) {
        const double excursion = std::fabs(double(x[i * stride]) - b);
        if (excursion > largest) {
            largest = excursion;
            best = i;
        }
    }
    return best;
}

// The lowest and highest sample of the region.
std::pair<std::int16_t, std::int16_t> extremeCounts(const std::int16_t* x, std::size_t stride,
                                                    ScanRange r) {
    std::int16_t lowest = x[r.first * stride], highest = lowest;
    for (std::int64_t i = r.first; i < r.end; ++i) {
        lowest = std::min(lowest, x[i * stride]);
        highest = std::max(highest, x[i * stride]);
    }
    return {lowest, highest};
}

double meanCounts(const std::int16_t* x, std::size_t stride, ScanRange r) {
    std::int64_t sum = 0;
    for (std::int64_t i = r.first; i < r.end; ++i) sum += x[i * stride];
    return double(sum) / double(r.end - r.first);
}

// Least-squares slope in counts per scan from exact integer sums (scans counted from the
// region's start: the numerator and denominator do not depend on where counting starts).
double slopeCounts(const std::int16_t* x, std::size_t stride, ScanRange r) {
    using Wide = __int128;
    const Wide n = r.end - r.first;
    Wide sumX = 0, sumIX = 0;
    for (std::int64_t i = r.first; i < r.end; ++i) {
        const std::int64_t value = x[i * stride];
        sumX += value;
        sumIX += Wide(i - r.first) * value;
    }
    const Wide sumI = n * (n - 1) / 2;
    const Wide sumII = (n - 1) * n * (2 * n - 1) / 6;
    return double(n * sumIX - sumI * sumX) / double(n * sumII - sumI * sumI);
}

}  // namespace

const char* kindWord(MeasureKind kind) {
    return kKinds[static_cast<int>(kind)].word;
}

const char* kindName(MeasureKind kind) {
    return kKinds[static_cast<int>(kind)].name;
}

std::optional<MeasureKind> kindFromWord(const std::string& word) {
    for (const KindNames& k : kKinds)
        if (word == k.word) return k.kind;
    return std::nullopt;
}

std::string definitionProblem(const Measurement& m) {
    const std::string who = m.name.empty() ? "The measurement" : "The measurement " + m.name;
    if (m.name.empty()) return "The measurement needs a name (it heads its column).";
    if (m.name.size() > kMaxNameLength)
        return who + ": the name is longer than " + std::to_string(kMaxNameLength) + " characters.";
    for (unsigned char ch : m.name)
        if (ch < 0x20 || ch == 0x7F || ch == ' ')
            return who + ": the name must be one word without blanks or control characters.";
    if (m.channel < 0 || m.channel > 7) return who + ": the channel must be ai0 to ai7.";
    if (std::string problem = regionProblem("measurement region", m.region); !problem.empty())
        return who + ": " + problem + ".";
    if (m.baseline) {
        if (std::string problem = regionProblem("baseline region", *m.baseline); !problem.empty())
            return who + ": " + problem + ".";
        if (m.baseline->end > m.region.start)
            return who + ": the baseline region (" + formatNumber(m.baseline->start) + " to " +
                   formatNumber(m.baseline->end) +
                   " ms) must end before the measurement region starts (" +
                   formatNumber(m.region.start) + " ms).";
    }
    if (m.kind == MeasureKind::SpikeCount && !std::isfinite(m.threshold))
        return who + ": the spike count needs a threshold.";
    return "";
}

int scansNeeded(MeasureKind kind) {
    return kind == MeasureKind::Slope || kind == MeasureKind::SpikeCount ? 2 : 1;
}

std::string formatNumber(double value, int significantDigits) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", significantDigits, value);
    return text;
}

std::string valueUnit(MeasureKind kind, const std::string& channelUnit) {
    switch (kind) {
        case MeasureKind::TimeOfPeak:
            return "ms";
        case MeasureKind::Slope:
            return channelUnit + "/s";
        case MeasureKind::SpikeCount:
            return "";
        default:
            return channelUnit;
    }
}

std::int64_t scanAt(double ms, double scansPerSecond) {
    const double scan = std::floor(ms * scansPerSecond / 1000.0 + 0.5);
    constexpr double kFar = 4e18;
    if (!(scan > -kFar)) return std::int64_t(-kFar);
    if (!(scan < kFar)) return std::int64_t(kFar);
    return static_cast<std::int64_t>(scan);
}

double measureCounts(const Measurement& m, const std::int16_t* x, std::size_t stride, ScanRange r,
                     std::optional<ScanRange> baseline, const vnx::ChannelInfo& channel,
                     double scansPerSecond, std::int64_t firstScan) {
    auto unit = [&channel](double counts) { return vnx::userValue(channel, counts); };
    const double b = baseline ? meanCounts(x, stride, *baseline) : 0.0;
    switch (m.kind) {
        case MeasureKind::Mean:
            return unit(meanCounts(x, stride, r) - b);
        case MeasureKind::Minimum:
        case MeasureKind::Maximum: {
            const auto [lowest, highest] = extremeCounts(x, stride, r);
            // A negative scale factor turns the unit the other way round.
            const double low = unit(double(lowest) - b), high = unit(double(highest) - b);
            return m.kind == MeasureKind::Minimum ? std::min(low, high) : std::max(low, high);
        }
        case MeasureKind::Peak:
            return unit(double(x[peakScan(x, stride, r, b) * stride]) - b);
        case MeasureKind::PeakToPeak: {
            const auto [lowest, highest] = extremeCounts(x, stride, r);
            return std::fabs(unit(double(int(highest) - int(lowest))));
        }
        case MeasureKind::TimeOfPeak:
            return 1000.0 * double(firstScan + peakScan(x, stride, r, b)) / scansPerSecond;
        case MeasureKind::Slope:
            return unit(slopeCounts(x, stride, r)) * scansPerSecond;
        case MeasureKind::SpikeCount: {
            int crossings = 0;
            double before = unit(double(x[r.first * stride]) - b);
            for (std::int64_t i = r.first + 1; i < r.end; ++i) {
                const double now = unit(double(x[i * stride]) - b);
                if (before < m.threshold && m.threshold <= now) ++crossings;
                before = now;
            }
            return crossings;
        }
    }
    return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace trelvanix::results
