#pragma once
// Reading .vnx data files: the header with every section, checked against the file's size so
// that a truncated or malformed file gives a clear error rather than a wrong reading, and the
// samples scan by scan. Depends on nothing but the standard library.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "recording/vnx_format.h"

namespace trelvanix::vnx {

struct FilterInfo {
    std::int32_t type = 0;
    double lowHz = 0, highHz = 0;  // as stored: cut-offs of 3276.8 Hz and above wrap
    std::int32_t windowType = 0, windowSize = 0;
};

struct ChannelInfo {
    std::int32_t gainWord = 0;  // the board gain truncated to an integer (0 for +-10 V)
    std::string label, unit;
    std::int32_t scaleWord = 0;
    double scaleFactor = 1.0;  // volts per user unit
    FilterInfo filter;
};

struct StimulusInfo {
    std::int32_t kind = -1;
    std::vector<std::int32_t> values;        // the section's int32 values, kind first
    std::vector<std::int16_t> cellWaveform;  // kind 2 only, in counts
};

struct FileInfo {
    FixedTable table{};
    int headerBlocks = 0, version = 0, channels = 0, scanRate = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::int32_t declaredSamples = -1;  // word 5: -1 until a timed recording is finalised
    std::int64_t samples = 0;           // values the file really holds after its header
    std::string comment;
    std::vector<ChannelInfo> channel;
    std::optional<StimulusInfo> stimulus;

    std::uint64_t dataOffset() const { return std::uint64_t(headerBlocks) * kBlockSize; }
    std::int64_t scans() const { return channels > 0 ? samples / channels : 0; }
    // The header promises more samples than the file holds.
    bool truncated() const { return declaredSamples >= 0 && declaredSamples > samples; }
};

// Largest header accepted (64 MiB): anything claiming more is malformed.
constexpr int kMaxHeaderBlocks = 65536;

// Parses a header from the first `size` bytes of a file of `fileSize` bytes; `size` must cover
// the whole header (word 0 blocks). On failure returns nothing and says why in *error.
std::optional<FileInfo> parseHeader(const unsigned char* bytes, std::size_t size,
                                    std::uint64_t fileSize, std::string* error);
std::optional<FileInfo> readHeader(const std::string& path, std::string* error);
// Reads `count` scans from scan `first` (channel values interleaved) into *values.
bool readScans(const std::string& path, const FileInfo& info, std::int64_t first,
               std::int64_t count, std::vector<std::int16_t>* values, std::string* error);

// The board gain a channel was recorded with: the stored integer, or 0.5 when it is 0 (the
// +-10 V range, the only one whose gain is below 1).
double boardGain(const ChannelInfo& channel);
// Counts in the channel's user unit: volts = counts / (6553.6 x gain), then / scale factor
// (not when it is 0). Counts may be a sample or a difference, mean or slope of samples.
double userValue(const ChannelInfo& channel, double counts);

}  // namespace trelvanix::vnx
