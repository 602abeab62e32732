// The Save menu item switches interval saving on (through the save-interval dialog) and off.

#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "recording/recording.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace {

void switchSavingOff(int menuBar, int item) {
    SetMenuBarAttribute(menuBar, item, ATTR_CHECKED, 0);
    Save_status = 0;
    SetCtrlVal(panelHandle, PANEL_SAVE_LAMP, 0);
    SetCtrlAttribute(panelHandle, PANEL_RECORD, ATTR_DIMMED, 0);
    SetCtrlAttribute(panelHandle, PANEL_STOP, ATTR_DIMMED, 0);
    Real_time = 0.0;
    // Ends the saving period in progress: both files are closed with their real sample count.
    if (Fd > 0 || Ft > 0) record_stop();
    FirstTime = 1;
}

void askForSavingInterval(int menuBar, int item) {
    SetMenuBarAttribute(menuBar, item, ATTR_CHECKED, 1);
    SetCtrlAttribute(panelHandle, PANEL_RECORD, ATTR_DIMMED, 1);
    FirstTime = 1;
    if (IntervalpanelHandle == 0) {
        const int dialog = LoadPanel(0, "trelvanix.uir", INTERVAL);
        if (dialog < 0) return;
        IntervalpanelHandle = dialog;
        SetCtrlVal(IntervalpanelHandle, INTERVAL_SAVING, Saving_interval);
        SetCtrlVal(IntervalpanelHandle, INTERVAL_PAUSE, Skip_interval);
    }
    DisplayPanel(IntervalpanelHandle);
}

}  // namespace

void trelvanix::callbacks::Save(int menuBar, int menuItem, void* callbackData, int panel) {
    int checked = 0;
    GetMenuBarAttribute(menuBar, menuItem, ATTR_CHECKED, &checked);
    if (checked)
        switchSavingOff(menuBar, menuItem);
    else
        askForSavingInterval(menuBar, menuItem);
}
