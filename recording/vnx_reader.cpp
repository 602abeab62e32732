#include "recording/vnx_reader.h"

#include <fstream>

namespace trelvanix::vnx {

namespace {

bool fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

// A byte range [offset, offset + length) that must lie inside the header.
bool inHeader(std::int64_t offset, std::int64_t length, std::int64_t headerBytes) {
    return offset >= 0 && length >= 0 && offset + length <= headerBytes;
}

bool parseStimulus(const unsigned char* bytes, std::int64_t start, std::int64_t end,
                   StimulusInfo* out, std::string* error) {
    if (end - start < 4) return fail(error, "malformed header: the stimulus section is empty");
    out->kind = getInt32(bytes + start);
    const std::int64_t count = stimulusValueCount(out->kind);
    const std::int64_t rest = end - start - 4 * count;
    if (rest < 0 || (out->kind == 2 ? rest % 2 != 0 : rest != 0))
        return fail(error, "malformed header: the stimulus section of kind " +
                               std::to_string(out->kind) + " has " + std::to_string(end - start) +
                               " bytes");
    for (std::int64_t k = 0; k < count; ++k) out->values.push_back(getInt32(bytes + start + 4 * k));
    for (std::int64_t k = 0; k < rest / 2; ++k)
        out->cellWaveform.push_back(getInt16(bytes + start + 4 * count + 2 * k));
    return true;
}

std::uint64_t sizeOf(std::ifstream& in) {
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::uint64_t>(in.tellg());
    in.seekg(0);
    return size;
}

}  // namespace

std::optional<FileInfo> parseHeader(const unsigned char* b, std::size_t size,
                                    std::uint64_t fileSize, std::string* error) {
    if (fileSize < kTableBytes || size < kTableBytes) {
        fail(error, "truncated: " + std::to_string(fileSize) +
                        " bytes, too short for the 224-byte header table");
        return std::nullopt;
    }
    FileInfo info;
    for (int w = 0; w < kTableWords; ++w) info.table[w] = getInt32(b + 4 * w);
    const FixedTable& t = info.table;
    info.headerBlocks = t[kHeaderBlocks];
    if (info.headerBlocks < 1 || info.headerBlocks > kMaxHeaderBlocks) {
        fail(error, "malformed header: a header of " + std::to_string(info.headerBlocks) +
                        " blocks (not a .vnx file?)");
        return std::nullopt;
    }
    const std::int64_t headerBytes = std::int64_t{info.headerBlocks} * kBlockSize;
    if (fileSize < std::uint64_t(headerBytes) || size < std::size_t(headerBytes)) {
        fail(error, "truncated: the header takes " + std::to_string(headerBytes) +
                        " bytes but the file has " + std::to_string(fileSize));
        return std::nullopt;
    }
    info.version = t[kVersionWord];
    info.channels = t[kChannelCount];
    info.scanRate = t[kScanRate];
    if (info.channels < 1 || info.channels > kMaxChannels) {
        fail(error, "malformed header: " + std::to_string(info.channels) + " channels");
        return std::nullopt;
    }
    if (info.scanRate <= 0) {
        fail(error, "malformed header: a sampling rate of " + std::to_string(info.scanRate));
        return std::nullopt;
    }
    info.declaredSamples = t[kSampleCount];
    info.year = t[kYear];
    info.month = t[kMonth];
    info.day = t[kDay];
    info.hour = t[kHour];
    info.minute = t[kMinute];
    info.second = t[kSecond];

    std::int64_t at = kTableBytes;
    const std::int64_t commentLength = t[kCommentLength];
    if (!inHeader(at, commentLength, headerBytes)) {
        fail(error, "malformed header: a comment of " + std::to_string(commentLength) + " bytes");
        return std::nullopt;
    }
    info.comment.assign(reinterpret_cast<const char*>(b + at), std::size_t(commentLength));
    at += commentLength;
    info.channel.resize(std::size_t(info.channels));
    for (int i = 0; i < info.channels; ++i) {
        const std::int64_t length = t[kFirstLabelLength + i];
        if (!inHeader(at, length, headerBytes)) {
            fail(error, "malformed header: a label of " + std::to_string(length) + " bytes");
            return std::nullopt;
        }
        info.channel[i].label.assign(reinterpret_cast<const char*>(b + at), std::size_t(length));
        at += length;
    }

    const std::int64_t units = std::int64_t{t[kUnitsPosition]} - 1;
    if (t[kUnitsPresent] != 1 || !inHeader(units, kUnitsBytes + kScaleBytes, headerBytes)) {
        fail(error, "malformed header: no units and scale-factor section");
        return std::nullopt;
    }
    for (int i = 0; i < info.channels; ++i) {
        ChannelInfo& c = info.channel[i];
        const char* slot = reinterpret_cast<const char*>(b + units + kUnitSlotBytes * i);
        std::size_t length = 0;
        while (length < kUnitSlotBytes && slot[length] != '\0') ++length;
        c.unit.assign(slot, length);
        c.scaleWord = getInt32(b + units + kUnitsBytes + 4 * i);
        c.scaleFactor = c.scaleWord / (kCountsPerVolt * 10000.0);
        c.gainWord = t[kFirstGain + i];
    }

    const std::int64_t filters = std::int64_t{t[kFiltersPosition]} - 1;
    if (t[kFiltersPresent] != 1 ||
        !inHeader(filters, 4 * kFilterWordsPerChannel * info.channels, headerBytes)) {
        fail(error, "malformed header: no filter section for " + std::to_string(info.channels) +
                        " channels");
        return std::nullopt;
    }
    for (int i = 0; i < info.channels; ++i) {
        const unsigned char* f = b + filters + 4 * kFilterWordsPerChannel * i;
        FilterInfo& filter = info.channel[i].filter;
        filter.type = getInt32(f);
        filter.lowHz = getInt32(f + 4) / (kCountsPerVolt * 100.0);
        filter.highHz = getInt32(f + 8) / (kCountsPerVolt * 100.0);
        filter.windowType = getInt32(f + 12);
        filter.windowSize = getInt32(f + 16);
    }

    if (t[kStimulusPresent] == 1) {
        const std::int64_t start = std::int64_t{t[kStimulusPosition]} - 1;
        if (!inHeader(start, filters - start, headerBytes)) {
            fail(error, "malformed header: the stimulus section is not before the filters");
            return std::nullopt;
        }
        StimulusInfo stimulus;
        if (!parseStimulus(b, start, filters, &stimulus, error)) return std::nullopt;
        info.stimulus = std::move(stimulus);
    }
    info.samples = static_cast<std::int64_t>((fileSize - std::uint64_t(headerBytes)) / 2);
    return info;
}

std::optional<FileInfo> readHeader(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fail(error, "cannot open " + path);
        return std::nullopt;
    }
    const std::uint64_t fileSize = sizeOf(in);
    std::vector<unsigned char> bytes(std::min<std::uint64_t>(fileSize, kTableBytes));
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    if (bytes.size() == kTableBytes) {
        // Read the whole header only once its size is known to be sane and inside the file.
        const std::int32_t blocks = getInt32(bytes.data());
        if (blocks >= 1 && blocks <= kMaxHeaderBlocks &&
            std::uint64_t(blocks) * kBlockSize <= fileSize) {
            bytes.resize(std::size_t(blocks) * kBlockSize);
            in.read(reinterpret_cast<char*>(bytes.data() + kTableBytes),
                    std::streamsize(bytes.size() - kTableBytes));
        }
    }
    if (!in) {
        fail(error, "cannot read " + path);
        return std::nullopt;
    }
    return parseHeader(bytes.data(), bytes.size(), fileSize, error);
}

bool readScans(const std::string& path, const FileInfo& info, std::int64_t first,
               std::int64_t count, std::vector<std::int16_t>* values, std::string* error) {
    if (first < 0 || count < 0 || first + count > info.scans())
        return fail(error, "scans " + std::to_string(first) + ".." + std::to_string(first + count) +
                               " are not in the file");
    std::ifstream in(path, std::ios::binary);
    const std::int64_t n = count * info.channels;
    std::vector<unsigned char> bytes(std::size_t(2 * n));
    in.seekg(std::streamoff(info.dataOffset() + std::uint64_t(2 * first * info.channels)));
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!in) return fail(error, "cannot read the samples of " + path);
    values->resize(std::size_t(n));
    for (std::int64_t k = 0; k < n; ++k) (*values)[k] = getInt16(bytes.data() + 2 * k);
    return true;
}

double boardGain(const ChannelInfo& channel) {
    return channel.gainWord > 0 ? channel.gainWord : 0.5;
}

double userValue(const ChannelInfo& channel, double counts) {
    const double volts = counts / (kCountsPerVolt * boardGain(channel));
    return channel.scaleFactor != 0.0 ? volts / channel.scaleFactor : volts;
}

}  // namespace trelvanix::vnx
