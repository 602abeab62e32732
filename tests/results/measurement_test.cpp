// The measurements on files with chosen samples: each kind against its definition worked by
// hand, the regions' scans, the refusals with their reasons, and the table's text forms.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "results/measured_recording.h"
#include "results/result_table.h"
#include "tests/results/vnx_test_file.h"

using namespace trelvanix::results;
using ::testing::ElementsAre;
using trelvanix::testing::TestChannel;
using trelvanix::testing::writeVnxFile;

namespace {

namespace fs = std::filesystem;

// At 1000 scans/s one scan is 1 ms. Scans 0-3 are the baseline (10 counts, one count is one
// unit); scans 4-9 hold 20, 50, -30, 40, 35, 25.
const std::vector<std::int16_t> kCounts = {10, 10, 10, 10, 20, 50, -30, 40, 35, 25};

class Measuring : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("results_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        TestChannel shown{kCounts};
        TestChannel inverted{kCounts};
        inverted.scaleFactor = -inverted.scaleFactor;
        // ai3 (inverted) and ai5 in the first file, ai6 alone in the second.
        first = {writeVnxFile((dir / "first.vnx").string(), 1000, {inverted, shown}), {3, 5}};
        second = {writeVnxFile((dir / "second.vnx").string(), 1000, {shown}), {6}};
    }
    void TearDown() override { fs::remove_all(dir); }

    Measurement of(MeasureKind kind, int channel, Region region,
                   std::optional<Region> baseline = Region{0, 4}, double threshold = 0) {
        return Measurement{"M", channel, kind, region, baseline, threshold};
    }
    std::vector<MeasuredValue> measure(const std::vector<Measurement>& measurements) {
        return measureRecording({first, second}, measurements).values;
    }
    double value(const Measurement& m) {
        const MeasuredValue v = measure({m}).at(0);
        EXPECT_EQ(v.problem, "");
        return v.value.value_or(-1e300);
    }

    fs::path dir;
    RecordedFile first, second;
};

TEST_F(Measuring, EachKindFollowsItsDefinition) {
    const Region all{4, 10};
    EXPECT_NEAR(value(of(MeasureKind::Mean, 5, all)), 140.0 / 6 - 10, 1e-9);
    EXPECT_NEAR(value(of(MeasureKind::Minimum, 5, all)), -40, 1e-9);
    EXPECT_NEAR(value(of(MeasureKind::Maximum, 5, all)), 40, 1e-9);
    // 50 and -30 lie 40 from the baseline: the first of them is the peak, with its sign.
    EXPECT_NEAR(value(of(MeasureKind::Peak, 5, all)), 40, 1e-9);
    EXPECT_DOUBLE_EQ(value(of(MeasureKind::TimeOfPeak, 5, all)), 5.0);
    EXPECT_NEAR(value(of(MeasureKind::PeakToPeak, 5, all)), 80, 1e-9);
    // (6 x 375 - 15 x 140) / (6 x 55 - 15^2) counts per scan, at 1000 scans/s.
    EXPECT_NEAR(value(of(MeasureKind::Slope, 5, all)), 150.0 / 105 * 1000, 1e-6);
    // Above the baseline the values are 10 40 -40 30 25 15: two upward crossings of 30, one
    // of them landing exactly on it.
    EXPECT_EQ(value(of(MeasureKind::SpikeCount, 5, all, Region{0, 4}, 30)), 2);
    // Region ends round to the nearest scan: 3.6 to 9.4 ms is scans 4 to 8.
    EXPECT_NEAR(value(of(MeasureKind::Mean, 5, {3.6, 9.4}, std::nullopt)), 115.0 / 5, 1e-9);
    // A negative scale factor turns the values over: the minimum comes from the largest count.
    EXPECT_NEAR(value(of(MeasureKind::Minimum, 3, all, std::nullopt)), -50, 1e-9);
    EXPECT_NEAR(value(of(MeasureKind::Maximum, 3, all, std::nullopt)), 30, 1e-9);
    EXPECT_NEAR(value(of(MeasureKind::PeakToPeak, 3, all, std::nullopt)), 80, 1e-9);
    // A channel of the second file of a split recording is measured there.
    EXPECT_NEAR(value(of(MeasureKind::Maximum, 6, all)), 40, 1e-9);
    EXPECT_EQ(measure({of(MeasureKind::Mean, 5, all)})[0].unit, "u");
    EXPECT_EQ(measure({of(MeasureKind::Slope, 5, all)})[0].unit, "u/s");
    EXPECT_EQ(measure({of(MeasureKind::TimeOfPeak, 5, all)})[0].unit, "ms");
}

TEST_F(Measuring, WhatCannotBeMeasuredIsRefusedWithItsReason) {
    const auto problems = [&](const std::vector<Measurement>& ms) {
        std::vector<std::string> found;
        for (const MeasuredValue& v : measure(ms)) {
            EXPECT_EQ(v.value.has_value(), v.problem.empty());
            found.push_back(v.problem);
        }
        return found;
    };
    EXPECT_THAT(
        problems({of(MeasureKind::Mean, 5, {5, 12}), of(MeasureKind::Mean, 5, {4.2, 4.4}),
                  of(MeasureKind::Slope, 5, {4, 5}), of(MeasureKind::Mean, 7, {4, 8}),
                  of(MeasureKind::Mean, 5, {8, 9}, Region{0, 9}),
                  of(MeasureKind::Mean, 5, {4, 9})}),
        ElementsAre(
            "M: the measurement region (5 to 12 ms) reaches outside first.vnx, which holds 10 ms.",
            "M: the measurement region (4.2 to 4.4 ms) holds 0 scan(s) at 1000 scans/s; it "
            "needs 1.",
            "M: the measurement region (4 to 5 ms) holds 1 scan(s) at 1000 scans/s; it needs 2.",
            "M: ai7 is not in this recording.",
            "The measurement M: the baseline region (0 to 9 ms) must end before the measurement "
            "region starts (8 ms).",
            ""));
    fs::remove(first.path);
    EXPECT_THAT(problems({of(MeasureKind::Mean, 5, {4, 8})})[0],
                ::testing::StartsWith("M: cannot read " + first.path));
}

