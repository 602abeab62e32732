#include "platform/files/operator_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

using namespace trelvanix::files;
namespace fs = std::filesystem;

namespace {

constexpr OperatorFile kKinds[] = {OperatorFile::Protocol,   OperatorFile::Waveform,
                                   OperatorFile::Parameters, OperatorFile::DriverLibrary,
                                   OperatorFile::Board,      OperatorFile::Script};

// Every kind takes a file up to its bound and refuses one byte more, a folder, a device and a
// pipe, all without opening them (a pipe would block the open); a missing file is left to the
// open that follows.
TEST(OperatorFiles, EachKindIsBoundedAndOnlyRegularFilesPass) {
    const fs::path folder = fs::path(::testing::TempDir()) / "operator_files";
    fs::create_directories(folder);
    const fs::path pipe = folder / "pipe";
    fs::remove(pipe);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const fs::path sparse = folder / "sparse";
    for (OperatorFile kind : kKinds) {
        const std::string name = kindName(kind);
        std::ofstream(sparse).close();
        fs::resize_file(sparse, largestFile(kind));
        EXPECT_EQ(fileProblem(sparse, kind), "") << name;
        fs::resize_file(sparse, largestFile(kind) + 1);
        EXPECT_EQ(fileProblem(sparse, kind).find("it is larger than "), 0u) << name;
        EXPECT_NE(fileProblem(sparse, kind).find("the most a " + name + " can be"),
                  std::string::npos);
        EXPECT_EQ(fileProblem(folder, kind), "it is a folder, not a " + name);
        EXPECT_EQ(fileProblem("/dev/zero", kind), "it is a device or a pipe, not a " + name);
        EXPECT_EQ(fileProblem(pipe, kind), "it is a device or a pipe, not a " + name);
        EXPECT_EQ(fileProblem(folder / "missing", kind), "");
    }
    EXPECT_EQ(largestFile(OperatorFile::Parameters), 4u << 20);
    fs::remove_all(folder);
}

}  // namespace
