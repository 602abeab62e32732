#pragma once
// The built-in simulated board "Dev1": a back end like any other, flagged as simulated,
// given the program clock and a seed. Its sample clocks are read off the program clock
// (samples acquired = floor(elapsed x rate)), so it never drifts and runs as fast as the
// simulated clock lets it.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/driver/board_config.h"
#include "platform/driver/driver_backend.h"
#include "platform/driver/output_history.h"
#include "platform/driver/quantiser.h"
#include "platform/driver/signal_generator.h"

namespace trelvanix::driver {

constexpr const char* kSimulatedDevice = "Dev1";

class SimulatedBoard final : public DriverBackend {
  public:
    using ClockSource = Clock& (*)();
    explicit SimulatedBoard(BoardConfig config, ClockSource clock = &programClock);

    bool isSimulated() const override { return true; }
    Outcome inputRanges(std::string_view device, std::vector<RangePair>* ranges) override;
    Outcome createTask(TaskId task, std::string_view name) override;
    Outcome addInputChannel(TaskId task, std::string_view physicalChannels, int32 terminalConfig,
                            double min, double max, int32 units) override;
    Outcome addOutputChannel(TaskId task, std::string_view physicalChannels, double min, double max,
                             int32 units) override;
    Outcome configureSampleClock(TaskId task, std::string_view source, double rate,
                                 int32 activeEdge, int32 sampleMode,
                                 uInt64 samplesPerChannel) override;
    Outcome start(TaskId task) override;
    Outcome acquiredPerChannel(TaskId task, uInt64* total) override;
    Outcome read(TaskId task, const ReadRequest& request, int32* samplesPerChannelRead) override;
    Outcome write(TaskId task, const WriteRequest& request,
                  int32* samplesPerChannelWritten) override;
    Outcome writeScalar(TaskId task, bool autoStart, double timeout, double value) override;
    Outcome stop(TaskId task) override;
    Outcome clear(TaskId task) override;

  private:
    struct InputChannel {
        int physical;
        Quantiser quantiser;
        SignalGenerator generator;
    };
    struct OutputChannel {
        int physical;
        double min;
        double max;
    };
    enum class Kind { Empty, Input, Output };
    struct Task {
        std::string name;
        Kind kind = Kind::Empty;
        std::vector<InputChannel> inputs;
        std::vector<OutputChannel> outputs;
        bool clocked = false;
        double rate = 0.0;
        uInt64 bufferSize = 0;  // samples per channel
        bool running = false;
        bool started = false;  // has run since it was created
        double startTime = 0.0;
        uInt64 acquiredAtStop = 0;
        uInt64 readPosition = 0;
        // Output: the waveform of each channel, or the on-demand values waiting for a start.
        std::vector<std::shared_ptr<const std::vector<double>>> waveforms;
        std::vector<double> pendingLevels;
    };

    double now() const { return clock_().seconds(); }
    Outcome findTask(TaskId id, Task** task);
    uInt64 acquired(const Task& task) const;
    Outcome startTask(Task& task);
    void stopTask(Task& task);
    Outcome checkOutputValues(const Task& task, const double* values, std::size_t count,
                              bool groupByScan, std::size_t perChannel) const;
    void holdLevels(const Task& task, const std::vector<double>& levels);
    void forgetOldOutput();
    Outcome waitForSamples(Task& task, uInt64 needed, double timeout);

    BoardConfig config_;
    ClockSource clock_;
    OutputHistory outputs_;
    std::map<TaskId, Task> tasks_;
};

std::unique_ptr<SimulatedBoard> makeSimulatedBoard(const BoardConfig& config);

// Installs a simulated board built from `config`, with its faults, in place of the current
// back end. A fault that cannot be injected leaves the current board as it was: the result
// is then negative and *error says why.
int32 installSimulatedBoard(const BoardConfig& config, std::string* error = nullptr);
// Back to the default board: default seed, ranges and signals, no faults, no tasks.
void resetSimulatedBoard();

}  // namespace trelvanix::driver
