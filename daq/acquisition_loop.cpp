// The poll loop of a run: one pass asks the driver how far it has acquired, walks the stages
// over a stretch when a new half-stretch is there, and gives the operator one event.

#include <algorithm>
#include <cmath>
#include <limits>

#include "daq/acquisition.h"
#include "daq/acquisition_run.h"
#include "daq/driver_status.h"
#include "daq/stage.h"
#include "daq/stretch_conversion.h"
#include "platform/clock/clock.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace trelvanix::daq {

namespace {

// In single-sweep mode the acquisition lamp blinks with a period of four stretches.
void blinkLamp() {
    if (Count % 4 == 1) SetCtrlVal(panelHandle, PANEL_ACQ_LAMP, 0);
    if (Count % 4 == 3) SetCtrlVal(panelHandle, PANEL_ACQ_LAMP, 1);
}

// One stretch: every stage in the loop's order, on the shared stretch buffers.
int32 processStretch(const AcquisitionRun& run) {
    StretchContext stretch{run.layout, Timer(), HalfBuffer, FullBuffer, Scaled_Waveforms};
    return AcquisitionStages().stretch(stretch);
}

// Gives the operator one event, waiting no longer than until the next half-stretch is due.
// The due time is worked out from the task's start, so it never drifts; a deadline already
// passed still moves the clock on, so a simulated clock cannot stall short of the sample.
void serveOperator(const AcquisitionRun& run) {
    const double due = run.taskStartTime + double(run.HalfStretchCount + 1) *
                                               double(run.layout.n / 2) / double(run.rate);
    const double soonest = std::nextafter(Timer(), std::numeric_limits<double>::infinity());
    GetUserEventUntil(std::max(due, soonest), nullptr, nullptr);
}

}  // namespace

int32 PollOnce(AcquisitionRun& run) {
    if (Vanix_Mode == 1) blinkLamp();
    uInt64 acquired = 0;
    const int32 status = NoteDriverCall("DAQmxGetReadTotalSampPerChanAcquired",
                                        DAQmxGetReadTotalSampPerChanAcquired(AI_Task, &acquired));
    if (status < 0) return status;
    const std::uint64_t halves = HalfStretches(acquired, run.layout.n);
    if (run.HalfStretchCount < halves) {
        run.HalfStretchCount = halves;
        if (const int32 failed = processStretch(run); failed < 0) return failed;
    }
    serveOperator(run);
    return 0;
}

}  // namespace trelvanix::daq
