#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>

#include "recording/vnx_format.h"

using namespace trelvanix::vnx;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
};

// Runs vnxinfo with the arguments; standard error is folded into the output.
ToolRun vnxinfo(const std::string& args) {
    ToolRun run;
    FILE* pipe = ::popen((std::string(VNXINFO_PROGRAM) + " " + args + " 2>&1").c_str(), "r");
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        run.out.append(chunk, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class Vnxinfo : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = fs::temp_directory_path() / ("vnxinfo_" + std::to_string(::getpid()) + ".vnx");
        HeaderContent h;
        h.scanRate = 1000;
        h.plannedSamples = -1;
        h.year = 2026, h.month = 5, h.day = 6, h.hour = 7, h.minute = 8, h.second = 9;
        h.commentLines = {"slice 2"};
        h.channels.resize(2);
        h.channels[0].label = "Vm";
        h.channels[0].unit = "mV";
        h.channels[0].scaleFactor = 0.001;  // 1 mV per mV of the amplifier output
        h.channels[1].unit = "V";
        h.channels[1].boardGain = 0.5;
        bytes_ = encodeHeader(h).bytes;
        for (std::int16_t s : {6554, 13107, -6554, 0}) putInt16(bytes_, s);
        write(bytes_);
    }
    void TearDown() override { fs::remove(path_); }
    void write(const std::string& bytes) {
        std::ofstream(path_, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }
    fs::path path_;
    std::string bytes_;
};

TEST_F(Vnxinfo, PrintsTheHeaderAndCountsSamplesFromTheSizeOfAnUnfinalisedFile) {
    const ToolRun run = vnxinfo(path_.string());
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_THAT(run.out, HasSubstr("rate: 1000 samples/s per channel\n"));
    EXPECT_THAT(run.out, HasSubstr("channels: 2\n"));
    EXPECT_THAT(run.out, HasSubstr("date: 2026-05-06 07:08:09\n"));
    EXPECT_THAT(run.out,
                HasSubstr("samples: 4 (2 per channel, 0.002 s), counted from the file size\n"));
    EXPECT_THAT(run.out, HasSubstr("comment: \"slice 2\\n\"\n"));
    EXPECT_THAT(run.out, HasSubstr("channel 0: label \"Vm\" unit \"mV\" gain 1 scale 0.001 V/mV"));
    EXPECT_THAT(run.out, HasSubstr("channel 1: label \"\" unit \"V\" gain 0"));
    EXPECT_THAT(run.out, HasSubstr("stimulus: none\n"));
}

TEST_F(Vnxinfo, CsvGivesEachSampleInItsChannelsUnit) {
    const ToolRun run = vnxinfo(path_.string() + " --csv");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out,
              "time (s),Vm (mV),channel 1 (V)\n"
              "0,1000.06104,3.99993896\n"
              "0.001,-1000.06104,0\n");
}

TEST_F(Vnxinfo, CsvKeepsALabelOrUnitWithCommasQuotesOrLineBreaksInOneField) {
    HeaderContent h;
    h.scanRate = 1000;
    h.channels.resize(3);
    h.channels[0].label = "Vm, cell 1";
    h.channels[0].unit = "mV";
    h.channels[1].label = "the \"good\" one";
    h.channels[1].unit = "p,A";
    h.channels[2].label = "two\nlines";
    h.channels[2].unit = "V";
    std::string bytes = encodeHeader(h).bytes;
    for (int i = 0; i < 3; ++i) putInt16(bytes, 0);
    write(bytes);
    const ToolRun run = vnxinfo(path_.string() + " --csv");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out,
              "time (s),\"Vm, cell 1 (mV)\",\"the \"\"good\"\" one (p,A)\",\"two\nlines (V)\"\n"
              "0,0,0,0\n");
}

