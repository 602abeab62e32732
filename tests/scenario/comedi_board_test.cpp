// Whole-program runs on a board driven through Comedi: the test stand-in for libcomedi, its
// device file named in a board file. A real board runs on the real clock, so these runs are
// short.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "recording/vnx_reader.h"
#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

class ComediRun : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = dataFolder() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(folder_);
        useDataFolder(folder_);
        std::ofstream{folder_ / "comedi0"};
        std::ofstream(folder_ / "lab.board")
            << "driver-library " << COMEDI_STANDIN << "\ndevice-file comedi0\n";
        ::setenv("TRELVANIX_STANDIN_LOG", (folder_ / "standin.log").c_str(), 1);
        ::unsetenv("TRELVANIX_STANDIN_FAIL");
    }
    void TearDown() override {
        ::unsetenv("TRELVANIX_STANDIN_LOG");
        ::unsetenv("TRELVANIX_STANDIN_FAIL");
        fs::remove_all(folder_);
    }

    ProgramRun run(const std::string& script) {
        std::ofstream(folder_ / "run.txt") << script;
        return runProgram({"--headless", "--board", (folder_ / "lab.board").string(), "--script",
                           (folder_ / "run.txt").string()});
    }
    std::vector<std::string> calls() const {
        std::ifstream in(folder_ / "standin.log");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    fs::path dataFile() const {
        for (const auto& entry : fs::directory_iterator(folder_))
            if (entry.path().extension() == ".vnx") return entry.path();
        return {};
    }
    // What vnxinfo prints for the data file, with `option`.
    std::string vnxinfo(const std::string& option) const {
        const std::string command =
            std::string(VNXINFO_PROGRAM) + " '" + dataFile().string() + "' " + option + " 2>&1";
        std::string text;
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            char chunk[65536];
            for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
                text.append(chunk, n);
            ::pclose(pipe);
        }
        return text;
    }

    fs::path folder_;
};

TEST_F(ComediRun, TwoChannelsAreRecordedAsTheBoardServesThemWithinAStep) {
    const ProgramRun result =
        run("set PANEL CHECK_1 1\nset PANEL RECORD_TIME 1\npress PANEL ACQUIRE\nwait 0.3\n"
            "press PANEL RECORD\nwait 2.2\nmenu MENUBAR_HELP_ABOUT\npress PANEL STOP\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("Board: Dev1, real board (back end comedi, driver library " +
                                      std::string(COMEDI_STANDIN) + ", device file " +
                                      (folder_ / "comedi0").string()));
    // The scans as vnxinfo reads them: time, then ai0 and ai1 in volts (+-5 V by default).
    std::istringstream csv(vnxinfo("--csv"));
    std::string line;
    std::getline(csv, line);
    std::vector<std::pair<double, double>> volts;
    for (double t, a, b;
         std::getline(csv, line) && std::sscanf(line.c_str(), "%lf,%lf,%lf", &t, &a, &b) == 3;)
        volts.emplace_back(a, b);
    ASSERT_EQ(volts.size(), 4000u);
    // aiP serves the codes 32768 + (P + 1) * 1000 + (scan mod 100) of its range, 65535 steps
    // over 10 V; the file keeps 65536 steps.
    const double step = 10.0 / 65536;
    const auto served = [](int p, std::size_t m) {
        return -5.0 + 10.0 * (32768 + (p + 1) * 1000 + m) / 65535;
    };
    std::size_t first = 0;  // the scan where the ramp starts again at 0
    while (first + 1 < volts.size() && volts[first + 1].first > volts[first].first) ++first;
    ++first;
    for (std::size_t k = 0; k < volts.size(); ++k) {
        const std::size_t m = (k + 100 - first % 100) % 100;
        ASSERT_NEAR(volts[k].first, served(0, m), step) << k;
        ASSERT_NEAR(volts[k].second, served(1, m), step) << k;
    }
    const std::vector<std::string> logged = calls();
    ASSERT_GE(logged.size(), 3u);
    EXPECT_EQ(logged[1],
              "comedi_command 0 flags 0 start 2/0 scan 16/250000 stop 1/0 chanlist 0/1/0 1/1/0");
    EXPECT_EQ(logged.back(), "comedi_close");
}

TEST_F(ComediRun, AStimulusReachesTheOutputAsItsValuesAtItsRateThen0V) {
    // The default pulse: 1000 units from 500 to 600 ms of 1200 ms, at 500 units per volt.
    const ProgramRun result =
        run("menu MENUBAR_STIMULUS_INJECT\nset INJECT WAVEFORM 0\nset INJECT CHANNEL 1\n"
            "set INJECT CONVERSION 500\npress PANEL ACQUIRE\nwait 0.3\npress INJECT START\n"
            "wait 1.8\npress PANEL STOP\n");
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<std::string> output;
    for (const std::string& line : calls())
        if (line.rfind("comedi_command 1", 0) == 0 || line.rfind("ao1", 0) == 0 ||
            line.rfind("comedi_cancel 1", 0) == 0 || line.rfind("comedi_data_write", 0) == 0)
            output.push_back(line);
    // At 1000 S/s: 500 samples of 0 V, 100 of 2 V, then 0 V until the stimulus is over.
    ASSERT_GE(output.size(), 6u);
    EXPECT_EQ(output[0],
              "comedi_command 1 flags 64 start 128/0 scan 16/1000000 stop 1/0 "
              "chanlist 1/0/0");
    EXPECT_EQ(output[1], "ao1 32768 x 500");
    EXPECT_EQ(output[2], "ao1 39321 x 100");
    EXPECT_THAT(output[3], ::testing::StartsWith("ao1 32768 x "));
    EXPECT_THAT(std::vector<std::string>(output.end() - 3, output.end()),
                ElementsAre("comedi_cancel 1", "comedi_data_write 1 1 0 0 32768",
                            "comedi_data_write 1 1 0 0 32768"));
}

// As on the simulated board: the run ends with the board's text on the error output, and
// the recording under way is finalised.
TEST_F(ComediRun, AnOverflowOrAFailedCommandIsShownAndTheRecordingFinalised) {
    ::setenv("TRELVANIX_STANDIN_FAIL", "read 6000 32", 1);
    const ProgramRun overflow =
        run("set PANEL RECORD_TIME 10\npress PANEL ACQUIRE\nwait 0.3\npress PANEL RECORD\n"
            "wait 2\n");
    EXPECT_EQ(overflow.status, 0) << overflow.err;
    EXPECT_THAT(overflow.err,
                HasSubstr("task \"Vanix_AnalogIn_Task\": the board's buffer overflowed: "
                          "samples were lost before they could be read (Comedi: Broken pipe)\n"
                          "Status Code: -200279"));
    // The file declares the whole stretches it holds, recorded before the stream ended.
    std::string error;
    const auto info = trelvanix::vnx::readHeader(dataFile().string(), &error);
    ASSERT_TRUE(info) << error;
    EXPECT_GT(info->samples, 0);
    EXPECT_EQ(info->declaredSamples, info->samples);
    EXPECT_EQ(info->samples % 400, 0);

    ::setenv("TRELVANIX_STANDIN_FAIL", "comedi_command 1 16", 1);
    const ProgramRun refused = run("press PANEL ACQUIRE\nwait 0.3\n");
    EXPECT_EQ(refused.status, 0) << refused.err;
    EXPECT_THAT(refused.err, HasSubstr("DAQmxStartTask: the input command of task "
                                       "\"Vanix_AnalogIn_Task\" cannot start (Comedi: Device or "
                                       "resource busy)\nStatus Code: -50103"));
}

}  // namespace
