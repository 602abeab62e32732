#include "platform/driver/backend_registry.h"

namespace trelvanix::driver {

const BackendEntry* backendNamed(std::string_view name) {
    for (const BackendEntry* entry : registeredBackends())
        if (name == entry->name) return entry;
    return nullptr;
}

std::string describeBoard(std::string_view device) {
    const BoardInUse& board = boardInUse();
    std::string text(device);
    text += board.simulated ? ", simulated board (back end " : ", real board (back end ";
    text += board.backend;
    if (!board.driverLibrary.empty()) text += ", driver library " + board.driverLibrary;
    if (!board.deviceFile.empty()) text += ", device file " + board.deviceFile;
    if (!board.boardFile.empty()) text += ", board file " + board.boardFile;
    return text + ")";
}

}  // namespace trelvanix::driver
