#pragma once
// The signal of one simulated input, generated sample by sample in order. The signal runs on
// the board's clock whether or not it is acquired: a new acquisition continues the noise and
// the phases where they are, as a real signal would. Given the seed, the times of the samples
// and what the outputs did, the samples are always the same, read in whatever chunk sizes.

#include <boost/random/normal_distribution.hpp>
#include <cstddef>
#include <cstdint>
#include <random>

#include "platform/driver/board_config.h"
#include "platform/driver/noise_engine.h"
#include "platform/driver/output_history.h"

namespace trelvanix::driver {

class SignalGenerator {
  public:
    SignalGenerator(const InputSignal& signal, std::uint64_t seed, int physicalChannel);

    // Begins an acquisition whose sample 0 is taken at `start`, `rate` samples per second.
    void resume(double start, double rate, const OutputHistory& outputs);
    // Writes the next `count` samples in volts to out[0 .. count - 1].
    void generate(std::size_t count, double* out, const OutputHistory& outputs);

  private:
    double spikeAt(double t);
    // The first index in [from, last] whose time is not before t, or last.
    std::uint64_t firstAtOrAfter(double t, std::uint64_t from, std::uint64_t last) const;
    double timeOf(std::uint64_t index) const { return start_ + double(index) / rate_; }

    InputSignal signal_;
    NoiseEngine noiseEngine_;
    // Standard normal values by Boost's Ziggurat method: a few nanoseconds each, where the
    // polar method costs several times that.
    boost::random::normal_distribution<double> gauss_;
    std::mt19937_64 eventEngine_;  // spike times, apart from the noise
    double start_ = 0.0;
    double rate_ = 1.0;
    std::uint64_t next_ = 0;  // index of the next sample
    double cellLevel_ = 0.0;  // the cell's departure from rest, volts
    double cellDecay_ = 0.0;  // exp(-sample period / tau)
    double spikeOnset_ = 0.0;
    double nextSpike_ = 0.0;
    bool spiking_ = false;
    bool resumed_ = false;   // has been acquired before
    double lastTime_ = 0.0;  // time of the last sample generated
};

}  // namespace trelvanix::driver
