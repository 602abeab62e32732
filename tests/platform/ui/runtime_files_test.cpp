#include "platform/ui/runtime_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/ui/file_system.h"
#include "tests/platform/ui/failing_file_system.h"

using namespace trelvanix::ui;
namespace fs = std::filesystem;

namespace {

using trelvanix::ui::testing::FailingFileSystem;

class RuntimeFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("trelvanix_runtime_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        installFileSystem(nullptr);
        fs::remove_all(dir_);
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    void writeText(const std::string& name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
    }
    fs::path dir_;
};

TEST_F(RuntimeFiles, WritesRewritesAndReadsThroughHandles) {
    const int handle = OpenFile(path("data.bin").c_str(), VAL_READ_WRITE, VAL_TRUNCATE, VAL_BINARY);
    ASSERT_GE(handle, 1);
    EXPECT_EQ(WriteFile(handle, "0123456789", 10), 10);
    EXPECT_EQ(SetFilePtr(handle, 2, VAL_FILE_START), 2);
    EXPECT_EQ(WriteFile(handle, "ab", 2), 2);  // rewriting in place, as a header is
    EXPECT_EQ(SetFilePtr(handle, 0, VAL_FILE_START), 0);
    char buffer[16] = {};
    EXPECT_EQ(ReadFile(handle, buffer, 16), 10);
    EXPECT_STREQ(buffer, "01ab456789");
    EXPECT_EQ(CloseFile(handle), 0);
    EXPECT_EQ(CloseFile(handle), FILE_BadHandle);
    EXPECT_EQ(WriteFile(handle, "x", 1), FILE_BadHandle);

    const int append = OpenFile(path("data.bin").c_str(), VAL_WRITE_ONLY, VAL_APPEND, VAL_BINARY);
    EXPECT_EQ(WriteFile(append, "!", 1), 1);
    EXPECT_EQ(CloseFile(append), 0);
    EXPECT_EQ(fs::file_size(path("data.bin")), 11u);
}

TEST_F(RuntimeFiles, FailuresAreNegativeAndSayWhy) {
    FailingFileSystem failing;
    installFileSystem(&failing);

    failing.failOpen = true;
    EXPECT_EQ(OpenFile(path("a.bin").c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY),
              FILE_OpenFailed);
    EXPECT_NE(lastFileError().find("Permission denied"), std::string::npos);
    failing.failOpen = false;

    // The disk fills up part-way through the second write.
    failing.spaceLeft = 15;
    const int handle = OpenFile(path("a.bin").c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY);
    ASSERT_GE(handle, 1);
    EXPECT_EQ(WriteFile(handle, "0123456789", 10), 10);
    EXPECT_EQ(WriteFile(handle, "0123456789", 10), FILE_WriteFailed);
    EXPECT_NE(lastFileError().find("wrote 5 of 10"), std::string::npos) << lastFileError();
    EXPECT_EQ(CloseFile(handle), 0);

    failing.spaceLeft = SIZE_MAX;
    failing.shortWrites = true;
    const int other = OpenFile(path("b.bin").c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY);
    EXPECT_EQ(WriteFile(other, "0123", 4), FILE_WriteFailed);
    EXPECT_EQ(CloseFile(other), 0);

    EXPECT_EQ(OpenFile(path("c.bin").c_str(), 7, VAL_TRUNCATE, VAL_BINARY), FILE_BadArgument);
    installFileSystem(nullptr);
    EXPECT_EQ(OpenFile(path("missing/c.bin").c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII),
              FILE_OpenFailed);
}

TEST_F(RuntimeFiles, FileToArrayReadsNumbersAndReportsShortOrMalformedFiles) {
    double values[4] = {};
    writeText("good.wfm", "1.5\n-2\n 3e-3 \r\n+4\n5\n");
    EXPECT_EQ(FileToArray(path("good.wfm").c_str(), values, 4), 0);
    EXPECT_DOUBLE_EQ(values[2], 0.003);
    EXPECT_DOUBLE_EQ(values[3], 4);

    double shortRead[4] = {9, 9, 9, 9};
    writeText("short.wfm", "1\n2\n");
    EXPECT_EQ(FileToArray(path("short.wfm").c_str(), shortRead, 4), FILE_TooFewValues);
    EXPECT_DOUBLE_EQ(shortRead[1], 2);  // what was read stays
    EXPECT_DOUBLE_EQ(shortRead[2], 9);

    writeText("bad.wfm", "1\n2\nthree\n4\n");
    EXPECT_EQ(FileToArray(path("bad.wfm").c_str(), values, 4), FILE_BadNumber);
    EXPECT_NE(lastFileError().find(":3: not a number: three"), std::string::npos);
    writeText("nan.wfm", "1\nnan\n");
    EXPECT_EQ(FileToArray(path("nan.wfm").c_str(), values, 2), FILE_BadNumber);

    EXPECT_EQ(FileToArray(path("none.wfm").c_str(), values, 4), FILE_OpenFailed);
}

TEST_F(RuntimeFiles, DirectoriesAndBoundedGetDir) {
    std::string before;
    ASSERT_EQ(GetDir(&before), 0);
    EXPECT_EQ(SetDir(dir_.string().c_str()), 0);
    std::string now;
    GetDir(&now);
    EXPECT_EQ(fs::path(now), fs::canonical(dir_));
    char tiny[4];
    EXPECT_EQ(GetDir(tiny), FILE_BadArgument);
    EXPECT_EQ(SetDir(path("no/such").c_str()), FILE_DirectoryFailed);
    EXPECT_EQ(SetDir(before.c_str()), 0);
}

TEST(ByteBuffers, FindPatternAndCopyBytes) {
    const char text[] = "Trelvanix trelvanix";
    EXPECT_EQ(FindPattern(text, 0, -1, "trel", 1, 0), 10);
    EXPECT_EQ(FindPattern(text, 0, -1, "trel", 0, 0), 0);
    EXPECT_EQ(FindPattern(text, 0, -1, "TREL", 0, 1), 10);
    EXPECT_EQ(FindPattern(text, 1, 8, "trel", 0, 0), -1);  // the range stops before the match
    EXPECT_EQ(FindPattern(text, 0, 4, "Trelv", 1, 0), -1);
    EXPECT_EQ(FindPattern(text, 0, -1, "", 1, 0), -1);

    char buffer[] = "abcdef";
    CopyBytes(buffer, 2, buffer, 0, 3);  // overlapping ranges copy as if through a buffer
    EXPECT_STREQ(buffer, "ababcf");
}

}  // namespace
