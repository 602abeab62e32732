#pragma once
// The board a run uses, chosen at start-up from the command line: a back end by name
// (--backend NAME), a board file (--board FILE) and a driver library (--driver-library FILE,
// or a driver-library line in the board file). Without a name, a board file's device-file
// line selects the first back end that opens a device file, a driver library the first that
// loads one; otherwise the default back end (the simulated board) runs.

#include <cstdint>
#include <string>

namespace trelvanix::driver {

struct BoardChoice {
    std::string backend;        // empty: chosen as above
    std::string boardFile;      // empty: none
    std::string driverLibrary;  // empty: none, or the board file's
};

// Reads the board file, makes the chosen back end and installs it with the board file's
// faults. Returns 0, or a negative status with *error saying what is wrong (the file, the
// line, the library, the missing function); the board in use is then left as it was.
std::int32_t startBoard(const BoardChoice& choice, std::string* error);

// The usage text's lines on the back ends, one "NAME  SUMMARY" each, indented to follow the
// option's description.
std::string backendListText();

}  // namespace trelvanix::driver
