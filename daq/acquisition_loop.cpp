// The poll loop of a run: one pass asks the driver how far it has acquired, processes a
// stretch when a new half-stretch is there, and gives the operator one event.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "app/state/shared_state.h"
#include "daq/acquisition.h"
#include "daq/acquisition_run.h"
#include "daq/stretch_conversion.h"
#include "platform/analysis/analysis.h"
#include "platform/clock/clock.h"
#include "platform/ui/toolkit.h"
#include "recording/recording.h"
#include "resources/trelvanix_uir.h"

namespace trelvanix::daq {

namespace {

// In single-sweep mode the acquisition lamp blinks with a period of four stretches.
void blinkLamp() {
    if (Count % 4 == 1) SetCtrlVal(panelHandle, PANEL_ACQ_LAMP, 0);
    if (Count % 4 == 3) SetCtrlVal(panelHandle, PANEL_ACQ_LAMP, 1);
}

// Whether `seconds` summed stretch by stretch have reached `limit`, counted in whole samples:
// ten stretches of 0.1 s add up to slightly less than 1.0, and must still make 1 s.
bool reachedInSamples(double seconds, double limit) {
    return static_cast<long long>(seconds * NumScans + 0.5) >=
           static_cast<long long>(NumScans * limit + 0.5);
}

// Interval saving: a saving period that has written `Saving_interval` seconds turns into a
// pause, and a pause of `Skip_interval` seconds back into a period (a zero pause at once).
void advanceIntervalSaving(AcquisitionRun& run) {
    if (Record != 0) return;
    if (reachedInSamples(Real_time, Saving_interval) && Skipping == 0) {
        Real_time = 0.0;
        Skipping = 1;
    }
    if (Skipping == 1 && reachedInSamples(run.SkipClock, Skip_interval)) {
        Skipping = 0;
        run.SkipClock = 0.0;
    }
}

void showElapsedSeconds(double now) {
    char text[32];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(now - Timer_start));
    SetCtrlVal(panelHandle, PANEL_ELAPSED, text);
}

// Volts, display filter, display gain and offset of position i; the stretch is in HalfBuffer,
// grouped by channel. The filter block keeps the last W volts of the previous stretch in
// front of the current one, so a W-tap filter runs on without a seam.
void scaleForDisplay(AcquisitionRun& run, int i) {
    const int ch = run.channelList[i];
    const std::size_t n = static_cast<std::size_t>(run.n);
    const int W = std::max(Window_size[ch], 1);
    const double voltsPerCount = VoltsPerCount(GainList[ch]);

    if (W != run.WorkWindowSize[i]) {
        run.FilterWork[i].resize(n + W);
        run.WorkWindowSize[i] = W;
    }
    if (run.FilterOut.size() < n + 2 * W - 1) run.FilterOut.resize(n + 2 * W - 1);
    double* work = run.FilterWork[i].data();
    double* out = run.FilterOut.data();

    const short* counts = HalfBuffer + i * n;
    for (std::size_t j = 0; j < n; ++j) {
        const double volts = voltsPerCount * counts[j];
        work[W + j] = volts;
        out[W + j] = volts;
    }
    // Output W + j is the current sample and the W - 1 before it, weighted by the taps.
    if (Filter_type[ch] != 0 && Coef[ch] != nullptr && Window_size[ch] >= 1)
        Convolve(Coef[ch], W, work, static_cast<int>(n) + W, out);

    double* shown = Scaled_Waveforms[i];
    for (std::size_t j = 0; j < n; ++j)
        shown[j] = DisplayValue(out[W + j], Offset[ch], Gain_Factor[ch]);
    std::copy(work + n, work + n + W, work);
}

// Draws the stretch at its place in the sweep; the sweep's end erases the graph before the
// next one, or in single-sweep mode freezes the completed sweep.
void drawStretch(AcquisitionRun& run) {
    ++Count;
    if (Vanix_Mode != 1 || Hold_status == 0) {
        if (run.ClearOnNextStretch) {
            DeleteGraphPlot(panelHandle, PANEL_GRAPH, -1, VAL_IMMEDIATE_DRAW);
            run.ClearOnNextStretch = 0;
        }
        for (int i = 0; i < run.channels; ++i)
            PlotWaveform(panelHandle, PANEL_GRAPH, Scaled_Waveforms[i], run.n, 1.0, 0.0,
                         Count * Sec_per_stretch, Ds, Colors[run.channelList[i]]);
    }
    if (Count >= Stretches - 1) {
        Count = -1;
        if (Vanix_Mode == 1)
            Hold_status = 1;
        else
            run.ClearOnNextStretch = 1;
    }
}

// One stretch, in the loop's fixed order: read, counts, interval bookkeeping, elapsed time,
// regrouping by channel, display scaling and drawing.
int32 processStretch(AcquisitionRun& run) {
    const double now = Timer();
    int32 read = 0;
    const int32 status = DAQmxReadAnalogF64(
        AI_Task, run.n, kReadTimeout, DAQmx_Val_GroupByScanNumber, run.ReadBuffer.data(),
        static_cast<uInt32>(run.ReadBuffer.size()), &read, nullptr);
    if (status < 0) return status;
    ConvertStretch(run.ReadBuffer.data(), run.n, run.channels, run.countsPerVolt, HalfBuffer,
                   FullBuffer);

    advanceIntervalSaving(run);
    // A timed recording ends before the stretch during which its length is found reached.
    if (Record == 1 && reachedInSamples(Real_time, SaveTime)) SaveStop();
    if (Save_status != 0) SaveAll();
    if (Skipping == 1) run.SkipClock += Sec_per_stretch;

    showElapsedSeconds(now);
    std::memcpy(HalfBuffer, FullBuffer, sizeof(short) * static_cast<std::size_t>(BufferSize));
    for (int i = 0; i < run.channels; ++i) scaleForDisplay(run, i);
    drawStretch(run);
    return 0;
}

// Gives the operator one event, waiting no longer than until the next half-stretch is due.
// The due time is worked out from the task's start, so it never drifts; a deadline already
// passed still moves the clock on, so a simulated clock cannot stall short of the sample.
void serveOperator(const AcquisitionRun& run) {
    const double due =
        run.taskStartTime + double(run.HalfStretchCount + 1) * double(run.n / 2) / double(run.rate);
    const double soonest = std::nextafter(Timer(), std::numeric_limits<double>::infinity());
    GetUserEventUntil(std::max(due, soonest), nullptr, nullptr);
}

}  // namespace

int32 PollOnce(AcquisitionRun& run) {
    if (Vanix_Mode == 1) blinkLamp();
    uInt64 acquired = 0;
    const int32 status = DAQmxGetReadTotalSampPerChanAcquired(AI_Task, &acquired);
    if (status < 0) return status;
    const std::uint64_t halves = HalfStretches(acquired, run.n);
    if (run.HalfStretchCount < halves) {
        run.HalfStretchCount = halves;
        if (const int32 failed = processStretch(run); failed < 0) return failed;
    }
    serveOperator(run);
    return 0;
}

}  // namespace trelvanix::daq
