#pragma once
// A real board through Comedi, the kernel's open data-acquisition drivers, reached through
// libcomedi loaded at run time: back end "comedi". "Dev1" is the device file's board: its
// first analog-input subdevice gives aiN, its first analog-output subdevice aoN. An input
// task is a continuous command read from the device file; a clocked output task a
// continuous command fed its waveform over and over; an on-demand output a single write.
// A waveform that stops, however it stops, leaves its outputs at 0 V.

#include <memory>
#include <string>
#include <vector>

#include "platform/driver/backend_registry.h"
#include "platform/driver/board_tasks.h"
#include "platform/driver/comedi_device.h"
#include "platform/driver/comedi_streams.h"
#include "platform/driver/driver_backend.h"

namespace trelvanix::driver {

constexpr const char* kComediLibrary = "libcomedi.so.0";
constexpr const char* kComediDeviceFile = "/dev/comedi0";

// The Comedi board's tasks: their channels, channel list and streams.
namespace comedi_tasks {
struct Channel {
    unsigned int physical = 0;
    unsigned int range = 0;  // Comedi's index
    unsigned int aref = 0;
    double min = 0.0, max = 0.0;  // the limits the task asked for, in volts
    RangePair limits;             // the range's
    SampleConverter converter;
};
struct Task : TaskState {
    std::vector<Channel> channels;
    std::unique_ptr<InputStream> input;
    std::vector<std::uint8_t> waveform;  // raw samples of one period, by scan
    std::unique_ptr<OutputStream> output;
};
}  // namespace comedi_tasks

class ComediBoard final : public TaskKeepingBoard<comedi_tasks::Task> {
  public:
    explicit ComediBoard(std::unique_ptr<ComediDevice> device) : device_(std::move(device)) {}
    ~ComediBoard() override;

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
    using Channel = comedi_tasks::Channel;
    using Task = comedi_tasks::Task;

    // Refuses `task` the subdevice a running task holds.
    Outcome reserve(const Task& task) const;
    Outcome startTask(Task& task) override;
    Outcome startInput(Task& task);
    Outcome startOutput(Task& task);
    Outcome stopTask(Task& task) override;
    std::size_t channelCount(const Task& task) const override { return task.channels.size(); }
    Outcome setLevels(Task& task, const std::vector<double>& levels);
    Outcome checkValue(const Channel& channel, double volts) const;
    // A waveform whose stream failed is stopped, its outputs at 0 V, and reported.
    Outcome checkOutputs();
    // Why the input stream of `task` ended.
    Outcome endOfInput(const Task& task, const InputStream::State& state) const;
    void convertScans(const Task& task, const std::vector<std::uint8_t>& bytes,
                      const ReadRequest& request) const;

    std::unique_ptr<ComediDevice> device_;
};

// The registration: back end "comedi", a real board, libcomedi loaded from the system unless
// a driver library is named, the device file /dev/comedi0 unless a board file names another.
extern const BackendEntry kComediBackend;

}  // namespace trelvanix::driver
