#pragma once
// The built-in simulated board "Dev1": a back end like any other, flagged as simulated,
// given the program clock and a seed. Its sample clocks are read off the program clock
// (samples acquired = floor(elapsed x rate)), so it never drifts and runs as fast as the
// simulated clock lets it. As a real board does, it keeps its signals going between
// acquisitions, refuses a task whose resources a running task holds (one input timing
// engine, one output timing engine, each output channel), and refuses input sampling faster
// in all than its maximum aggregate rate.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/driver/backend_registry.h"
#include "platform/driver/board_config.h"
#include "platform/driver/board_tasks.h"
#include "platform/driver/driver_backend.h"
#include "platform/driver/output_history.h"
#include "platform/driver/quantiser.h"
#include "platform/driver/signal_generator.h"

namespace trelvanix::driver {

constexpr const char* kSimulatedDevice = "Dev1";

// The simulated board's tasks: their channels, start time and waveforms.
namespace simulated_tasks {
struct InputChannel {
    int physical;
    Quantiser quantiser;
};
struct OutputChannel {
    int physical;
    double min;
    double max;
};
struct Task : TaskState {
    std::vector<InputChannel> inputs;
    std::vector<OutputChannel> outputs;
    bool started = false;  // has run since it was created
    double startTime = 0.0;
    std::uint64_t readPosition = 0;  // samples per channel read since the start
    // Output: the waveform of each channel (the on-demand values wait in pendingLevels).
    std::vector<std::shared_ptr<const std::vector<double>>> waveforms;
};
}  // namespace simulated_tasks

class SimulatedBoard final : public TaskKeepingBoard<simulated_tasks::Task> {
  public:
    using ClockSource = Clock& (*)();
    explicit SimulatedBoard(BoardConfig config, ClockSource clock = &programClock);

    Outcome inputRanges(std::string_view device, std::vector<RangePair>* ranges) override;
    Outcome createTask(TaskId task, std::string_view name) override;
    Outcome addInputChannel(TaskId task, std::string_view physicalChannels,
                            TerminalConfig terminalConfig, double min, double max) override;
    Outcome addOutputChannel(TaskId task, std::string_view physicalChannels, double min,
                             double max) override;
    Outcome configureSampleClock(TaskId task, std::string_view source, double rate,
                                 ClockEdge activeEdge, std::uint64_t samplesPerChannel) override;
    Outcome acquiredPerChannel(TaskId task, std::uint64_t* total) override;
    Outcome read(TaskId task, const ReadRequest& request,
                 std::int32_t* samplesPerChannelRead) override;
    Outcome write(TaskId task, const WriteRequest& request,
                  std::int32_t* samplesPerChannelWritten) override;

  private:
    using Task = simulated_tasks::Task;
    using InputChannel = simulated_tasks::InputChannel;
    using OutputChannel = simulated_tasks::OutputChannel;

    double now() const { return clock_().seconds(); }
    std::uint64_t acquired(const Task& task) const;
    Outcome startTask(Task& task) override;
    Outcome stopTask(Task& task) override;
    std::size_t channelCount(const Task& task) const override;
    // Refuses `task` the resources a running task holds.
    Outcome reserve(const Task& task) const;
    // Refuses input sampling at `rate` on the task's channels beyond the aggregate rate.
    Outcome checkAggregateRate(const Task& task, double rate) const;
    Outcome checkOutputValues(const Task& task, const double* values, std::size_t count,
                              bool groupByScan, std::size_t perChannel) const;
    void holdLevels(const Task& task, const std::vector<double>& levels);
    void forgetOldOutput();
    Outcome waitForSamples(Task& task, std::uint64_t needed, double timeout);

    BoardConfig config_;
    ClockSource clock_;
    OutputHistory outputs_;
    std::vector<SignalGenerator> generators_;  // by physical input, running on across tasks
    // One channel's samples of a read, in order, before they go to the caller's array: each
    // channel is generated and quantised in one contiguous pass.
    std::vector<double> channelSamples_;
    // The converter of each input range, made when a channel first uses the range: making
    // one checks every code of the range once.
    std::vector<std::optional<Quantiser>> quantisers_;
};

std::unique_ptr<SimulatedBoard> makeSimulatedBoard(const BoardConfig& config);

// Installs a simulated board built from `config`, with its faults, in place of the current
// back end. A fault that cannot be injected leaves the current board as it was: the result
// is then negative and *error says why.
std::int32_t installSimulatedBoard(const BoardConfig& config, std::string* error = nullptr);
// The registration of the simulated board: back end "simulated", the default.
extern const BackendEntry kSimulatedBoardBackend;

// Back to the default board: default seed, ranges and signals, no faults, no tasks.
void resetSimulatedBoard();

}  // namespace trelvanix::driver
