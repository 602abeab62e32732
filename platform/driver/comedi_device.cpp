#include "platform/driver/comedi_device.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "platform/driver/board_tasks.h"
#include "platform/driver/driver_errors.h"

namespace trelvanix::driver {

using namespace comedi_library;
using task_checks::number;

namespace {

// The rate a command may run at, off the rate asked for: a recording names its rate, so a
// board that can only come near it is refused rather than mislabelled.
constexpr double kRateTolerance = 1e-3;
constexpr int kComedisOwnErrors = 0x1000;      // COMEDI_NOERROR: Comedi's numbers start here
constexpr int kComediBufferOverflow = 0x1005;  // EBUF_OVR
constexpr int kCommandTestAttempts = 4;

// What comedi_command_test's answer says is wrong with a command.
const char* commandTestVerdict(int verdict) {
    switch (verdict) {
        case 1:
            return "it cannot use the trigger sources";
        case 2:
            return "it cannot combine the trigger sources";
        case 3:
        case 4:
            return "it cannot use the timing";
        default:
            return "it cannot scan the channels in this order on these ranges";
    }
}

}  // namespace

namespace comedi_library {

bool resolveFunctions(const SharedLibrary& library, Functions* f, std::string* missing) {
    missing->clear();
    resolve(library, "comedi_open", &f->open, missing);
    resolve(library, "comedi_close", &f->close, missing);
    resolve(library, "comedi_errno", &f->errorNumber, missing);
    resolve(library, "comedi_strerror", &f->errorText, missing);
    resolve(library, "comedi_fileno", &f->fileno, missing);
    resolve(library, "comedi_set_global_oor_behavior", &f->setGlobalOorBehavior, missing);
    resolve(library, "comedi_find_subdevice_by_type", &f->findSubdeviceByType, missing);
    resolve(library, "comedi_get_subdevice_flags", &f->getSubdeviceFlags, missing);
    resolve(library, "comedi_get_n_channels", &f->getNChannels, missing);
    resolve(library, "comedi_get_n_ranges", &f->getNRanges, missing);
    resolve(library, "comedi_get_range", &f->getRange, missing);
    resolve(library, "comedi_get_maxdata", &f->getMaxdata, missing);
    resolve(library, "comedi_set_read_subdevice", &f->setReadSubdevice, missing);
    resolve(library, "comedi_set_write_subdevice", &f->setWriteSubdevice, missing);
    resolve(library, "comedi_get_cmd_generic_timed", &f->getCmdGenericTimed, missing);
    resolve(library, "comedi_command_test", &f->commandTest, missing);
    resolve(library, "comedi_command", &f->command, missing);
    resolve(library, "comedi_cancel", &f->cancel, missing);
    resolve(library, "comedi_get_buffer_contents", &f->getBufferContents, missing);
    resolve(library, "comedi_internal_trigger", &f->internalTrigger, missing);
    resolve(library, "comedi_data_write", &f->dataWrite, missing);
    resolve(library, "comedi_to_phys", &f->toPhys, missing);
    resolve(library, "comedi_from_phys", &f->fromPhys, missing);

    Functions calibration;
    resolve(library, "comedi_get_default_calibration_path", &calibration.getDefaultCalibrationPath,
            nullptr);
    resolve(library, "comedi_parse_calibration_file", &calibration.parseCalibrationFile, nullptr);
    resolve(library, "comedi_cleanup_calibration", &calibration.cleanupCalibration, nullptr);
    resolve(library, "comedi_get_softcal_converter", &calibration.getSoftcalConverter, nullptr);
    resolve(library, "comedi_get_hardcal_converter", &calibration.getHardcalConverter, nullptr);
    resolve(library, "comedi_to_physical", &calibration.toPhysical, nullptr);
    resolve(library, "comedi_from_physical", &calibration.fromPhysical, nullptr);
    if (calibration.getDefaultCalibrationPath && calibration.parseCalibrationFile &&
        calibration.cleanupCalibration && calibration.getSoftcalConverter &&
        calibration.getHardcalConverter && calibration.toPhysical && calibration.fromPhysical) {
        f->getDefaultCalibrationPath = calibration.getDefaultCalibrationPath;
        f->parseCalibrationFile = calibration.parseCalibrationFile;
        f->cleanupCalibration = calibration.cleanupCalibration;
        f->getSoftcalConverter = calibration.getSoftcalConverter;
        f->getHardcalConverter = calibration.getHardcalConverter;
        f->toPhysical = calibration.toPhysical;
        f->fromPhysical = calibration.fromPhysical;
    }
    return missing->empty();
}

}  // namespace comedi_library

Status statusOfComediError(int error) {
    switch (error) {
        case EPIPE:
        case kComediBufferOverflow:
            return kErrorSamplesNoLongerAvailable;
        case ETIMEDOUT:
            return kErrorSamplesNotYetAvailable;
        case EBUSY:
            return kErrorResourceReserved;
        case EINVAL:
        case ERANGE:
            return kErrorInvalidAttributeValue;
    }
    return error > kComedisOwnErrors ? kErrorInvalidAttributeValue : kErrorDeviceCannotBeAccessed;
}

double SampleConverter::toVolts(RawSample sample) const {
    return calibrated_ ? call_->toPhysical(sample, &polynomial_)
                       : call_->toPhys(sample, range_, maxdata_);
}

RawSample SampleConverter::fromVolts(double volts) const {
    const RawSample sample = calibrated_ ? call_->fromPhysical(volts, &polynomial_)
                                         : call_->fromPhys(volts, range_, maxdata_);
    return std::min(sample, maxdata_);
}

std::unique_ptr<ComediDevice> ComediDevice::open(const std::string& libraryPath,
                                                 const std::string& deviceFile,
                                                 std::string* error) {
    std::string why;
    std::unique_ptr<SharedLibrary> library = SharedLibrary::open(libraryPath, &why);
    if (!library) {
        *error = libraryPath +
                 ": the Comedi library cannot be loaded (it comes with the package "
                 "libcomedi0): " +
                 why;
        return nullptr;
    }
    Functions call;
    std::string missing;
    // A library without one of the functions would fail mid-run: it is not used at all.
    if (!resolveFunctions(*library, &call, &missing)) {
        *error = libraryPath + ": the Comedi library lacks " +
                 (missing.find(',') == std::string::npos ? "the function " : "the functions ") +
                 missing;
        return nullptr;
    }
    std::unique_ptr<ComediDevice> board(new ComediDevice(std::move(library), call));
    // A sample at either end of its range is a number of volts, not "not a number".
    call.setGlobalOorBehavior(kOutOfRangeAsNumber);
    board->device_ = call.open(deviceFile.c_str());
    if (!board->device_) {
        const int reason = call.errorNumber();
        *error = deviceFile + ": the Comedi device cannot be opened: " + call.errorText(reason);
        if (reason == EACCES)
            *error += " (the user needs read and write access to it: see the README)";
        return nullptr;
    }
    const int input = call.findSubdeviceByType(board->device_, kSubdeviceAnalogInput, 0);
    if (input < 0) {
        *error = deviceFile + ": the board has no analog-input subdevice";
        return nullptr;
    }
    board->input_ = static_cast<unsigned int>(input);
    board->output_ = call.findSubdeviceByType(board->device_, kSubdeviceAnalogOutput, 0);
    // The streams wait with poll, so a read or write never blocks.
    const int fd = call.fileno(board->device_);
    if (fd < 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) < 0) {
        *error = deviceFile + ": the Comedi device file cannot be read without waiting";
        return nullptr;
    }
    board->loadCalibration();
    return board;
}

