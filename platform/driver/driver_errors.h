#pragma once
// The driver's published error numbers that this layer reports.

#include <cstdint>

namespace trelvanix::driver {

constexpr std::int32_t kErrorResourceReserved = -50103;  // another task holds the resource
constexpr std::int32_t kErrorInvalidAttributeValue =
    -200077;                                           // a value out of range or unsupported
constexpr std::int32_t kErrorInvalidTask = -200088;    // no such task
constexpr std::int32_t kErrorDuplicateTask = -200089;  // task name already in use
constexpr std::int32_t kErrorPhysicalChanDoesNotExist = -200170;
constexpr std::int32_t kErrorInvalidDeviceId = -200220;
constexpr std::int32_t kErrorReadBufferTooSmall = -200229;
constexpr std::int32_t kErrorSamplesNoLongerAvailable = -200279;  // the buffer was overwritten
constexpr std::int32_t kErrorSamplesNotYetAvailable = -200284;    // read timed out
constexpr std::int32_t kErrorGenerationBufferEmpty = -200462;
constexpr std::int32_t kErrorChanAlreadyInTask = -200489;  // a channel given twice
constexpr std::int32_t kErrorChanTypeMismatch = -200473;  // read or write on the wrong kind of task
constexpr std::int32_t kErrorNoChannelsInTask = -200478;
constexpr std::int32_t kErrorAODataOutOfRange =
    -200561;  // output value beyond the channel's limits
constexpr std::int32_t kErrorDeviceCannotBeAccessed = -201003;  // gone, unpowered or unreachable

// Not a driver status: a board file or a board choice that cannot be used.
constexpr std::int32_t kErrorBoardFileInvalid = -1;

}  // namespace trelvanix::driver
