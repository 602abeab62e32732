// Fuzz target: any bytes as a .vnx file, read as the readers read it (header, then samples).

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "recording/vnx_reader.h"

namespace vnx = trelvanix::vnx;

namespace {

// The file the inputs are written to, removed when the fuzzer ends.
struct ScratchFile {
    std::string path = "/tmp/trelvanix_fuzz_" + std::to_string(::getpid()) + ".vnx";
    ~ScratchFile() { std::remove(path.c_str()); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    // In memory, as a file of exactly these bytes.
    const auto parsed = vnx::parseHeader(data, size, size, &error);
    if (!parsed) return 0;
    for (const vnx::ChannelInfo& channel : parsed->channel) vnx::userValue(channel, -32768);

    // A readable header is read again through a file, as vnxinfo reads one: the header, then
    // the first samples. (Files cost time; most inputs stop at the header in memory.)
    static const ScratchFile scratch;
    const std::string& path = scratch.path;
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    if (const auto info = vnx::readHeader(path, &error)) {
        std::vector<std::int16_t> values;
        vnx::readScans(path, *info, 0, std::min<std::int64_t>(info->scans(), 64), &values, &error);
    }
    return 0;
}
