#pragma once
// The file system tests install to make file calls fail: it passes every call on to the real
// files and fails the ones a test asks for, as a refused open or a full disk would.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/file_system.h"

namespace trelvanix::ui::testing {

class FailingFileSystem final : public FileSystem {
  public:
    bool failOpen = false;    // every open is refused
    bool failCreate = false;  // opens that would create a file are refused
    // Bytes the disk still takes; rewriting bytes a file already has needs no new space.
    std::size_t spaceLeft = SIZE_MAX;
    bool shortWrites = false;  // each write stores only half of what it is given

    std::unique_ptr<FileStream> open(const std::string& path, int flags,
                                     std::string* error) override;
};

}  // namespace trelvanix::ui::testing
