// Panel windows: resizing gives the room to the sweep graph, closing is the program's
// decision, screenshots and prints are written, and waiting costs nothing while idle.

#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinterInfo>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <cmath>
#include <limits>
#include <memory>

#include "platform/clock/clock.h"
#include "platform/qt/anchoring.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/printing.h"
#include "platform/ui/script_runner.h"
#include "platform/ui/toolkit.h"
#include "qt_test_panel.h"

namespace trelvanix::qt::testing {
namespace {

TEST(QtAnchoring, GraphGrowsAndControlsKeepTheirEdge) {
    const ui::Rect graph{10, 10, 600, 400};
    EXPECT_EQ(anchoredRect(graph, graph, 200, 100).width, 800);
    EXPECT_EQ(anchoredRect(graph, graph, 200, 100).height, 500);
    const ui::Rect right{630, 50, 110, 24};
    EXPECT_EQ(anchoredRect(right, graph, 200, 100).left, 830);
    EXPECT_EQ(anchoredRect(right, graph, 200, 100).top, 50);
    const ui::Rect below{10, 440, 400, 100};
    EXPECT_EQ(anchoredRect(below, graph, 200, 100).left, 10);
    EXPECT_EQ(anchoredRect(below, graph, 200, 100).top, 540);
    const ui::Rect frameAround{5, 5, 610, 410};
    EXPECT_EQ(anchoredRect(frameAround, graph, 200, 100).width, 810);
    // A panel made smaller than designed never squeezes the graph to nothing.
    EXPECT_GT(anchoredRect(graph, graph, -2000, -2000).width, 0);
}

TEST(QtWindow, ResizeGivesTheGraphTheRoomAndTellsTheProgram) {
    Session s;
    int width = 0;
    s.window()->resize(s.window()->width() + 200, s.window()->height() + 100);
    QCoreApplication::processEvents();
    GetPanelAttribute(s.panel, ATTR_WIDTH, &width);
    EXPECT_EQ(width, 1100);
    EXPECT_EQ(s.widget(kGraph)->width(), 800);
    EXPECT_EQ(s.widget(kGraph)->height(), 500);
    EXPECT_EQ(s.widget(kNumber)->x(), 830);
    EXPECT_EQ(s.widget(kTextBox)->y(), 540);
    s.dispatchAll();
    EXPECT_EQ(eventsOf(0), (std::vector<int>{EVENT_PANEL_SIZE}));
    int plotHeight = 0;
    GetCtrlAttribute(s.panel, kGraph, ATTR_PLOT_AREA_HEIGHT, &plotHeight);
    EXPECT_GT(plotHeight, 400);

    // A size the program sets is not the operator's resize.
    log().clear();
    SetPanelAttribute(s.panel, ATTR_WIDTH, 950);
    QCoreApplication::processEvents();
    s.dispatchAll();
    EXPECT_EQ(s.widget(kGraph)->width(), 650);
    EXPECT_TRUE(eventsOf(0).empty());
}

TEST(QtWindow, ClosingIsAnEventAndTheWindowStays) {
    Session s;
    s.window()->close();
    s.dispatchAll();
    EXPECT_EQ(eventsOf(0), (std::vector<int>{EVENT_CLOSE}));
    EXPECT_TRUE(s.window()->isVisible());
    HidePanel(s.panel);
    EXPECT_FALSE(s.window()->isVisible());
}

bool isBlank(const QImage& image) {
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            if (image.pixel(x, y) != image.pixel(0, 0)) return false;
    return true;
}

TEST(QtWindow, ScriptedScreenshotWritesAPictureOfThePanel) {
    Session s;
    QTemporaryDir dir;
    const std::string path = dir.filePath("panel.png").toStdString();
    std::vector<double> y(1000);
    for (std::size_t i = 0; i < y.size(); ++i) y[i] = 4 * std::sin(i * 0.02);
    PlotWaveform(s.panel, kGraph, y.data(), 1000, 1.0, 0.0, 0.0, 0.01, VAL_YELLOW);

    auto parsed = ui::parseScript("screenshot PANEL " + path + "\nquit\n", "shot.txt");
    ASSERT_TRUE(std::holds_alternative<ui::Script>(parsed));
    ui::ScriptRunner runner(std::get<ui::Script>(std::move(parsed)));
    int status = -1;
    runner.setEnding([&](int code) {
        status = code;
        QuitUserInterface(code);
    });
    ui::Model::instance().setScript(&runner);
    RunUserInterface();
    ui::Model::instance().setScript(nullptr);
    EXPECT_EQ(status, 0);

    QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), s.window()->size());
    EXPECT_FALSE(isBlank(image));

    std::string error;
    EXPECT_LT(
        s.frontEnd->screenshot(s.panel, dir.filePath("no/such/dir.png").toStdString(), &error), 0);
    EXPECT_NE(error.find("cannot write"), std::string::npos);
}

TEST(QtWindow, HiddenPanelsCanBePhotographedToo) {
    Session s;
    HidePanel(s.panel);
    QTemporaryDir dir;
    std::string error;
    const QString path = dir.filePath("hidden.png");
    ASSERT_EQ(s.frontEnd->screenshot(s.panel, path.toStdString(), &error), 0) << error;
    EXPECT_FALSE(isBlank(QImage(path)));
}

