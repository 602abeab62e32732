// The stimulus of a protocol step, started through the injection run-time.

#include "protocol/protocol.h"
#include "state/shared_state.h"
#include "stimulus/injection.h"

namespace trelvanix {

// Run_inject rebuilds the stimulus from the sub-panel, so the value the step wrote takes
// effect; a start it refuses ends the protocol. Line has just moved past the step, so it is the
// step's number counted from 1.
void StartStepStimulus() {
    RunStepInject(Line, Num_lines);
}

}  // namespace trelvanix
