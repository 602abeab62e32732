#pragma once
// The sweep display of the main panel: gain and offset of the active channel, the y axis in
// its unit, its colour, the sweep length and single-sweep mode. The callbacks that drive
// these are declared with the panel constants in "resources/trelvanix_uir.h". The y axis's
// labelling (setYAxisScale) is with the main panel's states, which the units share.

#include "state/main_panel_display.h"
#include "state/panel_states.h"

// When set, a click in the sweep graph moves the active trace's latest point (not its zero
// level) to the clicked height.
extern int MoveSig;

// Gain_Factor and Offset of channel `index` from the display-gain and offset controls.
void setGainOffset(int index);
// Makes the channel whose label box is `control` active, when that channel is acquired.
void channel(int control);
// Enters or leaves single-sweep mode.
void hold();
// The sweep graph's commit: the active channel's offset from the clicked height. The graph's
// own callback (SweepGraph) passes its events on here.
int GetPositions(int panel, int control, int event, void* callbackData, int eventData1,
                 int eventData2);
// The cursor readout under the sweep graph: the cursors' times and the channels' values at
// them while the sweep can be looked at closely, else a dimmed hint.
void showSweepInspection();
// The readout as at start-up: no sweep measured yet.
void startSweepInspection();
