#include "platform/driver/signal_generator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace trelvanix::driver {
namespace {

// Each input's noise and spike times have their own stream, from the seed and the channel.
template <class Engine>
Engine seededEngine(std::uint64_t seed, int channel, std::uint32_t stream) {
    std::seed_seq sequence{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                           static_cast<std::uint32_t>(channel), stream};
    return Engine(sequence);
}

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kSpikeLength = 20.0;  // in widths: past this a spike has decayed to nothing

// A sine stepped by rotation: each sample turns the last by one sample's phase, which costs
// a few multiplications where std::sin costs many. Restarted from std::sin and std::cos every
// kRotorRun samples, its values stay within about 1e-13 of std::sin's, far below a code.
class Rotor {
  public:
    Rotor(double phase, double step)
        : sine_(std::sin(phase)),
          cosine_(std::cos(phase)),
          stepSine_(std::sin(step)),
          stepCosine_(std::cos(step)) {}
    double sine() const { return sine_; }
    void advance() {
        const double sine = sine_ * stepCosine_ + cosine_ * stepSine_;
        cosine_ = cosine_ * stepCosine_ - sine_ * stepSine_;
        sine_ = sine;
    }

  private:
    double sine_, cosine_, stepSine_, stepCosine_;
};

constexpr std::uint64_t kRotorRun = 256;

}  // namespace

SignalGenerator::SignalGenerator(const InputSignal& signal, std::uint64_t seed, int physicalChannel)
    : signal_(signal),
      noiseEngine_(seededEngine<NoiseEngine>(seed, physicalChannel, 1)),
      eventEngine_(seededEngine<std::mt19937_64>(seed, physicalChannel, 2)) {}

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

std::uint64_t SignalGenerator::firstAtOrAfter(double t, std::uint64_t from,
                                              std::uint64_t last) const {
    // Estimated from the rate, then stepped to where timeOf, which rises with the index, first
    // reaches t: the very sample a comparison of each sample's time would stop at.
    const double estimate = std::ceil((t - start_) * rate_);
    std::uint64_t k = last;
    if (estimate < double(last)) k = estimate > double(from) ? std::uint64_t(estimate) : from;
    while (k > from && timeOf(k - 1) >= t) --k;
    while (k < last && timeOf(k) < t) ++k;
    return k;
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

void SignalGenerator::generate(std::size_t count, double* out, const OutputHistory& outputs) {
    const InputSignal& s = signal_;
    const std::uint64_t first = next_;
    double* sample = out;
    // One loop per source keeps the choice of source out of the per-sample work.
    switch (s.source) {
        case SignalSource::Cell: {
            // Held in locals, which the stores to the samples cannot overwrite.
            const double restLevel = s.offset + s.rest, decay = cellDecay_;
            double cell = cellLevel_;
            for (std::uint64_t i = first; i < first + count;) {
                // While the output holds one level, the samples up to its next change take it
                // without looking it up again.
                double level = 0.0, until = 0.0;
                const bool holds = outputs.holdsAt(s.output, timeOf(i), &level, &until);
                const double target = s.gain * level;
                const std::uint64_t end =
                    holds ? firstAtOrAfter(until, i + 1, first + count) : i + 1;
                for (; i < end; ++i) {
                    *sample++ = restLevel + cell;
                    // Exact step of tau dV/dt = gain * u - V over one period with u held.
                    cell = target + (cell - target) * decay;
                }
            }
            cellLevel_ = cell;
            break;
        }
        case SignalSource::Readback:
            for (std::uint64_t i = first; i < first + count;) {
                double level = 0.0, until = 0.0;
                const bool holds = outputs.holdsAt(s.output, timeOf(i), &level, &until);
                const std::uint64_t end =
                    holds ? firstAtOrAfter(until, i + 1, first + count) : i + 1;
                sample = std::fill_n(sample, end - i, s.offset + level);
                i = end;
            }
            break;
        case SignalSource::Sine: {
            const double omega = kTwoPi * s.frequency;
            for (std::uint64_t i = first; i < first + count;) {
                const std::uint64_t runEnd = std::min(first + count, i + kRotorRun);
                Rotor wave(omega * timeOf(i), omega / rate_);
                for (; i < runEnd; ++i, ++sample, wave.advance())
                    *sample = s.offset + s.amplitude * wave.sine();
            }
            break;
        }
        case SignalSource::Hum: {
            // Mains hum is rich in odd harmonics; the third is the strongest of them.
            const double omega = kTwoPi * s.frequency;
            for (std::uint64_t i = first; i < first + count;) {
                const std::uint64_t runEnd = std::min(first + count, i + kRotorRun);
                const double phase = omega * timeOf(i);
                Rotor mains(phase, omega / rate_), third(3.0 * phase, 3.0 * omega / rate_);
                for (; i < runEnd; ++i, ++sample, mains.advance(), third.advance())
                    *sample = s.offset + s.amplitude * (mains.sine() + 0.3 * third.sine());
            }
            break;
        }
        case SignalSource::Spikes:
            for (std::uint64_t i = first; i < first + count; ++i, ++sample)
                *sample = s.offset + spikeAt(timeOf(i));
            break;
        case SignalSource::Noise:
            std::fill(out, out + count, s.offset);
            break;
        case SignalSource::Constant:
            std::fill(out, out + count, s.offset + s.value);
            break;
    }
    next_ += count;
    if (count > 0) lastTime_ = timeOf(next_ - 1);
    if (s.sigma > 0)
        for (std::size_t k = 0; k < count; ++k) out[k] += s.sigma * gauss_(noiseEngine_);
}

}  // namespace trelvanix::driver
