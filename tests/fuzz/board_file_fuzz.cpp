// Fuzz target: any text as a board file.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/driver/board_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trelvanix::driver::BoardConfig config;
    std::string error;
    trelvanix::driver::parseBoardText(std::string_view(reinterpret_cast<const char*>(data), size),
                                      "fuzz", &config, &error);
    return 0;
}
