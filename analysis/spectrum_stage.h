#pragma once
// The spectrum window's part of every stretch: the collected channel's displayed values go
// into the spectrum buffer, after the display values are made and before the sweep is drawn.

#include "daq/stage.h"

namespace trelvanix::spectrum {

class SpectrumStage final : public daq::Stage {
  public:
    const char* name() const override { return "spectrum"; }
    daq::StageOrder order() const override { return daq::StageOrder::Spectrum; }
    // A collection that outlived the last run goes on with this run's channels and rate.
    void onRunStart(const daq::RunLayout& layout) override;
    std::int32_t onStretch(daq::StretchContext& stretch) override;
    void onRunEnd() override;
};

}  // namespace trelvanix::spectrum
