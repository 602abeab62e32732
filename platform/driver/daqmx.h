#pragma once
// The data-acquisition driver operations under their published names, types and constants.
// Each call goes to the installed back end (the simulated board unless another is installed).
// Every operation returns a status: negative is an error whose text
// DAQmxGetExtendedErrorInfo then gives; zero or positive is success.

#include <cstdint>

typedef std::int32_t int32;
typedef std::uint32_t uInt32;
typedef std::uint64_t uInt64;
typedef double float64;
typedef std::uint32_t bool32;
// An opaque task reference; 0 never names a task.
typedef void* TaskHandle;

// Terminal configurations.
constexpr int32 DAQmx_Val_Cfg_Default = -1;
constexpr int32 DAQmx_Val_RSE = 10083;
constexpr int32 DAQmx_Val_NRSE = 10078;
constexpr int32 DAQmx_Val_Diff = 10106;
// Units.
constexpr int32 DAQmx_Val_Volts = 10348;
// Sample clock edges and modes.
constexpr int32 DAQmx_Val_Rising = 10280;
constexpr int32 DAQmx_Val_Falling = 10171;
constexpr int32 DAQmx_Val_ContSamps = 10123;
// Sample layout of reads and writes.
constexpr bool32 DAQmx_Val_GroupByChannel = 0;
constexpr bool32 DAQmx_Val_GroupByScanNumber = 1;
// Read sizes and timeouts.
constexpr int32 DAQmx_Val_Auto = -1;  // read every sample available now
constexpr float64 DAQmx_Val_WaitInfinitely = -1.0;

int32 DAQmxGetDevAIVoltageRngs(const char device[], float64* data, uInt32 arraySizeInElements);
int32 DAQmxCreateTask(const char taskName[], TaskHandle* taskHandle);
int32 DAQmxCreateAIVoltageChan(TaskHandle taskHandle, const char physicalChannel[],
                               const char nameToAssignToChannel[], int32 terminalConfig,
                               float64 minVal, float64 maxVal, int32 units,
                               const char customScaleName[]);
int32 DAQmxCreateAOVoltageChan(TaskHandle taskHandle, const char physicalChannel[],
                               const char nameToAssignToChannel[], float64 minVal, float64 maxVal,
                               int32 units, const char customScaleName[]);
int32 DAQmxCfgSampClkTiming(TaskHandle taskHandle, const char source[], float64 rate,
                            int32 activeEdge, int32 sampleMode, uInt64 sampsPerChanToAcquire);
int32 DAQmxStartTask(TaskHandle taskHandle);
int32 DAQmxGetReadTotalSampPerChanAcquired(TaskHandle taskHandle, uInt64* data);
int32 DAQmxReadAnalogF64(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout,
                         bool32 fillMode, float64 readArray[], uInt32 arraySizeInSamps,
                         int32* sampsPerChanRead, bool32* reserved);
int32 DAQmxWriteAnalogF64(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart,
                          float64 timeout, bool32 dataLayout, const float64 writeArray[],
                          int32* sampsPerChanWritten, bool32* reserved);
int32 DAQmxWriteAnalogScalarF64(TaskHandle taskHandle, bool32 autoStart, float64 timeout,
                                float64 value, bool32* reserved);
int32 DAQmxStopTask(TaskHandle taskHandle);
int32 DAQmxClearTask(TaskHandle taskHandle);
// Copies the last error's text; with a zero size (or no buffer) returns the size it needs.
int32 DAQmxGetExtendedErrorInfo(char errorString[], uInt32 bufferSize);
