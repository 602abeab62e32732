#include "platform/ui/runtime_files.h"

#include <fcntl.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

#include "platform/ui/file_system.h"

using trelvanix::ui::FileStream;
using trelvanix::ui::fileSystem;

namespace {

std::string lastError;

int failure(int status, std::string why) {
    lastError = std::move(why);
    return status;
}

std::map<int, std::unique_ptr<FileStream>>& openFiles() {
    // Never destroyed: owners of static storage may close their handles while the process exits.
    static auto& files = *new std::map<int, std::unique_ptr<FileStream>>;
    return files;
}

FileStream* streamOf(int handle) {
    auto it = openFiles().find(handle);
    return it == openFiles().end() ? nullptr : it->second.get();
}

int openFlags(int mode, int action) {
    int flags = mode == VAL_READ_ONLY ? O_RDONLY : mode == VAL_WRITE_ONLY ? O_WRONLY : O_RDWR;
    if (mode == VAL_READ_ONLY) return flags;
    flags |= O_CREAT;
    if (action == VAL_TRUNCATE) flags |= O_TRUNC;
    if (action == VAL_APPEND) flags |= O_APPEND;
    return flags;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

void ForgetOpenFiles() {
    openFiles().clear();
    lastError.clear();
}

const std::string& lastFileError() {
    return lastError;
}

int SetDir(const char* directory) {
    if (!directory) return failure(FILE_BadArgument, "no directory given");
    std::error_code ec;
    std::filesystem::current_path(directory, ec);
    if (ec) return failure(FILE_DirectoryFailed, std::string(directory) + ": " + ec.message());
    return 0;
}

int GetDir(std::string* directory) {
    std::error_code ec;
    const auto path = std::filesystem::current_path(ec);
    if (ec) return failure(FILE_DirectoryFailed, ec.message());
    if (directory) *directory = path.string();
    return 0;
}

int GetDirText(char* buffer, std::size_t size) {
    std::string directory;
    const int status = GetDir(&directory);
    if (status < 0) return status;
    if (!buffer || directory.size() >= size)
        return failure(FILE_BadArgument, "the directory does not fit in the buffer: " + directory);
    std::memcpy(buffer, directory.c_str(), directory.size() + 1);
    return 0;
}

int FileToArray(const char* path, double* array, int count, int* lines) {
    if (!path || (!array && count > 0) || count < 0)
        return failure(FILE_BadArgument, "bad arguments to FileToArray");
    std::string error;
    auto stream = fileSystem().open(path, O_RDONLY, &error);
    if (!stream) return failure(FILE_OpenFailed, std::string(path) + ": " + error);
    std::string text;
    char chunk[65536];
    for (long n; (n = stream->read(chunk, sizeof chunk, &error)) != 0;) {
        if (n < 0) return failure(FILE_ReadFailed, std::string(path) + ": " + error);
        text.append(chunk, static_cast<std::size_t>(n));
    }
    stream->close(&error);

    std::size_t pos = 0;
    int line = 1;
    for (int i = 0; i < count; ++i) {
        while (pos < text.size() && isBlank(text[pos])) line += text[pos++] == '\n';
        if (pos == text.size())
            return failure(FILE_TooFewValues, std::string(path) + ": only " + std::to_string(i) +
                                                  " of " + std::to_string(count) + " numbers");
        std::size_t end = pos;
        while (end < text.size() && !isBlank(text[end])) ++end;
        const char* first = text.data() + pos + (text[pos] == '+' ? 1 : 0);
        double value = 0;
        auto [stop, ec] = std::from_chars(first, text.data() + end, value);
        if (ec != std::errc() || stop != text.data() + end || !std::isfinite(value))
            return failure(FILE_BadNumber, std::string(path) + ":" + std::to_string(line) +
                                               ": not a number: " + text.substr(pos, end - pos));
        array[i] = value;
        if (lines) lines[i] = line;
        pos = end;
    }
    return 0;
}

int FindPattern(const char* buffer, int start, int count, const char* pattern, int caseSensitive,
                int fromRight) {
    if (!buffer || !pattern || start < 0) return -1;
    const std::size_t length = count < 0 ? std::strlen(buffer + start) : count;
    const std::size_t patternLength = std::strlen(pattern);
    if (patternLength == 0 || patternLength > length) return -1;
    auto same = [caseSensitive](char a, char b) {
        return caseSensitive ? a == b
                             : std::tolower(static_cast<unsigned char>(a)) ==
                                   std::tolower(static_cast<unsigned char>(b));
    };
    auto matchesAt = [&](std::size_t at) {
        for (std::size_t k = 0; k < patternLength; ++k)
            if (!same(buffer[start + at + k], pattern[k])) return false;
        return true;
    };
    const std::size_t last = length - patternLength;
    for (std::size_t step = 0; step <= last; ++step) {
        const std::size_t at = fromRight ? last - step : step;
        if (matchesAt(at)) return start + static_cast<int>(at);
    }
    return -1;
}

void CopyBytes(char* dest, int destIndex, const char* src, int srcIndex, int count) {
    if (!dest || !src || count <= 0 || destIndex < 0 || srcIndex < 0) return;
    std::memmove(dest + destIndex, src + srcIndex, static_cast<std::size_t>(count));
}

int OpenFile(const char* path, int mode, int action, int type) {
    if (!path || mode < VAL_READ_WRITE || mode > VAL_WRITE_ONLY || action < VAL_TRUNCATE ||
        action > VAL_OPEN_AS_IS || (type != VAL_BINARY && type != VAL_ASCII))
        return failure(FILE_BadArgument, "bad arguments to OpenFile");
    std::string error;
    auto stream = fileSystem().open(path, openFlags(mode, action), &error);
    if (!stream) return failure(FILE_OpenFailed, std::string(path) + ": " + error);
    auto& files = openFiles();
    int handle = 1;
    while (files.count(handle)) ++handle;
    files.emplace(handle, std::move(stream));
    return handle;
}

int WriteFile(int handle, const char* buffer, int count) {
    FileStream* stream = streamOf(handle);
    if (!stream)
        return failure(FILE_BadHandle, "no open file has handle " + std::to_string(handle));
    if (count < 0 || (!buffer && count > 0)) return failure(FILE_BadArgument, "bad write size");
    std::string error;
    const std::size_t written = stream->write(buffer, static_cast<std::size_t>(count), &error);
    if (written != static_cast<std::size_t>(count))
        return failure(FILE_WriteFailed, "wrote " + std::to_string(written) + " of " +
                                             std::to_string(count) + " bytes: " + error);
    return count;
}

int ReadFile(int handle, char* buffer, int count) {
    FileStream* stream = streamOf(handle);
    if (!stream)
        return failure(FILE_BadHandle, "no open file has handle " + std::to_string(handle));
    if (count < 0 || (!buffer && count > 0)) return failure(FILE_BadArgument, "bad read size");
    std::string error;
    const long n = stream->read(buffer, static_cast<std::size_t>(count), &error);
    if (n < 0) return failure(FILE_ReadFailed, error);
    return static_cast<int>(n);
}

long SetFilePtr(int handle, long offset, int origin) {
    FileStream* stream = streamOf(handle);
    if (!stream)
        return failure(FILE_BadHandle, "no open file has handle " + std::to_string(handle));
    const int whence = origin == VAL_FILE_START     ? SEEK_SET
                       : origin == VAL_FILE_CURRENT ? SEEK_CUR
                       : origin == VAL_FILE_END     ? SEEK_END
                                                    : -1;
    if (whence < 0) return failure(FILE_BadArgument, "bad origin for SetFilePtr");
    std::string error;
    const long position = stream->seek(offset, whence, &error);
    if (position < 0) return failure(FILE_SeekFailed, error);
    return position;
}

int CloseFile(int handle) {
    auto& files = openFiles();
    auto it = files.find(handle);
    if (it == files.end())
        return failure(FILE_BadHandle, "no open file has handle " + std::to_string(handle));
    std::unique_ptr<FileStream> stream = std::move(it->second);
    files.erase(it);
    std::string error;
    if (!stream->close(&error)) return failure(FILE_CloseFailed, error);
    return 0;
}

WholeFile ReadWholeFile(const std::string& path, std::size_t limit, std::string* text) {
    const int file = OpenFile(path.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII);
    if (file < 0) return WholeFile::Failed;
    char block[65536];
    int got = 0;
    while ((got = ReadFile(file, block, sizeof block)) > 0) {
        text->append(block, got);
        if (text->size() > limit) {
            CloseFile(file);
            return WholeFile::TooLarge;
        }
    }
    CloseFile(file);
    return got == 0 ? WholeFile::Read : WholeFile::Failed;
}
