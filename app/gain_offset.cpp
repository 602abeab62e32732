// Display gain and offset of the active channel: typed into their controls, or the offset
// set by clicking a height in the sweep graph; and the y axis divisions.

#include "app/display_controls.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

int MoveSig = 0;

namespace {

struct AxisRange {
    double min = -5.0, max = 5.0;
};

AxisRange leftYAxis() {
    AxisRange range;
    int mode = 0;
    GetAxisScalingMode(panelHandle, PANEL_GRAPH, VAL_LEFT_YAXIS, &mode, &range.min, &range.max);
    return range;
}

// Volts of the latest displayed sample of physical channel ch, if it is being acquired.
bool latestVolts(int ch, double gain, double* volts) {
    if (NumChannels < 1) return false;
    int position = 0;
    for (int p = 0; p < NumChannels; ++p)
        if (ChannelList[p] == ch) position = p;
    const int perChannel = BufferSize / NumChannels;
    const double* shown = Scaled_Waveforms[position];
    if (!shown || perChannel < 1) return false;
    *volts = shown[perChannel - 1] * gain - Offset[ch];
    return true;
}

}  // namespace

void setGainOffset(int index) {
    double gain = 1.0, percent = 0.0;
    GetCtrlVal(panelHandle, PANEL_GAIN, &gain);
    GetCtrlVal(panelHandle, PANEL_OFFSET, &percent);
    Gain_Factor[index] = gain;
    const AxisRange y = leftYAxis();
    // The offset control is a percentage of half the axis span, in display units.
    Offset[index] = percent * (y.max - y.min) * gain / 200.0;
    setYAxisScale(gain / Scale_factor[index], Offset[index] / Scale_factor[index]);
}

int trelvanix::callbacks::SetGO0(int panel, int control, int event, void* callbackData,
                                 int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) setGainOffset(Activechannel);
    return 0;
}

int GetPositions(int panel, int control, int event, void* callbackData, int eventData1,
                 int eventData2) {
    if (event != EVENT_COMMIT || GraphHeight <= 0) return 0;
    const int a = Activechannel;
    const double gain = Gain_Factor[a];
    int x = 0, y = 0, plotTop = 0;
    GetRelativeMouseState(panelHandle, PANEL_GRAPH, &x, &y, nullptr, nullptr, nullptr);
    GetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_PLOT_AREA_TOP, &plotTop);
    y -= plotTop;
    // The plot area's height spans 10 display units, its middle being 0.
    double offset = (GraphHeight / 2 - y) * (10.0 / GraphHeight) * gain;
    double volts = 0.0;
    if (MoveSig == 1 && Acquiring == 1 && latestVolts(a, gain, &volts)) offset -= volts;
    Offset[a] = offset;
    const AxisRange range = leftYAxis();
    SetCtrlVal(panelHandle, PANEL_OFFSET, 100.0 * offset / ((range.max - range.min) * gain / 2.0));
    setYAxisScale(gain / Scale_factor[a], offset / Scale_factor[a]);
    return 0;
}

int trelvanix::callbacks::SetYDivisions(int panel, int control, int event, void* callbackData,
                                        int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    int divisions = 10;
    GetCtrlVal(panelHandle, PANEL_YDIVS, &divisions);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_YDIVISIONS, divisions);
    return 0;
}

void trelvanix::callbacks::MoveSignal(int menuBar, int menuItem, void* callbackData, int panel) {
    int checked = 0;
    GetMenuBarAttribute(menuBar, menuItem, ATTR_CHECKED, &checked);
    MoveSig = checked ? 0 : 1;
    SetMenuBarAttribute(menuBar, menuItem, ATTR_CHECKED, MoveSig);
}
