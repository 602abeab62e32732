#include "recording/vnx_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace trelvanix::vnx;
namespace fs = std::filesystem;

namespace {

class VnxReader : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = fs::temp_directory_path() /
                ("vnx_reader_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".vnx");
    }
    void TearDown() override { fs::remove(path_); }

    static HeaderContent twoChannels() {
        HeaderContent h;
        h.scanRate = 2000;
        h.plannedSamples = 8;
        h.year = 2026, h.month = 3, h.day = 4;
        h.commentLines = {"first", "second"};
        h.channels.resize(2);
        h.channels[0].label = "Vm";
        h.channels[0].unit = "mV";
        h.channels[0].scaleFactor = 0.001;
        h.channels[1].boardGain = 0.5;
        h.channels[1].unit = "pA";
        h.channels[1].filterType = 1;
        h.channels[1].fhp = 1000.0;
        return h;
    }
    std::string fileWith(const HeaderContent& h, const std::vector<std::int16_t>& samples) {
        std::string bytes = encodeHeader(h).bytes;
        for (std::int16_t s : samples) putInt16(bytes, s);
        return bytes;
    }
    void write(const std::string& bytes) {
        std::ofstream(path_, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }
    std::optional<FileInfo> read(std::string* error) { return readHeader(path_.string(), error); }

    fs::path path_;
};

TEST_F(VnxReader, ReadsBackEverySectionTheWriterProduced) {
    HeaderContent h = twoChannels();
    StimulusSettings s;
    s.waveform = 5;
    s.wfAmp = 250;
    s.duration = 4000;
    h.stimulus = s;
    write(fileWith(h, {1, -1, 2, -2, 3, -3, 4, -4}));
    std::string error;
    const auto info = read(&error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->version, 807);
    EXPECT_EQ(info->channels, 2);
    EXPECT_EQ(info->scanRate, 2000);
    EXPECT_EQ(info->year, 2026);
    EXPECT_EQ(info->comment, "first\nsecond\n");
    EXPECT_EQ(info->channel[0].label, "Vm");
    EXPECT_EQ(info->channel[0].unit, "mV");
    EXPECT_DOUBLE_EQ(info->channel[0].scaleFactor, 0.001);
    EXPECT_EQ(info->channel[1].gainWord, 0);
    EXPECT_DOUBLE_EQ(info->channel[1].filter.highHz, 1000.0);
    ASSERT_TRUE(info->stimulus);
    EXPECT_EQ(info->stimulus->kind, 5);
    EXPECT_EQ(info->stimulus->values.size(), 11u);
    EXPECT_EQ(info->stimulus->values[10], 4000);
    EXPECT_EQ(info->samples, 8);
    EXPECT_FALSE(info->truncated());

    std::vector<std::int16_t> scans;
    ASSERT_TRUE(readScans(path_.string(), *info, 1, 3, &scans, &error)) << error;
    EXPECT_EQ(scans, (std::vector<std::int16_t>{2, -2, 3, -3, 4, -4}));
    EXPECT_FALSE(readScans(path_.string(), *info, 2, 3, &scans, &error));
}

TEST_F(VnxReader, UserValuesUndoTheCountsGainAndScaleFactor) {
    ChannelInfo c;
    c.gainWord = 1;
    c.scaleFactor = 0.001;  // volts per mV
    EXPECT_NEAR(userValue(c, 6554), 1000.06, 0.01);
    c.gainWord = 0;  // +-10 V, gain 0.5
    c.scaleFactor = 1.0;
    EXPECT_NEAR(userValue(c, 9830), 2.99988, 1e-5);
}

TEST_F(VnxReader, AnUnfinalisedTimedRecordingCountsItsSamplesFromTheSize) {
    HeaderContent h = twoChannels();
    h.plannedSamples = -1;
    write(fileWith(h, {5, 6, 7, 8, 9, 10}));
    std::string error;
    const auto info = read(&error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->samples, 6);
    EXPECT_EQ(info->scans(), 3);
    EXPECT_FALSE(info->truncated());
}

TEST_F(VnxReader, FewerSamplesThanDeclaredIsReportedAsTruncated) {
    write(fileWith(twoChannels(), {1, 2, 3}));
    std::string error;
    const auto info = read(&error);
    ASSERT_TRUE(info) << error;
    EXPECT_TRUE(info->truncated());
    EXPECT_EQ(info->scans(), 1);  // the incomplete scan is not counted
}

TEST_F(VnxReader, AFileCutAnywhereInItsHeaderIsReportedNotMisread) {
    const std::string whole = fileWith(twoChannels(), {});
    for (std::size_t size : {std::size_t{0}, std::size_t{10}, std::size_t{223}, std::size_t{224},
                             std::size_t{500}, whole.size() - 1}) {
        write(whole.substr(0, size));
        std::string error;
        EXPECT_FALSE(read(&error)) << size;
        EXPECT_NE(error.find("truncated"), std::string::npos) << size << ": " << error;
    }
}

TEST_F(VnxReader, MalformedTablesGiveClearErrors) {
    struct Case {
        int word;
        std::int32_t value;
        const char* says;
    };
    const Case cases[] = {
        {kHeaderBlocks, 0, "blocks"},           {kHeaderBlocks, 0x7FFFFFFF, "blocks"},
        {kHeaderBlocks, 5, "truncated"},        {kChannelCount, 9, "9 channels"},
        {kChannelCount, 0, "0 channels"},       {kScanRate, -4, "sampling rate"},
        {kCommentLength, 5000, "comment"},      {kCommentLength, -1, "comment"},
        {kFirstLabelLength + 1, 2000, "label"}, {kUnitsPosition, 1020, "units"},
        {kFiltersPosition, -7, "filter"},       {kStimulusPresent, 1, "stimulus"},
    };
    for (const Case& c : cases) {
        std::string bytes = fileWith(twoChannels(), {});
        std::string word;
        putInt32(word, c.value);
        bytes.replace(4 * c.word, 4, word);
        write(bytes);
        std::string error;
        EXPECT_FALSE(read(&error)) << c.word;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.word << ": " << error;
    }
}

TEST_F(VnxReader, RandomBytesNeverCrashOrOverRead) {
    std::mt19937 random(7);
    const std::string valid = fileWith(twoChannels(), {1, 2, 3, 4});
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        if (round % 2 == 0) {
            bytes.resize(random() % 3000);
            for (char& b : bytes) b = static_cast<char>(random());
        } else {
            // A valid file with a few bytes of its table or sections changed.
            bytes = valid;
            for (int k = 0; k < 4; ++k) bytes[random() % 400] = static_cast<char>(random());
        }
        // Exactly the bytes the parser may look at: anything beyond them is unreadable.
        std::vector<unsigned char> copy(bytes.begin(), bytes.end());
        std::string error;
        const auto info = parseHeader(copy.data(), copy.size(), copy.size(), &error);
        if (info) {
            EXPECT_LE(info->dataOffset(), copy.size());
            EXPECT_GE(info->channels, 1);
            EXPECT_LE(info->channels, 8);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

}  // namespace
