#pragma once
// The arithmetic of one stretch, free of the driver and the panels: volts to 16-bit counts,
// the regrouping of a scan-interleaved stretch by channel, counts back to volts, and the
// display scaling. The acquisition loop calls these; tests check them directly.

#include <cstdint>

namespace trelvanix {

// Width of the count representation of a sample.
constexpr int kCountBits = 16;

// Counts per volt of an input range spanning `rangeSpan` volts (high minus low limit).
double CountsPerVolt(double rangeSpan);

// The 16-bit count of a sample: truncated toward zero, and held at 32767 or -32768 when the
// sample lies at or beyond a range limit, so that an out-of-range sample never wraps round.
std::int16_t CountOf(double volts, double countsPerVolt);

// Converts `samplesPerChannel` scans of `channels` interleaved samples to counts, with the
// counts-per-volt factor of each position. `interleaved` receives the counts in the read's
// order (scan by scan), `grouped` the same counts channel by channel.
void ConvertStretch(const double* read, int samplesPerChannel, int channels,
                    const double* countsPerVoltByPosition, std::int16_t* interleaved,
                    std::int16_t* grouped);

// Volts per count after the board gain: a symmetric bipolar range's count comes back as the
// input voltage.
double VoltsPerCount(float boardGain);

// volts[j] = voltsPerCount x counts[j] for j < count.
void CountsToVolts(const std::int16_t* counts, int count, double voltsPerCount, double* volts);

// Where a displayed value lands on the graph: (volts + offset) / gain.
inline double DisplayValue(double volts, double offset, double gainFactor) {
    return (volts + offset) / gainFactor;
}

// shown[j] = DisplayValue(volts[j], offset, gainFactor) for j < count, the same values.
void DisplayStretch(const double* volts, int count, double offset, double gainFactor,
                    double* shown);

// Whole half-stretches in `acquired` samples per channel, for stretches of `samplesPerChannel`.
std::uint64_t HalfStretches(std::uint64_t acquired, int samplesPerChannel);

// Samples per channel in one stretch: truncate(rate x seconds).
int SamplesPerChannel(int samplesPerSecond, double secondsPerStretch);

}  // namespace trelvanix
