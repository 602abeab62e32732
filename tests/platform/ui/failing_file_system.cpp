#include "tests/platform/ui/failing_file_system.h"

#include <fcntl.h>

#include <algorithm>
#include <cstdio>

namespace trelvanix::ui::testing {

namespace {

class FailingStream final : public FileStream {
  public:
    FailingStream(std::unique_ptr<FileStream> real, FailingFileSystem* disk)
        : real_(std::move(real)), disk_(disk) {}

    std::size_t write(const char* data, std::size_t count, std::string* error) override {
        const long at = real_->seek(0, SEEK_CUR, error);
        const long end = real_->seek(0, SEEK_END, error);
        real_->seek(at, SEEK_SET, error);
        const std::size_t fresh = at + long(count) > end ? at + count - end : 0;
        std::size_t allowed = count - fresh + std::min(fresh, disk_->spaceLeft);
        if (disk_->shortWrites) allowed = std::min(allowed, count / 2);
        const std::size_t written = real_->write(data, allowed, error);
        const std::size_t rewritten = std::min(written, count - fresh);
        disk_->spaceLeft -= std::min(disk_->spaceLeft, written - rewritten);
        if (written < count) *error = "No space left on device";
        return written;
    }
    long read(char* data, std::size_t count, std::string* error) override {
        return real_->read(data, count, error);
    }
    long seek(long offset, int origin, std::string* error) override {
        return real_->seek(offset, origin, error);
    }
    bool close(std::string* error) override { return real_->close(error); }

  private:
    std::unique_ptr<FileStream> real_;
    FailingFileSystem* disk_;
};

}  // namespace

std::unique_ptr<FileStream> FailingFileSystem::open(const std::string& path, int flags,
                                                    std::string* error) {
    if (failOpen || (failCreate && (flags & O_CREAT))) {
        *error = "Permission denied";
        return nullptr;
    }
    auto real = standardFileSystem().open(path, flags, error);
    return real ? std::make_unique<FailingStream>(std::move(real), this) : nullptr;
}

}  // namespace trelvanix::ui::testing
