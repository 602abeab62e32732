#pragma once
// The acquisition engine's own stages: reading and converting a stretch, the elapsed-time
// display, the display values and the drawing of the sweep.

#include <vector>

#include "daq/stage.h"

namespace trelvanix::daq {

constexpr int kStartWindowSize = 55;   // taps the filter blocks are first sized for
constexpr double kReadTimeout = 10.0;  // seconds a read may wait for its stretch
// The driver's input buffer holds this many seconds of samples per channel and channel
// acquired, so the loop may fall far behind (a long pop-up) without losing a stretch.
constexpr unsigned long long kBufferSecondsPerChannel = 20;

// Reads one stretch from the input task and converts it to 16-bit counts: interleaved by
// scan into `counts`, channel by channel into `groupedCounts`. Before the read it shows how
// full the driver's buffer is (acquired but not yet read), warns once what waits beyond this
// stretch passes half the buffer, and when the buffer has overflowed says how many samples
// were lost.
class ReadConvertStage final : public Stage {
  public:
    const char* name() const override { return "read and convert"; }
    StageOrder order() const override { return StageOrder::ReadConvert; }
    void onRunStart(const RunLayout& layout) override;
    std::int32_t onStretch(StretchContext& stretch) override;
    void onRunEnd() override;

  private:
    std::int32_t showBacklog(const RunLayout& layout);
    void reportLostSamples(const RunLayout& layout);

    std::vector<double> ReadBuffer;  // one stretch as read, interleaved by scan
    std::uint64_t samplesRead = 0;   // per channel since the run started
    std::uint64_t bufferSize = 0;    // the driver's buffer, samples per channel
    int shownPercent = 0;            // what the buffer gauge shows
    bool behind = false;             // the backlog has passed half the buffer
};

// Shows the whole seconds since the run started, each time they change.
class ElapsedTimeStage final : public Stage {
  public:
    const char* name() const override { return "elapsed time"; }
    StageOrder order() const override { return StageOrder::ElapsedTime; }
    void onRunStart(const RunLayout&) override { shownSeconds = -1; }
    std::int32_t onStretch(StretchContext& stretch) override;

  private:
    int shownSeconds = -1;  // what the display shows this run; -1 before the first stretch
};

// Regroups `counts` channel by channel, then per position: counts to volts after the board
// gain, the channel's display filter, then (volts + offset) / gain into `display`. Each
// position keeps the last W volts of the previous stretch in front of the current one, so a
// W-tap filter runs on without a seam.
class DisplayValuesStage final : public Stage {
  public:
    const char* name() const override { return "display values"; }
    StageOrder order() const override { return StageOrder::DisplayValues; }
    void onRunStart(const RunLayout& layout) override;
    std::int32_t onStretch(StretchContext& stretch) override;
    void onRunEnd() override;

  private:
    void scalePosition(const StretchContext& stretch, int i);

    std::vector<std::vector<double>> FilterWork;  // by position: W of history, then n volts
    int WorkWindowSize[8] = {};                   // by position
    std::vector<double> FilterOut;                // convolution output, shared by positions
};

// Draws the stretch at its place in the sweep; the sweep's end erases the graph before the
// next one, or in single-sweep mode freezes the completed sweep.
class DrawingStage final : public Stage {
  public:
    const char* name() const override { return "drawing"; }
    StageOrder order() const override { return StageOrder::Drawing; }
    void onRunStart(const RunLayout&) override { ClearOnNextStretch = 0; }
    std::int32_t onStretch(StretchContext& stretch) override;

  private:
    int ClearOnNextStretch = 0;  // erase the graph before drawing the next stretch
};

}  // namespace trelvanix::daq
