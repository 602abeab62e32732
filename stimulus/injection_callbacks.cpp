// Callbacks of the injection panel and of the stimulus sub-panels.

#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/output_range.h"
#include "stimulus/stimulus.h"

using namespace trelvanix;

namespace {

// A sub-panel's close button: the stimulus is rebuilt from the panel, then the panel hides.
int rebuildAndHide(int panel, int event) {
    if (event != EVENT_COMMIT) return 0;
    InitializeGlobals();
    HidePanel(panel);
    return 0;
}

}  // namespace

int LoadStimulusSubPanels() {
    if (Handle[kPulse] != 0) return 0;
    struct SubPanel {
        int kind, resource;
    };
    constexpr SubPanel kLoadOrder[] = {{kPulse, PULSE}, {kCell, CELL}, {kRamp, RAMP},
                                       {kSine, SINE},   {kZap, ZAP},   {kPoisson, POISSON},
                                       {kNoise, NOISE}};
    for (const SubPanel& sub : kLoadOrder) {
        const int handle = LoadPanel(0, "trelvanix.uir", sub.resource);
        if (handle < 0) return -1;
        Handle[sub.kind] = handle;
    }
    return 0;
}

namespace trelvanix::callbacks {

void inject(int menuBar, int menuItem, void* callbackData, int panel) {
    if (LoadStimulusSubPanels() < 0) return;
    DisplayPanel(InjectHandle);
}

int Set_waveform(int panel, int control, int event, void* callbackData, int eventData1,
                 int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    GetCtrlVal(panel, INJECT_WAVEFORM, &Waveform);
    if (Continuous_inject == 1) SetCtrlAttribute(panel, INJECT_STOP, ATTR_DIMMED, 0);
    if (Waveform != kNoStimulus) {
        DisplayPanel(Handle[Waveform]);
        // While a stimulus plays, Start stays dimmed until it ends.
        SetCtrlAttribute(panel, INJECT_START, ATTR_DIMMED, Injection == 1 ? 1 : 0);
        UpdateParameters();
        InitializeGlobals();
    } else {
        DeleteGraphPlot(panel, INJECT_GRAPH, -1, VAL_IMMEDIATE_DRAW);
        ClearOutputRange();
        SetCtrlAttribute(panel, INJECT_START, ATTR_DIMMED, 1);
    }
    return 0;
}

int ClosePulse(int panel, int control, int event, void*, int, int) {
    return rebuildAndHide(panel, event);
}
int CloseRamp(int panel, int control, int event, void*, int, int) {
    return rebuildAndHide(panel, event);
}
int CloseCell(int panel, int control, int event, void*, int, int) {
    return rebuildAndHide(panel, event);
}
int CloseZap(int panel, int control, int event, void*, int, int) {
    return rebuildAndHide(panel, event);
}
int ClosePoisson(int panel, int control, int event, void*, int, int) {
    return rebuildAndHide(panel, event);
}
int CloseSine(int panel, int control, int event, void*, int, int) {
    return rebuildAndHide(panel, event);
}

int CloseNoise(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_COMMIT) HidePanel(panel);
    return 0;
}

int CloseInject(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_COMMIT) HidePanel(InjectHandle);
    return 0;
}

int updateWaveform(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_COMMIT) InitializeGlobals();
    return 0;
}

int zap_wfm(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_COMMIT) InitializeGlobals();
    return 0;
}

int LockSineBaseline2Amp(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int locked = 0;
    GetCtrlVal(panel, SINE_LOCK_BASELINE, &locked);
    Baseline = locked == 1 ? WF_amp : 0.0;
    SetCtrlVal(panel, SINE_BASELINE, Baseline);
    InitializeGlobals();
    return 0;
}

// Closing the window of the injection panel or of a sub-panel does what its Close button does.
int StimulusWindowClose(int panel, int event, void* callbackData, int eventData1, int eventData2) {
    if (event != EVENT_CLOSE) return 0;
    if (panel == InjectHandle) return CloseInject(panel, INJECT_CLOSE, EVENT_COMMIT, nullptr, 0, 0);
    using Close = int (*)(int, int, int, void*, int, int);
    constexpr Close kCloseOfKind[7] = {ClosePulse,   CloseRamp, CloseCell, CloseZap,
                                       ClosePoisson, CloseSine, CloseNoise};
    for (int kind = 0; kind < 7; ++kind)
        if (Handle[kind] == panel) return kCloseOfKind[kind](panel, 0, EVENT_COMMIT, nullptr, 0, 0);
    return 0;
}

}  // namespace trelvanix::callbacks
