#pragma once
// What each analog output of the simulated board has put out over time, so that inputs
// following an output (the model cell, the read-back) can be generated long after the fact.

#include <array>
#include <deque>
#include <memory>
#include <vector>

#include "platform/driver/board_config.h"

namespace trelvanix::driver {

class OutputHistory {
  public:
    // From `from` on, the output holds `level`.
    void hold(int output, double from, double level);
    // From `from` on, the output regenerates `samples` at `rate`, sample 0 at `from`.
    void play(int output, double from, std::shared_ptr<const std::vector<double>> samples,
              double rate);
    // The level at time t; 0 V before anything was put out.
    double levelAt(int output, double t) const;
    // *level = levelAt(output, t). Returns whether the output holds that level (plays no
    // waveform) for every time from t to before *until (infinity when nothing follows yet).
    bool holdsAt(int output, double t, double* level, double* until) const;
    // Drops what no one can ask about any more: everything before `oldestNeeded`.
    void forgetBefore(double oldestNeeded);

  private:
    struct Segment {
        double from = 0.0;
        double level = 0.0;
        std::shared_ptr<const std::vector<double>> samples;  // null: a held level
        double rate = 0.0;
        double valueAt(double t) const;
    };
    void append(int output, Segment segment);

    std::array<std::deque<Segment>, kSimulatedOutputs> segments_;
};

// Index of the sample clocked at time t by a clock that started at `start` with `rate`:
// floor((t - start) * rate), tolerant of rounding so that t = start + k / rate gives k.
long long sampleIndexAt(double t, double start, double rate);

}  // namespace trelvanix::driver
