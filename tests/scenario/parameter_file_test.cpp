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

// Every stimulus kind set to values other than its defaults, recorded on ao1 read back by ai1,
// and saved; a fresh process loads each file and records again: sample for sample the same.
// Poisson trains and noise are drawn from the program clock and the count of noise draws, so
// both runs start each stimulus at the same moment, and the second previews the loaded noise
// once, as setting its kind did in the first.
TEST(ParameterFileRun, EveryStimulusKindPlaysAgainSampleForSampleAfterARestart) {
    struct Kind {
        const char* name;
        int waveform;
        std::string settings;
    };
    const std::string waveforms = TRELVANIX_SOURCE_DIR "/resources/waveforms/";
    const Kind kinds[] = {
        {"pulse", 0,
         "set PULSE MV1 500\nset PULSE MS1 50.5\nset PULSE MV2 -200\nset PULSE MS2 30\n"
         "set PULSE MV4 300\nset PULSE MS4 40.25\nset PULSE REPEATS 2\nset PULSE NUM_BURSTS 2\n"
         "set PULSE INTERBURST 60\nset PULSE INTERBASELINE 50\nset PULSE BASELINE 100\n"},
        {"ramp", 1,
         "set RAMP MV1 800\nset RAMP MS1 100\nset RAMP MV2 -400\nset RAMP MS2 50.5\n"
         "set RAMP REPEATS 2\nset RAMP BASELINE -20\n"},
        {"cell", 2,
         "answer file \"" + waveforms +
             "action_potential.wfm\"\npress CELL LOAD\n"
             "set CELL DUR 200\nset CELL AMP 3000\n"
             "answer file \"" +
             waveforms +
             "synaptic_current.wfm\"\npress CELL LOAD_2ND\n"
             "set CELL DUR 100\nset CELL AMP 2000\nset CELL REPEATS 2\nset CELL BASELINE 50\n"
             "press CELL FILTER\nset CELLFILTER LP_ON 1\nset CELLFILTER LP_CUTOFF 300\n"
             "press CELLFILTER APPLY\n"},
        {"zap", 3,
         "set ZAP DURATION 1500\nset ZAP AMPLITUDE 3000\nset ZAP PHASE 45\n"
         "set ZAP FREQ_START 2\nset ZAP FREQ_END 15\nset ZAP SWEEP_TYPE 2\n"
         "set ZAP CYCLES_START 2\nset ZAP CYCLES_END 3\nset ZAP REVERSE 1\n"
         "set ZAP INTERBURST 100\nset ZAP REPEATS 1\nset ZAP NUM_BURSTS 1\n"},
        {"poisson", 4,
         "set POISSON FREQUENCY 12.5\nset POISSON DURATION 7.5\nset POISSON AMPLITUDE 2000\n"
         "set POISSON TOTALDURATION 1500\nset POISSON NUM_BURSTS 2\nset POISSON INTERBURST 100\n"},
        {"sine", 5,
         "set SINE AMPLITUDE 2000\nset SINE DURATION 250\nset SINE PHASE 30\n"
         "set SINE DUTY_CYCLE 0.3\nset SINE SWEEP_DUTY 1\nset SINE CENTRE 1\n"
         "set SINE LOCK_BASELINE 1\nset SINE REPEATS 2\nset SINE NUM_BURSTS 3\n"
         "set SINE INTERBURST 50\n"},
        {"noise", 6,
         "set NOISE KIND 2\nset NOISE DURATION 1500\nset NOISE BASELINE 100\n"
         "set NOISE STDEV 500\nset NOISE STRENGTH 800\nset NOISE TAU 2.5\n"
         "set NOISE RECTIFY 1\nset NOISE FROZEN 3\n"},
    };
    const fs::path folder = dataFolder() / "every_kind";
    fs::remove_all(folder);
    fs::create_directories(folder / "recorded");
    std::ofstream(folder / "board.txt") << "seed 2\n";
    // Every stimulus here ends within 6 s, so Stop ends acquisition, not the recording.
    const std::string record =
        "press PANEL ACQUIRE\nwait 0.5\npress INJECT START\nwait 6\npress PANEL STOP\nwait 0.2\n";
    const auto fileOf = [&](const Kind& kind) {
        return "answer file \"" + (folder / kind.name).string() + ".par\"\n";
    };
    std::string first =
        "set PANEL CHECK_1 1\nset PANEL CHECK_0 0\nmenu MENUBAR_STIMULUS_INJECT\n"
        "set INJECT CHANNEL 1\nset INJECT CONVERSION 1000\nset INJECT RECORD 1\n";
    std::string second = "menu MENUBAR_STIMULUS_INJECT\nset INJECT RECORD 1\n";
    for (const Kind& kind : kinds) {
        // Choosing a kind shows the pre- and post-time in force: they are typed after it.
        first += "set INJECT WAVEFORM " + std::to_string(kind.waveform) +
                 "\nset INJECT PRE_TIME 200\nset INJECT POST_TIME 300\n" + kind.settings + record +
                 fileOf(kind) + "menu MENUBAR_FILE_SAVE_PARAMS\n";
        second += fileOf(kind) + "menu MENUBAR_FILE_LOAD_PARAMS\n" +
                  (kind.waveform == 6 ? "press NOISE UPDATE\n" : "") + record;
    }
    // The files keep the working folder, so both runs record into "recorded"; the first
    // run's recordings are moved aside before the second.
    useDataFolder(folder / "recorded");
    for (const auto& [run, script] : {std::pair{"first", first}, std::pair{"second", second}}) {
        std::ofstream(folder / "script.txt") << script << "quit\n";
        const ProgramRun ran =
            runProgram({"--headless", "--sim-time", "--board", (folder / "board.txt").string(),
                        "--script", (folder / "script.txt").string()});
        ASSERT_EQ(ran.status, 0) << run << ": " << ran.err << ran.out;
        fs::rename(folder / "recorded", folder / run);
        fs::create_directories(folder / "recorded");
    }

    const std::vector<fs::path> before = recordingsIn(folder / "first");
    const std::vector<fs::path> after = recordingsIn(folder / "second");
    ASSERT_EQ(before.size(), std::size(kinds));
    ASSERT_EQ(after.size(), std::size(kinds));
    for (std::size_t k = 0; k < before.size(); ++k) {
        std::string error;
        const auto played = trelvanix::vnx::readHeader(before[k].string(), &error);
        const auto replayed = trelvanix::vnx::readHeader(after[k].string(), &error);
        ASSERT_TRUE(played && replayed) << error;
        std::vector<std::int16_t> counts, again;
        ASSERT_TRUE(trelvanix::vnx::readScans(before[k].string(), *played, 0, played->scans(),
                                              &counts, &error));
        ASSERT_TRUE(trelvanix::vnx::readScans(after[k].string(), *replayed, 0, replayed->scans(),
                                              &again, &error));
        EXPECT_GT(*std::max_element(counts.begin(), counts.end()), 300) << kinds[k].name;
        EXPECT_EQ(counts, again) << kinds[k].name;
    }
}

}  // namespace
