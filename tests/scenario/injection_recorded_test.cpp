// Recorded stimuli on the simulated board, read back from the data file: ai1 reads ao1 back,
// and ai0 is a model cell driven by ao0.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "recording/vnx_reader.h"
#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using namespace trelvanix::vnx;
namespace fs = std::filesystem;

namespace {

struct Recorded {
    FileInfo info;
    std::vector<double> volts;  // the file's one channel, in volts
};

// Records the default pulse (1000 units from 500 to 600 ms of 1200 ms) on output `output`
// while acquiring input `input` alone, at `unitsPerVolt`, and reads the file back.
Recorded recordPulse(int output, int input, double unitsPerVolt, const std::string& board) {
    const fs::path folder = dataFolder() / ("pulse_ao" + std::to_string(output));
    fs::remove_all(folder);
    fs::create_directories(folder);
    useDataFolder(folder);
    const fs::path boardFile = folder / "board.txt", scriptFile = folder / "run.txt";
    std::ofstream(boardFile) << board;
    std::ofstream(scriptFile) << "set PANEL CHECK_" << input << " 1\n"
                              << (input != 0 ? "set PANEL CHECK_0 0\n" : "")
                              << "menu MENUBAR_STIMULUS_INJECT\n"
                                 "set INJECT WAVEFORM 0\n"
                                 "set INJECT CHANNEL "
                              << output << "\nset INJECT CONVERSION " << unitsPerVolt
                              << "\nset INJECT RECORD 1\n"
                                 "press PANEL ACQUIRE\nwait 0.5\npress INJECT START\nwait 2\n";
    const ProgramRun run = runProgram({"--headless", "--sim-time", "--board", boardFile.string(),
                                       "--script", scriptFile.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    Recorded recorded;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".vnx") files.push_back(entry.path());
    EXPECT_EQ(files.size(), 1u);
    if (files.size() != 1) return recorded;
    std::string error;
    const auto info = readHeader(files[0].string(), &error);
    EXPECT_TRUE(info) << error;
    if (!info) return recorded;
    recorded.info = *info;
    std::vector<std::int16_t> values;
    EXPECT_TRUE(readScans(files[0].string(), *info, 0, info->scans(), &values, &error)) << error;
    for (std::int16_t v : values) recorded.volts.push_back(userValue(info->channel[0], v));
    fs::remove_all(folder);
    return recorded;
}

TEST(InjectionRecorded, TheReadBackOfAPulseOnAo1IsTheStimulusInVoltsAlignedWithTheFile) {
    const Recorded r = recordPulse(1, 1, 500.0, "seed 2\n");  // 1000 units at 500 per volt: 2 V
    ASSERT_EQ(r.info.scanRate, 4000);
    ASSERT_EQ(r.volts.size(), 4800u);  // exactly the stimulus's 1.2 s
    const double step = 10.0 / 32768;  // one count of the +-5 V range
    for (std::size_t j = 0; j < r.volts.size(); ++j) {
        const double ms = 1000.0 * static_cast<double>(j) / r.info.scanRate;
        const double expected = ms >= 500.0 && ms < 600.0 ? 2.0 : 0.0;
        ASSERT_NEAR(r.volts[j], expected, step) << "scan " << j;
    }
    // The header describes the stimulus: a pulse at 500 units per volt, 500 ms before and after.
    ASSERT_TRUE(r.info.stimulus);
    const std::vector<std::int32_t> expected = {0,    500, 500000, 500, 0, 1, 0, 0, 1, 100,
                                                1000, 100, 0,      0,   0, 0, 0, 0, 0};
    EXPECT_EQ(r.info.stimulus->values, expected);
    EXPECT_EQ(r.info.comment.substr(0, 17), "\nBaseline = 0.0 \n");
}

TEST(InjectionRecorded, TheModelCellChargesAndRelaxesWithItsTimeConstant) {
    // 1000 units at 200 per volt: 5 V on ao0, which settles the cell 1 V above its rest.
    const Recorded r = recordPulse(0, 0, 200.0, "input ai0 cell sigma=0 tau=0.03\n");
    ASSERT_EQ(r.volts.size(), 4800u);
    const auto at = [&](double ms) { return r.volts[static_cast<std::size_t>(ms * 4)] + 0.65; };
    const double tolerance = 0.01;
    EXPECT_NEAR(at(499.0), 0.0, tolerance);
    EXPECT_NEAR(at(530.0), 1.0 - std::exp(-1.0), tolerance);  // one time constant into the pulse
    const double top = 1.0 - std::exp(-100.0 / 30.0);
    EXPECT_NEAR(at(599.5), top, tolerance);
    EXPECT_NEAR(at(630.0), top * std::exp(-1.0), tolerance);  // one time constant after it
    EXPECT_NEAR(at(1199.0), 0.0, tolerance);
}

}  // namespace
