#pragma once
// The acquisition loop: Acquire starts a run that reads the ticked channels stretch by
// stretch and passes each stretch through the stages the program assembled (daq/stage.h):
// counts, saving, volts, display filter and scaling, drawing, until `Acquiring` is cleared. Also
// the channel scan, the save-interval dialog and the record-time control whose values the loop
// obeys.

#include <string>

#include "platform/driver/daqmx.h"

// The driver task of the analog inputs; created at every start, stopped and cleared at every
// end of a run.
extern TaskHandle AI_Task;

// Puts the main panel into its acquiring state and runs the loop until it ends. A stretch
// holding fewer than 2 samples per channel, or an acquired channel whose input range is not
// known, is refused with an "Error!" pop-up before anything changes.
void dataAcquire();
// One run: configures and starts the input task, then polls, reads and processes stretches
// until `Acquiring` is 0 after a pass or a driver call fails; then releases the task.
void Acquire_With_no_trigger();
// Per-start set-up of the shared stretch buffers (HalfBuffer, FullBuffer, Scaled_Waveforms)
// for the current rate, stretch length and channels; resets the sweep.
void Preparations();
// The channel scan: the ticked check boxes become `ChannelList` (channel 0 when none is
// ticked); a running acquisition is stopped.
void GetNumChs();

namespace trelvanix::callbacks {
// Acquire button (commit): runs acquisition, and runs it again at once for as long as a
// recorded stimulus asks for a restart (`AutoSave`).
int Acquire(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
// Save-interval dialog OK and Cancel buttons, and the record-time control (commit).
int ok_click(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int Cancel(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int SetSaveTime(int panel, int control, int event, void* callbackData, int eventData1,
                int eventData2);
}  // namespace trelvanix::callbacks

namespace trelvanix {
// Starts the output of a recorded stimulus: a run restarted for it (`AutoSave`) calls this once
// its input task is configured and before it starts, so stimulus and recording start together.
// The stimulus sets it through the program's wiring; the engine knows nothing of stimuli.
void SetRecordedStimulusStart(void (*startStimulus)());
// Called once Acquire has ended acquisition for good (not for a restart), so a stimulus that
// was timed by the running loop is timed to its end without it.
void SetAfterAcquisition(void (*afterAcquisition)());
// Called when a run ends on a failed driver call, with the driver's report of it, once the
// panel shows acquisition stopped and any recording is finalised.
void SetRunFailed(void (*runFailed)(const std::string& driverError));

// Leaving the program: the input and output tasks the driver refused to clear are tried again,
// and a refusal reported.
void ReleaseDriverTasksLeftBehind();

// The acquisition engine as the program starts: no task, no run in progress, every stage's
// per-run blocks released, the data folder its default.
void ResetAcquisitionState();
}  // namespace trelvanix