ComediDevice::~ComediDevice() {
    if (calibration_) call_.cleanupCalibration(calibration_);
    if (device_) call_.close(device_);
}

void ComediDevice::loadCalibration() {
    if (!call_.toPhysical) return;
    const auto soft = [&](int subdevice) {
        if (subdevice < 0) return false;
        const int flags = call_.getSubdeviceFlags(device_, static_cast<unsigned int>(subdevice));
        return flags >= 0 && (flags & kFlagSoftCalibrated) != 0;
    };
    if (!soft(static_cast<int>(input_)) && !soft(output_)) return;
    // Without the file comedi_soft_calibrate writes, samples convert by the nominal ranges.
    if (char* path = call_.getDefaultCalibrationPath(device_)) {
        calibration_ = call_.parseCalibrationFile(path);
        std::free(path);
    }
}

int ComediDevice::channelCount(unsigned int subdevice) const {
    return std::max(call_.getNChannels(device_, subdevice), 0);
}

Outcome ComediDevice::ranges(unsigned int subdevice, unsigned int channel,
                             std::vector<ComediRange>* ranges) const {
    ranges->clear();
    const int count = call_.getNRanges(device_, subdevice, channel);
    const std::string what = "the ranges of channel " + std::to_string(channel) + " cannot be read";
    if (count < 0) return failure(what);
    for (int i = 0; i < count; ++i) {
        const Range* range = call_.getRange(device_, subdevice, channel, static_cast<unsigned>(i));
        if (!range) return failure(what);
        if (range->unit == kUnitVolt)
            ranges->push_back({static_cast<unsigned int>(i), {range->min, range->max}});
    }
    return Outcome::success();
}

SampleConverter ComediDevice::converter(unsigned int subdevice, unsigned int channel,
                                        unsigned int range, bool toVolts) const {
    SampleConverter converter(&call_, call_.getRange(device_, subdevice, channel, range),
                              call_.getMaxdata(device_, subdevice, channel));
    if (!call_.toPhysical) return converter;
    const int flags = call_.getSubdeviceFlags(device_, subdevice);
    const int direction = toVolts ? kToPhysical : kFromPhysical;
    Polynomial polynomial{};
    int got = -1;
    if (flags >= 0 && (flags & kFlagSoftCalibrated) != 0) {
        if (calibration_)
            got = call_.getSoftcalConverter(subdevice, channel, range, direction, calibration_,
                                            &polynomial);
    } else {
        got = call_.getHardcalConverter(device_, subdevice, channel, range, direction, &polynomial);
    }
    if (got == 0) converter.useCalibration(polynomial);
    return converter;
}

