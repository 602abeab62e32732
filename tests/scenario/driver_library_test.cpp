// Whole-program runs on a real board's back end: the vendor's driver library, here the test
// stand-in, loaded at start-up. A real board runs on the real clock, so these runs are short.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "recording/vnx_reader.h"
#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using namespace trelvanix::vnx;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

class DriverLibraryRun : public ::testing::Test {
  protected:
    void SetUp() override {
        log_ = dataFolder() / "standin.log";
        fs::remove(log_);
        ::setenv("TRELVANIX_STANDIN_LOG", log_.c_str(), 1);
        ::unsetenv("TRELVANIX_STANDIN_FAIL");
    }
    void TearDown() override { ::unsetenv("TRELVANIX_STANDIN_LOG"); }

    // Runs the program headless on the real clock with the stand-in library and a script.
    ProgramRun run(const std::string& script, const std::string& library = DAQMX_STANDIN) {
        const fs::path file = dataFolder() / "run.txt";
        std::ofstream(file) << script;
        ProgramRun result =
            runProgram({"--headless", "--driver-library", library, "--script", file.string()});
        fs::remove(file);
        return result;
    }

    // The library calls logged, without the polls of the acquired count.
    std::vector<std::string> calls() const {
        std::ifstream in(log_);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            if (line.rfind("DAQmxGetReadTotalSampPerChanAcquired", 0) != 0) lines.push_back(line);
        return lines;
    }

    fs::path log_;
};

TEST_F(DriverLibraryRun, TwoChannelsAreRecordedAsTheLibraryServesThem) {
    const ProgramRun result =
        run("set PANEL CHECK_1 1\n"
            "set PANEL RECORD_TIME 1\n"
            "press PANEL ACQUIRE\n"
            "wait 0.3\n"
            "press PANEL RECORD\n"
            "wait 2.2\n"  // a second of recording, with room for a busy machine
            "get PANEL FILENAME\n"
            "press PANEL STOP\n");
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string prefix = "PANEL FILENAME = ";
    ASSERT_EQ(result.out.rfind(prefix, 0), 0u) << result.out;
    const fs::path file =
        dataFolder() / result.out.substr(prefix.size(), result.out.find('\n') - prefix.size());
    std::string error;
    const auto info = readHeader(file.string(), &error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->channels, 2);
    EXPECT_EQ(info->scanRate, 4000);
    EXPECT_EQ(info->declaredSamples, 8000);
    std::vector<std::int16_t> counts;
    ASSERT_TRUE(readScans(file.string(), *info, 0, info->scans(), &counts, &error)) << error;
    ASSERT_EQ(counts.size(), 8000u);
    // ai0 serves the counts 1000 + (sample mod 100), ai1 1000 more: no sample lost or moved.
    for (std::size_t k = 0; k < counts.size(); k += 2) {
        ASSERT_GE(counts[k], 1000) << k;
        ASSERT_LT(counts[k], 1100) << k;
        ASSERT_EQ(counts[k + 1], counts[k] + 1000) << k;
        if (k > 0) {
            ASSERT_EQ(counts[k], 1000 + (counts[k - 2] - 1000 + 1) % 100) << k;
        }
    }
    fs::remove(file);

    const std::vector<std::string> logged = calls();
    ASSERT_GE(logged.size(), 9u);
    EXPECT_THAT(
        std::vector<std::string>(logged.begin(), logged.begin() + 8),
        ElementsAre("DAQmxGetDevAIVoltageRngs \"Dev1\" 0", "DAQmxGetDevAIVoltageRngs \"Dev1\" 8",
                    "DAQmxCreateTask \"Vanix_AnalogIn_Task\"",
                    "DAQmxCreateAIVoltageChan Vanix_AnalogIn_Task \"Dev1/ai0\" \"\" 10083 "
                    "-5 5 10348 null",
                    "DAQmxCreateAIVoltageChan Vanix_AnalogIn_Task \"Dev1/ai1\" \"\" 10083 "
                    "-5 5 10348 null",
                    "DAQmxCfgSampClkTiming Vanix_AnalogIn_Task \"\" 4000 10280 10123 160000",
                    "DAQmxStartTask Vanix_AnalogIn_Task",
                    "DAQmxReadAnalogF64 Vanix_AnalogIn_Task 400 10 1 800"));
    EXPECT_THAT(
        std::vector<std::string>(logged.end() - 2, logged.end()),
        ElementsAre("DAQmxStopTask Vanix_AnalogIn_Task", "DAQmxClearTask Vanix_AnalogIn_Task"));
}