TEST_F(Vnxinfo, StimulusIsRebuiltFromTheHeaderInUnitsAndVolts) {
    const ToolRun none = vnxinfo(path_.string() + " --stimulus");
    EXPECT_EQ(none.status, 1);
    EXPECT_THAT(none.out, HasSubstr("no stimulus was recorded with this file"));

    HeaderContent h;
    h.scanRate = 1000;
    h.channels.resize(1);
    StimulusSettings pulse;
    pulse.waveform = 0;
    pulse.conversion = 8;
    pulse.preTime = 2;
    pulse.postTime = 1;
    pulse.numBurst = 2;
    pulse.numRepeats = 1;
    pulse.interburst = 1;
    pulse.interbaseline = -4;
    pulse.baseline = 2;
    pulse.pulseDur[0] = 2, pulse.pulseAmp[0] = 10;
    pulse.pulseDur[3] = 0.5, pulse.pulseAmp[3] = -6.5;  // stored rounded up: 1 ms of -6
    h.stimulus = pulse;
    write(encodeHeader(h).bytes);
    const ToolRun run = vnxinfo(path_.string() + " --stimulus");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out,
              "time (s),stimulus (unit),stimulus (V)\n"
              "0,0,0\n0.001,0,0\n"
              "0.002,12,1.5\n0.003,12,1.5\n0.004,-4,-0.5\n0.005,-4,-0.5\n"
              "0.006,12,1.5\n0.007,12,1.5\n0.008,-4,-0.5\n0.009,-4,-0.5\n"
              "0.01,0,0\n");
}

TEST_F(Vnxinfo, StimulusKindsTheHeaderDoesNotDetermineAreRefusedWithTheReason) {
    const std::pair<int, const char*> kinds[] = {
        {2, "cell-waveform stimulus cannot be rebuilt exactly"},
        {3, "frequency-sweep stimulus cannot be rebuilt: the header holds neither its start"},
        {4, "Poisson-train stimulus cannot be rebuilt: its pulse times were drawn at random"},
        {5, "sine stimulus cannot be rebuilt: the header holds neither its phase"},
        {6, "noise stimulus cannot be rebuilt: its values were drawn at random"},
        {9, "unknown stimulus kind 9"}};
    for (const auto& [kind, reason] : kinds) {
        HeaderContent h;
        h.scanRate = 1000;
        h.channels.resize(1);
        StimulusSettings s;
        s.waveform = kind;
        s.conversion = 20;
        s.duration = 10;
        h.stimulus = s;
        write(encodeHeader(h).bytes);
        const ToolRun run = vnxinfo(path_.string() + " --stimulus");
        EXPECT_EQ(run.status, 1) << kind;
        EXPECT_THAT(run.out, HasSubstr(reason));
        EXPECT_EQ(run.out.find("time (s)"), std::string::npos) << "no values are invented";
    }
    // Settings the program never stores make a malformed section; a size without bound is refused.
    HeaderContent h;
    h.scanRate = 1000;
    h.channels.resize(1);
    h.stimulus = StimulusSettings{};
    h.stimulus->waveform = 0;
    write(encodeHeader(h).bytes);
    ToolRun run = vnxinfo(path_.string() + " --stimulus");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, HasSubstr("malformed stimulus section: 0 bursts of 0 repeats"));
    h.stimulus->numBurst = h.stimulus->numRepeats = 1;
    write(encodeHeader(h).bytes);
    run = vnxinfo(path_.string() + " --stimulus");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, HasSubstr("malformed stimulus section: a conversion of 0 units per volt"));
    h.stimulus->conversion = 20;
    h.stimulus->numBurst = 100000;
    h.stimulus->numRepeats = 100000;
    h.stimulus->pulseDur[0] = 1000;
    write(encodeHeader(h).bytes);
    run = vnxinfo(path_.string() + " --stimulus");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, HasSubstr("more than the 33554432 rebuilt at most"));

    EXPECT_EQ(vnxinfo(path_.string() + " --csv --stimulus").status, 2);
}

TEST_F(Vnxinfo, TruncatedMalformedAndMissingFilesAreReported) {
    write(bytes_.substr(0, 600));
    ToolRun run = vnxinfo(path_.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, HasSubstr("truncated: the header takes 1024 bytes but the file has 600"));

    std::string bad = bytes_;
    bad[12] = 12;  // twelve channels
    write(bad);
    run = vnxinfo(path_.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, HasSubstr("malformed header: 12 channels"));

    run = vnxinfo("/nonexistent/file.vnx");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, HasSubstr("cannot open /nonexistent/file.vnx"));

    EXPECT_EQ(vnxinfo("").status, 2);
    EXPECT_EQ(vnxinfo("--frobnicate x").status, 2);
}

}  // namespace
