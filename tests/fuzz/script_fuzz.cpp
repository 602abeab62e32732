// Fuzz target: any text as an operator script.

#include <cstdint>
#include <string_view>

#include "platform/ui/script_runner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trelvanix::ui::parseScript(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz");
    return 0;
}
