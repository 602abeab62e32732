// The channel check boxes: a change of the channel set stops acquisition and rescans the
// channels; unticking a channel hands the display controls to the highest ticked channel.

#include "analysis/units.h"
#include "app/acquisition_settings.h"
#include "app/display_controls.h"
#include "daq/acquisition.h"
#include "platform/ui/toolkit.h"
#include "recording/recording.h"
#include "resources/trelvanix_uir.h"
#include "state/notices.h"
#include "state/panel_states.h"
#include "state/shared_state.h"

void channelChecked(int control) {
    GetNumChs();
    Old_NumChannels = NumChannels;
    int ticked = 0;
    GetCtrlVal(panelHandle, control, &ticked);
    if (ticked) return;
    for (int i = 0; i < 8; ++i) {
        GetCtrlVal(panelHandle, CheckID[i], &ticked);
        if (ticked) Activechannel = i;
    }
    setColorsAccording2Channel(Activechannel);
    // The board-gain controls follow too, so they never show another channel's range.
    trelvanix::ShowBoardGainOf(Activechannel);
    displayUnits(Activechannel);
}

int trelvanix::callbacks::CheckChs(int panel, int control, int event, void* callbackData,
                                   int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    const bool acquiring = Acquiring == 1;
    const bool recording = trelvanix::RecordingRuns();
    if (Acquiring == 1) {
        Acquiring = 0;
        SetCtrlVal(panelHandle, PANEL_ACQ_LAMP, 0);
    }
    channelChecked(control);
    ShowChannelsToFiles();
    if (acquiring) NotifyAcquisitionStopped("the channels changed", recording);
    return 0;
}
