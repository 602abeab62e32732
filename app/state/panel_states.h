#pragma once
// The states the main panel is put in by several subsystems: which controls are dimmed while
// acquiring, after a stop, after a settings change, and while recording.

namespace trelvanix {

// Record, Stop and hold enabled; Acquire and the board-gain controls dimmed; acquisition lamp
// on; Save menu item enabled; sweep graph erased.
void ShowAcquiringState();
// Acquiring = 0; Record, Stop and hold dimmed; Acquire and the board-gain controls enabled;
// acquisition lamp off; Save menu item dimmed.
void ShowStoppedState();
// Acquiring = 0 and single-sweep mode left; Acquire enabled; Stop, hold and Record dimmed;
// after a channel scan the board-gain display is enabled too. A recording in progress is
// ended (record_stop).
void ShowSettingsChangedState(bool afterChannelScan);
// Saving lamp on; Save menu item dimmed; Stop enabled; Record dimmed.
void ShowRecordingState();

}  // namespace trelvanix
