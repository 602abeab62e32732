// A recorded stimulus rebuilt from its data file's header (vnxinfo --stimulus) is the buffer the
// program played: ai1 reads ao1 back on the simulated board, sample for sample.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "recording/vnx_reader.h"
#include "tests/scenario/program_run.h"
#include "tests/scenario/rebuilt_stimulus.h"

using namespace trelvanix::scenario;
using namespace trelvanix::vnx;
namespace fs = std::filesystem;

namespace {

struct Recording {
    RebuiltStimulusRun rebuilt;
    int scanRate = 0;
    std::vector<double> readBack;  // ai1, in volts
};

// Records the stimulus that `settings` sets up on ao1 while acquiring ai1 alone, then rebuilds
// it from the file.
Recording recordOnAo1(const std::string& name, const std::string& settings) {
    const fs::path folder = dataFolder() / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    useDataFolder(folder);
    const fs::path board = folder / "board.txt", script = folder / "run.txt";
    std::ofstream(board) << "seed 2\n";
    std::ofstream(script) << "set PANEL CHECK_1 1\nset PANEL CHECK_0 0\n"
                             "menu MENUBAR_STIMULUS_INJECT\nset INJECT CHANNEL 1\n"
                          << settings
                          << "set INJECT RECORD 1\npress PANEL ACQUIRE\nwait 0.5\n"
                             "press INJECT START\nwait 2\n";
    const ProgramRun run = runProgram(
        {"--headless", "--sim-time", "--board", board.string(), "--script", script.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    Recording recording;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".vnx") files.push_back(entry.path());
    EXPECT_EQ(files.size(), 1u);
    if (files.size() != 1) return recording;
    std::string error;
    const auto info = readHeader(files[0].string(), &error);
    EXPECT_TRUE(info) << error;
    if (!info) return recording;
    recording.scanRate = info->scanRate;
    std::vector<std::int16_t> counts;
    EXPECT_TRUE(readScans(files[0].string(), *info, 0, info->scans(), &counts, &error)) << error;
    for (std::int16_t c : counts) recording.readBack.push_back(userValue(info->channel[0], c));
    recording.rebuilt = rebuildRecordedStimulus(files[0]);
    fs::remove_all(folder);
    return recording;
}

// Every read-back sample is within one count of the rebuilt value the output held at its time,
// from the file's first sample on. The output regenerates its buffer until the recording ends.
void expectReadBackIsRebuilt(const Recording& r) {
    ASSERT_EQ(r.rebuilt.status, 0) << r.rebuilt.output;
    ASSERT_FALSE(r.rebuilt.volts.empty());
    ASSERT_GE(r.readBack.size() * 1000, r.rebuilt.volts.size() * r.scanRate);  // all recorded
    const double count = 1.0 / kCountsPerVolt;
    for (std::size_t j = 0; j < r.readBack.size(); ++j) {
        const std::size_t ms = j * 1000 / r.scanRate;
        ASSERT_NEAR(r.readBack[j], r.rebuilt.volts[ms % r.rebuilt.volts.size()], count)
            << "scan " << j;
    }
    for (std::size_t i = 0; i < r.rebuilt.times.size(); ++i)
        ASSERT_DOUBLE_EQ(r.rebuilt.times[i], i / 1000.0);
}

TEST(StimulusRebuild, APulseTrainWithRepeatsBurstsGapsAndBaselineIsTheOnePlayed) {
    const Recording r = recordOnAo1(
        "pulse",
        "set INJECT WAVEFORM 0\nset INJECT CONVERSION 250\nset INJECT PRE_TIME 200\n"
        "set INJECT POST_TIME 300\nset PULSE MV1 500\nset PULSE MS1 50\nset PULSE MV2 -200\n"
        "set PULSE MS2 30\nset PULSE MV4 300\nset PULSE MS4 40\nset PULSE MV5 100\n"
        "set PULSE MS5 10\nset PULSE REPEATS 2\nset PULSE NUM_BURSTS 2\n"
        "set PULSE INTERBURST 60\nset PULSE INTERBASELINE 50\nset PULSE BASELINE 100\n");
    expectReadBackIsRebuilt(r);
    // 200 + 2 x (2 x (50 + 30) + 40 + 10 + 60) + 300 ms, in units and in volts at 250 per volt.
    ASSERT_EQ(r.rebuilt.values.size(), 1040u);
    EXPECT_EQ(r.rebuilt.values[199], 0.0);
    EXPECT_EQ(r.rebuilt.values[200], 600.0);
    EXPECT_EQ(r.rebuilt.volts[200], 2.4);
    EXPECT_EQ(r.rebuilt.values[250], -100.0);
    EXPECT_EQ(r.rebuilt.values[360], 400.0);  // step 4 after the second repeat
    EXPECT_EQ(r.rebuilt.values[410], 50.0);   // the gap's level, without the baseline
    EXPECT_EQ(r.rebuilt.values[739], 50.0);   // the second burst's gap, then the post-time
    EXPECT_EQ(r.rebuilt.values[740], 0.0);
}

TEST(StimulusRebuild, ARampTrainIsTheOnePlayedValueForValue) {
    const Recording r = recordOnAo1(
        "ramp",
        "set INJECT WAVEFORM 1\nset INJECT CONVERSION 400\nset INJECT PRE_TIME 100\n"
        "set INJECT POST_TIME 100\nset RAMP MV1 800\nset RAMP MS1 100\nset RAMP MV2 -400\n"
        "set RAMP MS2 50\nset RAMP REPEATS 2\nset RAMP BASELINE -20\n");
    expectReadBackIsRebuilt(r);
    ASSERT_EQ(r.rebuilt.values.size(), 500u);
    EXPECT_EQ(r.rebuilt.values[100], -20.0);  // each repeat starts again at 0
    EXPECT_EQ(r.rebuilt.values[199], 780.0);
    EXPECT_EQ(r.rebuilt.values[200], 780.0);  // the second segment starts at the first's end
    EXPECT_EQ(r.rebuilt.values[249], -420.0);
    EXPECT_EQ(r.rebuilt.values[250], -20.0);
}

}  // namespace
