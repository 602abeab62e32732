#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "recording/vnx_reader.h"
#include "tests/scenario/program_run.h"

using namespace trelvanix::scenario;
using namespace trelvanix::vnx;
namespace fs = std::filesystem;

namespace {

// During a timed recording the operator hands a pipe, a device and a 1 GB file as waveform,
// protocol and parameter files: each is refused at once with its reason (nothing blocks on the
// pipe, nothing reads the device or the huge file), and the recording ends on time with a
// header that counts what the file holds.
TEST(OperatorFiles, PipesDevicesAndHugeFilesAreRefusedWhileARecordingRunsOn) {
    const fs::path folder = dataFolder() / "operator_files";
    fs::create_directories(folder);
    useDataFolder(folder);
    const std::string pipe = (folder / "pipe").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string huge = (folder / "huge").string();
    std::ofstream(huge).close();
    fs::resize_file(huge, 1ull << 30);  // sparse: takes no disk space

    std::string script =
        "set PANEL RECORD_TIME 2\n"
        "press PANEL ACQUIRE\n"
        "wait 0.2\n"
        "press PANEL RECORD\n"
        "menu MENUBAR_STIMULUS_INJECT\n"
        "set INJECT WAVEFORM 2\n";
    for (const std::string& path : {pipe, std::string("/dev/zero"), huge})
        script += "answer file \"" + path + "\"\npress CELL LOAD\n";
    script += "menu MENUBAR_STIMULUS_PROTOCOL\n";
    for (const std::string& path : {pipe, std::string("/dev/zero"), huge})
        script += "answer file \"" + path + "\"\npress PROTOCOL LOAD\n";
    for (const std::string& path : {pipe, huge})
        script += "answer file \"" + path + "\"\nmenu MENUBAR_FILE_LOAD_PARAMS\n";
    script += "get PANEL SAVE_LAMP\nwait 3\nget PANEL SAVE_LAMP\nget PANEL ACQ_LAMP\n";
    std::ofstream(folder / "run.txt") << script;
    const ProgramRun run =
        runProgram({"--headless", "--sim-time", "--script", (folder / "run.txt").string()});
    ASSERT_EQ(run.status, 0) << run.err << run.out;

    const auto shown = [&](const std::string& text) {
        return run.out.find(text) != std::string::npos;
    };
    const std::string special = "it is a device or a pipe, not a ";
    EXPECT_TRUE(shown("The waveform file pipe cannot be used (" + special + "waveform file)"))
        << run.out;
    EXPECT_TRUE(shown("The waveform file zero cannot be used (" + special + "waveform file)"));
    EXPECT_TRUE(
        shown("The waveform file huge cannot be used (it is larger than 1 MB, the most "
              "a waveform file can be)"));
    EXPECT_TRUE(
        shown("The protocol file " + pipe + " cannot be read: " + special + "protocol file."));
    EXPECT_TRUE(shown("The protocol file /dev/zero cannot be read: " + special + "protocol file."));
    EXPECT_TRUE(
        shown("The protocol file " + huge +
              " cannot be read: it is larger than 32 MB, the most a protocol file can be."));
    EXPECT_TRUE(shown("The parameter file " + pipe + " cannot be read: " + special +
                      "parameter file. Nothing was loaded."));
    EXPECT_TRUE(shown("The parameter file " + huge +
                      " cannot be read: it is larger than 4 MB, the most a parameter file can "
                      "be. Nothing was loaded."));
    EXPECT_TRUE(shown("PANEL SAVE_LAMP = 1\nPANEL SAVE_LAMP = 0\nPANEL ACQ_LAMP = 1\n"));

    fs::path file;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".vnx") file = entry.path();
    ASSERT_FALSE(file.empty());
    std::string error;
    const auto info = readHeader(file.string(), &error);
    ASSERT_TRUE(info) << error;
    EXPECT_NEAR(info->scans(), 2.0 * info->scanRate, info->scanRate * 0.11);
    EXPECT_EQ(info->declaredSamples, info->samples);

    // A pipe named as the driver library is refused before the loader opens it.
    const ProgramRun library = runProgram({"--headless", "--driver-library", pipe});
    EXPECT_NE(library.status, 0);
    EXPECT_NE(library.err.find(pipe + ": the driver library cannot be loaded: " + special +
                               "driver library"),
              std::string::npos)
        << library.err;
    fs::remove_all(folder);
}

}  // namespace
