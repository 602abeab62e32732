#include "recording/vnx_format.h"

#include <gtest/gtest.h>

#include <limits>

using namespace trelvanix::vnx;

namespace {

HeaderContent oneChannel() {
    HeaderContent h;
    h.scanRate = 4000;
    h.plannedSamples = -1;
    h.year = 2026, h.month = 1, h.day = 2, h.hour = 3, h.minute = 4, h.second = 5;
    h.channels.push_back(ChannelHeader{});
    h.channels[0].unit = "V";
    return h;
}

std::int32_t wordAt(const std::string& bytes, std::size_t offset) {
    return getInt32(reinterpret_cast<const unsigned char*>(bytes.data() + offset));
}

TEST(VnxHeader, OneChannelWithNoTextIsThreeHundredBytesPaddedToOneBlock) {
    const EncodedHeader h = encodeHeader(oneChannel());
    ASSERT_EQ(h.bytes.size(), 1024u);
    EXPECT_EQ(h.table[kHeaderBlocks], 1);
    EXPECT_EQ(h.table[kUnitsPosition], 225);
    EXPECT_EQ(h.table[kFiltersPosition], 281);
    EXPECT_EQ(h.table[kStimulusPosition], -1);
    EXPECT_EQ(h.table[kStimulusPresent], 0);
    EXPECT_EQ(h.bytes.find_first_not_of('\xFF', 300), std::string::npos);
    EXPECT_NE(h.bytes[299], '\xFF');
}

TEST(VnxHeader, FixedTableWordsAreLittleEndianAtTheirOffsets) {
    const EncodedHeader h = encodeHeader(oneChannel());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(h.bytes.data());
    EXPECT_EQ(b[8], 0x27);  // 807 = 0x0327
    EXPECT_EQ(b[9], 0x03);
    EXPECT_EQ(wordAt(h.bytes, 4), 0);
    EXPECT_EQ(wordAt(h.bytes, 12), 1);
    EXPECT_EQ(wordAt(h.bytes, 16), 4000);
    EXPECT_EQ(wordAt(h.bytes, 20), -1);
    EXPECT_EQ(wordAt(h.bytes, 32), 2026);
    EXPECT_EQ(wordAt(h.bytes, 52), 5);
    EXPECT_EQ(wordAt(h.bytes, 56), 1);   // gain of channel 0
    EXPECT_EQ(wordAt(h.bytes, 60), -1);  // no channel 1
    EXPECT_EQ(wordAt(h.bytes, 88), -1);
    EXPECT_EQ(wordAt(h.bytes, 100), 0);  // label length of an absent channel
    for (int w = 35; w <= 43; ++w) EXPECT_EQ(h.table[w], -1) << w;
    for (int w = 47; w <= 55; ++w) EXPECT_EQ(h.table[w], -1) << w;
    EXPECT_EQ(tableBytes(h.table), h.bytes.substr(0, 224));
}

TEST(VnxHeader, TheHeaderGrowsByWholeBlocksAtTheBoundary) {
    // 224 + comment + 56 + 20 bytes: a comment of 199 plus labels bring it to 2048 or 2049.
    HeaderContent h = oneChannel();
    h.channels.resize(8);
    h.commentLines = {std::string(198, 'c')};  // 199 bytes with its line feed
    const int fixed = 224 + 199 + 56 + 160;    // 639
    // Labels of 199 bytes each and one shorter one make up the rest.
    for (int i = 0; i < 7; ++i) h.channels[i].label = std::string(199, 'l');
    const int withSeven = fixed + 7 * 199;  // 2032
    h.channels[7].label = std::string(2048 - withSeven, 'x');
    EncodedHeader exact = encodeHeader(h);
    EXPECT_EQ(exact.table[kHeaderBlocks], 2);
    EXPECT_EQ(exact.bytes.size(), 2048u);
    EXPECT_NE(exact.bytes.back(), '\xFF');  // no padding

    h.channels[7].label += 'y';
    EncodedHeader over = encodeHeader(h);
    EXPECT_EQ(over.table[kHeaderBlocks], 3);
    EXPECT_EQ(over.bytes.size(), 3072u);
    EXPECT_EQ(over.bytes.find_first_not_of('\xFF', 2049), std::string::npos);
}

TEST(VnxHeader, CommentLinesEndInLineFeeds) {
    HeaderContent h = oneChannel();
    h.commentLines = {"ab", "c"};
    h.channels[0].label = "cell";
    const EncodedHeader e = encodeHeader(h);
    EXPECT_EQ(e.table[kCommentLength], 5);
    EXPECT_EQ(e.bytes.substr(224, 9), "ab\nc\ncell");
    EXPECT_EQ(e.table[kFirstLabelLength], 4);
    EXPECT_EQ(e.table[kUnitsPosition], 224 + 5 + 4 + 1);
}

TEST(VnxHeader, OverlongTextIsCutToTheFormatLimitWithMatchingLengths) {
    // A comment keeps the whole lines that fit; a first line too long alone is cut to fit.
    HeaderContent h = oneChannel();
    h.commentLines = {std::string(150, 'a'), std::string(150, 'b')};
    EXPECT_EQ(encodeHeader(h).table[kCommentLength], 151);
    h.commentLines = {std::string(300, 'a')};
    h.channels[0].label = std::string(300, 'l');
    const EncodedHeader e = encodeHeader(h);
    EXPECT_EQ(e.table[kCommentLength], 199);
    EXPECT_EQ(e.bytes.substr(224, 199), std::string(198, 'a') + "\n");
    EXPECT_EQ(e.table[kFirstLabelLength], 199);
    EXPECT_EQ(e.table[kUnitsPosition], 224 + 199 + 199 + 1);
    EXPECT_EQ(e.bytes.substr(224 + 199, 199), std::string(199, 'l'));
}

TEST(VnxHeader, GainsScaleFactorsAndCutOffsAreStoredAsScaledIntegers) {
    HeaderContent h = oneChannel();
    h.channels.resize(2);
    h.channels[0].boardGain = 0.5;  // +-10 V
    h.channels[1].boardGain = 25.0;
    h.channels[0].scaleFactor = 1.0;
    h.channels[1].scaleFactor = 0.01;
    h.channels[0].fhp = 500.0;
    h.channels[1].fhp = 5000.0;
    h.channels[1].flp = 1.0;
    h.channels[1].unit = "mV";
    h.channels[1].filterType = 3;
    const EncodedHeader e = encodeHeader(h);
    EXPECT_EQ(e.table[kFirstGain], 0);
    EXPECT_EQ(e.table[kFirstGain + 1], 25);
    const std::size_t units = e.table[kUnitsPosition] - 1;
    EXPECT_EQ(e.bytes.substr(units, 6), std::string("V\0\0mV\0", 6));
    EXPECT_EQ(wordAt(e.bytes, units + 24), 65536000);
    EXPECT_EQ(wordAt(e.bytes, units + 28), 655360);
    EXPECT_EQ(wordAt(e.bytes, units + 32), 1);  // slots beyond the channels
    const std::size_t filters = e.table[kFiltersPosition] - 1;
    EXPECT_EQ(wordAt(e.bytes, filters + 8), 327680000);
    EXPECT_EQ(wordAt(e.bytes, filters + 20), 3);
    EXPECT_EQ(wordAt(e.bytes, filters + 24), 655360);
    EXPECT_EQ(wordAt(e.bytes, filters + 28), -1018167296);  // 5000 Hz wraps
    EXPECT_EQ(wordAt(e.bytes, filters + 36), 55);
}

TEST(VnxHeader, StimulusSectionSitsBetweenScaleFactorsAndFilters) {
    HeaderContent h = oneChannel();
    StimulusSettings s;
    s.waveform = 0;
    s.conversion = 19.2;
    s.preTime = 500;
    s.postTime = 300;
    s.numBurst = 2;
    s.numRepeats = 3;
    s.baseline = -0.5;
    s.pulseDur[0] = 100.2;
    s.pulseAmp[0] = 1000;
    h.stimulus = s;
    const EncodedHeader e = encodeHeader(h);
    EXPECT_EQ(e.table[kStimulusPresent], 1);
    EXPECT_EQ(e.table[kStimulusPosition], 281);
    EXPECT_EQ(e.table[kFiltersPosition], 281 + 4 * 19);
    const std::size_t at = 280;
    const std::int32_t expected[] = {0, 20, 500000, 300, 0, 2, 0, 0, 3, 101, 1000};
    for (int k = 0; k < 11; ++k) EXPECT_EQ(wordAt(e.bytes, at + 4 * k), expected[k]) << k;
}

TEST(VnxHeader, StimulusValueCountsFollowTheKind) {
    for (int kind = -1; kind <= 7; ++kind) {
        StimulusSettings s;
        s.waveform = kind;
        EXPECT_EQ(static_cast<int>(stimulusValues(s).size()), stimulusValueCount(kind)) << kind;
    }
    StimulusSettings poisson;
    poisson.waveform = 4;
    poisson.numRepeats = 77;  // not written for Poisson trains
    poisson.frequency = 4.5;
    const auto v = stimulusValues(poisson);
    EXPECT_EQ(v.size(), 12u);
    EXPECT_EQ(v[10], 5);
}

TEST(VnxHeader, CellWaveformFollowsItsValuesInCountsAndIsZeroBeyondTheShape) {
    HeaderContent h = oneChannel();
    StimulusSettings s;
    s.waveform = 2;
    s.duration = 1002;
    s.cell.assign(1004, 0.0);
    s.cell[0] = 1.0;
    s.cell[999] = -5.0;
    s.cell[1002] = 7.5;
    h.stimulus = s;
    const EncodedHeader e = encodeHeader(h);
    const std::size_t start = e.table[kStimulusPosition] - 1;
    EXPECT_EQ(e.table[kFiltersPosition] - 1, static_cast<int>(start + 4 * 14 + 2 * 1002));
    EXPECT_EQ(wordAt(e.bytes, start + 4 * 11), 8);  // ceil(Cell_array[1002])
    auto value = [&](int k) {
        return getInt16(
            reinterpret_cast<const unsigned char*>(e.bytes.data() + start + 56 + 2 * k));
    };
    EXPECT_EQ(value(0), 6553);
    EXPECT_EQ(value(999), -32768);
    EXPECT_EQ(value(1000), 0);
    EXPECT_EQ(value(1001), 0);
}

TEST(VnxEncoding, ValuesOutsideTheFieldWrapAndNonFiniteOnesAreZero) {
    EXPECT_EQ(truncWord(4294967296.0 + 5.9), 5);
    EXPECT_EQ(truncWord(-2.7), -2);
    EXPECT_EQ(ceilWord(-2.7), -2);
    EXPECT_EQ(ceilWord(2.1), 3);
    EXPECT_EQ(truncShort(32768.0), -32768);
    EXPECT_EQ(truncWord(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(truncWord(1e300), 0);
    std::string b;
    putInt16(b, -2);
    putInt32(b, 0x01020304);
    EXPECT_EQ(b, std::string("\xFE\xFF\x04\x03\x02\x01", 6));
}

}  // namespace
