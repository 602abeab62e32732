#include "recording/file_handle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "platform/ui/runtime_files.h"

using trelvanix::recording::FileHandle;

namespace {

int openScratch() {
    const std::string path =
        (std::filesystem::temp_directory_path() / "trelvanix_file_handle_test.bin").string();
    return OpenFile(path.c_str(), VAL_READ_WRITE, VAL_TRUNCATE, VAL_BINARY);
}

bool usable(int handle) {
    return WriteFile(handle, "x", 1) == 1;
}

// One owner at a time: a move hands the file over, the last owner closes it as it goes, and
// a released handle stays open for whoever took it.
TEST(FileHandle, ClosesOnceByItsLastOwner) {
    const int raw = openScratch();
    ASSERT_GT(raw, 0);
    {
        FileHandle first(raw);
        FileHandle second(std::move(first));
        EXPECT_FALSE(first.isOpen());
        EXPECT_EQ(second.get(), raw);
        EXPECT_TRUE(usable(raw));
    }
    EXPECT_FALSE(usable(raw)) << "closed when its owner went";

    const int kept = openScratch();
    {
        FileHandle owner(kept);
        EXPECT_EQ(owner.release(), kept);
    }
    EXPECT_TRUE(usable(kept));
    FileHandle later(kept);
    EXPECT_EQ(later.close(), 0);
    EXPECT_FALSE(later.isOpen());
    EXPECT_FALSE(usable(kept));
    EXPECT_EQ(later.close(), 0) << "closing twice is harmless";
}

}  // namespace
