// The poll loop of a run: one pass asks the driver how far it has acquired, walks the stages
// over a stretch once its samples are there, and gives the operator one event, waiting for one
// until the samples the next stretch needs are due.

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

double stretchSeconds(const AcquisitionRun& run) {
    return double(run.layout.n) / double(run.rate);
}

// Samples per channel acquired once the stretch the loop reads next is all in.
std::uint64_t nextStretchEnd(const AcquisitionRun& run) {
    return run.samplesRead + static_cast<std::uint64_t>(run.layout.n);
}

// When the next stretch is overdue: a stretch's time after it was due, itself a stretch's time
// after the last one was processed.
double overdueAt(const AcquisitionRun& run) {
    return run.lastStretchAt + 2.0 * stretchSeconds(run);
}

// Keeps the sample clock's origin consistent with a count: `acquired` samples at `now` put the
// first one no later than now - acquired / rate. A board whose clock runs ahead moves the origin
// earlier; one that runs behind, or delivers its samples in blocks, moves it later, so that the
// next sample is due half a sample period from now at the soonest and no wait is a busy one.
void followBoardClock(AcquisitionRun& run, std::uint64_t acquired, double now) {
    const double rate = double(run.rate);
    run.sampleClockOrigin = std::min(run.sampleClockOrigin, now - double(acquired) / rate);
    run.sampleClockOrigin = std::max(run.sampleClockOrigin, now - (double(acquired) + 0.5) / rate);
}

// Gives the operator one event, waiting no longer than until the samples the next stretch
// waits for are due (a half-stretch more than were counted at the last one, and the whole
// stretch), or it is overdue. A deadline already passed still moves the clock on, so a
// simulated clock cannot stall short of the sample.
void serveOperator(const AcquisitionRun& run, std::uint64_t acquired) {
    const std::uint64_t half = static_cast<std::uint64_t>(run.layout.n / 2);
    const std::uint64_t awaited = std::max((run.HalfStretchCount + 1) * half, nextStretchEnd(run));
    double due = run.sampleClockOrigin + double(awaited) / double(run.rate);
    if (acquired < nextStretchEnd(run)) due = std::min(due, overdueAt(run));
    const double soonest = std::nextafter(Timer(), std::numeric_limits<double>::infinity());
    GetUserEventUntil(std::max(due, soonest), nullptr, nullptr);
}

}  // namespace

// A stretch is processed when both hold:
// - a half-stretch has completed since the last stretch was processed (HalfStretchCount counts
//   the whole half-stretches acquired then): at most one stretch per newly completed
//   half-stretch. A loop that has fallen behind finds the samples of its next stretch already
//   there, so this test alone paces it, as when the read waited for them: one stretch per
//   half-stretch, catching up one extra stretch per stretch time.
// - the whole stretch the read takes (n samples per channel after those read) is acquired, so
//   the read returns at once. A loop on time is paced by this test: one stretch each time a
//   whole one is in, read in order as before, and the operator is served while it comes in.
// A board that stops delivering would hold the loop here for ever: an overdue stretch is read
// anyway, and the read waits for it as before and reports the board when its time is out.
int32 PollOnce(AcquisitionRun& run) {
    if (Vanix_Mode == 1) blinkLamp();
    uInt64 acquired = 0;
    const int32 status = NoteDriverCall("DAQmxGetReadTotalSampPerChanAcquired",
                                        DAQmxGetReadTotalSampPerChanAcquired(AI_Task, &acquired));
    if (status < 0) return status;
    const double now = Timer();
    followBoardClock(run, acquired, now);
    const std::uint64_t halves = HalfStretches(acquired, run.layout.n);
    const bool stretchIn = acquired >= nextStretchEnd(run);
    if ((run.HalfStretchCount < halves && stretchIn) || (!stretchIn && now >= overdueAt(run))) {
        run.HalfStretchCount = std::max(run.HalfStretchCount, halves);
        run.samplesRead = nextStretchEnd(run);
        run.lastStretchAt = now;
        if (const int32 failed = processStretch(run); failed < 0) return failed;
    }
    serveOperator(run, acquired);
    return 0;
}

}  // namespace trelvanix::daq
