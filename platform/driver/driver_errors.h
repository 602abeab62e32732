#pragma once
// The driver's published error numbers that this layer reports.

#include "platform/driver/daqmx.h"

namespace trelvanix::driver {

constexpr int32 kErrorInvalidAttributeValue = -200077;  // a value out of range or unsupported
constexpr int32 kErrorInvalidTask = -200088;            // no such task
constexpr int32 kErrorDuplicateTask = -200089;          // task name already in use
constexpr int32 kErrorPhysicalChanDoesNotExist = -200170;
constexpr int32 kErrorInvalidDeviceId = -200220;
constexpr int32 kErrorReadBufferTooSmall = -200229;
constexpr int32 kErrorSamplesNoLongerAvailable = -200279;  // the buffer was overwritten
constexpr int32 kErrorSamplesNotYetAvailable = -200284;    // read timed out
constexpr int32 kErrorGenerationBufferEmpty = -200462;
constexpr int32 kErrorChanTypeMismatch = -200473;  // read or write on the wrong kind of task
constexpr int32 kErrorNoChannelsInTask = -200478;
constexpr int32 kErrorAODataOutOfRange = -200561;  // output value beyond the channel's limits

// Not a driver status: a board file that cannot be read or is not valid.
constexpr int32 kErrorBoardFileInvalid = -1;

}  // namespace trelvanix::driver
