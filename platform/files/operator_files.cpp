#include "platform/files/operator_files.h"

#include <filesystem>

namespace trelvanix::files {

namespace {

constexpr std::uintmax_t kMegabyte = 1 << 20;

struct KindLimit {
    const char* name;
    std::uintmax_t largest;
};

KindLimit limitOf(OperatorFile kind) {
    switch (kind) {
        case OperatorFile::Protocol:  // a million values of up to 31 characters and a blank
            return {"protocol file", 32 * kMegabyte};
        case OperatorFile::Waveform:  // 1006 numbers, one a line
            return {"waveform file", kMegabyte};
        case OperatorFile::Parameters:  // a few hundred keyed lines and one cell waveform
            return {"parameter file", 4 * kMegabyte};
        case OperatorFile::DriverLibrary:  // the vendor's library is some tens of MB
            return {"driver library", 512 * kMegabyte};
        case OperatorFile::Board:
            return {"board file", kMegabyte};
        case OperatorFile::Script:
            return {"script", kMegabyte};
    }
    return {"file", kMegabyte};
}

std::string sizeText(std::uintmax_t bytes) {
    return std::to_string(bytes / kMegabyte) + " MB";
}

}  // namespace

std::uintmax_t largestFile(OperatorFile kind) {
    return limitOf(kind).largest;
}

const char* kindName(OperatorFile kind) {
    return limitOf(kind).name;
}

std::string fileProblem(const std::string& path, OperatorFile kind) {
    const KindLimit limit = limitOf(kind);
    std::error_code ec;
    // The type of what the path names (a link's target), read without opening it.
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) return {};
    if (std::filesystem::is_directory(status))
        return std::string("it is a folder, not a ") + limit.name;
    if (!std::filesystem::is_regular_file(status))
        return std::string("it is a device or a pipe, not a ") + limit.name;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > limit.largest)
        return "it is larger than " + sizeText(limit.largest) + ", the most a " + limit.name +
               " can be";
    return {};
}

}  // namespace trelvanix::files