std::size_t ComediDevice::sampleBytes(unsigned int subdevice) const {
    const int flags = call_.getSubdeviceFlags(device_, subdevice);
    return flags >= 0 && (flags & kFlagLongSamples) != 0 ? 4 : 2;
}

int ComediDevice::fileDescriptor() const {
    return call_.fileno(device_);
}

Outcome ComediDevice::startCommand(unsigned int subdevice, std::vector<unsigned int>& chanlist,
                                   double rate, bool output, const std::string& what,
                                   bool* waitsForTrigger) {
    *waitsForTrigger = false;
    const auto channels = static_cast<unsigned int>(chanlist.size());
    const double period = 1e9 / rate;
    if (!(period >= 1.0 && period < 4e9))
        return Outcome::failure(kErrorInvalidAttributeValue,
                                what + ": a rate of " + number(rate) + " S/s cannot be timed");
    Command command{};
    if (call_.getCmdGenericTimed(device_, subdevice, &command, channels,
                                 static_cast<unsigned int>(std::lround(period))) < 0)
        return failure(what + ": the board offers no timed command");
    command.chanlist = chanlist.data();
    command.chanlist_len = channels;
    command.scan_end_arg = channels;
    command.stop_src = kTriggerNone;
    command.stop_arg = 0;
    if (output) {
        command.flags |= kCommandWrite;
        command.start_src = kTriggerInternal;
        command.start_arg = 0;
    }
    // The test adjusts what the board cannot do; a few rounds settle a sound command.
    int verdict = 0;
    for (int attempt = 0; attempt < kCommandTestAttempts; ++attempt) {
        verdict = call_.commandTest(device_, &command);
        if (verdict <= 0) break;
        // A board without an internal trigger starts its output with the command itself.
        if (output && command.start_src == 0) command.start_src = kTriggerNow;
    }
    if (verdict < 0) return failure(what + ": the board refuses the command");
    if (verdict > 0)
        return Outcome::failure(kErrorInvalidAttributeValue, what +
                                                                 ": the board refuses the "
                                                                 "command: " +
                                                                 commandTestVerdict(verdict));
    const double actualPeriod = command.scan_begin_src == kTriggerTimer
                                    ? double(command.scan_begin_arg)
                                    : double(command.convert_arg) * channels;
    const double actual = actualPeriod > 0 ? 1e9 / actualPeriod : 0.0;
    if (!(std::abs(actual - rate) <= kRateTolerance * rate))
        return Outcome::failure(kErrorInvalidAttributeValue,
                                what + ": the board cannot run at " + number(rate) +
                                    " S/s; the nearest rate it offers is " + number(actual) +
                                    " S/s");
    const auto makeStreaming = output ? call_.setWriteSubdevice : call_.setReadSubdevice;
    if (makeStreaming(device_, subdevice) < 0)
        return failure(what + ": subdevice " + std::to_string(subdevice) +
                       " cannot be made the device file's streaming " +
                       (output ? "output" : "input"));
    if (call_.command(device_, &command) < 0) return failure(what + " cannot start");
    *waitsForTrigger = command.start_src == kTriggerInternal;
    return Outcome::success();
}

Outcome ComediDevice::triggerInternally(unsigned int subdevice, const std::string& what) {
    if (call_.internalTrigger(device_, subdevice, 0) < 0) return failure(what + " cannot start");
    return Outcome::success();
}

Outcome ComediDevice::cancel(unsigned int subdevice, const std::string& what) {
    if (call_.cancel(device_, subdevice) < 0) return failure(what + " cannot be stopped");
    return Outcome::success();
}

Outcome ComediDevice::writeSample(unsigned int subdevice, unsigned int channel, unsigned int range,
                                  RawSample sample, const std::string& what) {
    if (call_.dataWrite(device_, subdevice, channel, range, kAnalogRefGround, sample) < 0)
        return failure(what);
    return Outcome::success();
}

int ComediDevice::streamError(unsigned int subdevice) const {
    return call_.getBufferContents(device_, subdevice) < 0 ? call_.errorNumber() : 0;
}

Outcome ComediDevice::failure(const std::string& what) const {
    return failure(what, call_.errorNumber());
}

Outcome ComediDevice::failure(const std::string& what, int error) const {
    const char* text = call_.errorText(error);
    return Outcome::failure(
        statusOfComediError(error),
        what + " (Comedi: " + (text && *text ? text : "error " + std::to_string(error)) + ")");
}

}  // namespace trelvanix::driver
