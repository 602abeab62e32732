// The results window inside the program: definitions it refuses and why, regions from the
// held sweep's cursors, rows of finalised recordings (measured between stretches, refused
// cells explained), export, clipboard, Change, Remove and Clear.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "results/results.h"
#include "results/results_state.h"
#include "state/program_events.h"
#include "tests/app/program_fixture.h"
#include "tests/results/vnx_test_file.h"

using namespace trelvanix;
using namespace trelvanix::testing;

namespace {

// 10 ms at 1000 scans/s: 10 counts for 4 ms, then 20, 50, -30, 40, 35, 25.
const TestChannel kResponse{{10, 10, 10, 10, 20, 50, -30, 40, 35, 25}};

class ResultsWindow : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(startProgram());
    }

    void run(const std::string& script) {
        useScript(script + "quit\n");
        runFor(600);
        ASSERT_EQ(endStatus(), 0);
    }
    // A recording of ai0 (or `inputs`) finalised now, measured once the loop is reached.
    void finish(const std::string& name, std::vector<int> inputs = {0}) {
        const std::string path = writeVnxFile((folder / name).string(), 1000, {kResponse});
        events::Publish({events::Kind::RecordingFinished, {path}, {inputs}});
        EXPECT_EQ(results::state().waiting.size(), 1u) << "measured inside the stretch";
        ProcessSystemEvents();
    }
    int panel() const { return results::state().panel; }
    std::string rows() const { return textOf(panel(), RESULTS_ROWS); }
};

TEST_F(ResultsWindow, RefusedDefinitionsSayWhyAndCellsThatCannotBeMeasuredSayWhy) {
    run("menu MENUBAR_ANALYSIS_RESULTS\n"
        "expect popup \"Error!\" \"Hold the sweep (or stop acquisition) and place its two cursors "
        "first: the region runs from one cursor to the other, in ms from the sweep's start.\"\n"
        "press RESULTS REGION_CURSORS\n"
        "set RESULTS START 50\n"
        "set RESULTS END 50\n"
        "expect popup \"Error!\" \"The measurement M1: its measurement region is empty: the end "
        "(50 ms) must come after the start (50 ms).\"\n"
        "press RESULTS ADD\n"
        "set RESULTS START -5\n"
        "expect popup \"Error!\" \"The measurement M1: its measurement region starts at -5 ms, "
        "before the recorded file (regions count from the file's start, 0 ms).\"\n"
        "press RESULTS ADD\n"
        "set RESULTS START 10\n"
        "set RESULTS BASELINE 1\n"
        "set RESULTS BASE_START 5\n"
        "set RESULTS BASE_END 15\n"
        "expect popup \"Error!\" \"The measurement M1: the baseline region (5 to 15 ms) must end "
        "before the measurement region starts (10 ms).\"\n"
        "press RESULTS ADD\n"
        "set RESULTS BASELINE 0\n"
        "set RESULTS CHANNEL 3\n"
        "expect popup \"Error!\" \"The measurement M1: ai3 is not acquired, so it is not "
        "recorded. Tick it on the main panel, or choose an acquired channel.\"\n"
        "press RESULTS ADD\n");
    EXPECT_TRUE(results::DefinedMeasurements().empty());

    // The held sweep's cursors, in either order, give the region in ms.
    run("press PANEL ACQUIRE\n"
        "wait 1\n"
        "press PANEL STOP\n"
        "cursor PANEL GRAPH 1 0.2\n"
        "cursor PANEL GRAPH 2 0.005\n"
        "press RESULTS REGION_CURSORS\n"
        "set RESULTS CHANNEL 0\n"
        "press RESULTS ADD\n");
    ASSERT_EQ(results::DefinedMeasurements().size(), 1u);
    EXPECT_EQ(results::DefinedMeasurements()[0].region, (results::Region{5, 200}));

    finish("short.vnx");
    finish("other.vnx", {1});
    EXPECT_EQ(rows(),
              "Row\tFile\tStep\tParameter\tValue\tM1 (V)\n"
              "1\tshort.vnx\t\t\t\t\n"
              "2\tother.vnx\t\t\t\t");
    EXPECT_EQ(textOf(panel(), RESULTS_STATUS),
              "Row 2 not measured in full: M1: ai0 is not in this recording.");
    EXPECT_EQ(results::state().rows[0].values.at(results::state().columns[0].id).problem,
              "M1: the measurement region (5 to 200 ms) reaches outside short.vnx, which holds "
              "10 ms.");
}

