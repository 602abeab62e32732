#include "recording/saving_stage.h"

#include "recording/recording.h"
#include "state/shared_state.h"

namespace trelvanix::recording {

namespace {

void (*recordedStimulusStop)() = nullptr;

// Whether `seconds` summed stretch by stretch have reached `limit`, counted in whole samples:
// ten stretches of 0.1 s add up to slightly less than 1.0, and must still make 1 s.
bool reachedInSamples(double seconds, double limit) {
    return static_cast<long long>(seconds * NumScans + 0.5) >=
           static_cast<long long>(NumScans * limit + 0.5);
}

}  // namespace

void SetRecordedStimulusStop(void (*stopStimulus)()) {
    recordedStimulusStop = stopStimulus;
}

void SavingStage::onRunStart(const daq::RunLayout&) {
    Skipping = 0;
    SkipClock = 0.0;
    Real_time = 0.0;
}

std::int32_t SavingStage::onStretch(daq::StretchContext&) {
    // A saving period that has written `Saving_interval` seconds turns into a pause, and a
    // pause of `Skip_interval` seconds back into a period (a zero pause at once).
    if (Record == 0) {
        if (reachedInSamples(Real_time, Saving_interval) && Skipping == 0) {
            Real_time = 0.0;
            Skipping = 1;
            // The period of a recorded stimulus is the stimulus's length: both end here.
            if (Save_inject == 1 && recordedStimulusStop) recordedStimulusStop();
        }
        if (Skipping == 1 && reachedInSamples(SkipClock, Skip_interval)) {
            Skipping = 0;
            SkipClock = 0.0;
        }
    }
    // A timed recording ends before the stretch during which its length is found reached.
    if (Record == 1 && reachedInSamples(Real_time, SaveTime)) SaveStop();
    if (Save_status != 0) SaveAll();
    if (Skipping == 1) SkipClock += Sec_per_stretch;
    if (Record == 1) ShowTimeLeft();
    return 0;
}

}  // namespace trelvanix::recording
