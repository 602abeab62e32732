#pragma once
// The per-stretch work of the acquisition loop as an ordered list of stages. The program
// assembles the list once at start-up (the program's wiring); the loop walks it: every stage's
// onRunStart before the task starts, onStretch for every stretch, onRunEnd when the run ends.
// A subsystem that has work to do on every stretch provides a stage and is registered in the
// wiring; the loop itself never calls a subsystem by name.

#include <array>
#include <cstddef>
#include <cstdint>

namespace trelvanix::daq {

// Where a stage runs within a stretch. The loop's order is fixed; a stage is placed by its
// key, so one added later slots in at its place whatever the order of registration.
enum class StageOrder : int {
    StimulusEnd = 100,    // ends the stimulus whose time is up, starts the next alternate one
    ProtocolStep = 200,   // applies the protocol's next step when its pause is over
    ReadConvert = 300,    // reads the stretch and converts it to counts
    Saving = 400,         // interval saving, timed recording, writing the stretch
    ElapsedTime = 500,    // the elapsed-time display
    DisplayValues = 600,  // counts back to volts, display filter, gain and offset
    Spectrum = 700,       // spectrum collection from the display values
    Drawing = 800,        // the sweep graph
};

// What a run has fixed for its whole length.
struct RunLayout {
    int n = 0;  // samples per channel per stretch
    int channels = 0;
    short channelList[8] = {};     // physical channel by position
    double countsPerVolt[8] = {};  // by position
};

// The stretch being processed, as the stages pass it on.
struct StretchContext {
    const RunLayout& layout;
    double now = 0.0;  // clock reading at the start of the stretch
    // The stretch's counts interleaved scan by scan, as read and as saved; regrouped channel
    // by channel (a copy of groupedCounts) by the display stage.
    std::int16_t* counts = nullptr;
    std::int16_t* groupedCounts = nullptr;  // channel by channel, n per position
    double* const* display = nullptr;       // by position: the n values to plot
};

class Stage {
  public:
    virtual ~Stage() = default;
    virtual const char* name() const = 0;
    virtual StageOrder order() const = 0;
    // Before the input task starts: size per-run blocks, reset per-run bookkeeping.
    virtual void onRunStart(const RunLayout&) {}
    // One stretch. Returns 0, or a negative driver status that ends the run at once.
    virtual std::int32_t onStretch(StretchContext& stretch) = 0;
    // The run has ended (also after a failed start): release per-run blocks.
    virtual void onRunEnd() {}
};

// The loop's stages in their order. Holds no stage itself: stages live as long as the program.
class StageList {
  public:
    static constexpr std::size_t kCapacity = 16;

    // Places the stage after every stage whose key is not greater; false when full.
    bool add(Stage& stage);
    void clear() { count_ = 0; }
    std::size_t size() const { return count_; }
    Stage& operator[](std::size_t i) const { return *stages_[i]; }

    void runStart(const RunLayout& layout) const;
    std::int32_t stretch(StretchContext& stretch) const;
    void runEnd() const;

  private:
    std::array<Stage*, kCapacity> stages_{};
    std::size_t count_ = 0;
};

// The list the acquisition loop walks.
StageList& AcquisitionStages();

}  // namespace trelvanix::daq
