#pragma once
// The byte layout of a .vnx data file: a header of whole 1024-byte blocks (a fixed table of
// 56 little-endian int32 words, the comment, labels, units, scale factors, the optional
// stimulus section and the filter section, padded with 0xFF) followed by int16 samples
// interleaved by scan. Pure functions, shared by the writer and the reader.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trelvanix::vnx {

constexpr int kBlockSize = 1024;
constexpr int kTableWords = 56;
constexpr int kTableBytes = 4 * kTableWords;
constexpr int kMaxChannels = 8;
constexpr int kUnitSlotBytes = 3;
constexpr int kUnitsBytes = kMaxChannels * kUnitSlotBytes;
constexpr int kScaleBytes = 4 * kMaxChannels;
constexpr int kFilterWordsPerChannel = 5;
constexpr int kVersion = 807;
// Counts per volt of a +-5 V range: 2^16 / 10.
constexpr double kCountsPerVolt = 65536.0 / 10.0;
// The comment as a whole and each label line are limited to this many bytes.
constexpr int kMaxTextBytes = 199;
// The cell waveform holds this many values; later values of the stimulus section are 0.
constexpr int kCellWaveformValues = 1000;

// Words of the fixed table.
enum Word : int {
    kHeaderBlocks = 0,
    kVersionWord = 2,
    kChannelCount = 3,
    kScanRate = 4,
    kSampleCount = 5,
    kYear = 8,
    kMonth = 9,
    kDay = 10,
    kHour = 11,
    kMinute = 12,
    kSecond = 13,
    kFirstGain = 14,
    kCommentLength = 23,
    kFirstLabelLength = 24,
    kUnitsPresent = 32,
    kStimulusPresent = 33,
    kFiltersPresent = 34,
    kUnitsPosition = 44,
    kStimulusPosition = 45,
    kFiltersPosition = 46,
};

using FixedTable = std::array<std::int32_t, kTableWords>;

// trunc(x) to 64 bits, low 32 (or 16) bits kept: values outside the field wrap.
std::int32_t truncWord(double x);
std::int16_t truncShort(double x);
// ceiling(x), then as truncWord.
std::int32_t ceilWord(double x);

void putInt32(std::string& bytes, std::int32_t value);
void putInt16(std::string& bytes, std::int16_t value);
std::int32_t getInt32(const unsigned char* bytes);
std::int16_t getInt16(const unsigned char* bytes);

// The stimulus settings a recorded stimulus is described by (names as in the program).
struct StimulusSettings {
    int waveform = -1;
    double conversion = 0, interburst = 0, baseline = 0, interbaseline = 0;
    int preTime = 0, postTime = 0, numBurst = 0, numRepeats = 0, duration = 0;
    double pulseDur[5] = {}, pulseAmp[5] = {}, rampDur[5] = {}, rampAmp[5] = {};
    double wfAmp = 0, frequency = 0, dur = 0;
    // The cell waveform (kind 2): values 0..999 in volts, 1001..1003 its header values.
    std::vector<double> cell;
};

// The int32 values of the stimulus section, by kind.
std::vector<std::int32_t> stimulusValues(const StimulusSettings& stimulus);
// Number of int32 values the section holds for a stimulus kind.
int stimulusValueCount(int waveform);

struct ChannelHeader {
    double boardGain = 1.0;
    std::string label;         // the first line of the channel's label box (may be empty)
    std::string unit;          // at most 3 bytes are stored
    double scaleFactor = 1.0;  // volts per user unit
    int filterType = 0, windowType = 2, windowSize = 55;
    double flp = 500.0, fhp = 500.0;
};

struct HeaderContent {
    int scanRate = 0;
    std::int32_t plannedSamples = -1;  // word 5 at creation
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::vector<std::string> commentLines;
    std::vector<ChannelHeader> channels;  // 1..8
    std::optional<StimulusSettings> stimulus;
};

struct EncodedHeader {
    FixedTable table{};
    std::string bytes;  // the whole header, a multiple of 1024 bytes
};

// The comment as stored: each line followed by a line feed, as many whole lines as fit in
// kMaxTextBytes (a first line longer than that alone is cut to fit).
std::string commentBytes(const std::vector<std::string>& lines);
// A label as stored: cut to kMaxTextBytes.
std::string labelBytes(const std::string& label);

EncodedHeader encodeHeader(const HeaderContent& content);
// The filter section of the first `count` channels: five int32 each.
std::string filterSection(const std::vector<ChannelHeader>& channels, int count);
// The 224 bytes of a fixed table.
std::string tableBytes(const FixedTable& table);

}  // namespace trelvanix::vnx
