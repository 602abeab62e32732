#pragma once
// What the runner's callbacks share with its loop stage.

#include <cstddef>
#include <string>

#include "stimulus/assembly.h"

namespace trelvanix {

// The stimulus kind whose panel the loaded protocol's control lives on; kNoStimulus before
// the first successful load.
extern int ProtocolKind;
// The loaded protocol's parameter name ("PULSE_MV1"); empty before the first successful load.
extern std::string LoadedParameter;
// The step whose stimulus started last and the stimulus count it started as; forgotten at
// every load.
struct StartedStep {
    int index = -1;
    int stimulus = -1;
};
extern StartedStep LastStartedStep;

// Whether the loaded protocol steps a whole-number parameter ("INTEGER").
bool IntegerProtocol();
// How many values the loaded protocol lists, and the value of step i (i below that count).
std::size_t StepsListed();
double StepValue(std::size_t i);

// A running protocol whose kind is no longer the selected one stops, and the operator is
// told, rather than writing its values into another kind's controls. True when it stopped.
bool StopIfKindChanged();

// Applies the step at Line, moves Line on, and plays the step's stimulus when it was applied.
void ApplyStepAndPlay();

// The loaded protocol has applied its last step; a load and the next Run clear it.
extern bool ProtocolFinished;

// "Sine: Start phase (deg)": the sub-panel's title and the label the operator reads beside
// the control (for a pulse or ramp step, its row and column).
std::string ParameterLabel(int panel, int control);
// The protocol panel shows the loaded file, its parameter with its label, and its values.
void ShowLoadedProtocol(const std::string& path, const std::string& name);
// The protocol panel shows how far the run has come ("finished, 5 of 5").
void ShowProtocolState();

// Keeps the stepped control's value before a run (once: a run resumed keeps the first one).
void KeepSteppedValue();
// Puts the kept value back into its control and rebuilds the stimulus from it.
void PutBackSteppedValue();
void ForgetSteppedValue();

// Forgets the step whose stimulus plays (the protocol's state is being reset).
void ForgetPlayingStep();
// A stimulus has ended (`played`) or was refused: a step whose stimulus played has finished,
// and listeners hear so.
void NoteStimulusEnded(bool played);

}  // namespace trelvanix
