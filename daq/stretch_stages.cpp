#include "daq/stretch_stages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "daq/acquisition.h"
#include "daq/driver_status.h"
#include "daq/stretch_conversion.h"
#include "platform/analysis/analysis.h"
#include "platform/driver/daqmx.h"
#include "platform/driver/driver_errors.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace trelvanix::daq {

void ReadConvertStage::onRunStart(const RunLayout& layout) {
    ReadBuffer.assign(static_cast<std::size_t>(layout.n) * layout.channels, 0.0);
    samplesRead = 0;
    // As the input task's sample clock is configured (acquisition_start.cpp).
    bufferSize = kBufferSecondsPerChannel * static_cast<std::uint64_t>(NumScans) *
                 static_cast<std::uint64_t>(layout.channels);
    behind = false;
    shownPercent = 0;
    SetCtrlVal(panelHandle, PANEL_BUFFER, 0);
    SetCtrlVal(panelHandle, PANEL_BUFFER_LAMP, 0);
}

std::int32_t ReadConvertStage::showBacklog(const RunLayout& layout) {
    uInt64 acquired = 0;
    const int32 status = NoteDriverCall("DAQmxGetReadTotalSampPerChanAcquired",
                                        DAQmxGetReadTotalSampPerChanAcquired(AI_Task, &acquired));
    if (status < 0) return status;
    const std::uint64_t backlog = acquired > samplesRead ? acquired - samplesRead : 0;
    const int percent =
        bufferSize > 0 ? static_cast<int>(std::min<std::uint64_t>(100, backlog * 100 / bufferSize))
                       : 0;
    if (percent != shownPercent) SetCtrlVal(panelHandle, PANEL_BUFFER, percent);
    shownPercent = percent;
    // Behind: what waits beyond the stretch about to be read fills more than half the buffer.
    const std::uint64_t stretch = static_cast<std::uint64_t>(layout.n);
    const bool pastHalf = backlog > stretch && 2 * (backlog - stretch) > bufferSize;
    if (pastHalf && !behind)
        ErrorPrintf(
            "The input buffer is %d%% full: the program is falling behind the board "
            "(%.1f s of samples wait to be read). Samples are lost when it is full.",
            percent, double(backlog) / NumScans);
    if (pastHalf != behind) SetCtrlVal(panelHandle, PANEL_BUFFER_LAMP, pastHalf ? 1 : 0);
    behind = pastHalf;
    return 0;
}

// The read failed because the board overwrote samples the loop had not read yet.
void ReadConvertStage::reportLostSamples(const RunLayout& layout) {
    uInt64 acquired = 0;
    if (DAQmxGetReadTotalSampPerChanAcquired(AI_Task, &acquired) < 0) return;
    const std::uint64_t backlog = acquired > samplesRead ? acquired - samplesRead : 0;
    if (backlog <= bufferSize) return;
    const std::uint64_t lost = backlog - bufferSize;
    ErrorPrintf(
        "The input buffer overflowed: %llu samples per channel (%llu in all, %.1f s) "
        "were overwritten before they could be read and are lost.",
        static_cast<unsigned long long>(lost),
        static_cast<unsigned long long>(lost * layout.channels), double(lost) / NumScans);
}

std::int32_t ReadConvertStage::onStretch(StretchContext& stretch) {
    const RunLayout& layout = stretch.layout;
    if (const std::int32_t failed = showBacklog(layout); failed < 0) return failed;
    int32 read = 0;
    const int32 status =
        NoteDriverCall("DAQmxReadAnalogF64",
                       DAQmxReadAnalogF64(AI_Task, layout.n, kReadTimeout,
                                          DAQmx_Val_GroupByScanNumber, ReadBuffer.data(),
                                          static_cast<uInt32>(ReadBuffer.size()), &read, nullptr));
    if (status == driver::kErrorSamplesNoLongerAvailable) reportLostSamples(layout);
    if (status < 0) return status;
    samplesRead += static_cast<std::uint64_t>(layout.n);
    ConvertStretch(ReadBuffer.data(), layout.n, layout.channels, layout.countsPerVolt,
                   stretch.counts, stretch.groupedCounts);
    return 0;
}

