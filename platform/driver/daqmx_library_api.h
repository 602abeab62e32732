#pragma once
// The C functions of the vendor's DAQmx driver library that the program calls, written from
// the published C API under names of our own (the vendor's header is not needed): the
// vendor's int32 is std::int32_t, uInt32 std::uint32_t, uInt64 std::uint64_t, float64
// double, bool32 std::uint32_t, and a TaskHandle is a void*.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/driver/shared_library.h"

// The published library uses the standard calling convention on 32-bit Windows.
#if defined(_WIN32) && !defined(_WIN64)
#define TRELVANIX_DAQMX_CALL __stdcall
#else
#define TRELVANIX_DAQMX_CALL
#endif

namespace trelvanix::driver::daqmx_library {

using VendorTask = void*;
using VendorBool = std::uint32_t;

// The published constants the program passes.
constexpr std::int32_t kCfgDefault = -1;
constexpr std::int32_t kRse = 10083;
constexpr std::int32_t kNrse = 10078;
constexpr std::int32_t kDiff = 10106;
constexpr std::int32_t kVolts = 10348;
constexpr std::int32_t kRising = 10280;
constexpr std::int32_t kFalling = 10171;
constexpr std::int32_t kContinuousSamples = 10123;
constexpr VendorBool kGroupByChannel = 0;
constexpr VendorBool kGroupByScanNumber = 1;

extern "C" {
using GetDevAIVoltageRngs = std::int32_t(TRELVANIX_DAQMX_CALL*)(const char* device, double* data,
                                                                std::uint32_t arraySizeInElements);
using CreateTask = std::int32_t(TRELVANIX_DAQMX_CALL*)(const char* taskName, VendorTask* task);
using CreateAIVoltageChan = std::int32_t(TRELVANIX_DAQMX_CALL*)(
    VendorTask task, const char* physicalChannel, const char* nameToAssignToChannel,
    std::int32_t terminalConfig, double minVal, double maxVal, std::int32_t units,
    const char* customScaleName);
using CreateAOVoltageChan = std::int32_t(TRELVANIX_DAQMX_CALL*)(
    VendorTask task, const char* physicalChannel, const char* nameToAssignToChannel, double minVal,
    double maxVal, std::int32_t units, const char* customScaleName);
using CfgSampClkTiming = std::int32_t(TRELVANIX_DAQMX_CALL*)(VendorTask task, const char* source,
                                                             double rate, std::int32_t activeEdge,
                                                             std::int32_t sampleMode,
                                                             std::uint64_t sampsPerChan);
using TaskControl = std::int32_t(TRELVANIX_DAQMX_CALL*)(VendorTask task);
using GetReadTotalSampPerChanAcquired = std::int32_t(TRELVANIX_DAQMX_CALL*)(VendorTask task,
                                                                            std::uint64_t* data);
using ReadAnalogF64 = std::int32_t(TRELVANIX_DAQMX_CALL*)(
    VendorTask task, std::int32_t numSampsPerChan, double timeout, VendorBool fillMode,
    double* readArray, std::uint32_t arraySizeInSamps, std::int32_t* sampsPerChanRead,
    VendorBool* reserved);
using WriteAnalogF64 = std::int32_t(TRELVANIX_DAQMX_CALL*)(
    VendorTask task, std::int32_t numSampsPerChan, VendorBool autoStart, double timeout,
    VendorBool dataLayout, const double* writeArray, std::int32_t* sampsPerChanWritten,
    VendorBool* reserved);
using WriteAnalogScalarF64 = std::int32_t(TRELVANIX_DAQMX_CALL*)(VendorTask task,
                                                                 VendorBool autoStart,
                                                                 double timeout, double value,
                                                                 VendorBool* reserved);
using GetExtendedErrorInfo = std::int32_t(TRELVANIX_DAQMX_CALL*)(char* errorString,
                                                                 std::uint32_t bufferSize);
}

// Every function the program calls, resolved from one loaded library.
struct Functions {
    GetDevAIVoltageRngs getDevAIVoltageRngs = nullptr;
    CreateTask createTask = nullptr;
    CreateAIVoltageChan createAIVoltageChan = nullptr;
    CreateAOVoltageChan createAOVoltageChan = nullptr;
    CfgSampClkTiming cfgSampClkTiming = nullptr;
    TaskControl startTask = nullptr;
    GetReadTotalSampPerChanAcquired getReadTotalSampPerChanAcquired = nullptr;
    ReadAnalogF64 readAnalogF64 = nullptr;
    WriteAnalogF64 writeAnalogF64 = nullptr;
    WriteAnalogScalarF64 writeAnalogScalarF64 = nullptr;
    TaskControl stopTask = nullptr;
    TaskControl clearTask = nullptr;
    GetExtendedErrorInfo getExtendedErrorInfo = nullptr;
};

// Looks up every function in `library`. Returns false, with the names of the functions it
// lacks in *missing ("DAQmxStartTask, DAQmxStopTask"), unless all are there.
bool resolveFunctions(const SharedLibrary& library, Functions* functions, std::string* missing);

}  // namespace trelvanix::driver::daqmx_library
