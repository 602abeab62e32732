#pragma once
// The one small table of operations every board back end provides. The DAQmx operations
// validate handles, apply injected faults, convert the driver's constants and keep the error
// text; a back end does the rest. The table has types and names of its own, none of which a
// vendor's driver header declares, so a back end's source may include that header.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace trelvanix::driver {

// Tasks are numbered by the operation layer; numbers are never reused, so a stale handle
// can never reach another task.
using TaskId = std::uint64_t;
// A driver status: negative is an error, zero success, positive a warning.
using Status = std::int32_t;

// What a back end reports: a status, and on error the cause for the extended error text.
struct Outcome {
    Status status = 0;
    std::string cause;

    static Outcome success() { return {}; }
    static Outcome failure(Status status, std::string cause) { return {status, std::move(cause)}; }
    bool failed() const { return status < 0; }
};

struct RangePair {
    double low = 0.0;
    double high = 0.0;
    bool operator==(const RangePair&) const = default;
};

enum class TerminalConfig {
    Default,
    ReferencedSingleEnded,
    NonReferencedSingleEnded,
    Differential
};
enum class ClockEdge { Rising, Falling };

// A read size meaning every sample acquired and not yet read.
constexpr std::int32_t kReadAllAvailable = -1;

struct ReadRequest {
    std::int32_t samplesPerChannel = 0;  // or kReadAllAvailable
    double timeout = 10.0;               // seconds; negative waits for ever
    bool groupByScan = true;
    double* data = nullptr;
    std::uint32_t capacity = 0;  // in samples
};

struct WriteRequest {
    std::int32_t samplesPerChannel = 0;
    bool autoStart = false;
    double timeout = 10.0;
    bool groupByScan = false;
    const double* data = nullptr;
};

// Channels are voltage channels in volts; sample clocks sample continuously.
class DriverBackend {
  public:
    virtual ~DriverBackend() = default;

    virtual Outcome inputRanges(std::string_view device, std::vector<RangePair>* ranges) = 0;
    virtual Outcome createTask(TaskId task, std::string_view name) = 0;
    virtual Outcome addInputChannel(TaskId task, std::string_view physicalChannels,
                                    TerminalConfig terminalConfig, double min, double max) = 0;
    virtual Outcome addOutputChannel(TaskId task, std::string_view physicalChannels, double min,
                                     double max) = 0;
    virtual Outcome configureSampleClock(TaskId task, std::string_view source, double rate,
                                         ClockEdge activeEdge, std::uint64_t samplesPerChannel) = 0;
    virtual Outcome start(TaskId task) = 0;
    virtual Outcome acquiredPerChannel(TaskId task, std::uint64_t* total) = 0;
    virtual Outcome read(TaskId task, const ReadRequest& request,
                         std::int32_t* samplesPerChannelRead) = 0;
    virtual Outcome write(TaskId task, const WriteRequest& request,
                          std::int32_t* samplesPerChannelWritten) = 0;
    virtual Outcome writeScalar(TaskId task, bool autoStart, double timeout, double value) = 0;
    virtual Outcome stop(TaskId task) = 0;
    virtual Outcome clear(TaskId task) = 0;
};

}  // namespace trelvanix::driver
