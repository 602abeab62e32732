// The channel scan: the main panel's ticked channel check boxes become ChannelList.

#include "daq/acquisition.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/notices.h"
#include "state/panel_states.h"
#include "state/shared_state.h"

void GetNumChs() {
    Old_NumChannels = NumChannels;
    NumChannels = 0;
    // The task, the buffers and the stretch size depend on the channels: the run must end.
    if (Acquiring == 1) {
        Acquiring = 0;
        SetCtrlVal(panelHandle, PANEL_ACQ_LAMP, 0);
    }
    for (int ch = 0; ch < 8; ++ch) {
        int ticked = 0;
        GetCtrlVal(panelHandle, CheckID[ch], &ticked);
        SetCtrlAttribute(panelHandle, ChanID[ch], ATTR_DIMMED, ticked ? 0 : 1);
        if (ticked) ChannelList[NumChannels++] = static_cast<short>(ch);
    }
    // At least one channel is always acquired.
    const bool noneTicked = NumChannels == 0;
    if (noneTicked) {
        SetCtrlVal(panelHandle, CheckID[0], 1);
        SetCtrlAttribute(panelHandle, ChanID[0], ATTR_DIMMED, 0);
        ChannelList[0] = 0;
        Activechannel = 0;
        NumChannels = 1;
    }
    for (int position = NumChannels; position < 8; ++position) ChannelList[position] = -1;
    trelvanix::ShowSettingsChangedState(true);
    if (noneTicked)
        trelvanix::Notify("No channel was ticked: ai0 is acquired, as at least one always is.");
}
