// The Qt front end's costs: redrawing a full sweep of 8 channels x 500 000 points, one zoom
// step on such a sweep held, and the processor time of an idle window. Run with
// QT_QPA_PLATFORM=offscreen (set here when unset). With TRELVANIX_PICTURES=DIR it also saves a
// picture of every panel of the resource file into DIR, to look at the program's panels without
// running it.

#include <benchmark/benchmark.h>
#include <qcustomplot.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>
#include <set>
#include <string>

#include "platform/clock/clock.h"
#include "platform/qt/qt_front_end.h"
#include "platform/ui/model.h"
#include "platform/ui/operator_actions.h"
#include "platform/ui/resource.h"
#include "platform/ui/toolkit.h"

using namespace trelvanix;

namespace {

constexpr int kChannels = 8;
constexpr int kStretches = 100;
constexpr int kPointsPerStretch = 5000;  // 8 x 100 x 5000 = 8 x 500 000 points a sweep

const int kTraceColours[kChannels] = {0xFFFF00, 0x00FF00, 0x00C0FF, 0xFF6060,
                                      0xFF80FF, 0xFFFFFF, 0xFFA000, 0x80FF80};

int noCallback(int, int, int, void*, int, int) {
    return 0;
}
int noPanelCallback(int, int, void*, int, int) {
    return 0;
}
void noMenuCallback(int, int, void*, int) {}

QApplication& application() {
    static int argc = 1;
    static char name[] = "qt_bench";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Loads every panel of the program's resource file, its callbacks bound to do nothing.
std::vector<int> loadProgramPanels() {
    QFile file(QStringLiteral(TRELVANIX_SOURCE_DIR) + "/resources/trelvanix.uir");
    if (!file.open(QIODevice::ReadOnly)) return {};
    const std::string text = file.readAll().toStdString();
    auto parsed = ui::parseResource(text);
    if (!std::holds_alternative<ui::ResourceFile>(parsed)) return {};
    const auto& resources = std::get<ui::ResourceFile>(parsed);
    for (const ui::Panel& p : resources.panels) {
        if (!p.callbackName.empty()) ui::registerPanelCallback(p.callbackName, noPanelCallback);
        for (const ui::Control& c : p.controls)
            if (!c.callbackName.empty()) ui::registerControlCallback(c.callbackName, noCallback);
    }
    for (const ui::MenuBar& bar : resources.menuBars)
        for (const ui::MenuItem& item : bar.items)
            if (!item.callbackName.empty())
                ui::registerMenuCallback(item.callbackName, noMenuCallback);
    ui::registerResourceText("trelvanix.uir", text);
    std::vector<int> handles;
    for (const ui::Panel& p : resources.panels)
        handles.push_back(LoadPanel(0, "trelvanix.uir", p.resourceId));
    return handles;
}

// A sweep as the acquisition loop draws it: one plot per channel and stretch.
void drawSweep(int panel, int graph, double sweepSeconds) {
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 0.05);
    std::vector<double> y(kPointsPerStretch);
    const double dt = sweepSeconds / (kStretches * kPointsPerStretch);
    for (int s = 0; s < kStretches; ++s) {
        for (int c = 0; c < kChannels; ++c) {
            for (int i = 0; i < kPointsPerStretch; ++i) {
                const double t = (s * kPointsPerStretch + i) * dt;
                y[i] = 3.8 - c * 1.1 + 0.4 * std::sin(2 * M_PI * (c + 1) * 0.7 * t) + noise(random);
            }
            PlotWaveform(panel, graph, y.data(), kPointsPerStretch, 1.0, 0.0,
                         s * kPointsPerStretch * dt, dt, kTraceColours[c]);
        }
    }
}

struct MainWindow {
    std::unique_ptr<qt::QtFrontEnd> frontEnd;
    int panel = 0;
    int graph = 0;
};

MainWindow openMainWindow() {
    application();
    ui::Model::instance().reset();
    MainWindow w;
    w.frontEnd = std::make_unique<qt::QtFrontEnd>();
    const std::vector<int> panels = loadProgramPanels();
    if (panels.empty() || panels[0] <= 0) return w;
    w.panel = panels[0];
    for (const ui::Control& c : ui::Model::instance().panel(w.panel)->controls)
        if (c.kind == ui::ControlKind::Graph) w.graph = c.id;
    DisplayPanel(w.panel);
    w.frontEnd->flush();
    return w;
}

void BM_SweepRedraw(benchmark::State& state) {
    MainWindow w = openMainWindow();
    if (!w.graph) return state.SkipWithError("the resource file has no main panel graph");
    drawSweep(w.panel, w.graph, 10.0);
    QWidget* window = w.frontEnd->panelWindow(w.panel);
    window->resize(int(state.range(0)), int(state.range(1)));
    w.frontEnd->flush();
    auto* plot = qobject_cast<QCustomPlot*>(w.frontEnd->controlWidget(w.panel, w.graph));
    for (auto _ : state) plot->replot(QCustomPlot::rpImmediateRefresh);
    state.SetLabel(std::to_string(plot->axisRect()->width()) + " px wide plot area, " +
                   std::to_string(kChannels * kStretches * kPointsPerStretch) + " points");
}
BENCHMARK(BM_SweepRedraw)->Args({1280, 800})->Args({1920, 1200})->Unit(benchmark::kMillisecond);

// One wheel notch on a held sweep, as the operator zooms in twelve notches and out again:
// the view changes in the model, then the graph is drawn from the stored samples (envelopes
// while a pixel holds many of them, the samples themselves once it holds few).
void BM_HeldSweepZoomStep(benchmark::State& state) {
    MainWindow w = openMainWindow();
    if (!w.graph) return state.SkipWithError("the resource file has no main panel graph");
    drawSweep(w.panel, w.graph, 10.0);
    SetGraphInspection(w.panel, w.graph, 1);
    QWidget* window = w.frontEnd->panelWindow(w.panel);
    window->resize(int(state.range(0)), int(state.range(1)));
    w.frontEnd->flush();
    auto* plot = qobject_cast<QCustomPlot*>(w.frontEnd->controlWidget(w.panel, w.graph));
    const QPoint pointer = plot->axisRect()->rect().center() + QPoint(37, 0);
    constexpr int kNotches = 12;
    int step = 0;
    for (auto _ : state) {
        const double notch = (step++ / kNotches) % 2 == 0 ? 1.0 : -1.0;
        // The view reaches the graph's axes at once; the drawing is what a repaint costs.
        ui::turnWheelOnGraph(w.panel, w.graph, pointer.x(), pointer.y(), notch, false);
        plot->replot(QCustomPlot::rpImmediateRefresh);
    }
    ProcessSystemEvents();  // the readout's notifications
    state.SetLabel(std::to_string(plot->axisRect()->width()) + " px wide plot area");
}
BENCHMARK(BM_HeldSweepZoomStep)
    ->Args({1280, 800})
    ->Args({1920, 1200})
    ->Unit(benchmark::kMillisecond);

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           1e-6 * (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// The main window shown with a drawn sweep, waiting for the operator in the toolkit's loop.
void BM_IdleWindow(benchmark::State& state) {
    MainWindow w = openMainWindow();
    if (!w.graph) return state.SkipWithError("the resource file has no main panel graph");
    drawSweep(w.panel, w.graph, 10.0);
    w.frontEnd->flush();
    const double seconds = 3.0;
    for (auto _ : state) {
        const double cpuBefore = processorSeconds();
        const double until = Timer() + seconds;
        while (Timer() < until) GetUserEventUntil(until, nullptr, nullptr);
        state.counters["cpu_percent"] = 100.0 * (processorSeconds() - cpuBefore) / seconds;
    }
    if (const char* dir = std::getenv("TRELVANIX_PICTURES")) {
        QDir().mkpath(dir);
        for (const auto& [handle, panel] : ui::Model::instance().panels()) {
            std::string error;
            const std::string path = std::string(dir) + "/" + panel.constantName + ".png";
            w.frontEnd->screenshot(handle, path, &error);
        }
        // The main window made larger by the operator: the sweep graph takes the room.
        w.frontEnd->panelWindow(w.panel)->resize(1600, 1000);
        std::string error;
        w.frontEnd->screenshot(w.panel, std::string(dir) + "/PANEL_1600x1000.png", &error);
    }
}
BENCHMARK(BM_IdleWindow)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
