#pragma once
// What the operator measures in every recorded response: a channel, a kind of measurement, a
// region of the recorded file and an optional baseline region. Pure definitions, free of the
// toolkit; python/trelvanix_vnx/measurements.py computes the same numbers the same way.
//
// How a measurement is computed from a channel's samples x[i] (16-bit counts, scan i of the
// file, the first scan being 0) recorded at r scans per second:
//   u(c)      the channel's unit: c / (6553.6 x board gain), divided by the scale factor
//             (left out when it is 0), as the file's header gives them.
//   index(t)  the scan at t ms from the file's start: floor(t x r / 1000 + 0.5).
//   region    [start, end) ms covers the scans index(start) <= i < index(end). It must hold at
//             least one scan (two for slope and spike count) and lie within the file: a
//             region that would reach past the last scan is refused, never shortened.
//   b         the baseline: the mean of x over the baseline region (the sum of the counts,
//             exact, divided by their number); 0 when there is no baseline region.
// Kinds (each value in the channel's unit unless said otherwise):
//   mean          u(sum(x) / n - b)
//   minimum       the smallest u(x[i] - b); maximum: the largest
//   peak          u(x[k] - b) at the first k with the largest |x[k] - b|: signed
//   peak-to-peak  |u(max x - min x)| (the baseline cancels)
//   time of peak  1000 x k / r, k as for peak, in ms from the file's start
//   slope         least squares of u(x[i]) on i / r, in unit/s: the slope in counts per
//                 scan from exact integer sums, (n sum(i x) - sum(i) sum(x)) /
//                 (n sum(i^2) - sum(i)^2), each sum converted to double once, then u(...) x r
//                 (the baseline does not change a slope)
//   spike count   the scans i of the region after its first with u(x[i-1] - b) < threshold
//                 <= u(x[i] - b): upward crossings of the threshold (in the unit, above the
//                 baseline when there is one); no unit

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "recording/vnx_reader.h"

namespace trelvanix::results {

enum class MeasureKind {
    Mean,
    Minimum,
    Maximum,
    Peak,
    PeakToPeak,
    TimeOfPeak,
    Slope,
    SpikeCount,
};

constexpr int kMeasureKinds = 8;
// Words of each kind in parameter files and scripts, and its name on the panel.
const char* kindWord(MeasureKind kind);
const char* kindName(MeasureKind kind);
std::optional<MeasureKind> kindFromWord(const std::string& word);

struct Region {
    double start = 0.0, end = 0.0;  // ms from the start of the recorded file
    bool operator==(const Region&) const = default;
};

struct Measurement {
    std::string name;  // the column heading
    int channel = 0;   // the physical input, ai0..ai7
    MeasureKind kind = MeasureKind::Mean;
    Region region;
    std::optional<Region> baseline;
    double threshold = 0.0;  // spike count only: in the channel's unit, above the baseline
    bool operator==(const Measurement&) const = default;
};

constexpr int kMaxMeasurements = 16;
constexpr std::size_t kMaxNameLength = 24;

// Why the definition cannot be measured in any file, in words for the operator (naming the
// measurement); empty when it can.
std::string definitionProblem(const Measurement& m);

// Scans a region needs: two for a slope or a spike count, one for the others.
int scansNeeded(MeasureKind kind);

// The unit a measurement's value has, given the unit of its channel.
std::string valueUnit(MeasureKind kind, const std::string& channelUnit);

// The first scan of a time in ms (index(t) above); saturates far outside the file.
std::int64_t scanAt(double ms, double scansPerSecond);

// A value with that many significant digits at most ("%g" has 6).
std::string formatNumber(double value, int significantDigits = 6);

// One measurement on the samples of its channel: `region` and `baseline` are the scans
// [first, end) of those regions within `samples` (scan 0 of the span read is `firstScan` of
// the file). The caller has checked that both lie within the samples and hold enough scans.
struct ScanRange {
    std::int64_t first = 0, end = 0;
};
double measureCounts(const Measurement& m, const std::int16_t* samples, std::size_t stride,
                     ScanRange region, std::optional<ScanRange> baseline,
                     const vnx::ChannelInfo& channel, double scansPerSecond,
                     std::int64_t firstScan);

}  // namespace trelvanix::results
