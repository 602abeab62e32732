#pragma once
// The one small table of operations every board back end provides. The DAQmx operations
// validate handles, apply injected faults and keep the error text; a back end does the rest.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/driver/daqmx.h"

namespace trelvanix::driver {

// Tasks are numbered by the operation layer; numbers are never reused, so a stale handle
// can never reach another task.
using TaskId = std::uint64_t;

// What a back end reports: a status, and on error the cause for the extended error text.
struct Outcome {
    int32 status = 0;
    std::string cause;

    static Outcome success() { return {}; }
    static Outcome failure(int32 status, std::string cause) { return {status, std::move(cause)}; }
    bool failed() const { return status < 0; }
};

struct RangePair {
    double low = 0.0;
    double high = 0.0;
    bool operator==(const RangePair&) const = default;
};

struct ReadRequest {
    int32 samplesPerChannel = 0;  // DAQmx_Val_Auto: whatever is available now
    double timeout = 10.0;        // seconds; negative waits for ever
    bool groupByScan = true;
    float64* data = nullptr;
    uInt32 capacity = 0;  // in samples
};

struct WriteRequest {
    int32 samplesPerChannel = 0;
    bool autoStart = false;
    double timeout = 10.0;
    bool groupByScan = false;
    const float64* data = nullptr;
};

class DriverBackend {
  public:
    virtual ~DriverBackend() = default;
    virtual bool isSimulated() const = 0;

    virtual Outcome inputRanges(std::string_view device, std::vector<RangePair>* ranges) = 0;
    virtual Outcome createTask(TaskId task, std::string_view name) = 0;
    virtual Outcome addInputChannel(TaskId task, std::string_view physicalChannels,
                                    int32 terminalConfig, double min, double max, int32 units) = 0;
    virtual Outcome addOutputChannel(TaskId task, std::string_view physicalChannels, double min,
                                     double max, int32 units) = 0;
    virtual Outcome configureSampleClock(TaskId task, std::string_view source, double rate,
                                         int32 activeEdge, int32 sampleMode,
                                         uInt64 samplesPerChannel) = 0;
    virtual Outcome start(TaskId task) = 0;
    virtual Outcome acquiredPerChannel(TaskId task, uInt64* total) = 0;
    virtual Outcome read(TaskId task, const ReadRequest& request, int32* samplesPerChannelRead) = 0;
    virtual Outcome write(TaskId task, const WriteRequest& request,
                          int32* samplesPerChannelWritten) = 0;
    virtual Outcome writeScalar(TaskId task, bool autoStart, double timeout, double value) = 0;
    virtual Outcome stop(TaskId task) = 0;
    virtual Outcome clear(TaskId task) = 0;
};

// The back end the operations use; the default simulated board until another is installed.
DriverBackend& driverBackend();
// Replaces the back end; its predecessor's tasks are gone with it. Also forgets the last error.
void installDriverBackend(std::unique_ptr<DriverBackend> backend);

}  // namespace trelvanix::driver
