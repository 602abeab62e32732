#include "platform/ui/file_system.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace trelvanix::ui {

namespace {

std::string systemError() {
    return std::strerror(errno);
}

class PosixStream final : public FileStream {
  public:
    explicit PosixStream(int fd) : fd_(fd) {}
    ~PosixStream() override {
        if (fd_ >= 0) ::close(fd_);
    }

    std::size_t write(const char* data, std::size_t count, std::string* error) override {
        std::size_t done = 0;
        while (done < count) {
            const ssize_t n = ::write(fd_, data + done, count - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                *error = n < 0 ? systemError() : "nothing could be written";
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    long read(char* data, std::size_t count, std::string* error) override {
        for (;;) {
            const ssize_t n = ::read(fd_, data, count);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) *error = systemError();
            return static_cast<long>(n);
        }
    }

    long seek(long offset, int origin, std::string* error) override {
        const off_t position = ::lseek(fd_, offset, origin);
        if (position < 0) *error = systemError();
        return static_cast<long>(position);
    }

    bool close(std::string* error) override {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) == 0) return true;
        *error = systemError();
        return false;
    }

  private:
    int fd_;
};

class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<FileStream> open(const std::string& path, int flags,
                                     std::string* error) override {
        // Never waits: a pipe without a writer (or reader) opens at once, or fails, instead of
        // holding the program; regular files behave as without the flag.
        const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0644);
        if (fd < 0) {
            *error = systemError();
            return nullptr;
        }
        return std::make_unique<PosixStream>(fd);
    }
};

FileSystem* installed = nullptr;

}  // namespace

FileSystem& standardFileSystem() {
    static PosixFileSystem standard;
    return standard;
}

FileSystem& fileSystem() {
    return installed ? *installed : standardFileSystem();
}

FileSystem* installFileSystem(FileSystem* replacement) {
    FileSystem* previous = installed;
    installed = replacement;
    return previous;
}

}  // namespace trelvanix::ui
