// The operator's actions as both front ends carry them out: what a click on a graph
// commits, values typed in, and looking closely at a graph (zoom, pan, cursors).

#include "platform/ui/operator_actions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/ui/toolkit.h"
#include "tests/platform/ui/test_panels.h"

using namespace trelvanix::ui;
using namespace trelvanix::ui::testing;
using ::testing::ElementsAre;

namespace {

const std::string kClick = std::to_string(kGraph) + ":" + std::to_string(EVENT_LEFT_CLICK);
const std::string kCommit = std::to_string(kGraph) + ":" + std::to_string(EVENT_COMMIT);

struct Actions : ::testing::Test {
    void SetUp() override {
        resetToolkit();
        panel = loadTestPanel();
    }
    std::vector<std::string> run() {
        dispatched().clear();
        ProcessSystemEvents();
        return dispatched();
    }
    const Graph& graph() { return *Model::instance().control(panel, kGraph)->graph; }
    // Pixel column of time x in the current view.
    int columnOf(double x) {
        double x0 = 0, x1 = 0;
        GetGraphView(panel, kGraph, &x0, &x1, nullptr, nullptr);
        const Rect& a = graph().plotArea;
        return a.left + int(std::lround((x - x0) / (x1 - x0) * a.width));
    }
    std::array<double, 4> view() {
        std::array<double, 4> v{};
        GetGraphView(panel, kGraph, &v[0], &v[1], &v[2], &v[3]);
        return v;
    }
    int panel = 0;
};

TEST_F(Actions, AGraphClickCommitsInThePlotAreaWhileItShowsItsOwnAxes) {
    const Rect area = graph().plotArea;
    const int middleX = area.left + area.width / 2, middleY = area.top + area.height / 2;
    EXPECT_TRUE(clickControl(panel, kGraph, middleX, middleY).done);
    EXPECT_THAT(run(), ElementsAre(kClick, kCommit));
    int x = 0, y = 0;
    GetRelativeMouseState(panel, kGraph, &x, &y, nullptr, nullptr, nullptr);
    EXPECT_EQ(x, middleX);
    EXPECT_EQ(y, middleY);

    clickControl(panel, kGraph, 3, 3);  // the margin, where the axis labels are
    EXPECT_THAT(run(), ElementsAre(kClick));

    // Inspected but at its own axes, a click still commits; zoomed in, its height would not
    // mean what the program's offset arithmetic takes it to mean, so it does not.
    SetGraphInspection(panel, kGraph, 1);
    run();
    clickControl(panel, kGraph, middleX, middleY);
    EXPECT_THAT(run(), ElementsAre(kClick, kCommit));
    zoomGraph(panel, kGraph, 2.0, 4.0);
    run();
    clickControl(panel, kGraph, middleX, middleY);
    EXPECT_THAT(run(), ElementsAre(kClick));

    SetCtrlAttribute(panel, kGraph, ATTR_DIMMED, 1);
    const ActionResult refused = clickControl(panel, kGraph, middleX, middleY);
    EXPECT_FALSE(refused.done);
    EXPECT_EQ(refused.refusal, "is dimmed");
    EXPECT_TRUE(run().empty());
}

TEST_F(Actions, TypedValuesAreStoredThenChangedAndCommitted) {
    EXPECT_TRUE(enterValue(panel, kNumber, 42.0).done);
    double value = 0;
    GetCtrlVal(panel, kNumber, &value);
    EXPECT_EQ(value, 10.0);  // the control's range holds
    const std::string n = std::to_string(kNumber) + ":";
    EXPECT_THAT(run(), ElementsAre(n + std::to_string(EVENT_VAL_CHANGED),
                                   n + std::to_string(EVENT_COMMIT)));
    EXPECT_TRUE(enterValue(panel, kText, std::string("one\ntwo")).done);
    int lines = 0;
    GetNumTextBoxLines(panel, kText, &lines);
    EXPECT_EQ(lines, 2);
    run();
    Model::instance().control(panel, kNumber)->indicator = true;
    EXPECT_EQ(enterValue(panel, kNumber, 1.0).refusal, "is an indicator");
    EXPECT_FALSE(pressControl(panel, kNumber).done);
    EXPECT_FALSE(enterValue(panel, kGraph, 1.0).done);
    EXPECT_TRUE(run().empty());
}

TEST_F(Actions, ZoomAndPanStayInsideTheAxesAndLeaveThemAlone) {
    EXPECT_FALSE(zoomGraph(panel, kGraph, 2.0, 4.0).done) << "only while inspection is on";
    SetGraphInspection(panel, kGraph, 1);
    EXPECT_TRUE(zoomGraph(panel, kGraph, 2.0, 4.0).done);
    EXPECT_EQ(view(), (std::array<double, 4>{2.0, 4.0, 0.0, 10.0}));
    EXPECT_TRUE(graph().inspection.zoomed);

    zoomGraph(panel, kGraph, -5.0, 1.0, 2.0, 3.0);  // before the start: moved inside
    EXPECT_EQ(view(), (std::array<double, 4>{0.0, 6.0, 2.0, 3.0}));
    panGraph(panel, kGraph, 10000, 0);  // dragged far right: stops at the start
    EXPECT_EQ(view()[0], 0.0);
    EXPECT_EQ(view()[1], 6.0);
    panGraph(panel, kGraph, -10000, 0);  // and at the end
    EXPECT_EQ(view()[0], 4.0);
    EXPECT_EQ(view()[1], 10.0);
    panGraph(panel, kGraph, graph().plotArea.width / 6, 0);  // a sixth of the view: 1 s
    EXPECT_NEAR(view()[0], 3.0, 0.02);
    EXPECT_NEAR(view()[1] - view()[0], 6.0, 1e-9);

    int mode = 0;
    double min = 0, max = 0;
    GetAxisScalingMode(panel, kGraph, VAL_XAXIS, &mode, &min, &max);
    EXPECT_EQ(min, 0.0);
    EXPECT_EQ(max, 10.0);

    EXPECT_TRUE(restoreGraphView(panel, kGraph).done);
    EXPECT_EQ(view(), (std::array<double, 4>{0.0, 10.0, 0.0, 10.0}));
    EXPECT_FALSE(graph().inspection.zoomed);

    // New axes from the program show whole; turning inspection off shows the axes too.
    zoomGraph(panel, kGraph, 2.0, 4.0);
    SetAxisScalingMode(panel, kGraph, VAL_XAXIS, VAL_MANUAL, 0.0, 5.0);
    EXPECT_EQ(view(), (std::array<double, 4>{0.0, 5.0, 0.0, 10.0}));
    zoomGraph(panel, kGraph, 2.0, 4.0);
    SetGraphInspection(panel, kGraph, 0);
    EXPECT_EQ(view(), (std::array<double, 4>{0.0, 5.0, 0.0, 10.0}));
}

TEST_F(Actions, TheWheelZoomsAroundThePointer) {
    SetGraphInspection(panel, kGraph, 1);
    const Rect a = graph().plotArea;
    const int column = columnOf(2.0);
    auto underPointer = [&](const std::array<double, 4>& v) {
        return v[0] + (v[1] - v[0]) * double(column - a.left) / a.width;
    };
    const double before = underPointer(view());
    turnWheelOnGraph(panel, kGraph, column, a.top + 10, 2.0, false);  // two notches in
    auto v = view();
    EXPECT_NEAR(v[1] - v[0], 10.0 / 1.5625, 1e-9);
    EXPECT_NEAR(underPointer(v), before, 1e-9);
    EXPECT_EQ(v[2], 0.0);
    turnWheelOnGraph(panel, kGraph, column, a.top + a.height / 2, 1.0, true);  // Ctrl: vertical
    v = view();
    EXPECT_NEAR(v[3] - v[2], 8.0, 1e-9);
    EXPECT_NEAR(v[2] + v[3], 10.0, 0.1);                           // around the middle
    turnWheelOnGraph(panel, kGraph, column, a.top, -50.0, false);  // far out: the whole axis
    EXPECT_EQ(view()[0], 0.0);
    EXPECT_EQ(view()[1], 10.0);
}

TEST_F(Actions, CursorsAreDraggedAndReadTheSamplesUnderThem) {
    SetGraphInspection(panel, kGraph, 1);
    double c1 = 0, c2 = 0;
    GetGraphCursor(panel, kGraph, 1, &c1);
    GetGraphCursor(panel, kGraph, 2, &c2);
    EXPECT_EQ(c1, 2.5);
    EXPECT_EQ(c2, 7.5);
    const int y = graph().plotArea.top + 20;
    EXPECT_EQ(graphCursorAt(panel, kGraph, columnOf(2.5) + 3), 1);
    EXPECT_EQ(graphCursorAt(panel, kGraph, columnOf(5.0)), 0);
    dragOnGraph(panel, kGraph, columnOf(2.5) + 2, y, columnOf(4.0), y);
    GetGraphCursor(panel, kGraph, 1, &c1);
    EXPECT_NEAR(c1, 4.0, 10.0 / graph().plotArea.width);
    dragOnGraph(panel, kGraph, columnOf(5.0), y, columnOf(6.0), y);  // no cursor there: pans
    EXPECT_FALSE(graph().inspection.zoomed) << "the whole axis cannot pan";
    placeGraphCursor(panel, kGraph, 2, 99.0);
    GetGraphCursor(panel, kGraph, 2, &c2);
    EXPECT_EQ(c2, 10.0);
    EXPECT_FALSE(placeGraphCursor(panel, kGraph, 3, 1.0).done);

    run();
    // Two stretches side by side, and one channel on top: each sample owns half a step.
    const double first[] = {1, 2, 3}, second[] = {4, 5, 6}, top[] = {7, 8, 9};
    PlotWaveform(panel, kGraph, first, 3, 1.0, 0.0, 0.0, 1.0, VAL_RED);
    PlotWaveform(panel, kGraph, second, 3, 1.0, 0.0, 3.0, 1.0, VAL_RED);
    PlotWaveform(panel, kGraph, top, 3, 1.0, 0.0, 0.0, 1.0, VAL_BLUE);
    std::vector<double> values;
    GetGraphValuesAt(panel, kGraph, 2.4, &values);
    EXPECT_THAT(values, ElementsAre(3.0, 9.0));
    GetGraphValuesAt(panel, kGraph, 2.5, &values);
    EXPECT_THAT(values, ElementsAre(4.0));
    GetGraphValuesAt(panel, kGraph, 6.0, &values);
    EXPECT_TRUE(values.empty());
    // Plots drawn while inspecting tell the graph's callback once, not once per plot.
    const std::string changed = std::to_string(kGraph) + ":" + std::to_string(EVENT_VAL_CHANGED);
    const auto events = run();
    EXPECT_EQ(std::count(events.begin(), events.end(), changed), 1);
}

}  // namespace
