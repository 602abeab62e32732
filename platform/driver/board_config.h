#pragma once
// What a simulated board is made of: its input ranges, the signal on each input, the seed
// of its noise, and the faults it starts with. Board files describe one of these.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/driver/driver_backend.h"

namespace trelvanix::driver {

constexpr int kSimulatedInputs = 8;
constexpr int kSimulatedOutputs = 2;
constexpr double kSimulatedOutputLimit = 10.0;  // outputs span -10 V to +10 V

enum class SignalSource {
    Cell,      // membrane potential of a model cell driven by an output
    Readback,  // an output read back
    Sine,
    Hum,     // mains hum
    Spikes,  // a train of spikes at random intervals
    Noise,
    Constant,
};

// One input's signal. Every source adds `offset` and Gaussian noise of deviation `sigma`;
// the other fields are used by the sources named beside them.
struct InputSignal {
    SignalSource source = SignalSource::Noise;
    double offset = 0.0;     // volts
    double sigma = 0.0;      // volts
    int output = 0;          // cell, readback: the output followed
    double rest = 0.0;       // cell: volts with no current
    double gain = 0.0;       // cell: settled volts per volt of output
    double tau = 0.0;        // cell: time constant, seconds
    double amplitude = 0.0;  // sine, hum, spikes: volts
    double frequency = 0.0;  // sine, hum: hertz
    double rate = 0.0;       // spikes: mean spikes per second
    double width = 0.0;      // spikes: seconds from onset to peak
    double value = 0.0;      // constant: volts
};

struct FaultSpec {
    std::string operation;
    long long call = 1;
    std::int32_t status = 0;
};

struct BoardConfig {
    std::uint64_t seed = 1;
    std::vector<RangePair> ranges;  // in the order the device reports them
    std::array<InputSignal, kSimulatedInputs> inputs;
    std::vector<FaultSpec> faults;
    // Samples per second over all the channels of the input task; enough by default for
    // 8 channels at 50 kS/s with room to spare.
    double maxAggregateRate = 1.0e6;
};

// A source's own parameter values, before a board file overrides any of them.
InputSignal defaultSignal(SignalSource source);
// The default board: seed 1, ranges ±10, ±5, ±1, ±0.2 V, the bench signals, no faults.
BoardConfig defaultBoardConfig();

}  // namespace trelvanix::driver
