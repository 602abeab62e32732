#pragma once
// The toolkit's run-time file utilities under their toolkit names: the current directory,
// numbers from text files, byte buffers and raw file handles. Every file access goes through
// the seam of file_system.h; failures are negative statuses, and lastFileError() says why.

#include <cstddef>
#include <string>

// OpenFile modes, actions and types.
enum { VAL_READ_WRITE = 0, VAL_READ_ONLY = 1, VAL_WRITE_ONLY = 2 };
enum { VAL_TRUNCATE = 0, VAL_APPEND = 1, VAL_OPEN_AS_IS = 2 };
enum { VAL_BINARY = 0, VAL_ASCII = 1 };
// SetFilePtr origins.
enum { VAL_FILE_START = 0, VAL_FILE_CURRENT = 1, VAL_FILE_END = 2 };

// Statuses of the run-time file utilities: 0 or positive is success.
enum {
    FILE_OpenFailed = -1,
    FILE_WriteFailed = -2,  // also a write that stored fewer bytes than asked
    FILE_ReadFailed = -3,
    FILE_BadHandle = -4,
    FILE_BadArgument = -5,
    FILE_TooFewValues = -6,  // FileToArray: the file ended early
    FILE_BadNumber = -7,     // FileToArray: a word is not a number
    FILE_DirectoryFailed = -8,
    FILE_CloseFailed = -9,
    FILE_SeekFailed = -10,
};

// Why the last failing call failed ("No space left on device", "line 3: ...").
const std::string& lastFileError();

// --- Current directory ---
int SetDir(const char* directory);
int GetDir(std::string* directory);
// Into a fixed buffer, always terminated; a longer path is a failure, never an overrun.
int GetDirText(char* buffer, std::size_t size);
template <std::size_t N>
int GetDir(char (&buffer)[N]) {
    return GetDirText(buffer, N);
}

// Reads `count` decimal numbers, written one per line (blanks around them are allowed), into
// array. Numbers read before a failure stay in the array. Returns 0 or a negative status.
// With `lines`, lines[i] receives the line (from 1) that number i stands on.
int FileToArray(const char* path, double* array, int count, int* lines = nullptr);

// --- Byte buffers ---
// Index in buffer of pattern within buffer[start, start + count) (count -1: up to the
// terminating zero), the rightmost match when fromRight is set; -1 when there is none.
int FindPattern(const char* buffer, int start, int count, const char* pattern, int caseSensitive,
                int fromRight);
// Copies count bytes from src + srcIndex to dest + destIndex (the ranges may overlap).
void CopyBytes(char* dest, int destIndex, const char* src, int srcIndex, int count);

// --- Raw file handles ---
// Returns a handle >= 1, or a negative status.
int OpenFile(const char* path, int mode, int action, int type);
// Returns count when every byte was written, else a negative status.
int WriteFile(int handle, const char* buffer, int count);
// Returns the bytes read (0 at the end of the file), or a negative status.
int ReadFile(int handle, char* buffer, int count);
// Moves the file position (origin VAL_FILE_START, VAL_FILE_CURRENT, VAL_FILE_END); returns
// the new position or a negative status.
long SetFilePtr(int handle, long offset, int origin);
// Returns 0, or a negative status when the data could not be committed; the handle is
// released either way.
int CloseFile(int handle);
// Reads the whole file at `path` (as text) into *text, giving up once it holds more than
// `limit` bytes: a file that grew after it was checked. Failed leaves lastFileError() saying why.
enum class WholeFile { Read, Failed, TooLarge };
WholeFile ReadWholeFile(const std::string& path, std::size_t limit, std::string* text);
// Releases every open handle without committing it and forgets the last error: the runtime
// files as the program starts.
void ForgetOpenFiles();
