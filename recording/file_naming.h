#pragma once
// Helpers of the file naming that are not the program's own procedures.

#include <string>
#include <vector>

namespace trelvanix::recording {

// The suffix as it goes into a file name: at most 51 characters, each forbidden character
// (\ ? * / < > | " :) replaced by "_", reporting each position on standard error.
std::string cleanSuffix(std::string suffix);

// The paths of a file set for a name stem ("2026_01_01_12_00_00_cellA"): the single file, or
// file 1 and file 2 of the save options in their directories.
std::vector<std::string> fileSetPaths(const std::string& stem);

// The stem itself when none of its set's files exists yet, else the stem with "-2", "-3", ...
// appended: an existing file is never overwritten and the date-time prefix is kept.
std::string unusedStem(const std::string& stem);

}  // namespace trelvanix::recording
