#include "daq/stage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "daq/stretch_stages.h"
#include "state/shared_state.h"

using namespace trelvanix;
using namespace trelvanix::daq;

namespace {

// The display stage alone on a synthetic stretch, without panels: channels 1 and 3 on a
// ±10 V range (board gain 0.5), grouped counts in, regrouped counts and display values out.
// Channel 3 shows its volts plus offset over gain; channel 1 runs a 2-tap average, whose first
// stretch is filtered against a zero history and whose second sees the first's last sample.
TEST(DisplayValuesStage, TurnsCountsIntoFilteredScaledValuesAcrossStretches) {
    ResetSharedState();
    RunLayout layout;
    layout.n = 3;
    layout.channels = 2;
    layout.channelList[0] = 1;
    layout.channelList[1] = 3;
    GainList[1] = GainList[3] = 0.5f;
    double taps[] = {0.5, 0.5};
    Filter_type[1] = 1;
    Window_size[1] = 2;
    Coef[1] = taps;
    Filter_type[3] = 0;
    Gain_Factor[3] = 2.0;
    Offset[3] = 1.0;

    DisplayValuesStage stage;
    stage.onRunStart(layout);
    const double voltsPerCount = 10.0 / 65536 / 0.5;
    std::vector<std::int16_t> counts(6, 0);
    std::vector<std::int16_t> grouped = {1000, 2000, 3000, 9830, -9830, 0};
    std::vector<double> shown1(3), shown3(3);
    double* display[] = {shown1.data(), shown3.data()};
    StretchContext stretch{layout, 0.0, counts.data(), grouped.data(), display};

    ASSERT_EQ(stage.onStretch(stretch), 0);
    EXPECT_EQ(counts, grouped) << "the stretch's counts are regrouped channel by channel";
    EXPECT_NEAR(shown1[0], 500 * voltsPerCount, 1e-12);
    EXPECT_NEAR(shown1[1], 1500 * voltsPerCount, 1e-12);
    EXPECT_NEAR(shown1[2], 2500 * voltsPerCount, 1e-12);
    EXPECT_NEAR(shown3[0], 1.99994, 5e-6);
    EXPECT_NEAR(shown3[1], (-9830 * voltsPerCount + 1.0) / 2.0, 1e-12);
    EXPECT_NEAR(shown3[2], 0.5, 1e-12);

    grouped = {1000, 1000, 1000, 0, 0, 0};
    ASSERT_EQ(stage.onStretch(stretch), 0);
    EXPECT_NEAR(shown1[0], 2000 * voltsPerCount, 1e-12) << "history of the previous stretch";
    EXPECT_NEAR(shown1[1], 1000 * voltsPerCount, 1e-12);
    stage.onRunEnd();
    Coef[1] = nullptr;
    ResetSharedState();
}

class Recorded final : public Stage {
  public:
    Recorded(StageOrder order, std::string& log) : order_(order), log_(log) {}
    const char* name() const override { return "recorded"; }
    StageOrder order() const override { return order_; }
    std::int32_t onStretch(StretchContext&) override {
        log_ += std::to_string(static_cast<int>(order_)) + " ";
        return order_ == StageOrder::ReadConvert && fail ? -200 : 0;
    }
    bool fail = false;

  private:
    StageOrder order_;
    std::string& log_;
};

// Stages run by their keys whatever the order they were added in, and a failing stage ends
// the stretch before the stages after it.
TEST(StageList, RunsStagesInKeyOrderAndStopsAtAFailure) {
    std::string log;
    Recorded drawing(StageOrder::Drawing, log), spectrum(StageOrder::Spectrum, log),
        read(StageOrder::ReadConvert, log), stimulus(StageOrder::StimulusEnd, log);
    StageList stages;
    stages.add(read);
    stages.add(drawing);
    stages.add(stimulus);
    stages.add(spectrum);
    RunLayout layout;
    StretchContext stretch{layout};
    EXPECT_EQ(stages.stretch(stretch), 0);
    EXPECT_EQ(log, "100 300 700 800 ");

    log.clear();
    read.fail = true;
    EXPECT_EQ(stages.stretch(stretch), -200);
    EXPECT_EQ(log, "100 300 ");
}

}  // namespace
