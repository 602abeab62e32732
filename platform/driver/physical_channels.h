#pragma once
// Physical channel lists as the driver writes them: "Dev1/ai0", "Dev1/ai0:3",
// "Dev1/ai0, Dev1/ai5" or "Dev1/ai0,ai5" (a name without a device keeps the previous one).

#include <string>
#include <string_view>
#include <vector>

#include "platform/driver/driver_backend.h"

namespace trelvanix::driver {

// The channel numbers named in `list`, in order, for a device called `device` (compared
// without regard to case) whose channels of kind `kind` ("ai", "ao") number 0..count-1.
// Fails with the invalid-device or no-such-channel error.
Outcome parsePhysicalChannels(std::string_view list, std::string_view device, std::string_view kind,
                              int count, std::vector<int>* channels);

bool sameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace trelvanix::driver
