// The sweep: its length (typed in, halved or doubled), single-sweep mode and restarting the
// sweep at the left edge.

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/display_controls.h"
#include "daq/device_init.h"
#include "platform/clock/clock.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/panel_states.h"
#include "state/shared_state.h"

namespace {

double timeAxisMaximum() {
    int mode = 0;
    double min = 0.0, max = 0.0;
    GetAxisScalingMode(panelHandle, PANEL_GRAPH, VAL_XAXIS, &mode, &min, &max);
    return max;
}

void setSweepLength(double seconds) {
    SetCtrlVal(panelHandle, PANEL_SWEEP, seconds);
    scale_change();
}

}  // namespace

int trelvanix::callbacks::SetTime(int panel, int control, int event, void* callbackData,
                                  int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) scale_change();
    return 0;
}

int trelvanix::callbacks::forward(int panel, int control, int event, void* callbackData,
                                  int eventData1, int eventData2) {
    if (event != EVENT_LEFT_CLICK) return -1;
    setSweepLength(timeAxisMaximum() / 2.0);
    return 0;
}

int trelvanix::callbacks::backward(int panel, int control, int event, void* callbackData,
                                   int eventData1, int eventData2) {
    if (event != EVENT_LEFT_CLICK) return -1;
    setSweepLength(2.0 * timeAxisMaximum());
    return 0;
}

void hold() {
    // The time display shows when the sweep was held, and again the start of acquisition
    // once the sweep runs live.
    static std::string startedAt;
    Vanix_Mode = Vanix_Mode ? 0 : 1;
    if (Vanix_Mode == 1) {
        GetCtrlVal(panelHandle, PANEL_TIME, &startedAt);
        // The moment the captured sweep was asked for.
        int hours = 0, minutes = 0, seconds = 0;
        GetSystemTime(&hours, &minutes, &seconds);
        char text[16];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", hours, minutes, seconds);
        SetCtrlVal(panelHandle, PANEL_TIME, text);
        SetCtrlAttribute(panelHandle, PANEL_TIME, ATTR_LABEL_TEXT, trelvanix::kHeldAt);
        Hold_status = 0;
    } else {
        DeleteGraphPlot(panelHandle, PANEL_GRAPH, -1, VAL_IMMEDIATE_DRAW);
        Count = -1;
        SetCtrlVal(panelHandle, PANEL_TIME, startedAt.c_str());
        SetCtrlAttribute(panelHandle, PANEL_TIME, ATTR_LABEL_TEXT, trelvanix::kStartedAt);
    }
    trelvanix::ShowHoldButton();
    // A held sweep can be looked at closely; the live one keeps its axes.
    SetGraphInspection(panelHandle, PANEL_GRAPH, Vanix_Mode == 1 || Acquiring == 0);
}

int trelvanix::callbacks::pause(int panel, int control, int event, void* callbackData,
                                int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) hold();
    return 0;
}

int trelvanix::callbacks::Refresh(int panel, int control, int event, void* callbackData,
                                  int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    Count = -1;
    ResetGraphView(panelHandle, PANEL_GRAPH);
    return 0;
}
