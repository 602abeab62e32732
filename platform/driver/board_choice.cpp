#include "platform/driver/board_choice.h"

#include <algorithm>
#include <vector>

#include "platform/driver/backend_registry.h"
#include "platform/driver/board_file.h"
#include "platform/driver/driver_errors.h"
#include "platform/driver/fault_injection.h"

namespace trelvanix::driver {
namespace {

std::string knownNames() {
    std::string names;
    for (const BackendEntry* entry : registeredBackends())
        names += (names.empty() ? "" : ", ") + std::string(entry->name);
    return names;
}

// The back end named, or the one a device file or the driver library calls for, or the
// default.
const BackendEntry* chosenEntry(const BoardChoice& choice, const BoardSettings& settings,
                                std::string* error) {
    if (!choice.backend.empty()) {
        const BackendEntry* entry = backendNamed(choice.backend);
        if (!entry)
            *error = "unknown back end \"" + choice.backend + "\" (known: " + knownNames() + ")";
        return entry;
    }
    if (!settings.deviceFile.empty()) {
        for (const BackendEntry* entry : registeredBackends())
            if (entry->defaultDeviceFile) return entry;
        *error = "no back end opens a device file (known: " + knownNames() + ")";
        return nullptr;
    }
    if (!settings.driverLibrary.empty()) {
        for (const BackendEntry* entry : registeredBackends())
            if (entry->loadsDriverLibrary) return entry;
        *error = "no back end loads a driver library (known: " + knownNames() + ")";
        return nullptr;
    }
    return registeredBackends().front();
}

}  // namespace

std::int32_t startBoard(const BoardChoice& choice, std::string* error) {
    std::string why;
    BoardSettings settings;
    BoardFile board;
    board.simulated = defaultBoardConfig();
    if (!choice.boardFile.empty()) {
        if (!readBoardFile(choice.boardFile, &board, &why)) {
            if (error) *error = why;
            return kErrorBoardFileInvalid;
        }
        settings.boardFile = choice.boardFile;
    }
    settings.simulated = board.simulated;
    // The command line overrides the board file's library.
    settings.driverLibrary =
        choice.driverLibrary.empty() ? board.driverLibrary : choice.driverLibrary;
    settings.deviceFile = board.deviceFile;

    const auto refuse = [&](std::string message) {
        if (error) *error = std::move(message);
        return kErrorBoardFileInvalid;
    };
    const BackendEntry* entry = chosenEntry(choice, settings, &why);
    if (!entry) return refuse(why);
    const std::string name = "back end " + std::string(entry->name);
    if (entry->loadsDriverLibrary && settings.driverLibrary.empty() && entry->defaultDriverLibrary)
        settings.driverLibrary = entry->defaultDriverLibrary;
    if (entry->loadsDriverLibrary && settings.driverLibrary.empty())
        return refuse(name +
                      " needs a driver library: give --driver-library FILE or a "
                      "driver-library line in the board file");
    if (!entry->loadsDriverLibrary && !settings.driverLibrary.empty())
        return refuse(name + " loads no driver library, but " + settings.driverLibrary +
                      " is named");
    if (!entry->defaultDeviceFile && !settings.deviceFile.empty())
        return refuse(name + " opens no device file, but " + settings.deviceFile + " is named");
    if (entry->defaultDeviceFile && settings.deviceFile.empty())
        settings.deviceFile = entry->defaultDeviceFile;
    if (!entry->simulated && !board.simulatedSetting.empty())
        return refuse(board.simulatedSetting + " describes a simulated board, but " + name +
                      " drives a real one");
    for (const FaultSpec& fault : board.simulated.faults)
        if (!operationNamed(fault.operation) || fault.call < 1 || fault.status >= 0)
            return refuse("fault " + fault.operation + " cannot be injected");

    std::unique_ptr<DriverBackend> backend = entry->make(settings, &why);
    if (!backend) return refuse(why);
    installDriverBackend(std::move(backend),
                         {entry->name, entry->simulated,
                          entry->loadsDriverLibrary ? settings.driverLibrary : std::string(),
                          settings.boardFile, settings.deviceFile});
    clearDriverFaults();
    for (const FaultSpec& fault : board.simulated.faults)
        injectDriverFault(fault.operation, fault.call, fault.status);
    return 0;
}

std::string backendListText() {
    std::string text;
    for (const BackendEntry* entry : registeredBackends()) {
        std::string name = entry->name;
        name.resize(std::max<std::size_t>(name.size() + 2, 11), ' ');
        text += "                    " + name + entry->summary + "\n";
    }
    return text;
}

}  // namespace trelvanix::driver
