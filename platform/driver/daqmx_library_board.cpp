#include "platform/driver/daqmx_library_board.h"

#include <string>
#include <vector>

#include "platform/driver/board_tasks.h"

namespace trelvanix::driver {

using namespace daqmx_library;

namespace {

constexpr std::uint32_t kErrorTextSize = 2048;

std::int32_t terminalConfigValue(TerminalConfig config) {
    switch (config) {
        case TerminalConfig::ReferencedSingleEnded:
            return kRse;
        case TerminalConfig::NonReferencedSingleEnded:
            return kNrse;
        case TerminalConfig::Differential:
            return kDiff;
        case TerminalConfig::Default:
            break;
    }
    return kCfgDefault;
}

}  // namespace

namespace daqmx_library {

bool resolveFunctions(const SharedLibrary& library, Functions* f, std::string* missing) {
    missing->clear();
    resolve(library, "DAQmxGetDevAIVoltageRngs", &f->getDevAIVoltageRngs, missing);
    resolve(library, "DAQmxCreateTask", &f->createTask, missing);
    resolve(library, "DAQmxCreateAIVoltageChan", &f->createAIVoltageChan, missing);
    resolve(library, "DAQmxCreateAOVoltageChan", &f->createAOVoltageChan, missing);
    resolve(library, "DAQmxCfgSampClkTiming", &f->cfgSampClkTiming, missing);
    resolve(library, "DAQmxStartTask", &f->startTask, missing);
    resolve(library, "DAQmxGetReadTotalSampPerChanAcquired", &f->getReadTotalSampPerChanAcquired,
            missing);
    resolve(library, "DAQmxReadAnalogF64", &f->readAnalogF64, missing);
    resolve(library, "DAQmxWriteAnalogF64", &f->writeAnalogF64, missing);
    resolve(library, "DAQmxWriteAnalogScalarF64", &f->writeAnalogScalarF64, missing);
    resolve(library, "DAQmxStopTask", &f->stopTask, missing);
    resolve(library, "DAQmxClearTask", &f->clearTask, missing);
    resolve(library, "DAQmxGetExtendedErrorInfo", &f->getExtendedErrorInfo, missing);
    return missing->empty();
}

}  // namespace daqmx_library

std::unique_ptr<DaqmxLibraryBoard> DaqmxLibraryBoard::open(const std::string& path,
                                                           std::string* error) {
    std::string why;
    std::unique_ptr<SharedLibrary> library = SharedLibrary::open(path, &why);
    if (!library) {
        if (error) *error = path + ": the driver library cannot be loaded: " + why;
        return nullptr;
    }
    Functions functions;
    std::string missing;
    // A library without one of the functions would fail mid-run: it is not used at all.
    if (!resolveFunctions(*library, &functions, &missing)) {
        if (error)
            *error = path + ": the driver library lacks " +
                     (missing.find(',') == std::string::npos ? "the function " : "the functions ") +
                     missing;
        return nullptr;
    }
    return std::unique_ptr<DaqmxLibraryBoard>(new DaqmxLibraryBoard(std::move(library), functions));
}

DaqmxLibraryBoard::DaqmxLibraryBoard(std::unique_ptr<SharedLibrary> library,
                                     const Functions& functions)
    : library_(std::move(library)), call_(functions) {}

DaqmxLibraryBoard::~DaqmxLibraryBoard() {
    // Tasks left behind would hold the board's resources after the library is gone.
    for (const auto& [id, handle] : tasks_) {
        call_.stopTask(handle);
        call_.clearTask(handle);
    }
}

Outcome DaqmxLibraryBoard::outcomeOf(std::int32_t status) const {
    if (status >= 0) return {status, {}};
    std::vector<char> text(kErrorTextSize, '\0');
    if (call_.getExtendedErrorInfo(text.data(), kErrorTextSize) < 0) text[0] = '\0';
    text.back() = '\0';
    std::string cause = text.data();
    if (cause.empty()) cause = "the driver library gave no error text";
    return Outcome::failure(status, std::move(cause));
}

Outcome DaqmxLibraryBoard::handleOf(TaskId task, VendorTask* handle) const {
    const auto found = tasks_.find(task);
    // Set on failure too, so that no caller can use an unset handle.
    *handle = found == tasks_.end() ? nullptr : found->second;
    if (found == tasks_.end()) return task_checks::unknownTask(task);
    return Outcome::success();
}

Outcome DaqmxLibraryBoard::inputRanges(std::string_view device, std::vector<RangePair>* ranges) {
    const std::string name(device);
    ranges->clear();
    // Asked with no room, the library answers with the number of values it has.
    const std::int32_t needed = call_.getDevAIVoltageRngs(name.c_str(), nullptr, 0);
    if (needed < 0) return outcomeOf(needed);
    std::vector<double> values(static_cast<std::size_t>(needed));
    if (needed > 0) {
        const std::int32_t status = call_.getDevAIVoltageRngs(
            name.c_str(), values.data(), static_cast<std::uint32_t>(values.size()));
        if (status < 0) return outcomeOf(status);
    }
    for (std::size_t i = 0; i + 1 < values.size(); i += 2)
        ranges->push_back({values[i], values[i + 1]});
    return Outcome::success();
}

Outcome DaqmxLibraryBoard::createTask(TaskId task, std::string_view name) {
    VendorTask handle = nullptr;
    const std::string text(name);
    const std::int32_t status = call_.createTask(text.c_str(), &handle);
    if (status < 0) return outcomeOf(status);
    tasks_[task] = handle;
    return outcomeOf(status);
}

Outcome DaqmxLibraryBoard::addInputChannel(TaskId task, std::string_view physicalChannels,
                                           TerminalConfig terminalConfig, double min, double max) {
    VendorTask handle;
    if (Outcome bad = handleOf(task, &handle); bad.failed()) return bad;
    const std::string channels(physicalChannels);
    return outcomeOf(call_.createAIVoltageChan(handle, channels.c_str(), "",
                                               terminalConfigValue(terminalConfig), min, max,
                                               kVolts, nullptr));
}

Outcome DaqmxLibraryBoard::addOutputChannel(TaskId task, std::string_view physicalChannels,
                                            double min, double max) {
    VendorTask handle;
    if (Outcome bad = handleOf(task, &handle); bad.failed()) return bad;
    const std::string channels(physicalChannels);
    return outcomeOf(
        call_.createAOVoltageChan(handle, channels.c_str(), "", min, max, kVolts, nullptr));
}

Outcome DaqmxLibraryBoard::configureSampleClock(TaskId task, std::string_view source, double rate,
                                                ClockEdge activeEdge,
                                                std::uint64_t samplesPerChannel) {
    VendorTask handle;
    if (Outcome bad = handleOf(task, &handle); bad.failed()) return bad;
    const std::string clock(source);
    return outcomeOf(call_.cfgSampClkTiming(handle, clock.c_str(), rate,
                                            activeEdge == ClockEdge::Rising ? kRising : kFalling,
                                            kContinuousSamples, samplesPerChannel));
}

Outcome DaqmxLibraryBoard::start(TaskId task) {
    VendorTask handle;
    if (Outcome bad = handleOf(task, &handle); bad.failed()) return bad;
    return outcomeOf(call_.startTask(handle));
}

Outcome DaqmxLibraryBoard::acquiredPerChannel(TaskId task, std::uint64_t* total) {
    VendorTask handle;
    if (Outcome bad = handleOf(task, &handle); bad.failed()) return bad;
    return outcomeOf(call_.getReadTotalSampPerChanAcquired(handle, total));
}

Outcome DaqmxLibraryBoard::read(TaskId task, const ReadRequest& request,
                                std::int32_t* samplesRead) {
    *samplesRead = 0;
    VendorTask handle;
    if (Outcome bad = handleOf(task, &handle); bad.failed()) return bad;
    return outcomeOf(call_.readAnalogF64(handle, request.samplesPerChannel, request.timeout,
                                         request.groupByScan ? kGroupByScanNumber : kGroupByChannel,
                                         request.data, request.capacity, samplesRead, nullptr));
}

Outcome DaqmxLibraryBoard::write(TaskId task, const WriteRequest& request,
                                 std::int32_t* samplesWritten) {
    *samplesWritten = 0;
    VendorTask handle;
    if (Outcome bad = handleOf(task, &handle); bad.failed()) return bad;
    return outcomeOf(call_.writeAnalogF64(
        handle, request.samplesPerChannel, request.autoStart ? 1 : 0, request.timeout,
        request.groupByScan ? kGroupByScanNumber : kGroupByChannel, request.data, samplesWritten,
        nullptr));
}

Outcome DaqmxLibraryBoard::writeScalar(TaskId task, bool autoStart, double timeout, double value) {
    VendorTask handle;
    if (Outcome bad = handleOf(task, &handle); bad.failed()) return bad;
    return outcomeOf(
        call_.writeAnalogScalarF64(handle, autoStart ? 1 : 0, timeout, value, nullptr));
}

Outcome DaqmxLibraryBoard::stop(TaskId task) {
    VendorTask handle;
    if (Outcome bad = handleOf(task, &handle); bad.failed()) return bad;
    return outcomeOf(call_.stopTask(handle));
}

Outcome DaqmxLibraryBoard::clear(TaskId task) {
    VendorTask handle;
    if (Outcome bad = handleOf(task, &handle); bad.failed()) return bad;
    // The handle is gone whatever the library answers.
    tasks_.erase(task);
    return outcomeOf(call_.clearTask(handle));
}

namespace {

std::unique_ptr<DriverBackend> makeFromSettings(const BoardSettings& settings, std::string* error) {
    return DaqmxLibraryBoard::open(settings.driverLibrary, error);
}

}  // namespace

extern const BackendEntry kDaqmxLibraryBackend = {
    "daqmx",          false,   true,   "a real board through the vendor's DAQmx driver library",
    makeFromSettings, nullptr, nullptr};

}  // namespace trelvanix::driver
