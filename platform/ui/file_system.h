#pragma once
// The seam every run-time file operation goes through. The standard implementation uses POSIX
// file descriptors, so a write that the disk refuses fails at once rather than at a later
// flush; tests install their own to make opening, writing or reading fail.

#include <cstddef>
#include <memory>
#include <string>

namespace trelvanix::ui {

class FileStream {
  public:
    virtual ~FileStream() = default;
    // Bytes written; fewer than count when the write failed part-way (error set).
    virtual std::size_t write(const char* data, std::size_t count, std::string* error) = 0;
    // Bytes read (0 at the end); negative on failure (error set).
    virtual long read(char* data, std::size_t count, std::string* error) = 0;
    // Moves the position (origin SEEK_SET, SEEK_CUR or SEEK_END); the new position or -1.
    virtual long seek(long offset, int origin, std::string* error) = 0;
    // False when the data could not be committed.
    virtual bool close(std::string* error) = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Opens with POSIX open() flags (O_RDONLY, O_WRONLY|O_CREAT|O_TRUNC, ...); null on failure.
    virtual std::unique_ptr<FileStream> open(const std::string& path, int flags,
                                             std::string* error) = 0;
};

// The file system in use: the standard one unless another is installed.
FileSystem& fileSystem();
// Installs a file system (tests); null puts the standard one back. Returns the previous one
// (null when it was the standard one).
FileSystem* installFileSystem(FileSystem* replacement);
// The standard implementation, for test file systems that fail some calls and pass the rest on.
FileSystem& standardFileSystem();

}  // namespace trelvanix::ui
