#include "daq/stretch_conversion.h"

namespace trelvanix {

namespace {
constexpr double kCountSpan = double(1 << kCountBits);
constexpr double kHighestCount = 32767.0;
constexpr double kLowestCount = -32768.0;
}  // namespace

double CountsPerVolt(double rangeSpan) {
    return kCountSpan / rangeSpan;
}

std::int16_t CountOf(double volts, double countsPerVolt) {
    const double count = volts * countsPerVolt;
    if (count >= kHighestCount) return static_cast<std::int16_t>(kHighestCount);
    if (count <= kLowestCount) return static_cast<std::int16_t>(kLowestCount);
    if (count != count) return 0;  // NaN: a sample the board could not give holds no level
    return static_cast<std::int16_t>(count);  // truncates toward zero
}

void ConvertStretch(const double* read, int samplesPerChannel, int channels,
                    const double* countsPerVoltByPosition, std::int16_t* interleaved,
                    std::int16_t* grouped) {
    for (int i = 0; i < channels; ++i) {
        const double k = countsPerVoltByPosition[i];
        std::int16_t* channelCounts = grouped + static_cast<long>(i) * samplesPerChannel;
        for (int j = 0; j < samplesPerChannel; ++j) {
            const long at = static_cast<long>(j) * channels + i;
            const std::int16_t count = CountOf(read[at], k);
            interleaved[at] = count;
            channelCounts[j] = count;
        }
    }
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
