#include "recording/vnx_format.h"

#include <algorithm>
#include <cmath>

namespace trelvanix::vnx {

namespace {

// Out-of-range and non-finite products wrap or become 0 rather than being undefined.
std::int64_t toInt64(double x) {
    if (!std::isfinite(x)) return 0;
    const double t = std::trunc(x);
    if (t >= 9.2e18 || t <= -9.2e18) return 0;
    return static_cast<std::int64_t>(t);
}

}  // namespace

std::int32_t truncWord(double x) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(toInt64(x)));
}

std::int16_t truncShort(double x) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(toInt64(x)));
}

std::int32_t ceilWord(double x) {
    return truncWord(std::ceil(x));
}

void putInt32(std::string& bytes, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(u >> shift));
}

void putInt16(std::string& bytes, std::int16_t value) {
    const auto u = static_cast<std::uint16_t>(value);
    bytes.push_back(static_cast<char>(u));
    bytes.push_back(static_cast<char>(u >> 8));
}

std::int32_t getInt32(const unsigned char* b) {
    return static_cast<std::int32_t>(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 |
                                     std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24);
}

std::int16_t getInt16(const unsigned char* b) {
    return static_cast<std::int16_t>(std::uint16_t(b[0] | b[1] << 8));
}

int stimulusValueCount(int waveform) {
    switch (waveform) {
        case 0:
        case 1:
            return 19;
        case 2:
            return 14;
        case 3:
        case 5:
            return 11;
        case 4:
            return 12;
        default:
            return 9;
    }
}

std::vector<std::int32_t> stimulusValues(const StimulusSettings& s) {
    auto cell = [&s](std::size_t k) { return k < s.cell.size() ? s.cell[k] : 0.0; };
    std::vector<std::int32_t> v = {
        s.waveform,           ceilWord(s.conversion),   ceilWord(1000.0 * s.preTime),
        ceilWord(s.postTime), ceilWord(s.interburst),   s.numBurst,
        ceilWord(s.baseline), ceilWord(s.interbaseline)};
    if (s.waveform != 4) v.push_back(s.numRepeats);
    switch (s.waveform) {
        case 0:
        case 1:
            for (int k = 0; k < 5; ++k) {
                v.push_back(ceilWord(s.waveform == 0 ? s.pulseDur[k] : s.rampDur[k]));
                v.push_back(ceilWord(s.waveform == 0 ? s.pulseAmp[k] : s.rampAmp[k]));
            }
            break;
        case 2:
            v.insert(v.end(), {ceilWord(s.wfAmp), s.duration, ceilWord(cell(1002)),
                               ceilWord(cell(1001)), ceilWord(cell(1003))});
            break;
        case 3:
        case 5:
            v.insert(v.end(), {ceilWord(s.wfAmp), s.duration});
            break;
        case 4:
            v.insert(v.end(),
                     {ceilWord(s.wfAmp), s.duration, ceilWord(s.frequency), ceilWord(s.dur)});
            break;
        default:
            break;
    }
    return v;
}

std::string commentBytes(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        if (text.size() + line.size() + 1 > kMaxTextBytes) {
            if (text.empty()) text = line.substr(0, kMaxTextBytes - 1) + '\n';
            break;
        }
        text += line + '\n';
    }
    return text;
}

std::string labelBytes(const std::string& label) {
    return label.substr(0, std::min<std::size_t>(label.size(), kMaxTextBytes));
}

std::string tableBytes(const FixedTable& table) {
    std::string bytes;
    bytes.reserve(kTableBytes);
    for (std::int32_t word : table) putInt32(bytes, word);
    return bytes;
}

std::string filterSection(const std::vector<ChannelHeader>& channels, int count) {
    std::string b;
    for (int i = 0; i < count && i < static_cast<int>(channels.size()); ++i) {
        const ChannelHeader& c = channels[i];
        putInt32(b, c.filterType);
        putInt32(b, truncWord(kCountsPerVolt * 100.0 * c.flp));
        putInt32(b, truncWord(kCountsPerVolt * 100.0 * c.fhp));
        putInt32(b, c.windowType);
        putInt32(b, c.windowSize);
    }
    return b;
}

