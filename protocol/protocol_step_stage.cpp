#include "protocol/protocol_step_stage.h"

#include "platform/clock/clock.h"
#include "platform/ui/toolkit.h"
#include "protocol/runner_internal.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace trelvanix::protocol {

void ProtocolStepStage::onRunStart(const daq::RunLayout&) {
    if (ProtocolHandle != -1) GetCtrlVal(ProtocolHandle, PROTOCOL_PAUSE, &Run_time);
}

std::int32_t ProtocolStepStage::onStretch(daq::StretchContext&) {
    if (StopIfKindChanged()) return 0;
    if (Protocol == 1 && Injection == 0 && Timer() - Protocol_time >= Run_time) ApplyStepAndPlay();
    return 0;
}

}  // namespace trelvanix::protocol
