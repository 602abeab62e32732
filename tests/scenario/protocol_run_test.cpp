#include <gtest/gtest.h>

#include <algorithm>
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

std::vector<fs::path> dataFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dataFolder()))
        if (entry.path().extension() == ".vnx") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// A recorded three-step pulse-amplitude protocol while acquiring ai1, which reads ao1 back:
// each step restarts acquisition with its stimulus and records it to a file of its own, the
// next step waiting the step pause after the previous stimulus ended.
TEST(ProtocolRun, ARecordedAmplitudeFamilyGivesOneFilePerStepAfterEachPause) {
    for (const fs::path& file : dataFiles()) fs::remove(file);
    const fs::path protocolFile = dataFolder() / "amplitudes.prt";
    std::ofstream(protocolFile) << "1 PULSE_MV1 DOUBLE 3 \n20 40 60";
    const ProgramRun run = runScript(
        "set PANEL CHECK_1 1\n"
        "set PANEL CHECK_0 0\n"
        "menu MENUBAR_STIMULUS_INJECT\n"
        "set INJECT WAVEFORM 0\n"
        "set INJECT CHANNEL 1\n"
        "set INJECT RECORD 1\n"
        "menu MENUBAR_STIMULUS_PROTOCOL\n"
        "answer file \"" +
        protocolFile.string() +
        "\"\n"
        "press PROTOCOL LOAD\n"
        "set PROTOCOL PAUSE 3\n"
        "press PANEL ACQUIRE\n"
        "wait 1\n"
        "press PROTOCOL RUN\n"
        "wait 20\n"
        "get INJECT STEP\n"
        "press PANEL STOP\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "INJECT STEP = 3\n");
    fs::remove(protocolFile);

    const std::vector<fs::path> files = dataFiles();
    ASSERT_EQ(files.size(), 3u);
    int previousStart = -100;
    for (std::size_t step = 0; step < files.size(); ++step) {
        std::string error;
        const auto info = readHeader(files[step].string(), &error);
        ASSERT_TRUE(info) << error;
        ASSERT_EQ(info->channels, 1);
        std::vector<std::int16_t> values;
        ASSERT_TRUE(readScans(files[step].string(), *info, 0, info->scans(), &values, &error));
        // The pulse of 20, 40, 60 units at 20 units per volt: 1, 2 and 3 V on ao1.
        double peak = 0.0;
        for (std::int16_t v : values) peak = std::max(peak, userValue(info->channel[0], v));
        EXPECT_NEAR(peak, 1.0 * (step + 1), 0.01) << files[step];
        // Each file's header rebuilds its own step: the pulse at that step's amplitude, which
        // the read-back follows to within one count from the file's first sample.
        const RebuiltStimulusRun rebuilt = rebuildRecordedStimulus(files[step]);
        ASSERT_EQ(rebuilt.status, 0) << rebuilt.output;
        ASSERT_EQ(rebuilt.values.size(), 1200u);
        EXPECT_EQ(rebuilt.values[500], 20.0 * (step + 1));
        EXPECT_EQ(rebuilt.volts[599], 1.0 * (step + 1));
        for (std::size_t j = 0; j < values.size(); ++j)
            ASSERT_NEAR(userValue(info->channel[0], values[j]),
                        rebuilt.volts[(j * 1000 / info->scanRate) % 1200], 1.0 / kCountsPerVolt)
                << files[step] << " scan " << j;
        // Each file starts with its stimulus (1.2 s long); the next one at least the 3 s pause
        // after it ended, so its start second is at least 4 later.
        const int start = info->hour * 3600 + info->minute * 60 + info->second;
        EXPECT_GE(start - previousStart, 4) << files[step];
        previousStart = start;
        fs::remove(files[step]);
    }
}

}  // namespace