void ReadConvertStage::onRunEnd() {
    ReadBuffer = {};
}

std::int32_t ElapsedTimeStage::onStretch(StretchContext& stretch) {
    // Formatted and shown only when the second changes: nine stretches in ten at 0.1 s.
    const int seconds = static_cast<int>(stretch.now - Timer_start);
    if (seconds == shownSeconds) return 0;
    shownSeconds = seconds;
    char text[32];
    std::snprintf(text, sizeof text, "%d", seconds);
    SetCtrlVal(panelHandle, PANEL_ELAPSED, text);
    return 0;
}

void DisplayValuesStage::onRunStart(const RunLayout& layout) {
    const std::size_t n = static_cast<std::size_t>(layout.n);
    FilterWork.assign(static_cast<std::size_t>(layout.channels),
                      std::vector<double>(n + kStartWindowSize, 0.0));
    for (int& size : WorkWindowSize) size = kStartWindowSize;
    FilterOut.assign(n, 0.0);
}

std::int32_t DisplayValuesStage::onStretch(StretchContext& stretch) {
    const RunLayout& layout = stretch.layout;
    std::memcpy(stretch.counts, stretch.groupedCounts,
                sizeof(std::int16_t) * static_cast<std::size_t>(layout.n) * layout.channels);
    for (int i = 0; i < layout.channels; ++i) scalePosition(stretch, i);
    return 0;
}

void DisplayValuesStage::scalePosition(const StretchContext& stretch, int i) {
    const int ch = stretch.layout.channelList[i];
    const std::size_t n = static_cast<std::size_t>(stretch.layout.n);
    const int W = std::max(Window_size[ch], 1);
    const double voltsPerCount = VoltsPerCount(GainList[ch]);

    if (W != WorkWindowSize[i]) {
        FilterWork[i].resize(n + W);
        WorkWindowSize[i] = W;
    }
    if (FilterOut.size() < n) FilterOut.resize(n);
    double* work = FilterWork[i].data();

    const std::int16_t* counts = stretch.counts + i * n;
    CountsToVolts(counts, static_cast<int>(n), voltsPerCount, work + W);
    // Filtered, value j is the current sample and the W - 1 before it, weighted by the taps:
    // value W + j of the full convolution of the taps with the history and the stretch.
    const double* values = work + W;
    if (Filter_type[ch] != 0 && Coef[ch] != nullptr && Window_size[ch] >= 1 &&
        ConvolvePart(Coef[ch], W, work, static_cast<int>(n) + W, W, static_cast<int>(n),
                     FilterOut.data()) == kAnalysisOk)
        values = FilterOut.data();

    DisplayStretch(values, static_cast<int>(n), Offset[ch], Gain_Factor[ch], stretch.display[i]);
    std::copy(work + n, work + n + W, work);
}

void DisplayValuesStage::onRunEnd() {
    FilterWork = {};
    FilterOut = {};
}

std::int32_t DrawingStage::onStretch(StretchContext& stretch) {
    const RunLayout& layout = stretch.layout;
    ++Count;
    if (Vanix_Mode != 1 || Hold_status == 0) {
        if (ClearOnNextStretch) {
            DeleteGraphPlot(panelHandle, PANEL_GRAPH, -1, VAL_IMMEDIATE_DRAW);
            ClearOnNextStretch = 0;
        }
        for (int i = 0; i < layout.channels; ++i)
            PlotWaveform(panelHandle, PANEL_GRAPH, stretch.display[i], layout.n, 1.0, 0.0,
                         Count * Sec_per_stretch, Ds, Colors[layout.channelList[i]]);
    }
    if (Count >= Stretches - 1) {
        Count = -1;
        if (Vanix_Mode == 1)
            Hold_status = 1;
        else
            ClearOnNextStretch = 1;
    }
    return 0;
}

}  // namespace trelvanix::daq
