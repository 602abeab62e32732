#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "recording/vnx_reader.h"
#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using namespace trelvanix::vnx;
namespace fs = std::filesystem;

namespace {

// Files of one second are told apart by "-2", "-3" ...: this is their order of creation.
std::pair<std::string, int> creationOrder(const fs::path& file) {
    const std::string stem = file.stem().string();
    const auto dash = stem.rfind('-');
    if (dash == std::string::npos) return {stem, 1};
    return {stem.substr(0, dash), std::atoi(stem.c_str() + dash + 1)};
}

// Runs interval saving with the given rate and stretch menu items and checks that every file,
// the last one and those closed at a period's end, declares the samples it really holds.
void expectPeriodFilesDeclareWhatTheyHold(const std::string& name, const std::string& rateItem,
                                          const std::string& stretchItem, double period) {
    static const fs::path base = dataFolder();
    const fs::path folder = base / name;
    fs::create_directories(folder);
    useDataFolder(folder);
    std::ofstream(folder / "run.txt") << "menu " << rateItem << "\n"
                                      << "menu " << stretchItem << "\n"
                                      << "press PANEL ACQUIRE\n"
                                         "wait 0.05\n"
                                         "menu MENUBAR_FILE_SAVE\n"
                                         "set INTERVAL SAVING "
                                      << period
                                      << "\n"
                                         "set INTERVAL PAUSE 0\n"
                                         "press INTERVAL OK\n"
                                         "wait 0.5\n"
                                         "menu MENUBAR_FILE_SAVE\n";
    const ProgramRun run =
        runProgram({"--headless", "--sim-time", "--script", (folder / "run.txt").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".vnx") continue;
        ++files;
        std::string error;
        const auto info = readHeader(entry.path().string(), &error);
        ASSERT_TRUE(info) << error;
        EXPECT_EQ(info->declaredSamples, info->samples) << entry.path();
        EXPECT_FALSE(info->truncated()) << entry.path();
    }
    EXPECT_GE(files, 2);
    fs::remove_all(folder);
}

// A period of 0.15 s written in stretches of 0.1 s holds two stretches; at 2.5 kS/s a 1 ms
// stretch holds two samples, so 0.1 s of stretches holds 200 samples, not 250.
TEST(RecordingInterval, FilesClosedAtAPeriodEndDeclareTheSamplesTheyHold) {
    expectPeriodFilesDeclareWhatTheyHold("period_015", "MENUBAR_RATE_KS_4", "MENUBAR_STRETCH_S_0_1",
                                         0.15);
    expectPeriodFilesDeclareWhatTheyHold("period_1ms", "MENUBAR_RATE_KS_2_5",
                                         "MENUBAR_STRETCH_S_0_001", 0.1);
}

TEST(RecordingInterval, PeriodsWithoutPauseFollowEachOtherWithoutLosingAStretch) {
    const fs::path folder = dataFolder() / "interval";
    fs::create_directories(folder);
    useDataFolder(folder);
    std::ofstream(folder / "board.txt") << "input ai0 sine amplitude=2 frequency=1 sigma=0\n";
    std::ofstream(folder / "run.txt") << "press PANEL ACQUIRE\n"
                                         "wait 0.2\n"
                                         "menu MENUBAR_FILE_SAVE\n"
                                         "set INTERVAL SAVING 0.5\n"
                                         "set INTERVAL PAUSE 0\n"
                                         "press INTERVAL OK\n"
                                         "wait 2.25\n"
                                         "menu MENUBAR_FILE_SAVE\n";
    const ProgramRun run =
        runProgram({"--headless", "--sim-time", "--board", (folder / "board.txt").string(),
                    "--script", (folder / "run.txt").string()});
    ASSERT_EQ(run.status, 0) << run.err;

    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".vnx") files.push_back(entry.path());
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return creationOrder(a) < creationOrder(b);
    });
    ASSERT_GE(files.size(), 4u);

    std::vector<std::vector<std::int16_t>> data;
    for (std::size_t f = 0; f < files.size(); ++f) {
        std::string error;
        const auto info = readHeader(files[f].string(), &error);
        ASSERT_TRUE(info) << error;
        EXPECT_EQ(info->declaredSamples, info->samples) << files[f];
        if (f + 1 < files.size()) {
            EXPECT_EQ(info->samples, 2000) << files[f];
        }
        std::vector<std::int16_t> values;
        ASSERT_TRUE(readScans(files[f].string(), *info, 0, info->scans(), &values, &error));
        data.push_back(values);
    }
    // The sine moves at most ~21 counts a sample; a lost 0.1 s stretch jumps by thousands.
    std::vector<std::int16_t> all;
    for (const auto& values : data) all.insert(all.end(), values.begin(), values.end());
    for (std::size_t k = 1; k < all.size(); ++k) ASSERT_LT(std::abs(all[k] - all[k - 1]), 100) << k;
    fs::remove_all(folder);
}

}  // namespace
