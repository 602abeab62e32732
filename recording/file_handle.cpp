#include "recording/file_handle.h"

#include "platform/ui/runtime_files.h"

namespace trelvanix::recording {

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.release();
    }
    return *this;
}

FileHandle::~FileHandle() {
    close();
}

int FileHandle::close() {
    if (!isOpen()) return 0;
    return CloseFile(release());
}

int FileHandle::release() {
    const int handle = handle_;
    handle_ = -1;
    return handle;
}

}  // namespace trelvanix::recording
