// The active channel, the one the display controls act on: chosen by clicking its label
// box; its trace colour and its board gain.

#include "analysis/units.h"
#include "app/display_controls.h"
#include "app/state/shared_state.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"

namespace trelvanix {

void ShowBoardGainOf(int ch) {
    SetCtrlVal(panelHandle, PANEL_BOARD_GAIN_DISPLAY, static_cast<double>(GainList[ch]));
    SetCtrlIndex(panelHandle, PANEL_BOARD_GAIN, AILimitsIndex[ch]);
}

}  // namespace trelvanix

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

void setColorsAccording2Channel(int index) {
    const int color = Colors[index];
    // The colour control shows the trace colour of the channel it will change.
    SetCtrlVal(panelHandle, PANEL_COLOR, color);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_YLABEL_COLOR, color);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_YNAME_COLOR, color);
    SetCtrlAttribute(panelHandle, PANEL_YDIVS, ATTR_TEXT_COLOR, color);
    SetCtrlAttribute(panelHandle, PANEL_YDIVS, ATTR_LABEL_COLOR, color);
    for (int control : {PANEL_GAIN, PANEL_OFFSET, PANEL_SWEEP, PANEL_BOARD_GAIN_DISPLAY,
                        PANEL_UNIT_CAPTION, PANEL_UNIT})
        SetCtrlAttribute(panelHandle, control, ATTR_TEXT_COLOR, color);
    // A check box shows its label as its text: both colours, whichever the front end draws.
    SetCtrlAttribute(panelHandle, CheckID[index], ATTR_LABEL_COLOR, color);
    SetCtrlAttribute(panelHandle, CheckID[index], ATTR_TEXT_COLOR, color);
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