// As on the simulated board: the run ends with the driver's text on the error output, the
// task is released, and the program goes on without acquiring.
TEST_F(DriverLibraryRun, AFailingReadEndsTheRun) {
    ::setenv("TRELVANIX_STANDIN_FAIL", "DAQmxReadAnalogF64 3 -200279", 1);
    const ProgramRun result = run("press PANEL ACQUIRE\nwait 1.2\nget PANEL ELAPSED\n");
    ::unsetenv("TRELVANIX_STANDIN_FAIL");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.err, HasSubstr("DAQmxReadAnalogF64: Stand-in failure of DAQmxReadAnalogF64, "
                                      "call 3.\nStatus Code: -200279"));
    EXPECT_EQ(result.out, "PANEL ELAPSED = 0\n");
    const std::vector<std::string> logged = calls();
    ASSERT_GE(logged.size(), 3u);
    EXPECT_THAT(
        std::vector<std::string>(logged.end() - 3, logged.end()),
        ElementsAre("DAQmxReadAnalogF64 Vanix_AnalogIn_Task 400 10 1 400",
                    "DAQmxStopTask Vanix_AnalogIn_Task", "DAQmxClearTask Vanix_AnalogIn_Task"));
}

TEST_F(DriverLibraryRun, AMissingLibraryOrFunctionRefusesToStart) {
    const ProgramRun missing = run("menu MENUBAR_HELP_ABOUT\n", "/nowhere/libnidaqmx.so");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_THAT(missing.err, HasSubstr("trelvanix: /nowhere/libnidaqmx.so: the driver library "
                                       "cannot be loaded: "));

    // Named in a board file, as a lab would keep it.
    const fs::path board = dataFolder() / "lab.board";
    std::ofstream(board) << "driver-library " << DAQMX_STANDIN_INCOMPLETE << "\n";
    const ProgramRun incomplete = runProgram({"--headless", "--board", board.string()});
    EXPECT_EQ(incomplete.status, 2);
    EXPECT_EQ(incomplete.err, std::string("trelvanix: ") + DAQMX_STANDIN_INCOMPLETE +
                                  ": the driver library lacks the function "
                                  "DAQmxGetReadTotalSampPerChanAcquired\n");
    fs::remove(board);
    EXPECT_FALSE(fs::exists(log_)) << "no call reached a half-loaded library";
}

TEST_F(DriverLibraryRun, TheBackEndIsChosenByNameAndAboutSaysWhichBoardRuns) {
    const fs::path empty = dataFolder() / "empty.txt";
    std::ofstream{empty};
    const ProgramRun real = runProgram({"--headless", "--backend", "daqmx", "--driver-library",
                                        DAQMX_STANDIN, "--script", empty.string()});
    EXPECT_EQ(real.status, 0) << real.err;

    const fs::path script = dataFolder() / "about.txt";
    std::ofstream(script) << "menu MENUBAR_HELP_ABOUT\n";
    const ProgramRun simulated =
        runProgram({"--headless", "--sim-time", "--backend", "simulated", "--script", script});
    EXPECT_EQ(simulated.status, 0) << simulated.err;
    EXPECT_THAT(simulated.out, HasSubstr("Board: Dev1, simulated board (back end simulated)"));
    const ProgramRun library = run("menu MENUBAR_HELP_ABOUT\n");
    EXPECT_THAT(library.out, HasSubstr(std::string("Board: Dev1, real board (back end daqmx, "
                                                   "driver library ") +
                                       DAQMX_STANDIN + ")"));
    fs::remove(script);

    const ProgramRun unknown = runProgram({"--headless", "--backend", "turbo"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_THAT(unknown.err, HasSubstr("unknown back end \"turbo\" (known: simulated, daqmx"));
    // A real board's samples come on the real clock, which simulated time cannot move.
    const ProgramRun simulatedTime =
        runProgram({"--headless", "--sim-time", "--driver-library", DAQMX_STANDIN});
    EXPECT_EQ(simulatedTime.status, 2);
    EXPECT_THAT(simulatedTime.err, HasSubstr("--sim-time needs a simulated board"));
}

}  // namespace
