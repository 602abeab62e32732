// The sweep graph: plots drawn from the model, the y axis in the channel's unit, clicks in
// the plot area, and the drawing of many samples as per-pixel envelopes.

#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QScreen>
#include <QtTest/QTest>
#include <cmath>
#include <vector>

#include "platform/qt/division_ticker.h"
#include "platform/qt/sample_summary.h"
#include "platform/ui/toolkit.h"
#include "qt_test_panel.h"

namespace trelvanix::qt::testing {
namespace {

QCustomPlot* plotOf(const Session& s) {
    return qobject_cast<QCustomPlot*>(s.widget(kGraph));
}

// Pixels of the plot area that have the colour `rgb` (the traces), in a fresh picture.
int tracePixels(Session& s, int rgb, QRect* area = nullptr) {
    s.frontEnd->flush();
    const QImage image = s.widget(kGraph)->grab().toImage();
    const QRect plotArea = plotOf(s)->axisRect()->rect().adjusted(1, 1, -1, -1);
    if (area) *area = plotArea;
    int count = 0;
    for (int y = plotArea.top(); y <= plotArea.bottom(); ++y)
        for (int x = plotArea.left(); x <= plotArea.right(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == unsigned(rgb);
    return count;
}

TEST(QtGraph, PlotsRenderAndDeletingAllErasesAtOnce) {
    Session s;
    EXPECT_EQ(tracePixels(s, VAL_YELLOW), 0);
    // A sweep as the acquisition loop draws it: stretches of several channels side by side.
    std::vector<double> y(5000);
    for (int stretch = 0; stretch < 10; ++stretch) {
        for (int channel = 0; channel < 3; ++channel) {
            for (std::size_t i = 0; i < y.size(); ++i)
                y[i] = channel - 1.5 + std::sin(0.01 * double(stretch * 5000 + i));
            PlotWaveform(s.panel, kGraph, y.data(), int(y.size()), 1.0, 0.0, stretch * 1.0,
                         1.0 / 5000, channel == 0 ? VAL_YELLOW : VAL_GREEN);
        }
    }
    EXPECT_GT(tracePixels(s, VAL_YELLOW), 500);
    DeleteGraphPlot(s.panel, kGraph, -1, VAL_IMMEDIATE_DRAW);
    EXPECT_EQ(tracePixels(s, VAL_YELLOW), 0);
    EXPECT_EQ(tracePixels(s, VAL_GREEN), 0);
}

TEST(QtGraph, EnvelopeKeepsASingleSpikeAmongManySamples) {
    Session s;
    std::vector<double> y(400000, -4.0);
    y[123457] = 4.0;  // one sample in ~700 per pixel column
    PlotWaveform(s.panel, kGraph, y.data(), int(y.size()), 1.0, 0.0, 0.0, 10.0 / y.size(), VAL_RED);
    QRect area;
    tracePixels(s, VAL_RED, &area);
    const QImage image = s.widget(kGraph)->grab().toImage();
    QCustomPlot* plot = plotOf(s);
    const int spikeX = int(plot->xAxis->coordToPixel(123457 * 10.0 / y.size()));
    const int topY = int(plot->yAxis->coordToPixel(3.9));
    bool found = false;
    for (int x = spikeX - 1; x <= spikeX + 1; ++x)
        found |= (image.pixel(x, topY) & 0xFFFFFF) == unsigned(VAL_RED);
    EXPECT_TRUE(found) << "the spike must reach the top of its pixel column";
    // Far from the spike, nothing is drawn near the top.
    EXPECT_NE(image.pixel(area.left() + 20, topY) & 0xFFFFFF, unsigned(VAL_RED));
}

// The block summaries give the extremes of a plain pass over the samples, NaN and infinite
// samples included, for runs inside one block, across several and at either end.
TEST(QtGraph, SampleSummaryGivesTheExtremesOfAPlainPass) {
    std::vector<double> y(1000);
    for (std::size_t i = 0; i < y.size(); ++i) y[i] = std::sin(0.37 * double(i)) * double(i % 17);
    for (std::size_t i = 200; i < 240; ++i) y[i] = NAN;  // whole blocks of NaN
    y[5] = NAN;
    y[333] = INFINITY;
    y[777] = -INFINITY;
    const SampleSummary summary(y.data(), y.size());
    auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    for (std::size_t begin : {0, 1, 5, 15, 16, 17, 190, 199, 200, 239, 333, 500, 990})
        for (std::size_t length : {1, 2, 15, 16, 17, 33, 64, 100, 1000}) {
            const std::size_t end = std::min(y.size(), begin + length);
            double lo, hi, summaryLo, summaryHi;
            minMax(y.data(), begin, end, lo, hi);
            summary.extremes(y.data(), begin, end, summaryLo, summaryHi);
            EXPECT_TRUE(same(lo, summaryLo) && same(hi, summaryHi)) << begin << " to " << end;
        }
    double lo, hi;
    minMax(y.data(), 0, y.size(), lo, hi);
    EXPECT_EQ(summary.lowest(), lo);
    EXPECT_EQ(summary.highest(), hi);
}

// A sweep repainted stretch by stretch, each stretch drawn beneath the axes with the envelopes
// kept from before, gives the picture of the same sweep drawn at once, and so after the axes
// change: channels crossing and sharing a colour, traces beyond the axes over the frame and
// ticks, a flat trace, few samples per pixel, XY points.
TEST(QtGraph, EnvelopesKeptBetweenRepaintsDrawTheSamePicture) {
    auto drawSweep = [](Session& s, bool repaintEachStretch) {
        std::vector<double> y(5000);
        for (int stretch = 0; stretch < 8; ++stretch) {
            for (int channel = 0; channel < 3; ++channel) {
                for (std::size_t i = 0; i < y.size(); ++i)
                    y[i] = channel * 2 - 1 + std::sin(0.003 * double(stretch * 5000 + i)) +
                           (i % 7 == 0 ? 0.5 : 0.0) + (stretch == 3 && i == 0 ? 3.0 : 0.0) +
                           (stretch == 5 && i > 2500 ? 4.5 - channel * 6.0 : 0.0);
                if (stretch == 7 && channel == 1) std::fill(y.begin(), y.end(), 0.3);  // flat
                PlotWaveform(s.panel, kGraph, y.data(), int(y.size()), 1.0, 0.0, stretch * 1.0,
                             1.0 / 5000, channel == 1 ? VAL_GREEN : VAL_YELLOW);
            }
            if (stretch == 6) {
                PlotWaveform(s.panel, kGraph, y.data(), 10, 1.0, -1.0, 6.2, 0.12, VAL_RED);
                const double x[] = {6.5, 6.7, 7.1, 7.3}, points[] = {0.5, -2.0, 1.0, 5.2};
                PlotXY(s.panel, kGraph, x, points, 4, VAL_BLUE);
            }
            if (repaintEachStretch) {
                s.frontEnd->flush();
                QCoreApplication::processEvents();  // the window repaints what changed
            }
        }
    };
    // What the window shows of the graph (its backing store, which only the repainted parts
    // update).
    auto shown = [](Session& s) {
        QWidget* graph = s.widget(kGraph);
        const QPixmap screen = graph->screen()->grabWindow(graph->window()->winId());
        return screen.copy(QRect(graph->mapTo(graph->window(), QPoint(0, 0)), graph->size()))
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    auto picture = [](Session& s) {
        s.frontEnd->flush();
        return s.widget(kGraph)->grab().toImage();
    };
    QImage stepByStep, stepByStepRescaled, atOnce, atOnceRescaled;
    {
        Session s;
        drawSweep(s, true);
        EXPECT_EQ(plotOf(s)->layer("axes")->mode(), QCPLayer::lmBuffered);
        const QImage onScreen = shown(s);
        stepByStep = picture(s);
        const QRect area = plotOf(s)->axisRect()->rect();
        EXPECT_EQ(onScreen.copy(area), stepByStep.convertToFormat(QImage::Format_RGB32).copy(area));
        SetAxisScalingMode(s.panel, kGraph, VAL_LEFT_YAXIS, VAL_MANUAL, -3.0, 4.0);
        stepByStepRescaled = picture(s);
    }
    {
        Session s;
        drawSweep(s, false);
        atOnce = picture(s);
        SetAxisScalingMode(s.panel, kGraph, VAL_LEFT_YAXIS, VAL_MANUAL, -3.0, 4.0);
        atOnceRescaled = picture(s);
    }
    EXPECT_EQ(stepByStep, atOnce);
    EXPECT_EQ(stepByStepRescaled, atOnceRescaled);
    EXPECT_NE(stepByStep, stepByStepRescaled);
}

// Whether `rgb` is drawn within a pixel of the point (x, y) in model coordinates.
bool drawnNear(Session& s, int rgb, double x, double y) {
    s.frontEnd->flush();
    const QImage image = s.widget(kGraph)->grab().toImage();
    QCustomPlot* plot = plotOf(s);
    const int px = int(plot->xAxis->coordToPixel(x)), py = int(plot->yAxis->coordToPixel(y));
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if ((image.pixel(px + dx, py + dy) & 0xFFFFFF) == unsigned(rgb)) return true;
    return false;
}

TEST(QtGraph, AStepKeepsItsEdgeWithinAndBetweenWaveforms) {
    {  // within one waveform of many samples per pixel column
        Session s;
        std::vector<double> y(100000, -4.0);
        std::fill(y.begin() + 50000, y.end(), 4.0);
        PlotWaveform(s.panel, kGraph, y.data(), int(y.size()), 1.0, 0.0, 0.0, 1e-4, VAL_RED);
        for (double v = -3.5; v <= 3.5; v += 0.5)
            EXPECT_TRUE(drawnNear(s, VAL_RED, 5.0, v)) << "edge missing at " << v;
    }
    {  // the stretches of a sweep: the step falls between two waveforms, and another
       // channel's stretches come in between
        Session s;
        const std::vector<double> low(50000, -4.0), high(50000, 4.0), other(50000, 0.0);
        PlotWaveform(s.panel, kGraph, low.data(), 50000, 1.0, 0.0, 0.0, 1e-4, VAL_RED);
        PlotWaveform(s.panel, kGraph, other.data(), 50000, 1.0, 0.0, 0.0, 1e-4, VAL_BLUE);
        PlotWaveform(s.panel, kGraph, high.data(), 50000, 1.0, 0.0, 5.0, 1e-4, VAL_RED);
        PlotWaveform(s.panel, kGraph, other.data(), 50000, 1.0, 0.0, 5.0, 1e-4, VAL_BLUE);
        for (double v = -3.5; v <= 3.5; v += 0.5)
            if (std::abs(v) > 0.2) {
                EXPECT_TRUE(drawnNear(s, VAL_RED, 5.0, v)) << "at " << v;
            }
    }
    {  // two channels of one colour: each stretch continues its own channel, never the other
        Session s;
        const std::vector<double> low(50000, -4.0), high(50000, 4.0);
        for (double start : {0.0, 5.0}) {
            PlotWaveform(s.panel, kGraph, low.data(), 50000, 1.0, 0.0, start, 1e-4, VAL_RED);
            PlotWaveform(s.panel, kGraph, high.data(), 50000, 1.0, 0.0, start, 1e-4, VAL_RED);
        }
        EXPECT_FALSE(drawnNear(s, VAL_RED, 5.0, 0.0));
    }
    {  // few samples: the line runs on from the last sample of the waveform before
        Session s;
        const double low[] = {-4, -4, -4, -4, -4}, high[] = {4, 4, 4, 4, 4};
        PlotWaveform(s.panel, kGraph, low, 5, 1.0, 0.0, 0.0, 1.0, VAL_RED);
        PlotWaveform(s.panel, kGraph, high, 5, 1.0, 0.0, 5.0, 1.0, VAL_RED);
        EXPECT_TRUE(drawnNear(s, VAL_RED, 4.5, 0.0));
        // A waveform that starts elsewhere is not joined.
        PlotWaveform(s.panel, kGraph, low, 5, 1.0, 0.0, 2.5, 0.5, VAL_GREEN);
        PlotWaveform(s.panel, kGraph, high, 5, 1.0, 0.0, 7.0, 0.5, VAL_GREEN);
        EXPECT_FALSE(drawnNear(s, VAL_GREEN, 6.0, 0.0));
    }
}

TEST(QtGraph, XyPlotsAndFewSamplesAreDrawnAsLines) {
    Session s;
    const double x[] = {1, 9};
    const double y[] = {-4, 4};
    PlotXY(s.panel, kGraph, x, y, 2, VAL_BLUE);
    const double few[] = {0, 1, 0, -1, 0};
    PlotWaveform(s.panel, kGraph, few, 5, 1.0, 0.0, 0.0, 2.5, VAL_YELLOW);
    QRect area;
    EXPECT_GT(tracePixels(s, VAL_BLUE, &area), area.width() / 2);
    EXPECT_GT(tracePixels(s, VAL_YELLOW), area.width() / 2);
}

TEST(QtGraph, YAxisIsLabelledThroughLabelGainAndOffset) {
    Session s;
    SetCtrlAttribute(s.panel, kGraph, ATTR_YAXIS_GAIN, 2.0);
    SetCtrlAttribute(s.panel, kGraph, ATTR_YAXIS_OFFSET, 1.0);
    SetCtrlAttribute(s.panel, kGraph, ATTR_YDIVISIONS, 5);
    s.frontEnd->flush();
    const QVector<QString> labels = plotOf(s)->yAxis->tickVectorLabels();
    EXPECT_EQ(labels, (QVector<QString>{"-9", "-5", "-1", "3", "7", "11"}));

    SetAxisScalingMode(s.panel, kGraph, VAL_XAXIS, VAL_MANUAL, 0.0, 2.5);
    s.frontEnd->flush();
    EXPECT_EQ(plotOf(s)->xAxis->range(), QCPRange(0.0, 2.5));
    EXPECT_EQ(plotOf(s)->xAxis->tickVectorLabels().first(), "0.00");
}

TEST(QtGraph, TickerFindsTheDecimalsTheLabelsNeed) {
    EXPECT_EQ(DivisionTicker::decimalsFor(-5, 1), 0);
    EXPECT_EQ(DivisionTicker::decimalsFor(0, 0.25), 2);
    EXPECT_EQ(DivisionTicker::decimalsFor(-0.5, 0.1), 1);
    EXPECT_EQ(DivisionTicker::decimalsFor(0, 1.0 / 3), 6);
    DivisionTicker ticker;
    ticker.setDivisions(4);
    ticker.setLabelScale(0.5, -1.0);
    QVector<double> ticks;
    QVector<QString> labels;
    ticker.generate(QCPRange(-2, 2), QLocale::c(), 'g', 2, ticks, nullptr, &labels);
    EXPECT_EQ(ticks, (QVector<double>{-2, -1, 0, 1, 2}));
    EXPECT_EQ(labels, (QVector<QString>{"-2.0", "-1.5", "-1.0", "-0.5", "0.0"}));
}

TEST(QtGraph, AZoomedViewIsLabelledInRoundStepsToItsEnds) {
    EXPECT_EQ(DivisionTicker::roundStep(0.00019), 0.0002);
    EXPECT_EQ(DivisionTicker::roundStep(0.021), 0.025);
    EXPECT_EQ(DivisionTicker::roundStep(0.6), 1.0);
    DivisionTicker ticker;
    ticker.setDivisions(10);
    ticker.setRoundSteps(true);
    QVector<double> ticks;
    QVector<QString> labels;
    ticker.generate(QCPRange(0.2838, 0.2858), QLocale::c(), 'g', 2, ticks, nullptr, &labels);
    ASSERT_EQ(labels.size(), 11);
    EXPECT_EQ(labels.first(), "0.2838");
    EXPECT_EQ(labels.last(), "0.2858");
    EXPECT_LE(ticks.last(), 0.2858);
    // Labels in the channel's unit (gain 1000: millivolts), falling when the gain is negative.
    ticker.setLabelScale(-1000.0, 0.0);
    ticker.generate(QCPRange(0.0123, 0.0345), QLocale::c(), 'g', 2, ticks, nullptr, &labels);
    EXPECT_EQ(labels.first(), "-12.5");
    EXPECT_EQ(labels.last(), "-32.5");
    EXPECT_LT(ticks.first(), ticks.last());
}

// Labels of an axis spanning the data: round steps (1, 2, 2.5 or 5 times a power of ten),
// few enough that each has room, and no more decimals than the step needs.
void expectRoundLabels(const QVector<QString>& labels, int mostLabels, int mostDecimals) {
    ASSERT_GE(labels.size(), 2);
    EXPECT_LE(labels.size(), mostLabels);
    const double step = std::abs(labels[1].toDouble() - labels[0].toDouble());
    EXPECT_NEAR(DivisionTicker::roundStep(step * 0.999), step, step * 1e-6);
    for (const QString& label : labels) {
        const qsizetype point = label.indexOf('.');
        EXPECT_LE(point < 0 ? 0 : label.size() - point - 1, mostDecimals) << label.toStdString();
    }
}

TEST(QtGraph, AutoscaledAxesAreLabelledInRoundStepsWithRoomForEach) {
    Session s;
    SetAxisScalingMode(s.panel, kGraph, VAL_XAXIS, VAL_AUTOSCALE, 0, 0);
    SetAxisScalingMode(s.panel, kGraph, VAL_LEFT_YAXIS, VAL_AUTOSCALE, 0, 0);
    const double x[] = {0.0, 150299.372076};
    const double y[] = {-0.3, 1.953125};
    PlotXY(s.panel, kGraph, x, y, 2, VAL_BLUE);
    s.frontEnd->flush();
    QCustomPlot* plot = plotOf(s);
    expectRoundLabels(plot->xAxis->tickVectorLabels(), plot->axisRect()->width() / 60, 0);
    expectRoundLabels(plot->yAxis->tickVectorLabels(), 11, 2);
    EXPECT_TRUE(plot->yAxis->tickVectorLabels().contains("0.00"));  // 0.25 steps from -0.3

    // A narrow span far from zero, as a preview of a holding level.
    const double flat[] = {575.9032, 576.0411};
    DeleteGraphPlot(s.panel, kGraph, -1, VAL_IMMEDIATE_DRAW);
    PlotXY(s.panel, kGraph, x, flat, 2, VAL_BLUE);
    s.frontEnd->flush();
    expectRoundLabels(plot->yAxis->tickVectorLabels(), 11, 2);

    // A manual axis keeps its divisions.
    SetAxisScalingMode(s.panel, kGraph, VAL_LEFT_YAXIS, VAL_MANUAL, -5, 5);
    s.frontEnd->flush();
    EXPECT_EQ(plot->yAxis->tickVectorLabels().size(), 11);
}

TEST(QtGraph, ClickInThePlotAreaCommitsAndReportsThePosition) {
    Session s;
    int top = 0, height = 0;
    GetCtrlAttribute(s.panel, kGraph, ATTR_PLOT_AREA_TOP, &top);
    GetCtrlAttribute(s.panel, kGraph, ATTR_PLOT_AREA_HEIGHT, &height);
    const QRect area = plotOf(s)->axisRect()->rect();
    EXPECT_EQ(top, area.top());
    EXPECT_EQ(height, area.height());

    const QPoint middle = area.center();
    QTest::mouseClick(s.widget(kGraph), Qt::LeftButton, {}, middle);
    s.dispatchAll();
    EXPECT_EQ(eventsOf(kGraph), (std::vector<int>{EVENT_LEFT_CLICK, EVENT_COMMIT}));
    int x = 0, y = 0;
    GetRelativeMouseState(s.panel, kGraph, &x, &y, nullptr, nullptr, nullptr);
    EXPECT_EQ(QPoint(x, y), middle);

    log().clear();
    QTest::mouseClick(s.widget(kGraph), Qt::LeftButton, {}, QPoint(3, 3));  // in the margin
    s.dispatchAll();
    EXPECT_EQ(eventsOf(kGraph), (std::vector<int>{EVENT_LEFT_CLICK}));
}

}  // namespace
}  // namespace trelvanix::qt::testing