TEST(MeasurementDefinition, ProblemsNameTheMeasurementAndWhatIsWrong) {
    const auto problem = [](std::string name, int channel, Region region,
                            std::optional<Region> baseline = std::nullopt) {
        return definitionProblem({name, channel, MeasureKind::Mean, region, baseline, 0});
    };
    EXPECT_EQ(problem("Vss", 0, {10, 20}), "");
    EXPECT_EQ(problem("", 0, {10, 20}), "The measurement needs a name (it heads its column).");
    EXPECT_EQ(problem("V ss", 0, {10, 20}),
              "The measurement V ss: the name must be one word without blanks or control "
              "characters.");
    EXPECT_EQ(problem("Vss", 8, {10, 20}), "The measurement Vss: the channel must be ai0 to ai7.");
    EXPECT_EQ(problem("Vss", 0, {20, 20}),
              "The measurement Vss: its measurement region is empty: the end (20 ms) must come "
              "after the start (20 ms).");
    EXPECT_EQ(problem("Vss", 0, {-5, 20}),
              "The measurement Vss: its measurement region starts at -5 ms, before the recorded "
              "file (regions count from the file's start, 0 ms).");
    EXPECT_EQ(problem("Vss", 0, {10, 20}, Region{0, 10}), "");
    EXPECT_EQ(problem("Vss", 0, {10, 20}, Region{25, 30}),
              "The measurement Vss: the baseline region (25 to 30 ms) must end before the "
              "measurement region starts (10 ms).");
}

TEST(ResultTable, TextCsvClipboardPlotAndFit) {
    MeasuredColumn vss{1, Measurement{"Vss", 0, MeasureKind::Mean, {1, 2}, {}, 0}, "mV"};
    MeasuredColumn spikes{2, Measurement{"Spikes", 4, MeasureKind::SpikeCount, {1, 2}, {}, 0}, "V"};
    std::vector<ResultRow> rows(3);
    rows[0] = {1, "a,\"b\".vnx", StepOfRow{1, "PULSE_MV1", -40}, {}};
    rows[0].values[1] = {-0.399927123, "mV", ""};
    rows[0].values[2] = {3, "", ""};
    rows[1] = {2, "c.vnx", StepOfRow{2, "PULSE_MV1", 40}, {}};
    rows[1].values[1] = {0.40001, "mV", ""};
    rows[1].values[2] = {std::nullopt, "", "Spikes: refused"};
    rows[2] = {3, "d.vnx", std::nullopt, {}};
    rows[2].values[1] = {1.5, "mV", ""};

    const TableText shown = tableText(rows, {vss, spikes}, kTableDigits);
    EXPECT_THAT(shown.headings, ElementsAre("Row", "File", "Step", "Parameter", "Value (units)",
                                            "Vss (mV)", "Spikes"));
    EXPECT_THAT(shown.rows[0],
                ElementsAre("1", "a,\"b\".vnx", "1", "PULSE_MV1", "-40", "-0.399927", "3"));
    EXPECT_EQ(csvText(tableText({rows[0], rows[1]}, {vss, spikes}, kExportDigits)),
              "Row,File,Step,Parameter,Value (units),Vss (mV),Spikes\r\n"
              "1,\"a,\"\"b\"\".vnx\",1,PULSE_MV1,-40,-0.399927123,3\r\n"
              "2,c.vnx,2,PULSE_MV1,40,0.40001,\r\n");
    EXPECT_EQ(tabText(tableText({rows[1]}, {vss}, kExportDigits)),
              "Row\tFile\tStep\tParameter\tValue (units)\tVss (mV)\n"
              "2\tc.vnx\t2\tPULSE_MV1\t40\t0.40001\n");

    // Plotted against the stepped value while every row has a step, else the row number.
    PlotPoints stepped = plotPoints({rows[0], rows[1]}, vss);
    EXPECT_THAT(stepped.x, ElementsAre(-40, 40));
    EXPECT_EQ(stepped.xTitle, "PULSE_MV1 (units)");
    EXPECT_EQ(stepped.yTitle, "Vss (mV)");
    EXPECT_THAT(plotPoints(rows, vss).x, ElementsAre(1, 2, 3));
    EXPECT_EQ(plotPoints(rows, vss).xTitle, "Row");
    EXPECT_THAT(plotPoints(rows, spikes).y, ElementsAre(3));

    const auto fit = fitLine({-40, -20, 0, 20, 40}, {-79, -39, 1, 41, 81});
    ASSERT_TRUE(fit);
    EXPECT_DOUBLE_EQ(fit->slope, 2.0);
    EXPECT_DOUBLE_EQ(fit->intercept, 1.0);
    EXPECT_FALSE(fitLine({1}, {2}));
    EXPECT_FALSE(fitLine({3, 3}, {1, 2}));

    const AxisRange axis = roundAxis(-40, 40);
    EXPECT_EQ(axis.min, -60);
    EXPECT_EQ(axis.max, 60);
    EXPECT_EQ(axis.divisions, 6);
    const AxisRange small = roundAxis(0.013, 0.047);
    EXPECT_NEAR(small.min, 0.01, 1e-12);
    EXPECT_NEAR(small.max, 0.05, 1e-12);
}

}  // namespace
