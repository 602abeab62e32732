#pragma once
// The injection run-time: plays the assembled stimulus on an analog output, alone or together
// with a recording, ends it after its length unless injection is continuous, alternates
// between the two outputs on request, writes a description of the stimulus into the recording
// comments, and leaves the outputs at 0 V when it stops. The callbacks (Inject, StopInject,
// continuous_inject, Output_alternate, save_inject) are declared with the panel constants in
// "resources/trelvanix_uir.h".

#include <string>

// The output the next alternating repetition uses; flipped between 0 and 1 at every start.
extern int Old_channel;

// Starts one stimulus with the current panel settings: played at once, or armed to start with
// a restart of acquisition when it is to be recorded. A stimulus that cannot be recorded now,
// or is refused, starts nothing and ends a running protocol.
void Run_inject();
// Pre_WF, In_WF, then the wait loop when nothing is acquired or saved.
void RecordAndStimulate();
// Rebuilds the stimulus, converts it to volts and arms the recording when one is requested.
// Returns 0, or -1 when the stimulus is refused (it cannot be built, or its volts leave the
// output range): the operator has been told why and nothing has started.
int Pre_WF();
// Starts the output on the chosen (or, alternating, the next) channel, or asks acquisition to
// restart with the output when the stimulus is recorded.
void In_WF();
// Waits, without spinning, for the stimulus to end or the operator to act, until it has ended.
void Post_WF();
// Ends the stimulus: output task cleared, the output that played (and the panel's) at 0 V,
// output lamp off, Start enabled and Stop dimmed.
void Stop_inject();
// Writes the stimulus description into the main panel's comment box, setting the operator's
// comment aside until the stimulus ends.
void Set_wf_comments();

namespace trelvanix {

// The two end checks: a non-continuous stimulus ends once its length has elapsed; an
// alternating continuous one starts again on the other output.
void StimulusEndChecks();
// Run_inject for protocol step `step` (1-based) of `steps`: a step that cannot be played or
// recorded ends the protocol with that step still to do, and the message names the step.
void RunStepInject(int step, int steps);
// Starts the output of a recorded stimulus at the restart of acquisition (set in the wiring).
// False when the output did not start: the operator has been told, and saving is off again.
bool StartRecordedStimulus();
// A recorded stimulus (armed, or playing) that cannot be recorded ends: saving is off, its
// output at 0 V, a protocol it belongs to stopped with its step still to do, and the operator
// is told "The stimulus [of protocol step N of M] `what`" and `reason`.
void AbandonRecordedStimulus(const std::string& what, const std::string& reason);
// Acquisition ended on a driver error: a recorded stimulus ends with it, naming the error.
void EndRecordedStimulusOnRunFailure(const std::string& driverError);
// After acquisition has stopped: a stimulus still playing is timed to its end here, as one
// started while idle, since the loop that would have ended it no longer runs.
void FinishStimulusAfterAcquisition();
// How many stimuli have started since the program began: each Start and each protocol step
// whose stimulus was not refused.
int StimuliStarted();
// Leaving the program: a stimulus that plays is stopped and continuous injection ended.
void StopStimulusOnExit();
// Puts the operator's comment back into the main panel's comment box once a recorded
// stimulus's description has gone into its file (unless the operator has edited the box since).
void RestoreOperatorComment();
// Forgets a comment set aside.
void ForgetOperatorComment();
// The run-time's own state as at start: no stimulus prepared, Old_channel 0, no comment aside.
void ResetInjectionState();

}  // namespace trelvanix
