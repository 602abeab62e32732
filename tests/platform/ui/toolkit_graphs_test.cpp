#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/model.h"
#include "platform/ui/toolkit.h"
#include "tests/platform/ui/test_panels.h"

using namespace trelvanix::ui;
using namespace trelvanix::ui::testing;

class ToolkitGraphs : public ::testing::Test {
  protected:
    void SetUp() override {
        resetToolkit();
        panel = loadTestPanel();
    }
    const Graph& graph() { return *Model::instance().control(panel, kGraph)->graph; }
    int plots() {
        int n = -1;
        GetCtrlAttribute(panel, kGraph, ATTR_NUM_PLOTS, &n);
        return n;
    }
    int panel = 0;
};

TEST_F(ToolkitGraphs, WaveformsAreStoredWithTheirXPlacementAndGain) {
    const std::vector<double> y{1.0, 2.0, 3.0};
    const int handle = PlotWaveform(panel, kGraph, y.data(), 3, 2.0, 0.5, 1.5, 0.25, VAL_RED);
    ASSERT_GT(handle, 0);
    ASSERT_EQ(plots(), 1);
    const Plot& p = graph().plots[0];
    EXPECT_EQ(p.handle, handle);
    EXPECT_EQ(p.color, VAL_RED);
    EXPECT_DOUBLE_EQ(p.initialX, 1.5);
    EXPECT_DOUBLE_EQ(p.xIncrement, 0.25);
    EXPECT_EQ(p.y, (std::vector<double>{2.5, 4.5, 6.5}));

    const std::vector<double> x{0.0, 1.0};
    EXPECT_GT(PlotXY(panel, kGraph, x.data(), y.data(), 2, VAL_BLUE), handle);
    EXPECT_EQ(plots(), 2);
    EXPECT_FALSE(graph().plots[1].isWaveform);
    EXPECT_EQ(graph().plots[1].style, VAL_THIN_LINE);
    EXPECT_EQ(SetPlotAttribute(panel, kGraph, handle + 1, ATTR_PLOT_STYLE, VAL_SCATTER), 0);
    EXPECT_EQ(graph().plots[1].style, VAL_SCATTER);
    EXPECT_EQ(SetPlotAttribute(panel, kGraph, handle + 1, ATTR_PLOT_STYLE, 7),
              UIE_BadAttributeValue);
    EXPECT_EQ(SetPlotAttribute(panel, kGraph, 99, ATTR_PLOT_STYLE, VAL_SCATTER), UIE_BadArgument);
    EXPECT_EQ(PlotWaveform(panel, kGraph, y.data(), 0, 1, 0, 0, 1, 0), UIE_BadArgument);
    EXPECT_EQ(PlotWaveform(panel, kButton, y.data(), 3, 1, 0, 0, 1, 0), UIE_NotSupported);
}

TEST_F(ToolkitGraphs, DeletingOnePlotOrAllAndReusingStorage) {
    std::vector<double> y(1000, 1.0);
    const int first = PlotY(panel, kGraph, y.data(), 1000, VAL_RED);
    PlotY(panel, kGraph, y.data(), 1000, VAL_RED);
    PlotY(panel, kGraph, y.data(), 1000, VAL_RED);
    EXPECT_EQ(DeleteGraphPlot(panel, kGraph, first, VAL_IMMEDIATE_DRAW), 0);
    EXPECT_EQ(plots(), 2);
    EXPECT_EQ(DeleteGraphPlot(panel, kGraph, first, VAL_IMMEDIATE_DRAW), UIE_BadArgument);
    DeleteGraphPlot(panel, kGraph, -1, VAL_IMMEDIATE_DRAW);
    EXPECT_EQ(plots(), 0);

    // The next sweep draws into the storage the erased one gave back.
    const double* recycled = graph().spareBuffers.back().data();
    PlotY(panel, kGraph, y.data(), 1000, VAL_RED);
    EXPECT_EQ(graph().plots[0].y.data(), recycled);
}

TEST_F(ToolkitGraphs, AxesKeepManualRangesAndLabelScaling) {
    EXPECT_EQ(SetAxisScalingMode(panel, kGraph, VAL_XAXIS, VAL_MANUAL, 0.0, 50.0), 0);
    int mode = -1;
    double min = 0, max = 0;
    GetAxisScalingMode(panel, kGraph, VAL_XAXIS, &mode, &min, &max);
    EXPECT_EQ(mode, VAL_MANUAL);
    EXPECT_DOUBLE_EQ(max, 50.0);
    EXPECT_EQ(SetAxisScalingMode(panel, kGraph, VAL_XAXIS, VAL_MANUAL, 5.0, 5.0), UIE_BadArgument);

    const std::vector<double> y{-2.0, 3.0};
    PlotY(panel, kGraph, y.data(), 2, VAL_RED);
    SetAxisScalingMode(panel, kGraph, VAL_LEFT_YAXIS, VAL_AUTOSCALE, 0, 0);
    GetAxisScalingMode(panel, kGraph, VAL_LEFT_YAXIS, &mode, &min, &max);
    EXPECT_DOUBLE_EQ(min, -2.0);
    EXPECT_DOUBLE_EQ(max, 3.0);

    SetCtrlAttribute(panel, kGraph, ATTR_YAXIS_GAIN, 5.0);
    SetCtrlAttribute(panel, kGraph, ATTR_YAXIS_OFFSET, -1.5);
    SetCtrlAttribute(panel, kGraph, ATTR_YDIVISIONS, 4);
    EXPECT_DOUBLE_EQ(graph().yAxis.labelGain, 5.0);
    EXPECT_DOUBLE_EQ(graph().yAxis.labelOffset, -1.5);
    EXPECT_EQ(graph().yAxis.divisions, 4);

    int top = -1, height = -1;
    GetCtrlAttribute(panel, kGraph, ATTR_PLOT_AREA_TOP, &top);
    GetCtrlAttribute(panel, kGraph, ATTR_PLOT_AREA_HEIGHT, &height);
    EXPECT_GT(top, 0);
    EXPECT_GT(height, 0);
    EXPECT_LT(top + height, 300);  // inside the 300-pixel graph
}
