// The save-interval dialog that the Save menu item shows, and the record-time control: the
// values the loop obeys for interval saving and timed recording.

#include "daq/acquisition.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

int trelvanix::callbacks::ok_click(int panel, int control, int event, void* callbackData,
                                   int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    GetCtrlVal(panel, INTERVAL_SAVING, &Saving_interval);
    GetCtrlVal(panel, INTERVAL_PAUSE, &Skip_interval);
    Save_status = 1;
    Skipping = 0;
    // Interval saving is no recorded stimulus, whatever the injection panel's box says: that
    // saving would end with its first period.
    Save_inject = 0;
    SetCtrlVal(panelHandle, PANEL_SAVE_LAMP, 1);
    HidePanel(panel);
    return 0;
}

int trelvanix::callbacks::Cancel(int panel, int control, int event, void* callbackData,
                                 int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    SetCtrlAttribute(panelHandle, PANEL_RECORD, ATTR_DIMMED, 0);
    SetMenuBarAttribute(GetPanelMenuBar(panelHandle), MENUBAR_FILE_SAVE, ATTR_CHECKED, 0);
    HidePanel(panel);
    return 0;
}

// Closing the dialog's window is a Cancel: nothing changes.
int trelvanix::callbacks::SaveIntervalWindowClose(int panel, int event, void* callbackData,
                                                  int eventData1, int eventData2) {
    if (event != EVENT_CLOSE) return 0;
    return Cancel(panel, INTERVAL_CANCEL, EVENT_COMMIT, nullptr, 0, 0);
}

int trelvanix::callbacks::SetSaveTime(int panel, int control, int event, void* callbackData,
                                      int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    GetCtrlVal(panel, control, &SaveTime);
    return 0;
}
