#pragma once
// The working state of one acquisition run, private to the loop: created when a run starts,
// released when it ends. The start, the per-stretch processing and the end share it.

#include <cstdint>
#include <string>

#include "daq/stage.h"
#include "platform/driver/daqmx.h"

namespace trelvanix::daq {

struct AcquisitionRun {
    RunLayout layout;          // fixed for the run
    double RangeSpan[8] = {};  // by physical channel, volts
    std::uint64_t HalfStretchCount = 0;
    int CountBits = 16;

    int rate = 0;                   // samples per second per channel
    std::uint64_t samplesRead = 0;  // per channel, by the stretches processed
    // When the board clocked its first sample, as its counts show: the task's start at first,
    // then following a board whose clock runs ahead of the program's or behind it.
    double sampleClockOrigin = 0.0;
    double lastStretchAt = 0.0;  // clock when the last stretch was processed, or the task started
    bool started = false;        // the input task runs (listeners were told)
};

// Start of a run up to the task's start. Returns 0, or the negative status of the driver
// call that failed.
int32 StartRun(AcquisitionRun& run);
// One pass of the poll loop: walks the stages over a stretch when a new half-stretch has been
// acquired and so has the whole stretch the read takes, then dispatches at most one operator
// event, waiting for one no longer than until the samples the next stretch needs are due.
// Returns 0, or the negative status of the driver call that failed.
int32 PollOnce(AcquisitionRun& run);
// End of a run: reports a failed driver call, stops and clears the task, and lets every stage
// release its blocks. Returns the report of the failed call (empty when `status` is not one).
std::string EndRun(AcquisitionRun& run, int32 status);

}  // namespace trelvanix::daq
