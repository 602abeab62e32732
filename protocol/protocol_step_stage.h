#pragma once
// The protocol's part of every stretch: once the previous step's stimulus has ended and the
// step pause has passed, the next step is applied and its stimulus started. So each later
// step starts at the first stretch boundary at least Run_time seconds after the previous
// stimulus ended, and a protocol advances only while acquisition runs.

#include "daq/stage.h"

namespace trelvanix::protocol {

class ProtocolStepStage final : public daq::Stage {
  public:
    const char* name() const override { return "protocol step"; }
    daq::StageOrder order() const override { return daq::StageOrder::ProtocolStep; }
    // Every start of acquisition takes the step pause from the protocol panel, if loaded.
    void onRunStart(const daq::RunLayout&) override;
    std::int32_t onStretch(daq::StretchContext& stretch) override;
};

}  // namespace trelvanix::protocol
