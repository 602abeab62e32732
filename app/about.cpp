// The Help menu's About item.

#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"

void trelvanix::callbacks::About(int menuBar, int menuItem, void* callbackData, int panel) {
    MessagePopup("About Trelvanix", "Trelvanix 8.07\nBench acquisition and stimulation");
}
