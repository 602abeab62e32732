#pragma once
// The stimulus's part of every stretch, first in the loop: while a stimulus plays, end it once
// its length has elapsed, or start the next alternating repetition.

#include "daq/stage.h"
#include "state/shared_state.h"
#include "stimulus/injection.h"

namespace trelvanix {

class StimulusEndStage final : public daq::Stage {
  public:
    const char* name() const override { return "stimulus end"; }
    daq::StageOrder order() const override { return daq::StageOrder::StimulusEnd; }
    std::int32_t onStretch(daq::StretchContext&) override {
        if (Injection == 1) StimulusEndChecks();
        return 0;
    }
};

}  // namespace trelvanix
