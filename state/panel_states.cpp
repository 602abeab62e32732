#include "state/panel_states.h"

#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace trelvanix {

namespace {

void (*recordingEnd)() = nullptr;

void dim(int control, bool dimmed) {
    SetCtrlAttribute(panelHandle, control, ATTR_DIMMED, dimmed ? 1 : 0);
}

void dimSaveItem(bool dimmed) {
    SetMenuBarAttribute(GetPanelMenuBar(panelHandle), MENUBAR_FILE_SAVE, ATTR_DIMMED,
                        dimmed ? 1 : 0);
}

}  // namespace

void ShowAcquiringState() {
    dim(PANEL_STOP, false);
    dim(PANEL_HOLD, false);
    dim(PANEL_ACQUIRE, true);
    dim(PANEL_BOARD_GAIN_DISPLAY, true);
    dim(PANEL_BOARD_GAIN, true);
    SetCtrlVal(panelHandle, PANEL_ACQ_LAMP, 1);
    ShowHoldButton();
    // The restart of a recorded stimulus keeps Record and Save dimmed until the stimulus ends.
    ShowRecordedStimulusState(Save_inject == 1 && Save_status == 1);
    DeleteGraphPlot(panelHandle, PANEL_GRAPH, -1, VAL_IMMEDIATE_DRAW);
    // The live sweep keeps its axes; a held one can be looked at closely.
    SetGraphInspection(panelHandle, PANEL_GRAPH, Vanix_Mode == 1);
}

void ShowStoppedState() {
    Acquiring = 0;
    dim(PANEL_RECORD, true);
    dim(PANEL_STOP, true);
    dim(PANEL_HOLD, true);
    dim(PANEL_ACQUIRE, false);
    dim(PANEL_BOARD_GAIN_DISPLAY, false);
    dim(PANEL_BOARD_GAIN, false);
    SetCtrlVal(panelHandle, PANEL_ACQ_LAMP, 0);
    dimSaveItem(true);
    SetGraphInspection(panelHandle, PANEL_GRAPH, 1);  // the last sweep can be looked at closely
}

void ShowSettingsChangedState(bool afterChannelScan) {
    Acquiring = 0;
    SetCtrlVal(panelHandle, PANEL_ACQ_LAMP, 0);
    Vanix_Mode = 0;
    ShowHoldButton();
    dim(PANEL_ACQUIRE, false);
    dim(PANEL_STOP, true);
    dim(PANEL_HOLD, true);
    if (afterChannelScan) dim(PANEL_BOARD_GAIN_DISPLAY, false);
    if (RecordingRuns() && recordingEnd != nullptr) recordingEnd();
    dim(PANEL_RECORD, true);
    SetGraphInspection(panelHandle, PANEL_GRAPH, 1);
}

bool RecordingRuns() {
    return Record || Save_status;
}

bool ChannelTicked(int ch) {
    int ticked = 0;
    GetCtrlVal(panelHandle, CheckID[ch], &ticked);
    return ticked != 0;
}

void ShowRunFailedState() {
    if (RecordingRuns() && recordingEnd != nullptr) recordingEnd();
    ShowStoppedState();
}

void ShowRecordedStimulusState(bool recording) {
    dim(PANEL_RECORD, recording);
    dimSaveItem(recording);
}

void ShowRecordingState() {
    SetCtrlVal(panelHandle, PANEL_SAVE_LAMP, 1);
    dimSaveItem(true);
    dim(PANEL_STOP, false);
    dim(PANEL_RECORD, true);
}

void ShowHoldButton() {
    constexpr int kHeldColour = 0xB04000;
    SetCtrlAttribute(panelHandle, PANEL_HOLD, ATTR_LABEL_TEXT,
                     Vanix_Mode == 1 ? "Resume live" : "Hold");
    SetCtrlAttribute(panelHandle, PANEL_HOLD, ATTR_TEXT_COLOR,
                     Vanix_Mode == 1 ? kHeldColour : VAL_BLACK);
}

void SetRecordingEnd(void (*endRecording)()) {
    recordingEnd = endRecording;
}

}  // namespace trelvanix

void setYAxisScale(double gain, double offset) {
    SetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_YAXIS_GAIN, gain);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_YAXIS_OFFSET, -offset);
}
