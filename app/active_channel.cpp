// The active channel, the one the display controls act on: chosen by clicking its label
// box; its trace colour and its board gain.

#include "analysis/units.h"
#include "app/display_controls.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

void channel(int control) {
    for (int i = 0; i < 8; ++i) {
        if (control != ChanID[i]) continue;
        int ticked = 0;
        GetCtrlVal(panelHandle, CheckID[i], &ticked);
        if (!ticked) return;
        setColorsAccording2Channel(i);
        if (i == Activechannel) return;
        Activechannel = i;
        trelvanix::ShowBoardGainOf(i);
        displayUnits(i);
        return;
    }
}

int trelvanix::callbacks::ActiveChannel(int panel, int control, int event, void* callbackData,
                                        int eventData1, int eventData2) {
    if (event == EVENT_LEFT_CLICK) channel(control);
    return 0;
}

int trelvanix::callbacks::SetChColor(int panel, int control, int event, void* callbackData,
                                     int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    GetCtrlVal(panelHandle, PANEL_COLOR, &Colors[Activechannel]);
    setColorsAccording2Channel(Activechannel);
    return 0;
}

int trelvanix::callbacks::Board_gain(int panel, int control, int event, void* callbackData,
                                     int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    int index = -1;
    float gain = 0.0f;
    if (GetCtrlIndex(panelHandle, PANEL_BOARD_GAIN, &index) < 0 || index < 0) return 0;
    if (GetCtrlVal(panelHandle, PANEL_BOARD_GAIN, &gain) < 0) return 0;
    AILimitsIndex[Activechannel] = index;
    GainList[Activechannel] = gain;
    return 0;
}
