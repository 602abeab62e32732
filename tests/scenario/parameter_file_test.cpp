// A complete set-up saved to a parameter file, changed, loaded back, and recorded: the
// recording's header is the one recorded before the change.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "recording/vnx_format.h"
#include "recording/vnx_reader.h"
#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
namespace fs = std::filesystem;

namespace {

// The whole header of a data file, with its date and time words blanked.
std::vector<char> headerWithoutDate(const fs::path& file) {
    std::string error;
    const auto info = trelvanix::vnx::readHeader(file.string(), &error);
    EXPECT_TRUE(info) << error;
    if (!info) return {};
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes(info->dataOffset());
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::fill(bytes.begin() + 4 * trelvanix::vnx::kYear,
              bytes.begin() + 4 * (trelvanix::vnx::kYear + 6), 0);
    return bytes;
}

const char* kRecordOneSecond =
    "set PANEL RECORD_TIME 1\n"
    "press PANEL ACQUIRE\n"
    "wait 0.5\n"
    "press PANEL RECORD\n"
    "wait 1.5\n"
    "press PANEL STOP\n";

std::vector<fs::path> recordingsIn(const fs::path& folder) {
    std::vector<fs::path> recordings;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".vnx") recordings.push_back(entry.path());
    std::sort(recordings.begin(), recordings.end());
    return recordings;
}

TEST(ParameterFileRun, ASavedSetUpLoadedBackRecordsTheSameHeader) {
    const fs::path settings = dataFolder() / "setup.par";
    const std::string answer = "answer file \"" + settings.string() + "\"\n";
    const ProgramRun run =
        runScript(std::string("menu MENUBAR_RATE_KS_10\n"
                              "set PANEL CHECK_2 1\n"
                              "menu MENUBAR_OPTIONS_UNITS\n"
                              "set UNITS CHANNEL 2\n"
                              "set UNITS PREFIX m\n"
                              "set UNITS SCALE 0.001\n"
                              "set UNITS FILTER 1\n"
                              "set UNITS HIGH_CUTOFF 200\n"
                              "press UNITS CLOSE\n") +
                  kRecordOneSecond + answer +
                  "menu MENUBAR_FILE_SAVE_PARAMS\n"
                  "menu MENUBAR_RATE_KS_2\n"
                  "set PANEL CHECK_2 0\n"
                  "set PANEL CHECK_5 1\n"
                  "menu MENUBAR_STRETCH_S_0_5\n" +
                  answer + "menu MENUBAR_FILE_LOAD_PARAMS\n" + kRecordOneSecond + "quit\n");
    ASSERT_EQ(run.status, 0) << run.err << run.out;

    const std::vector<fs::path> recordings = recordingsIn(dataFolder());
    ASSERT_EQ(recordings.size(), 2u) << run.out;
    const std::vector<char> before = headerWithoutDate(recordings[0]);
    EXPECT_FALSE(before.empty());
    EXPECT_EQ(before, headerWithoutDate(recordings[1]));
}

// A recorded cell-waveform stimulus, its set-up saved; the program quits, starts again, loads
// the file and records the same stimulus into the same header.
TEST(ParameterFileRun, AStimulusAndItsCellWaveformSurviveAQuitAndRestart) {
    const fs::path folder = dataFolder() / "restart";
    fs::create_directories(folder);
    useDataFolder(folder);
    const std::string answer = "answer file \"" + (folder / "setup.par").string() + "\"\n";
    const std::string recordStimulus =
        "set INJECT RECORD 1\n"
        "press PANEL ACQUIRE\n"
        "wait 0.5\n"
        "press INJECT START\n"
        "wait 3\n"
        "press PANEL STOP\n";
    const ProgramRun first = runScript(
        "set PANEL CHECK_1 1\n"
        "menu MENUBAR_RATE_KS_10\n"
        "menu MENUBAR_STIMULUS_INJECT\n"
        "set INJECT WAVEFORM 2\n"
        "answer file \"" TRELVANIX_SOURCE_DIR
        "/resources/waveforms/action_potential.wfm\"\n"
        "press CELL LOAD\n"
        "set CELL DUR 200\n"
        "set INJECT CHANNEL 1\n"
        "set INJECT CONVERSION 1000\n" +
        recordStimulus + answer + "menu MENUBAR_FILE_SAVE_PARAMS\nquit\n");
    ASSERT_EQ(first.status, 0) << first.err << first.out;
    const ProgramRun second = runScript(answer +
                                        "menu MENUBAR_FILE_LOAD_PARAMS\n"
                                        "menu MENUBAR_STIMULUS_INJECT\n" +
                                        recordStimulus + "quit\n");
    ASSERT_EQ(second.status, 0) << second.err << second.out;

    const std::vector<fs::path> recordings = recordingsIn(folder);
    ASSERT_EQ(recordings.size(), 2u) << first.out << second.out;
    std::string error;
    const auto info = trelvanix::vnx::readHeader(recordings[0].string(), &error);
    ASSERT_TRUE(info && info->stimulus) << error;
    EXPECT_EQ(info->stimulus->kind, 2);
    EXPECT_FALSE(info->stimulus->cellWaveform.empty());
    EXPECT_EQ(headerWithoutDate(recordings[0]), headerWithoutDate(recordings[1]));
}

}  // namespace
