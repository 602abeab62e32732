// The stimulus of a protocol step, started through the injection run-time.

#include "app/state/shared_state.h"
#include "platform/ui/toolkit.h"
#include "protocol/protocol.h"

namespace trelvanix {

// Until the injection run-time's Run_inject is part of the program no stimulus can be
// played: the step is reported on the error output and the protocol ends, as a refused start
// would end it.
void StartStepStimulus() {
    ErrorPrintf("Protocol step %d: no stimulus run-time to play it; the protocol has ended.\n",
                Line);
    Protocol = 0;
    Injection = 0;
}

}  // namespace trelvanix
