// Fuzz target: any text as the panel resource file.

#include <cstdint>
#include <string_view>

#include "platform/ui/resource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trelvanix::ui::parseResource(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
