// What several layers show on the main panel's sweep display when settings change.

#include "state/main_panel_display.h"

#include <algorithm>
#include <string>

#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/menu_groups.h"
#include "state/shared_state.h"

void scale_change() {
    double length = 0.0;
    GetCtrlVal(panelHandle, PANEL_SWEEP, &length);
    // A sweep holds at least the stretch being drawn, or the loop would have nothing to end.
    // The tolerance keeps a whole multiple whole: 0.7 / 0.1 comes out as 6.999999999999999.
    Stretches = std::max(1, static_cast<int>(length / Sec_per_stretch + 1e-9));
    SetAxisScalingMode(panelHandle, PANEL_GRAPH, VAL_XAXIS, VAL_MANUAL, 0.0, length);
    int matching = -1;
    for (int i = 0; i < 9; ++i)
        if (StretchIDVal[i] == Stretches) matching = StretchID[i];
    trelvanix::CheckOnlyMenuItem(StretchID, matching);
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
    // The frames name the channel their controls act on.
    const std::string channel = "ai" + std::to_string(index);
    SetCtrlAttribute(panelHandle, PANEL_DISPLAY_FRAME, ATTR_LABEL_TEXT,
                     ("Display of " + channel + " (active channel)").c_str());
    SetCtrlAttribute(panelHandle, PANEL_BOARD_FRAME, ATTR_LABEL_TEXT,
                     ("Board range of " + channel).c_str());
}

namespace trelvanix {

void ShowBoardGainOf(int ch) {
    SetCtrlVal(panelHandle, PANEL_BOARD_GAIN_DISPLAY, static_cast<double>(GainList[ch]));
    SetCtrlIndex(panelHandle, PANEL_BOARD_GAIN, AILimitsIndex[ch]);
}

}  // namespace trelvanix