EncodedHeader encodeHeader(const HeaderContent& content) {
    const int nch = static_cast<int>(std::min<std::size_t>(content.channels.size(), kMaxChannels));
    EncodedHeader out;
    FixedTable& t = out.table;
    t.fill(-1);
    t[0] = t[1] = 0;
    t[kVersionWord] = truncWord(100.0 * 8.07);
    t[kChannelCount] = nch;
    t[kScanRate] = content.scanRate;
    t[kSampleCount] = content.plannedSamples;
    t[kYear] = content.year;
    t[kMonth] = content.month;
    t[kDay] = content.day;
    t[kHour] = content.hour;
    t[kMinute] = content.minute;
    t[kSecond] = content.second;
    for (int i = 0; i < nch; ++i) t[kFirstGain + i] = truncWord(content.channels[i].boardGain);

    const std::string comment = commentBytes(content.commentLines);
    std::vector<std::string> labels;
    for (int i = 0; i < nch; ++i) labels.push_back(labelBytes(content.channels[i].label));

    std::int64_t length = kTableBytes + static_cast<std::int64_t>(comment.size());
    t[kCommentLength] = static_cast<std::int32_t>(comment.size());
    for (int i = 0; i < kMaxChannels; ++i) {
        t[kFirstLabelLength + i] = i < nch ? static_cast<std::int32_t>(labels[i].size()) : 0;
        if (i < nch) length += static_cast<std::int64_t>(labels[i].size());
    }
    t[kUnitsPresent] = 1;
    t[kUnitsPosition] = static_cast<std::int32_t>(length + 1);
    length += kUnitsBytes + kScaleBytes;

    std::vector<std::int32_t> stimulus;
    int cellValues = 0;
    if (content.stimulus) {
        stimulus = stimulusValues(*content.stimulus);
        if (content.stimulus->waveform == 2) cellValues = std::max(0, content.stimulus->duration);
        t[kStimulusPresent] = 1;
        t[kStimulusPosition] = static_cast<std::int32_t>(length + 1);
        length += 4 * static_cast<std::int64_t>(stimulus.size()) + 2 * std::int64_t{cellValues};
    } else {
        t[kStimulusPresent] = 0;
    }
    t[kFiltersPresent] = 1;
    t[kFiltersPosition] = static_cast<std::int32_t>(length + 1);
    length += 4 * kFilterWordsPerChannel * nch;

    const std::int64_t blocks = length < kBlockSize ? 1 : (length + kBlockSize - 1) / kBlockSize;
    t[kHeaderBlocks] = static_cast<std::int32_t>(blocks);

    std::string& b = out.bytes;
    b.reserve(static_cast<std::size_t>(blocks * kBlockSize));
    b = tableBytes(t);
    b += comment;
    for (const std::string& label : labels) b += label;
    for (int i = 0; i < kMaxChannels; ++i) {
        std::string slot(kUnitSlotBytes, '\0');
        if (i < nch) content.channels[i].unit.copy(slot.data(), kUnitSlotBytes);
        b += slot;
    }
    for (int i = 0; i < kMaxChannels; ++i)
        putInt32(
            b, i < nch ? truncWord(kCountsPerVolt * 10000.0 * content.channels[i].scaleFactor) : 1);
    for (std::int32_t value : stimulus) putInt32(b, value);
    for (int k = 0; k < cellValues; ++k) {
        const auto& cell = content.stimulus->cell;
        const double volts =
            k < kCellWaveformValues && k < static_cast<int>(cell.size()) ? cell[k] : 0.0;
        putInt16(b, truncShort(kCountsPerVolt * volts));
    }
    b += filterSection(content.channels, nch);
    b.append(static_cast<std::size_t>(blocks * kBlockSize) - b.size(), '\xFF');
    return out;
}

}  // namespace trelvanix::vnx
