#pragma once
// A real board through Comedi, the kernel's open data-acquisition drivers, reached through
// libcomedi loaded at run time: back end "comedi". "Dev1" is the device file's board: its
// first analog-input subdevice gives aiN, its first analog-output subdevice aoN. An input
// task is a continuous command read from the device file; a clocked output task a
// continuous command fed its waveform over and over; an on-demand output a single write.
// A waveform that stops, however it stops, leaves its outputs at 0 V.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/driver/backend_registry.h"
#include "platform/driver/comedi_device.h"
#include "platform/driver/comedi_streams.h"
#include "platform/driver/driver_backend.h"

namespace trelvanix::driver {

constexpr const char* kComediLibrary = "libcomedi.so.0";
constexpr const char* kComediDeviceFile = "/dev/comedi0";

class ComediBoard final : public DriverBackend {
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
    Outcome start(TaskId task) override;
    Outcome acquiredPerChannel(TaskId task, std::uint64_t* total) override;
    Outcome read(TaskId task, const ReadRequest& request,
                 std::int32_t* samplesPerChannelRead) override;
    Outcome write(TaskId task, const WriteRequest& request,
                  std::int32_t* samplesPerChannelWritten) override;
    Outcome writeScalar(TaskId task, bool autoStart, double timeout, double value) override;
    Outcome stop(TaskId task) override;
    Outcome clear(TaskId task) override;

  private:
    struct Channel {
        unsigned int physical = 0;
        unsigned int range = 0;  // Comedi's index
        unsigned int aref = 0;
        double min = 0.0, max = 0.0;  // the limits the task asked for, in volts
        RangePair limits;             // the range's
        SampleConverter converter;
    };
    enum class Kind { Empty, Input, Output };
    struct Task {
        std::string name;
        Kind kind = Kind::Empty;
        std::vector<Channel> channels;
        std::vector<unsigned int> chanlist;
        bool clocked = false;
        double rate = 0.0;
        std::uint64_t bufferSize = 0;  // scans
        bool running = false;
        std::unique_ptr<InputStream> input;
        std::uint64_t readPosition = 0;  // scans taken since the start
        std::uint64_t acquiredAtStop = 0;
        std::vector<std::uint8_t> waveform;  // raw samples of one period, by scan
        std::vector<double> pendingLevels;   // on-demand values waiting for the start
        std::unique_ptr<OutputStream> output;
    };

    Outcome findTask(TaskId id, Task** task);
    std::string subdeviceName(const Task& task) const;
    // Refuses `task` the subdevice a running task holds.
    Outcome reserve(const Task& task) const;
    Outcome startTask(Task& task);
    Outcome startInput(Task& task);
    Outcome startOutput(Task& task);
    Outcome stopTask(Task& task);
    Outcome setLevels(Task& task, const std::vector<double>& levels);
    Outcome checkValue(const Channel& channel, double volts) const;
    // A waveform whose stream failed is stopped, its outputs at 0 V, and reported.
    Outcome checkOutputs();
    // Why the input stream of `task` ended.
    Outcome endOfInput(const Task& task, const InputStream::State& state) const;
    void convertScans(const Task& task, const std::vector<std::uint8_t>& bytes,
                      const ReadRequest& request) const;

    std::unique_ptr<ComediDevice> device_;
    std::map<TaskId, Task> tasks_;
};

// The registration: back end "comedi", a real board, libcomedi loaded from the system unless
// a driver library is named, the device file /dev/comedi0 unless a board file names another.
extern const BackendEntry kComediBackend;

}  // namespace trelvanix::driver