// The extension icons a menu bar makes at once are loaded only when drawn, and then draw as
// Fusion's own.
TEST(QtWindow, DeferredExtensionIconsDrawAsFusionsOwn) {
    Session s;
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    for (auto which : {QStyle::SP_ToolBarHorizontalExtensionButton,
                       QStyle::SP_ToolBarVerticalExtensionButton}) {
        const QIcon deferred = QApplication::style()->standardIcon(which);
        EXPECT_FALSE(deferred.isNull());
        EXPECT_EQ(deferred.pixmap(QSize(16, 16)).toImage(),
                  fusion->standardIcon(which).pixmap(QSize(16, 16)).toImage());
    }
}

// A panel loaded hidden gets its widgets only when shown or needed; asked for a graph's plot
// area first, it answers with the area its window draws.
TEST(QtWindow, APanelLoadedHiddenIsMadeWhenItsPlotAreaIsAskedFor) {
    Session s;
    const int windows = int(QApplication::topLevelWidgets().size());
    const int hidden = ui::Model::instance().addPanel(testPanel(), std::nullopt);
    SetCtrlAttribute(hidden, kGraph, ATTR_YNAME, "Millivolts");
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windows);

    int left = 0, top = 0, width = 0, height = 0;
    GetCtrlAttribute(hidden, kGraph, ATTR_PLOT_AREA_LEFT, &left);
    GetCtrlAttribute(hidden, kGraph, ATTR_PLOT_AREA_TOP, &top);
    GetCtrlAttribute(hidden, kGraph, ATTR_PLOT_AREA_WIDTH, &width);
    GetCtrlAttribute(hidden, kGraph, ATTR_PLOT_AREA_HEIGHT, &height);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windows + 1);
    auto* plot = qobject_cast<QCustomPlot*>(s.frontEnd->controlWidget(hidden, kGraph));
    ASSERT_NE(plot, nullptr);
    EXPECT_FALSE(plot->window()->isVisible());
    EXPECT_EQ(QRect(left, top, width, height), plot->axisRect()->rect());

    DisplayPanel(hidden);
    EXPECT_TRUE(plot->window()->isVisible());
    s.frontEnd->flush();
    EXPECT_EQ(QRect(left, top, width, height), plot->axisRect()->rect());
}

TEST(QtWindow, PrintingWithoutAPrinterWritesAPdfWithAFreshName) {
    Session s;
    QTemporaryDir dir;
    std::tm when{};
    when.tm_year = 126;
    when.tm_mon = 0;
    when.tm_mday = 2;
    when.tm_hour = 13;
    when.tm_min = 4;
    when.tm_sec = 5;
    const std::string first = printFileName(dir.path().toStdString(), when);
    EXPECT_EQ(QFileInfo(QString::fromStdString(first)).fileName(),
              "trelvanix_print_20260102_130405.pdf");
    QFile(QString::fromStdString(first)).open(QIODevice::WriteOnly);
    EXPECT_EQ(
        QFileInfo(QString::fromStdString(printFileName(dir.path().toStdString(), when))).fileName(),
        "trelvanix_print_20260102_130405_2.pdf");

    if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "this machine has a printer";
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    std::string where;
    const int status = s.frontEnd->printPanel(s.panel, &where);
    QDir::setCurrent(previous);
    ASSERT_EQ(status, 0);
    QFile pdf(QString::fromStdString(where));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << where;
    EXPECT_TRUE(pdf.read(4) == "%PDF");
}

TEST(QtWindow, FileDialogOffersTheDefaultSpecFirstAndEveryFile) {
    EXPECT_EQ(nameFiltersFor("*.par", "*.*"), (QStringList{"*.par (*.par)", "All files (*)"}));
    EXPECT_EQ(nameFiltersFor("cell.wfm", "*.*"), (QStringList{"*.wfm (*.wfm)", "All files (*)"}));
    EXPECT_EQ(nameFiltersFor("", ""), (QStringList{"All files (*)"}));
}

TEST(QtWindow, WaitingEndsWithTheOperatorsInputOrTheDeadline) {
    Session s;
    QTimer::singleShot(
        20, [&] { QTest::mouseClick(s.widget(kButton), Qt::LeftButton, {}, QPoint(10, 10)); });
    s.frontEnd->waitForInput(std::numeric_limits<double>::infinity());
    EXPECT_TRUE(ui::Model::instance().hasPendingEvent());
    s.dispatchAll();

    const double deadline = programClock().seconds() + 0.03;
    s.frontEnd->waitForInput(deadline);
    EXPECT_GE(programClock().seconds(), deadline);
    EXPECT_FALSE(ui::Model::instance().hasPendingEvent());

    SimulatedClock& simulated = installSimulatedClock();
    s.frontEnd->waitForInput(3600.0);
    EXPECT_EQ(simulated.seconds(), 3600.0) << "simulated time jumps to the deadline";
}

}  // namespace
}  // namespace trelvanix::qt::testing
