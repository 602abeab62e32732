#pragma once
// The C types and functions of libcomedi (Comedi's user library) that the program calls,
// written from Comedi's published C API under names of our own, so that neither the library
// nor its header is needed to build. Comedi's lsampl_t is std::uint32_t, its sampl_t
// std::uint16_t; a comedi_t is opaque.

#include <cstdint>
#include <string>

#include "platform/driver/shared_library.h"

namespace trelvanix::driver::comedi_library {

struct Device;       // comedi_t
struct Calibration;  // comedi_calibration_t, used only through its pointer

using RawSample = std::uint32_t;  // lsampl_t

// comedi_range
struct Range {
    double min;
    double max;
    unsigned int unit;
};

// comedi_cmd
struct Command {
    unsigned int subdev;
    unsigned int flags;
    unsigned int start_src;
    unsigned int start_arg;
    unsigned int scan_begin_src;
    unsigned int scan_begin_arg;
    unsigned int convert_src;
    unsigned int convert_arg;
    unsigned int scan_end_src;
    unsigned int scan_end_arg;
    unsigned int stop_src;
    unsigned int stop_arg;
    unsigned int* chanlist;
    unsigned int chanlist_len;
    std::uint16_t* data;
    unsigned int data_len;
};

// comedi_polynomial_t: value = sum of coefficients[i] * (sample - expansion_origin)^i, i <= order.
struct Polynomial {
    double coefficients[4];
    double expansion_origin;
    unsigned int order;
};

// The published constants the program uses.
constexpr int kSubdeviceAnalogInput = 1;         // COMEDI_SUBD_AI
constexpr int kSubdeviceAnalogOutput = 2;        // COMEDI_SUBD_AO
constexpr unsigned int kAnalogRefGround = 0;     // AREF_GROUND
constexpr unsigned int kAnalogRefCommon = 1;     // AREF_COMMON
constexpr unsigned int kAnalogRefDiff = 2;       // AREF_DIFF
constexpr unsigned int kTriggerNone = 0x1;       // TRIG_NONE
constexpr unsigned int kTriggerNow = 0x2;        // TRIG_NOW
constexpr unsigned int kTriggerTimer = 0x10;     // TRIG_TIMER
constexpr unsigned int kTriggerInternal = 0x80;  // TRIG_INT
constexpr unsigned int kCommandWrite = 0x40;     // CMDF_WRITE
constexpr int kFlagSoftCalibrated = 0x2000;      // SDF_SOFT_CALIBRATED
constexpr int kFlagLongSamples = 0x10000000;     // SDF_LSAMPL
constexpr unsigned int kUnitVolt = 0;            // UNIT_volt
constexpr int kOutOfRangeAsNumber = 0;           // COMEDI_OOR_NUMBER
constexpr int kToPhysical = 0;                   // COMEDI_TO_PHYSICAL
constexpr int kFromPhysical = 1;                 // COMEDI_FROM_PHYSICAL

// CR_PACK: a channel, its range and its analog reference in one chanlist entry.
constexpr unsigned int packChannel(unsigned int channel, unsigned int range, unsigned int aref) {
    return ((aref & 0x3u) << 24) | ((range & 0xffu) << 16) | channel;
}

extern "C" {
using Open = Device* (*)(const char* filename);
using Close = int (*)(Device* device);
using Errno = int (*)();
using Strerror = const char* (*)(int errnum);
using Fileno = int (*)(Device* device);
using SetGlobalOorBehavior = int (*)(int behavior);
using FindSubdeviceByType = int (*)(Device* device, int type, unsigned int start);
using GetSubdeviceFlags = int (*)(Device* device, unsigned int subdevice);
using GetNChannels = int (*)(Device* device, unsigned int subdevice);
using GetNRanges = int (*)(Device* device, unsigned int subdevice, unsigned int channel);
using GetRange = Range* (*)(Device* device, unsigned int subdevice, unsigned int channel,
                            unsigned int range);
using GetMaxdata = RawSample (*)(Device* device, unsigned int subdevice, unsigned int channel);
using SetStreamSubdevice = int (*)(Device* device, unsigned int subdevice);
using GetCmdGenericTimed = int (*)(Device* device, unsigned int subdevice, Command* command,
                                   unsigned int chanlistLength, unsigned int scanPeriodNs);
using CommandCall = int (*)(Device* device, Command* command);
using SubdeviceCall = int (*)(Device* device, unsigned int subdevice);
using InternalTrigger = int (*)(Device* device, unsigned int subdevice, unsigned int trigger);
using DataWrite = int (*)(Device* device, unsigned int subdevice, unsigned int channel,
                          unsigned int range, unsigned int aref, RawSample data);
using ToPhys = double (*)(RawSample data, Range* range, RawSample maxdata);
using FromPhys = RawSample (*)(double data, Range* range, RawSample maxdata);
// The calibration functions (Comedi marks them as outside its stable ABI: optional here).
using GetDefaultCalibrationPath = char* (*)(Device* device);
using ParseCalibrationFile = Calibration* (*)(const char* path);
using CleanupCalibration = void (*)(Calibration* calibration);
using GetSoftcalConverter = int (*)(unsigned int subdevice, unsigned int channel,
                                    unsigned int range, int direction,
                                    const Calibration* calibration, Polynomial* converter);
using GetHardcalConverter = int (*)(Device* device, unsigned int subdevice, unsigned int channel,
                                    unsigned int range, int direction, Polynomial* converter);
using ToPhysical = double (*)(RawSample data, const Polynomial* converter);
using FromPhysical = RawSample (*)(double data, const Polynomial* converter);
}

// Every function the program calls, resolved from one loaded library.
struct Functions {
    Open open = nullptr;
    Close close = nullptr;
    Errno errorNumber = nullptr;
    Strerror errorText = nullptr;
    Fileno fileno = nullptr;
    SetGlobalOorBehavior setGlobalOorBehavior = nullptr;
    FindSubdeviceByType findSubdeviceByType = nullptr;
    GetSubdeviceFlags getSubdeviceFlags = nullptr;
    GetNChannels getNChannels = nullptr;
    GetNRanges getNRanges = nullptr;
    GetRange getRange = nullptr;
    GetMaxdata getMaxdata = nullptr;
    SetStreamSubdevice setReadSubdevice = nullptr;
    SetStreamSubdevice setWriteSubdevice = nullptr;
    GetCmdGenericTimed getCmdGenericTimed = nullptr;
    CommandCall commandTest = nullptr;
    CommandCall command = nullptr;
    SubdeviceCall cancel = nullptr;
    SubdeviceCall getBufferContents = nullptr;
    InternalTrigger internalTrigger = nullptr;
    DataWrite dataWrite = nullptr;
    ToPhys toPhys = nullptr;
    FromPhys fromPhys = nullptr;
    // Null together when the library lacks one of them; samples are then converted by the
    // ranges' nominal limits.
    GetDefaultCalibrationPath getDefaultCalibrationPath = nullptr;
    ParseCalibrationFile parseCalibrationFile = nullptr;
    CleanupCalibration cleanupCalibration = nullptr;
    GetSoftcalConverter getSoftcalConverter = nullptr;
    GetHardcalConverter getHardcalConverter = nullptr;
    ToPhysical toPhysical = nullptr;
    FromPhysical fromPhysical = nullptr;
};

// Looks up every function in `library`. Returns false, with the names of the required
// functions it lacks in *missing ("comedi_command, comedi_cancel"), unless all are there.
bool resolveFunctions(const SharedLibrary& library, Functions* functions, std::string* missing);

}  // namespace trelvanix::driver::comedi_library
