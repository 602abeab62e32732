#pragma once
// Board back ends by registration. Each back end describes itself in its own source file with
// one small entry (its name, whether it is simulated, how to make one); the build lists the
// entries (TRELVANIX_DRIVER_BACKENDS in this folder's CMakeLists.txt), the first being the
// default. Nothing else names a back end: start-up picks one from its command line.

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/driver/board_config.h"
#include "platform/driver/driver_backend.h"

namespace trelvanix::driver {

// What start-up hands the back end it makes: the board file's description, the driver
// library named on the command line or in the board file, and the board file's device file.
struct BoardSettings {
    std::string boardFile;  // empty: no board file
    BoardConfig simulated = defaultBoardConfig();
    std::string driverLibrary;  // empty: none named
    std::string deviceFile;     // empty: none named
};

struct BackendEntry {
    const char* name;  // what --backend NAME selects
    bool simulated;
    bool loadsDriverLibrary;  // needs BoardSettings::driverLibrary; chosen when one is named
    const char* summary;      // one line for the usage text
    // A new back end, or null with *error saying why none could be made.
    std::unique_ptr<DriverBackend> (*make)(const BoardSettings& settings, std::string* error);
    // The library loaded when none is named; null: one must be named.
    const char* defaultDriverLibrary = nullptr;
    // Non-null for a back end that opens a device file: the one opened when none is named.
    const char* defaultDeviceFile = nullptr;
};

// Every registered back end, the default first.
std::span<const BackendEntry* const> registeredBackends();
const BackendEntry* backendNamed(std::string_view name);

// The board in use, for the window title and the About text.
struct BoardInUse {
    std::string backend;  // the entry's name
    bool simulated = true;
    std::string driverLibrary;  // the library loaded, or empty
    std::string boardFile;      // the board file read, or empty
    std::string deviceFile;     // the device file opened, or empty
};

// The back end the operations use; the first registered back end, made with default
// settings, until another is installed.
DriverBackend& driverBackend();
// Replaces the back end; its predecessor's tasks are gone with it. Also forgets the last error.
void installDriverBackend(std::unique_ptr<DriverBackend> backend, BoardInUse board);
const BoardInUse& boardInUse();
// "Dev1, simulated board (back end simulated)", or for a real board
// "Dev1, real board (back end daqmx, driver library /opt/lib/libnidaqmx.so)"; a device file
// opened and a board file read follow (", device file /dev/comedi0, board file lab.board").
std::string describeBoard(std::string_view device);

}  // namespace trelvanix::driver
