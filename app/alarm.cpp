// The alarm: while acquiring, the operator sets a time after which the time-up panel tells
// them it has passed. It fires once.

#include "app/acquisition_settings.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

int TimerSetHandle = -1;
int TimeHandle = -1;

void trelvanix::callbacks::SetTimer(int menuBar, int menuItem, void* callbackData, int panel) {
    if (TimerSetHandle == -1) {
        const int loaded = LoadPanel(0, "trelvanix.uir", TIMESET);
        if (loaded < 0) return;
        TimerSetHandle = loaded;
    }
    if (TimeHandle == -1) {
        const int loaded = LoadPanel(0, "trelvanix.uir", TIMEUP);
        if (loaded < 0) return;
        TimeHandle = loaded;
    }
    DisplayPanel(TimerSetHandle);
}

int trelvanix::callbacks::OkTimeSet(int panel, int control, int event, void* callbackData,
                                    int eventData1, int eventData2) {
    if (event != EVENT_COMMIT || Acquiring == 0) return 0;
    double seconds = 0.0;
    GetCtrlVal(TimerSetHandle, TIMESET_INTERVAL, &seconds);
    SetCtrlAttribute(panelHandle, PANEL_ALARM, ATTR_ENABLED, 1);
    SetCtrlAttribute(panelHandle, PANEL_ALARM, ATTR_INTERVAL, seconds);
    return 0;
}

int trelvanix::callbacks::HideTimeSet(int panel, int control, int event, void* callbackData,
                                      int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) HidePanel(TimerSetHandle);
    return 0;
}

int trelvanix::callbacks::TimerCallback(int panel, int control, int event, void* callbackData,
                                        int eventData1, int eventData2) {
    if (event != EVENT_TIMER_TICK) return 0;
    SetCtrlAttribute(panelHandle, PANEL_ALARM, ATTR_ENABLED, 0);
    if (TimeHandle != -1) DisplayPanel(TimeHandle);
    return 0;
}

int trelvanix::callbacks::HideTimeUp(int panel, int control, int event, void* callbackData,
                                     int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) HidePanel(TimeHandle);
    return 0;
}

// Closing either alarm window does what its Close button does.
int trelvanix::callbacks::AlarmWindowClose(int panel, int event, void* callbackData, int eventData1,
                                           int eventData2) {
    if (event != EVENT_CLOSE) return 0;
    if (panel == TimerSetHandle)
        return HideTimeSet(panel, TIMESET_CLOSE, EVENT_COMMIT, nullptr, 0, 0);
    return HideTimeUp(panel, TIMEUP_CLOSE, EVENT_COMMIT, nullptr, 0, 0);
}
