#pragma once
// Recording's part of every stretch: interval saving (periods of `Saving_interval` seconds
// of written data alternating with pauses of `Skip_interval` seconds), the end of a timed
// recording, and the write of the stretch (SaveAll).

#include "daq/stage.h"

namespace trelvanix::recording {

// What stops a recorded stimulus when its saving period ends (the stimulus's Stop_inject).
// The program's wiring sets it; recording knows nothing of stimuli.
void SetRecordedStimulusStop(void (*stopStimulus)());

class SavingStage final : public daq::Stage {
  public:
    const char* name() const override { return "saving"; }
    daq::StageOrder order() const override { return daq::StageOrder::Saving; }
    // A run starts a new saving period: no pause, nothing written yet.
    void onRunStart(const daq::RunLayout&) override;
    std::int32_t onStretch(daq::StretchContext& stretch) override;

  private:
    double SkipClock = 0.0;  // seconds spent in the current interval-saving pause
};

}  // namespace trelvanix::recording
