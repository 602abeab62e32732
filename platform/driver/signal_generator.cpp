#include "platform/driver/signal_generator.h"

#include <cmath>
#include <numbers>

namespace trelvanix::driver {
namespace {

std::mt19937_64 seededEngine(std::uint64_t seed, int channel, std::uint32_t stream) {
    std::seed_seq sequence{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                           static_cast<std::uint32_t>(channel), stream};
    return std::mt19937_64(sequence);
}

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kSpikeLength = 20.0;  // in widths: past this a spike has decayed to nothing

// A uniform value in [0, 1) from one 64-bit draw, as std::generate_canonical<double, 53>.
inline double canonical(std::mt19937_64& engine) {
    const double value = double(engine()) / 18446744073709551616.0;  // 2^64: exact scaling
    return value < 1.0 ? value : std::nextafter(1.0, 0.0);
}

}  // namespace

inline double SignalGenerator::Gaussian::operator()(std::mt19937_64& engine) {
    if (hasSaved_) {
        hasSaved_ = false;
        return saved_;
    }
    double x, y, r2;
    do {
        x = 2.0 * canonical(engine) - 1.0;
        y = 2.0 * canonical(engine) - 1.0;
        r2 = x * x + y * y;
    } while (r2 > 1.0 || r2 == 0.0);
    const double mult = std::sqrt(-2 * std::log(r2) / r2);
    saved_ = x * mult;
    hasSaved_ = true;
    return y * mult;
}

SignalGenerator::SignalGenerator(const InputSignal& signal, std::uint64_t seed, int physicalChannel)
    : signal_(signal),
      noiseEngine_(seededEngine(seed, physicalChannel, 1)),
      eventEngine_(seededEngine(seed, physicalChannel, 2)) {}

void SignalGenerator::resume(double start, double rate, const OutputHistory& outputs) {
    start_ = start;
    rate_ = rate;
    next_ = 0;
    if (signal_.source == SignalSource::Cell) {
        // Between acquisitions the cell went on relaxing towards what the output asked of it.
        const double target = signal_.gain * outputs.levelAt(signal_.output, start);
        cellLevel_ =
            resumed_ ? target + (cellLevel_ - target) * std::exp(-(start - lastTime_) / signal_.tau)
                     : target;
        cellDecay_ = std::exp(-1.0 / (rate * signal_.tau));
    }
    // Spikes come at random, so the next one after a pause may as well be drawn afresh.
    if (signal_.source == SignalSource::Spikes && signal_.rate > 0 &&
        (!resumed_ || nextSpike_ < start))
        nextSpike_ = start + std::exponential_distribution<double>(signal_.rate)(eventEngine_);
    resumed_ = true;
    lastTime_ = start;
}

double SignalGenerator::spikeAt(double t) {
    if (signal_.rate <= 0) return 0.0;
    if (t >= nextSpike_) {
        spikeOnset_ = nextSpike_;
        spiking_ = true;
        // A dead time of a spike's length keeps spikes apart, as a refractory period would.
        nextSpike_ += kSpikeLength * signal_.width +
                      std::exponential_distribution<double>(signal_.rate)(eventEngine_);
    }
    if (!spiking_) return 0.0;
    const double x = (t - spikeOnset_) / signal_.width;
    if (x >= kSpikeLength) {
        spiking_ = false;
        return 0.0;
    }
    return signal_.amplitude * x * std::exp(1.0 - x);  // rises to the amplitude at one width
}

void SignalGenerator::generate(std::size_t count, double* out, std::size_t stride,
                               const OutputHistory& outputs) {
    const InputSignal& s = signal_;
    const std::uint64_t first = next_;
    double* sample = out;
    // One loop per source keeps the choice of source out of the per-sample work.
    switch (s.source) {
        case SignalSource::Cell:
            for (std::uint64_t i = first; i < first + count; ++i, sample += stride) {
                *sample = s.offset + s.rest + cellLevel_;
                // Exact step of tau dV/dt = gain * u - V over one period with u held.
                const double target = s.gain * outputs.levelAt(s.output, timeOf(i));
                cellLevel_ = target + (cellLevel_ - target) * cellDecay_;
            }
            break;
        case SignalSource::Readback:
            for (std::uint64_t i = first; i < first + count; ++i, sample += stride)
                *sample = s.offset + outputs.levelAt(s.output, timeOf(i));
            break;
        case SignalSource::Sine:
            for (std::uint64_t i = first; i < first + count; ++i, sample += stride)
                *sample = s.offset + s.amplitude * std::sin(kTwoPi * s.frequency * timeOf(i));
            break;
        case SignalSource::Hum:
            for (std::uint64_t i = first; i < first + count; ++i, sample += stride) {
                // Mains hum is rich in odd harmonics; the third is the strongest of them.
                const double phase = kTwoPi * s.frequency * timeOf(i);
                *sample = s.offset + s.amplitude * (std::sin(phase) + 0.3 * std::sin(3.0 * phase));
            }
            break;
        case SignalSource::Spikes:
            for (std::uint64_t i = first; i < first + count; ++i, sample += stride)
                *sample = s.offset + spikeAt(timeOf(i));
            break;
        case SignalSource::Noise:
            for (std::size_t k = 0; k < count; ++k, sample += stride) *sample = s.offset;
            break;
        case SignalSource::Constant:
            for (std::size_t k = 0; k < count; ++k, sample += stride) *sample = s.offset + s.value;
            break;
    }
    next_ += count;
    if (count > 0) lastTime_ = timeOf(next_ - 1);
    if (s.sigma > 0) {
        sample = out;
        for (std::size_t k = 0; k < count; ++k, sample += stride)
            *sample += s.sigma * gauss_(noiseEngine_);
    }
}

}  // namespace trelvanix::driver
