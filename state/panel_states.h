#pragma once
// The states the main panel is put in by several subsystems: which controls are dimmed while
// acquiring, after a stop, after a settings change, and while recording.

namespace trelvanix {

// Record, Stop and hold enabled; Acquire and the board-gain controls dimmed; acquisition lamp
// on; Save menu item enabled; sweep graph erased. For the restart of a recorded stimulus,
// Record and Save stay dimmed.
void ShowAcquiringState();
// Acquiring = 0; Record, Stop and hold dimmed; Acquire and the board-gain controls enabled;
// acquisition lamp off; Save menu item dimmed.
void ShowStoppedState();
// Acquiring = 0 and single-sweep mode left; Acquire enabled; Stop, hold and Record dimmed;
// after a channel scan the board-gain display is enabled too. A recording in progress is
// ended through the recording end set below.
void ShowSettingsChangedState(bool afterChannelScan);
// A driver error ended the run: a recording in progress is ended through the recording end
// (its files finalised), then the stopped state.
void ShowRunFailedState();
// Saving lamp on; Save menu item dimmed; Stop enabled; Record dimmed.
void ShowRecordingState();
// Record and the Save menu item dimmed while a recorded stimulus is armed or recording (either
// would close its file before the stimulus ends), enabled again when it has ended.
void ShowRecordedStimulusState(bool recording);
// The hold button says what it does next: hold the sweep, or, while held (in its own
// colour), resume the live sweep.
void ShowHoldButton();

// A recording runs: a timed recording (Record) or interval saving (Save_status).
bool RecordingRuns();
// Whether physical channel ch's check box on the main panel is ticked.
bool ChannelTicked(int ch);

// What ends a recording in progress when the settings change (recording's record_stop). The
// program's wiring sets it; recording sits above this layer, so the state cannot call it.
void SetRecordingEnd(void (*endRecording)());

}  // namespace trelvanix

// Labels the sweep graph's y axis as value * gain - offset.
void setYAxisScale(double gain, double offset);
