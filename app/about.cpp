// The Help menu's About item.

#include <string>

#include "app/remote_listening.h"
#include "daq/device_init.h"
#include "platform/driver/backend_registry.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"

void trelvanix::callbacks::About(int menuBar, int menuItem, void* callbackData, int panel) {
    const std::string text = "Trelvanix 8.07\nBench acquisition and stimulation\nBoard: " +
                             trelvanix::driver::describeBoard(trelvanix::kBoardDevice) + "\n" +
                             trelvanix::RemoteControlStatus();
    MessagePopup("About Trelvanix", text.c_str());
}
