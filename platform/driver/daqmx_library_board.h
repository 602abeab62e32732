#pragma once
// A real board through the vendor's DAQmx driver library, opened at run time: back end
// "daqmx". Every operation is forwarded to the library's C function of the same name, with
// the library's own extended error text on failure; the program's task numbers are mapped to
// the library's task handles.

#include <map>
#include <memory>
#include <string>

#include "platform/driver/backend_registry.h"
#include "platform/driver/daqmx_library_api.h"
#include "platform/driver/driver_backend.h"
#include "platform/driver/shared_library.h"

namespace trelvanix::driver {

class DaqmxLibraryBoard final : public DriverBackend {
  public:
    // Loads the library at `path` and resolves every function the program calls; returns null
    // with *error naming the file and what is wrong (the system's reason, or each missing
    // function) when it cannot.
    static std::unique_ptr<DaqmxLibraryBoard> open(const std::string& path, std::string* error);
    ~DaqmxLibraryBoard() override;

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
    DaqmxLibraryBoard(std::unique_ptr<SharedLibrary> library,
                      const daqmx_library::Functions& functions);
    // The status as an outcome; on an error, with the library's extended error text.
    Outcome outcomeOf(std::int32_t status) const;
    Outcome handleOf(TaskId task, daqmx_library::VendorTask* handle) const;

    std::unique_ptr<SharedLibrary> library_;
    daqmx_library::Functions call_;
    std::map<TaskId, daqmx_library::VendorTask> tasks_;
};

// The registration: back end "daqmx", a real board, made from a driver library.
extern const BackendEntry kDaqmxLibraryBackend;

}  // namespace trelvanix::driver
