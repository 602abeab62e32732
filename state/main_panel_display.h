#pragma once
// What several layers show on the main panel's sweep display when settings change: the sweep
// length, the active channel's colour and its board range. The parameter files and the main
// panel's own callbacks both call these.

// Stretches and the time axis from the sweep-length control.
void scale_change();
// Gives the display controls and the channel's check box the colour of channel `index`.
void setColorsAccording2Channel(int index);

namespace trelvanix {
// Shows channel ch's board gain in the board-gain display and selects its range in the list.
void ShowBoardGainOf(int ch);
}  // namespace trelvanix