namespace {

// Run pressed again while a step's stimulus plays is refused: the playing stimulus keeps its
// output task, the protocol goes on to its last step, and ao1 (read back on ai1) is at 0 V
// once it has ended.
TEST(ProtocolRun, RunPressedWhileAStepPlaysLeavesTheOutputStoppableAndAt0V) {
    for (const fs::path& file : dataFiles()) fs::remove(file);
    const ProgramRun run = runScript(
        "set PANEL CHECK_1 1\n"
        "set PANEL CHECK_0 0\n"
        "menu MENUBAR_STIMULUS_INJECT\n"
        "set INJECT WAVEFORM 0\n"
        "set INJECT CHANNEL 1\n"
        "menu MENUBAR_STIMULUS_PROTOCOL\n"
        "answer file \"" TRELVANIX_SOURCE_DIR
        "/resources/protocols/pulse_amplitudes.prt\"\n"
        "press PROTOCOL LOAD\n"
        "set PROTOCOL PAUSE 0.5\n"
        "press PANEL ACQUIRE\n"
        "press PROTOCOL RUN\n"
        "wait 0.8\n"
        "press PROTOCOL RUN\n"
        "wait 12\n"
        "get INJECT STEP\n"
        "menu MENUBAR_FILE_SAVE\n"
        "set INTERVAL SAVING 1\n"
        "press INTERVAL OK\n"
        "wait 1.5\n"
        "press PANEL STOP\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "popup \"Error!\" \"A stimulus is playing: run the protocol once it has "
              "ended.\"\nINJECT STEP = 5\n");
    const std::vector<fs::path> files = dataFiles();
    ASSERT_FALSE(files.empty());
    std::string error;
    const auto info = readHeader(files[0].string(), &error);
    ASSERT_TRUE(info) << error;
    std::vector<std::int16_t> values;
    ASSERT_TRUE(readScans(files[0].string(), *info, 0, info->scans(), &values, &error));
    ASSERT_FALSE(values.empty());
    for (std::int16_t v : values) ASSERT_NEAR(userValue(info->channel[0], v), 0.0, 0.01);
    for (const fs::path& file : files) fs::remove(file);
}

}  // namespace

namespace {

// A step whose output the driver refuses ends the protocol with that step still to do: the
// step number shows the last step that played, and Run plays the refused value next, so no
// value of the family goes unrecorded.
TEST(ProtocolRun, AStepTheDriverRefusesIsPlayedByTheNextRun) {
    for (const fs::path& file : dataFiles()) fs::remove(file);
    const fs::path board = dataFolder() / "refusing_board.txt";
    const fs::path script = dataFolder() / "refused_step.txt";
    std::ofstream(board) << "fault DAQmxWriteAnalogF64 2 -200077\n";
    std::ofstream(script) << "set PANEL CHECK_1 1\n"
                             "set PANEL CHECK_0 0\n"
                             "menu MENUBAR_STIMULUS_INJECT\n"
                             "set INJECT WAVEFORM 0\n"
                             "set INJECT CHANNEL 1\n"
                             "set INJECT RECORD 1\n"
                             "menu MENUBAR_STIMULUS_PROTOCOL\n"
                             "answer file \"" TRELVANIX_SOURCE_DIR
                             "/resources/protocols/pulse_amplitudes.prt\"\n"
                             "press PROTOCOL LOAD\n"
                             "set PROTOCOL PAUSE 0.5\n"
                             "press PANEL ACQUIRE\n"
                             "press PROTOCOL RUN\n"
                             "wait 6\n"
                             "get INJECT STEP\n"
                             "press PROTOCOL RUN\n"
                             "wait 10\n"
                             "get INJECT STEP\n"
                             "press PANEL STOP\n";
    const ProgramRun run = runProgram(
        {"--headless", "--sim-time", "--board", board.string(), "--script", script.string()});
    fs::remove(board);
    fs::remove(script);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("INJECT STEP = 1\nINJECT STEP = 5\n"), std::string::npos) << run.out;
    const std::vector<fs::path> files = dataFiles();
    ASSERT_EQ(files.size(), 5u);
    for (std::size_t step = 0; step < files.size(); ++step) {
        const RebuiltStimulusRun rebuilt = rebuildRecordedStimulus(files[step]);
        ASSERT_EQ(rebuilt.status, 0) << rebuilt.output;
        EXPECT_EQ(rebuilt.values.at(550), -40.0 + 20.0 * step) << files[step];
        fs::remove(files[step]);
    }
}

}  // namespace