TEST_F(ResultsWindow, RowsExportCopyChangeRemoveAndClear) {
    run("menu MENUBAR_ANALYSIS_RESULTS\n"
        "set RESULTS NAME Mean\n"
        "set RESULTS START 4\n"
        "set RESULTS END 10\n"
        "set RESULTS BASELINE 1\n"
        "set RESULTS BASE_START 0\n"
        "set RESULTS BASE_END 4\n"
        "press RESULTS ADD\n"
        "set RESULTS NAME Spikes\n"
        "set RESULTS KIND 7\n"
        "set RESULTS THRESHOLD 30\n"
        "press RESULTS ADD\n");
    finish("a.vnx");
    finish("b,\"c\".vnx");
    EXPECT_EQ(rows(),
              "Row\tFile\tStep\tParameter\tValue\tMean (u)\tSpikes\n"
              "1\ta.vnx\t\t\t\t13.3333\t2\n"
              "2\tb,\"c\".vnx\t\t\t\t13.3333\t2");

    const std::string csv = (folder / "results.csv").string();
    run("answer file \"" + csv + "\"\npress RESULTS EXPORT\npress RESULTS COPY\n");
    std::ifstream in(csv, std::ios::binary);
    std::ostringstream written;
    written << in.rdbuf();
    EXPECT_EQ(written.str(),
              "Row,File,Step,Parameter,Value,Mean (u),Spikes\r\n"
              "1,a.vnx,,,,13.33333333,2\r\n"
              "2,\"b,\"\"c\"\".vnx\",,,,13.33333333,2\r\n");
    std::string copied;
    ClipboardGetText(&copied);
    EXPECT_EQ(copied,
              "Row\tFile\tStep\tParameter\tValue\tMean (u)\tSpikes\n"
              "1\ta.vnx\t\t\t\t13.33333333\t2\n"
              "2\tb,\"c\".vnx\t\t\t\t13.33333333\t2\n");

    // A changed measurement starts a new column (in the channel's unit now until a row measures
    // it); the unchanged one keeps its values.
    run("set RESULTS MEASURES Mean\nset RESULTS END 9\npress RESULTS CHANGE\n"
        "set RESULTS MEASURES Spikes\npress RESULTS REMOVE\n");
    EXPECT_EQ(rows(),
              "Row\tFile\tStep\tParameter\tValue\tMean (V)\n"
              "1\ta.vnx\t\t\t\t\n"
              "2\tb,\"c\".vnx\t\t\t\t");
    finish("d.vnx");
    EXPECT_EQ(results::state().rows.back().values.at(results::state().columns[0].id).value, 13);

    run("press RESULTS CLEAR\n");
    EXPECT_EQ(rows(), "Row\tFile\tStep\tParameter\tValue\tMean (V)");
    finish("e.vnx");
    EXPECT_EQ(rows(), "Row\tFile\tStep\tParameter\tValue\tMean (u)\n1\te.vnx\t\t\t\t13");
}

TEST_F(ResultsWindow, MeasurementsTravelInTheParameterFile) {
    const results::Measurement vss{
        "Vss", 0, results::MeasureKind::Mean, {770, 800}, results::Region{400, 490}, 0};
    ASSERT_EQ(results::ReplaceMeasurements({vss}), "");
    const std::string par = (folder / "iv.par").string();
    run("answer file \"" + par + "\"\nmenu MENUBAR_FILE_SAVE_PARAMS\n");
    ASSERT_EQ(results::ReplaceMeasurements({}), "");
    run("menu MENUBAR_ANALYSIS_RESULTS\nanswer file \"" + par +
        "\"\nmenu MENUBAR_FILE_LOAD_PARAMS\n");
    EXPECT_EQ(results::DefinedMeasurements(), std::vector<results::Measurement>{vss});
    std::string shown;
    GetLabelFromIndex(panel(), RESULTS_MEASURES, 0, &shown);
    EXPECT_EQ(shown, "Vss: mean ai0, 770-800 ms, base 400-490");
}

}  // namespace
