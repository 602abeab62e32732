// The data folder chosen from the Options menu, and the elapsed-time display's reset.

#include <string>

#include "app/acquisition_settings.h"
#include "daq/device_init.h"
#include "platform/clock/clock.h"
#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace {
// The folder last chosen is the default of the next choice; empty until one is chosen.
std::string chosenFolder;
}  // namespace

void trelvanix::ForgetChosenDataFolder() {
    chosenFolder.clear();
}

void trelvanix::callbacks::SetDirectory(int menuBar, int menuItem, void* callbackData, int panel) {
    const std::string folder = chosenFolder.empty() ? trelvanix::DataFolder() : chosenFolder;
    std::string chosen;
    if (DirSelectPopup(folder.c_str(), "Select Directory", 1, 1, &chosen) > 0) {
        if (SetDir(chosen.c_str()) == 0)
            chosenFolder = chosen;
        else
            MessagePopup("Error!", ("Cannot make " + chosen + " the data directory.").c_str());
    }
    trelvanix::ShowDateAndTimeOf(trelvanix::kFolderSetAt);
}

int trelvanix::callbacks::ResetTime(int panel, int control, int event, void* callbackData,
                                    int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) Timer_start = Timer();
    return 0;
}
