#pragma once
// The working state of one acquisition run, private to the loop: created when a run starts,
// released when it ends. The start, the per-stretch processing and the end share it.

#include <cstdint>
#include <vector>

#include "platform/driver/daqmx.h"

namespace trelvanix::daq {

constexpr int kStartWindowSize = 55;   // taps the filter blocks are first sized for
constexpr double kReadTimeout = 10.0;  // seconds a read may wait for its stretch

struct AcquisitionRun {
    // Fixed for the run: samples per channel per stretch (n), channels and their positions.
    int n = 0;
    int channels = 0;
    short channelList[8] = {};
    double countsPerVolt[8] = {};  // by position

    std::vector<double> ReadBuffer;               // one stretch as read, interleaved by scan
    double RangeSpan[8] = {};                     // by physical channel, volts
    std::vector<std::vector<double>> FilterWork;  // by position: W of history, then n volts
    int WorkWindowSize[8] = {};                   // by position
    std::vector<double> FilterOut;                // convolution output, shared by positions
    std::uint64_t HalfStretchCount = 0;
    double SkipClock = 0.0;
    int ClearOnNextStretch = 0;
    int CountBits = 16;

    int rate = 0;                // samples per second per channel
    double taskStartTime = 0.0;  // clock when the task started: the sample clock's origin
};

// Start of a run up to the task's start. Returns 0, or the negative status of the driver
// call that failed.
int32 StartRun(AcquisitionRun& run);
// One pass of the poll loop: processes a stretch when a new half-stretch has been acquired,
// then dispatches at most one operator event, waiting for one no longer than until the next
// half-stretch is due. Returns 0, or the negative status of the driver call that failed.
int32 PollOnce(AcquisitionRun& run);
// End of a run: reports a failed driver call, stops and clears the task, frees the blocks.
void EndRun(AcquisitionRun& run, int32 status);

}  // namespace trelvanix::daq
