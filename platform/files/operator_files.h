#pragma once
// The one check for every file an operator hands the program: protocol, waveform and parameter
// files, the driver library, board files and scripts. A folder, a device, a pipe or a socket is
// refused from its type alone, before anything opens it (opening a pipe can wait for ever), and
// so is a file larger than any sound file of its kind, before a byte of it is read.

#include <cstdint>
#include <string>

namespace trelvanix::files {

enum class OperatorFile { Protocol, Waveform, Parameters, DriverLibrary, Board, Script };

// The largest file of a kind, in bytes, far more than any sound file of that kind needs.
std::uintmax_t largestFile(OperatorFile kind);
// "protocol file", "driver library", ...
const char* kindName(OperatorFile kind);

// Why `path` cannot be read as a file of that kind ("it is a folder, not a protocol file",
// "it is larger than 1 MB, the most a waveform file can be"), or an empty text when it can.
// A path that does not exist passes: opening it says why it cannot be read.
std::string fileProblem(const std::string& path, OperatorFile kind);

}  // namespace trelvanix::files
