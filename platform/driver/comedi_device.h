#pragma once
// One Comedi device file opened through libcomedi loaded at run time: its analog-input and
// analog-output subdevices, their ranges, the conversion of samples to and from volts, the
// streaming commands, and Comedi's own error text.

#include <memory>
#include <string>
#include <vector>

#include "platform/driver/comedi_library_api.h"
#include "platform/driver/driver_backend.h"
#include "platform/driver/shared_library.h"

namespace trelvanix::driver {

// A range of one channel: Comedi's index and its limits in volts.
struct ComediRange {
    unsigned int index = 0;
    RangePair limits;
};

// Converts the samples of one channel on one range, with the board's calibration polynomial
// where it has one, else with the range's nominal limits.
class SampleConverter {
  public:
    SampleConverter() = default;
    SampleConverter(const comedi_library::Functions* call, comedi_library::Range* range,
                    comedi_library::RawSample maxdata)
        : call_(call), range_(range), maxdata_(maxdata) {}
    void useCalibration(const comedi_library::Polynomial& polynomial) {
        polynomial_ = polynomial;
        calibrated_ = true;
    }
    double toVolts(comedi_library::RawSample sample) const;
    comedi_library::RawSample fromVolts(double volts) const;

  private:
    const comedi_library::Functions* call_ = nullptr;
    comedi_library::Range* range_ = nullptr;  // valid while the device is open
    comedi_library::RawSample maxdata_ = 0;
    comedi_library::Polynomial polynomial_{};
    bool calibrated_ = false;
};

class ComediDevice {
  public:
    // Loads the library at `libraryPath`, opens `deviceFile` and finds its analog-input
    // subdevice; returns null with *error naming what is missing when it cannot.
    static std::unique_ptr<ComediDevice> open(const std::string& libraryPath,
                                              const std::string& deviceFile, std::string* error);
    ~ComediDevice();
    ComediDevice(const ComediDevice&) = delete;
    ComediDevice& operator=(const ComediDevice&) = delete;

    unsigned int inputSubdevice() const { return input_; }
    // -1 when the board has no analog outputs.
    int outputSubdevice() const { return output_; }
    int channelCount(unsigned int subdevice) const;
    // The ranges of a channel in volts, in the board's order (ranges in other units left out).
    Outcome ranges(unsigned int subdevice, unsigned int channel,
                   std::vector<ComediRange>* ranges) const;
    SampleConverter converter(unsigned int subdevice, unsigned int channel, unsigned int range,
                              bool toVolts) const;
    // Bytes of one sample of a subdevice's streaming command.
    std::size_t sampleBytes(unsigned int subdevice) const;
    int fileDescriptor() const;

    // Starts a continuous command on `subdevice` over `chanlist` at `rate` scans per second,
    // the subdevice made the device file's streaming input or output. An output command
    // waits for triggerInternally() where the board allows (*waitsForTrigger), so that its
    // buffer can be filled first. `what` names the command in messages.
    Outcome startCommand(unsigned int subdevice, std::vector<unsigned int>& chanlist, double rate,
                         bool output, const std::string& what, bool* waitsForTrigger);
    Outcome triggerInternally(unsigned int subdevice, const std::string& what);
    Outcome cancel(unsigned int subdevice, const std::string& what);
    Outcome writeSample(unsigned int subdevice, unsigned int channel, unsigned int range,
                        comedi_library::RawSample sample, const std::string& what);
    // Why a subdevice's stream ended: Comedi's error number, or 0 when it reports none.
    int streamError(unsigned int subdevice) const;

    // A failure of `what`, with the status and the text of Comedi's last error.
    Outcome failure(const std::string& what) const;
    // A failure of `what` with the system error number `error` (as read and write give it).
    Outcome failure(const std::string& what, int error) const;

  private:
    ComediDevice(std::unique_ptr<SharedLibrary> library, const comedi_library::Functions& call)
        : library_(std::move(library)), call_(call) {}
    void loadCalibration();

    std::unique_ptr<SharedLibrary> library_;
    comedi_library::Functions call_;
    comedi_library::Device* device_ = nullptr;
    comedi_library::Calibration* calibration_ = nullptr;
    unsigned int input_ = 0;
    int output_ = -1;
};

// The driver status for a Comedi or system error number.
Status statusOfComediError(int error);

}  // namespace trelvanix::driver
