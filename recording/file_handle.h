#pragma once
// A toolkit file handle (OpenFile) owned by one object: moved, never copied, and closed when
// its owner lets go of it, so that no path out of the writer leaves a file open.

namespace trelvanix::recording {

class FileHandle {
  public:
    FileHandle() = default;
    explicit FileHandle(int handle) : handle_(handle) {}
    FileHandle(FileHandle&& other) noexcept : handle_(other.release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    // Closes a handle still open; a status the owner did not ask for has nowhere to go.
    ~FileHandle();

    int get() const { return handle_; }
    bool isOpen() const { return handle_ > 0; }
    // Closes the file now. Returns 0 (also when none was open) or CloseFile's negative status.
    int close();
    // Gives the handle up without closing it; returns it.
    int release();

  private:
    int handle_ = -1;
};

}  // namespace trelvanix::recording
