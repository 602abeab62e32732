#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "recording/vnx_reader.h"
#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using namespace trelvanix::vnx;
namespace fs = std::filesystem;

namespace {

// The one data file in the folder, or an empty path.
fs::path onlyDataFile(const fs::path& folder) {
    fs::path found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".vnx") found = entry.path();
    return found;
}

// The file declares what it holds, and holds some stretches of one channel.
void expectFinalised(const fs::path& file) {
    std::string error;
    const auto info = readHeader(file.string(), &error);
    ASSERT_TRUE(info) << error;
    EXPECT_GT(info->samples, 0);
    EXPECT_EQ(info->declaredSamples, info->samples);
    EXPECT_EQ(info->samples % 400, 0) << "whole stretches of 0.1 s at 4 kS/s";
}

TEST(RecordingEnding, AScriptEndingDuringARecordingFinalisesItsFile) {
    const fs::path folder = dataFolder() / "script_end";
    fs::create_directories(folder);
    useDataFolder(folder);
    std::ofstream(folder / "run.txt") << "press PANEL ACQUIRE\n"
                                         "wait 0.5\n"
                                         "press PANEL RECORD\n"
                                         "wait 1.05\n";
    const ProgramRun run =
        runProgram({"--headless", "--sim-time", "--script", (folder / "run.txt").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const fs::path file = onlyDataFile(folder);
    ASSERT_FALSE(file.empty());
    expectFinalised(file);
    fs::remove_all(folder);
}

// Quit and closing the window ask before a recording is cut short; a script answers like the
// operator would, and one that gives no answer fails with the question.
TEST(RecordingEnding, QuitAsksDuringARecordingAndFinalisesItsFileOnYes) {
    const fs::path folder = dataFolder() / "quit_asks";
    fs::create_directories(folder);
    useDataFolder(folder);
    std::ofstream(folder / "run.txt") << "set PANEL RECORD_TIME 5\n"
                                         "press PANEL ACQUIRE\n"
                                         "wait 0.5\n"
                                         "press PANEL RECORD\n"
                                         "wait 2\n"
                                         "get PANEL TIME_LEFT\n"
                                         "answer confirm no\n"
                                         "press PANEL QUIT\n"
                                         "answer confirm no\n"
                                         "close PANEL\n"
                                         "wait 0.5\n"
                                         "get PANEL SAVE_LAMP\n"
                                         "answer confirm yes\n"
                                         "menu MENUBAR_FILE_QUIT\n"
                                         "wait 1\n";
    const std::string script = (folder / "run.txt").string();
    const ProgramRun run = runProgram({"--headless", "--sim-time", "--script", script});
    EXPECT_EQ(run.status, 1) << run.err;
    // About 2 of the 5 s recorded, counted in whole stretches; still recording after both no.
    EXPECT_THAT(run.out, ::testing::MatchesRegex("PANEL TIME_LEFT = [34]\nPANEL SAVE_LAMP = 1\n"));
    const fs::path file = onlyDataFile(folder);
    ASSERT_FALSE(file.empty());
    expectFinalised(file);
    fs::remove(file);

    std::ofstream(folder / "run.txt") << "press PANEL ACQUIRE\n"
                                         "wait 0.5\n"
                                         "press PANEL RECORD\n"
                                         "wait 1\n"
                                         "press PANEL QUIT\n";
    const ProgramRun unanswered = runProgram({"--headless", "--sim-time", "--script", script});
    EXPECT_EQ(unanswered.status, 2);
    EXPECT_NE(
        unanswered.err.find("has no answer: \"A recording is in progress. Stop it and quit?\""),
        std::string::npos)
        << unanswered.err;
    fs::remove_all(folder);
}

// SIGTERM, a closed terminal (SIGHUP) and the other signals from outside that would end the
// process: each finalises the recording first, then ends the program by that signal.
TEST(RecordingEnding, ASignalFromOutsideDuringARecordingFinalisesItsFile) {
    for (const int signal : {SIGTERM, SIGHUP, SIGUSR1, SIGRTMIN}) {
        const fs::path folder = dataFolder() / ("signal_" + std::to_string(signal));
        fs::create_directories(folder);
        useDataFolder(folder);
        std::ofstream(folder / "run.txt") << "press PANEL ACQUIRE\n"
                                             "wait 0.2\n"
                                             "press PANEL RECORD\n"
                                             "wait 60\n";
        // The real clock: the program sleeps between stretches as it would in the lab.
        const RunningProgram program =
            startProgram({"--headless", "--script", (folder / "run.txt").string()});
        ASSERT_GT(program.pid, 0);
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        fs::path file;
        while (std::chrono::steady_clock::now() < giveUp) {
            file = onlyDataFile(folder);
            if (!file.empty() && fs::file_size(file) > 10000) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ::kill(program.pid, signal);
        const ProgramRun run = finishProgram(program);
        EXPECT_EQ(run.signal, signal) << run.err;
        ASSERT_FALSE(file.empty());
        expectFinalised(file);
        fs::remove_all(folder);
    }
}

// A file-size limit does not kill the program: the write past it fails and is reported like a
// full disk, and the file keeps a header that matches what it holds.
TEST(RecordingEnding, AFileSizeLimitIsReportedAsAFailedWrite) {
    const fs::path folder = dataFolder() / "size_limit";
    fs::create_directories(folder);
    useDataFolder(folder);
    std::ofstream(folder / "run.txt") << "press PANEL ACQUIRE\n"
                                         "wait 0.2\n"
                                         "press PANEL RECORD\n"
                                         "wait 20\n";
    rlimit unlimited{}, limited{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    limited = unlimited;
    limited.rlim_cur = 40960;  // the program inherits the limit; this process writes nothing
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const RunningProgram program =
        startProgram({"--headless", "--sim-time", "--script", (folder / "run.txt").string()});
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    const ProgramRun run = finishProgram(program);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE((run.out + run.err).find("File too large"), std::string::npos) << run.out;
    const fs::path file = onlyDataFile(folder);
    ASSERT_FALSE(file.empty());
    std::string error;
    const auto info = readHeader(file.string(), &error);
    ASSERT_TRUE(info) << error;
    EXPECT_GT(info->samples, 0);
    EXPECT_EQ(info->declaredSamples, info->samples);
    fs::remove_all(folder);
}

}  // namespace
