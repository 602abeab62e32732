// The graph under the operator's hand in the window and in a script: clicks commit alike,
// and looking closely at a held sweep (wheel, drag, double-click) changes the same model
// state either way; zoomed in, the plots are drawn sample by sample.

#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QtTest/QTest>
#include <array>
#include <cmath>
#include <vector>

#include "platform/ui/operator_actions.h"
#include "platform/ui/script_runner.h"
#include "platform/ui/toolkit.h"
#include "qt_test_panel.h"

namespace trelvanix::qt::testing {
namespace {

QCustomPlot* plotOf(const Session& s) {
    return qobject_cast<QCustomPlot*>(s.widget(kGraph));
}

// Runs script lines as the operator, to their end.
void runScript(const std::string& text) {
    auto parsed = ui::parseScript(text, "test");
    ASSERT_TRUE(std::holds_alternative<ui::Script>(parsed));
    ui::ScriptRunner runner(std::get<ui::Script>(parsed));
    runner.setEnding([](int status) { EXPECT_EQ(status, 0); });
    ui::Model::instance().setScript(&runner);
    ProcessSystemEvents();
    ui::Model::instance().setScript(nullptr);
}

struct Seen {
    std::vector<std::array<int, 4>> events;  // control, event, data1, data2
    int mouseX = 0, mouseY = 0;
    bool operator==(const Seen&) const = default;
};

// What the program saw since the last call.
Seen seen(Session& s) {
    s.dispatchAll();
    Seen result;
    for (const Logged& l : log())
        if (l.event != EVENT_VAL_CHANGED || l.control != kGraph)  // inspection news, not input
            result.events.push_back({l.control, l.event, l.data1, l.data2});
    GetRelativeMouseState(s.panel, kGraph, &result.mouseX, &result.mouseY, nullptr, nullptr,
                          nullptr);
    log().clear();
    return result;
}

std::array<double, 4> view(const Session& s) {
    std::array<double, 4> v{};
    GetGraphView(s.panel, kGraph, &v[0], &v[1], &v[2], &v[3]);
    return v;
}

void sendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
    static quint64 clock = 1000;
    event.setTimestamp(clock += 10);  // each press is a new one
    QApplication::sendEvent(w, &event);
}

void sendWheel(QWidget* w, QPoint at, int notches, Qt::KeyboardModifiers modifiers) {
    QWheelEvent event(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

TEST(QtGraphInspection, ClicksCommitAlikeFromTheWindowAndFromAScript) {
    Session s;
    const QRect area = plotOf(s)->axisRect()->rect();
    const QPoint inside = area.center() + QPoint(37, -51), margin(3, 3);
    auto scripted = [&](QPoint at) {
        runScript("click PANEL C1 " + std::to_string(at.x()) + " " + std::to_string(at.y()));
        return seen(s);
    };
    auto clicked = [&](QPoint at) {
        QTest::mouseClick(s.widget(kGraph), Qt::LeftButton, {}, at);
        return seen(s);
    };
    seen(s);
    for (const QPoint at : {inside, margin}) EXPECT_EQ(clicked(at), scripted(at));
    const Seen live = clicked(inside);
    EXPECT_EQ(live.events.size(), 2u) << "left click, then the graph's commit";
    EXPECT_EQ(live.events.back()[1], EVENT_COMMIT);

    // A held sweep: a click at its own axes still commits; zoomed in it does not.
    SetGraphInspection(s.panel, kGraph, 1);
    seen(s);
    EXPECT_EQ(clicked(inside), scripted(inside));
    EXPECT_EQ(clicked(inside).events.size(), 2u);
    ui::zoomGraph(s.panel, kGraph, 2.0, 3.0);
    seen(s);
    EXPECT_EQ(clicked(inside), scripted(inside));
    EXPECT_EQ(clicked(inside).events.size(), 1u);
}

TEST(QtGraphInspection, WheelDragAndDoubleClickMatchTheirScriptCommands) {
    Session s;
    QWidget* w = s.widget(kGraph);
    const QRect area = plotOf(s)->axisRect()->rect();
    const QPoint at = area.center() + QPoint(-80, 20);
    sendWheel(w, at, 2, Qt::NoModifier);
    EXPECT_EQ(view(s), (std::array<double, 4>{0, 10, -5, 5})) << "live: the wheel does nothing";

    SetGraphInspection(s.panel, kGraph, 1);
    const std::string where = std::to_string(at.x()) + " " + std::to_string(at.y());
    sendWheel(w, at, 2, Qt::NoModifier);
    sendWheel(w, at, 1, Qt::ControlModifier);
    const auto byWindow = view(s);
    EXPECT_NEAR(byWindow[1] - byWindow[0], 6.4, 1e-9);
    EXPECT_NEAR(byWindow[3] - byWindow[2], 8.0, 1e-9);
    ResetGraphView(s.panel, kGraph);
    runScript("wheel PANEL C1 " + where + " 2\nwheel PANEL C1 " + where + " 1 ctrl\n");
    EXPECT_EQ(view(s), byWindow);

    // A drag pans; it is no click.
    seen(s);
    sendMouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton);
    sendMouse(w, QEvent::MouseMove, at + QPoint(20, 0), Qt::LeftButton);
    sendMouse(w, QEvent::MouseMove, at + QPoint(60, 10), Qt::LeftButton);
    sendMouse(w, QEvent::MouseButtonRelease, at + QPoint(60, 10), Qt::NoButton);
    const auto panned = view(s);
    EXPECT_LT(panned[0], byWindow[0]);
    EXPECT_TRUE(seen(s).events.empty()) << "neither a left click nor a commit";
    ui::zoomGraph(s.panel, kGraph, byWindow[0], byWindow[1], byWindow[2], byWindow[3]);
    runScript("drag PANEL C1 " + where + " " + std::to_string(at.x() + 60) + " " +
              std::to_string(at.y() + 10) + "\n");
    EXPECT_EQ(view(s), panned);

    // A cursor grabbed in the window follows the pointer as in a script.
    double c1 = 0;
    GetGraphCursor(s.panel, kGraph, 1, &c1);
    const QPoint onCursor(int(std::lround(plotOf(s)->xAxis->coordToPixel(c1))), at.y());
    sendMouse(w, QEvent::MouseMove, onCursor, Qt::NoButton);
    EXPECT_EQ(w->cursor().shape(), Qt::SplitHCursor);
    sendMouse(w, QEvent::MouseButtonPress, onCursor, Qt::LeftButton);
    sendMouse(w, QEvent::MouseMove, onCursor + QPoint(90, 0), Qt::LeftButton);
    sendMouse(w, QEvent::MouseButtonRelease, onCursor + QPoint(90, 0), Qt::NoButton);
    double movedByWindow = 0;
    GetGraphCursor(s.panel, kGraph, 1, &movedByWindow);
    SetGraphCursor(s.panel, kGraph, 1, c1);
    runScript("drag PANEL C1 " + std::to_string(onCursor.x()) + " " + std::to_string(at.y()) + " " +
              std::to_string(onCursor.x() + 90) + " " + std::to_string(at.y()) + "\n");
    double movedByScript = 0;
    GetGraphCursor(s.panel, kGraph, 1, &movedByScript);
    EXPECT_EQ(movedByWindow, movedByScript);
    EXPECT_GT(movedByWindow, c1);

    // Double-click: the whole sweep again, the axes as the program set them.
    QTest::mouseDClick(w, Qt::LeftButton, {}, at);
    EXPECT_EQ(view(s), (std::array<double, 4>{0, 10, -5, 5}));
    s.frontEnd->flush();
    EXPECT_EQ(plotOf(s)->xAxis->range(), QCPRange(0, 10));
}

TEST(QtGraphInspection, ZoomedInEverySampleIsDrawnWhereItWasMeasured) {
    Session s;
    // A held sweep: 400 000 samples over 10 s, a single spike among noise-free flat samples.
    std::vector<double> y(400000, -3.0);
    for (int i = 0; i < 20; ++i) y[200000 + i] = -3.0 + 6.0 * std::sin(M_PI * i / 20.0);
    const double step = 10.0 / double(y.size());
    PlotWaveform(s.panel, kGraph, y.data(), int(y.size()), 1.0, 0.0, 0.0, step, VAL_RED);
    SetGraphInspection(s.panel, kGraph, 1);
    ui::zoomGraph(s.panel, kGraph, 199990 * step, 200030 * step);
    s.frontEnd->flush();
    QCustomPlot* plot = plotOf(s);
    const QImage image = s.widget(kGraph)->grab().toImage();
    int marked = 0;
    for (int i = 199990; i <= 200030; ++i) {
        const int px = int(plot->xAxis->coordToPixel(i * step));
        const int py = int(plot->yAxis->coordToPixel(y[i]));
        if (!plot->axisRect()->rect().adjusted(2, 2, -2, -2).contains(px, py)) continue;
        EXPECT_EQ(image.pixel(px, py) & 0xFFFFFF, unsigned(VAL_RED)) << "sample " << i;
        ++marked;
    }
    EXPECT_GE(marked, 38);
    // Between samples the trace is a straight line, not an envelope: half-way between two
    // flat samples nothing red lies above them.
    const int between = int(plot->xAxis->coordToPixel(199995.5 * step));
    const int flat = int(plot->yAxis->coordToPixel(-3.0));
    for (int py = plot->axisRect()->top() + 2; py < flat - 3; ++py)
        EXPECT_NE(image.pixel(between, py) & 0xFFFFFF, unsigned(VAL_RED)) << py;
}

}  // namespace
}  // namespace trelvanix::qt::testing
