#include "daq/stretch_conversion.h"

#include <algorithm>
#include <cmath>

#include "platform/analysis/vector_clones.h"

namespace trelvanix {

namespace {
constexpr double kCountSpan = double(1 << kCountBits);
constexpr double kHighestCount = 32767.0;
constexpr double kLowestCount = -32768.0;
}  // namespace

double CountsPerVolt(double rangeSpan) {
    return kCountSpan / rangeSpan;
}

namespace {

// Without branches, so that a stretch converts in vector registers.
inline std::int16_t countOf(double volts, double countsPerVolt) {
    const double count = volts * countsPerVolt;
    double held = count < kHighestCount ? count : kHighestCount;
    held = held > kLowestCount ? held : kLowestCount;
    // NaN: a sample the board could not give holds no level.
    held = count == count ? held : 0.0;
    return static_cast<std::int16_t>(static_cast<int>(held));  // truncates toward zero
}

}  // namespace

std::int16_t CountOf(double volts, double countsPerVolt) {
    return countOf(volts, countsPerVolt);
}

TRELVANIX_VECTOR_CLONES
void ConvertStretch(const double* read, int samplesPerChannel, int channels,
                    const double* countsPerVoltByPosition, std::int16_t* interleaved,
                    std::int16_t* grouped) {
    // One channel reads in order: a plain pass, in vector registers.
    if (channels == 1) {
        const double k = countsPerVoltByPosition[0];
        for (int j = 0; j < samplesPerChannel; ++j) {
            const std::int16_t count = countOf(read[j], k);
            interleaved[j] = count;
            grouped[j] = count;
        }
        return;
    }
    // A few scans at a time, channel by channel: the scans' samples stay in the first-level
    // cache while each channel takes its every channels-th of them.
    constexpr int kScansTogether = 64;
    for (int first = 0; first < samplesPerChannel; first += kScansTogether) {
        const int end = std::min(samplesPerChannel, first + kScansTogether);
        for (int i = 0; i < channels; ++i) {
            const double k = countsPerVoltByPosition[i];
            std::int16_t* channelCounts = grouped + static_cast<long>(i) * samplesPerChannel;
            for (int j = first; j < end; ++j) {
                const long at = static_cast<long>(j) * channels + i;
                const std::int16_t count = countOf(read[at], k);
                interleaved[at] = count;
                channelCounts[j] = count;
            }
        }
    }
}

TRELVANIX_VECTOR_CLONES
void CountsToVolts(const std::int16_t* counts, int count, double voltsPerCount, double* volts) {
    for (int j = 0; j < count; ++j) volts[j] = voltsPerCount * counts[j];
}

TRELVANIX_VECTOR_CLONES
void DisplayStretch(const double* volts, int count, double offset, double gainFactor,
                    double* shown) {
    // Dividing by a power of two is multiplying by its reciprocal, exactly; the usual gain
    // of 1 then costs no division per sample.
    int exponent = 0;
    if (std::frexp(gainFactor, &exponent) == 0.5 && std::isfinite(1.0 / gainFactor)) {
        const double reciprocal = 1.0 / gainFactor;
        for (int j = 0; j < count; ++j) shown[j] = (volts[j] + offset) * reciprocal;
        return;
    }
    for (int j = 0; j < count; ++j) shown[j] = DisplayValue(volts[j], offset, gainFactor);
}

double VoltsPerCount(float boardGain) {
    return (10.0 / kCountSpan) / boardGain;
}

std::uint64_t HalfStretches(std::uint64_t acquired, int samplesPerChannel) {
    const std::uint64_t half = static_cast<std::uint64_t>(samplesPerChannel / 2);
    return half == 0 ? 0 : acquired / half;
}

int SamplesPerChannel(int samplesPerSecond, double secondsPerStretch) {
    return static_cast<int>(samplesPerSecond * secondsPerStretch);
}

}  // namespace trelvanix
