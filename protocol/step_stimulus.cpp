// The stimulus of a protocol step, started through the injection run-time.

#include "protocol/protocol.h"
#include "stimulus/injection.h"

namespace trelvanix {

// Run_inject rebuilds the stimulus from the sub-panel, so the value the step wrote takes
// effect; a start it refuses ends the protocol.
void StartStepStimulus() {
    Run_inject();
}

}  // namespace trelvanix
