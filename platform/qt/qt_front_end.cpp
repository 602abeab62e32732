#include "platform/qt/qt_front_end.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <climits>
#include <cmath>
#include <map>

#include "platform/clock/clock.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/lab_style.h"
#include "platform/qt/operator_input.h"
#include "platform/qt/panel_window.h"
#include "platform/qt/printing.h"
#include "platform/ui/remote_control.h"
#include "platform/ui/termination.h"

namespace trelvanix::qt {

struct QtFrontEnd::Impl {
    // Declared first, so it goes last: every window is gone before the application.
    std::unique_ptr<QApplication> ownApplication;
    OperatorInput input;
    // Made when first shown or first needed (a screenshot, a print, a plot area asked for):
    // a panel loaded hidden costs no widgets until then.
    std::map<int, std::unique_ptr<PanelWindow>> windows;
    // Wakes whatever event loop runs (a wait, a modal dialog) when a termination signal comes.
    std::unique_ptr<QSocketNotifier> termination;

    PanelWindow* window(int panel) const {
        auto it = windows.find(panel);
        return it == windows.end() ? nullptr : it->second.get();
    }
    // The panel's window, made now from the model if it has none yet; null for no panel.
    PanelWindow* made(int panel) {
        if (PanelWindow* w = window(panel)) return w;
        if (!ui::Model::instance().panel(panel)) return nullptr;
        return (windows[panel] = std::make_unique<PanelWindow>(panel, input)).get();
    }
};

QtFrontEnd::QtFrontEnd() : impl_(std::make_unique<Impl>()) {
    start();
}

QtFrontEnd::QtFrontEnd(int& argc, char** argv) : impl_(std::make_unique<Impl>()) {
    if (!QCoreApplication::instance()) {
        // Qt's own event dispatcher wakes and waits for less than GLib's, and the program needs
        // no GLib main loop (its file dialogs are Qt's own); an operator's setting is kept.
        if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
        impl_->ownApplication = std::make_unique<QApplication>(argc, argv);
    }
    start();
}

void QtFrontEnd::start() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) qFatal("The Qt front end needs a QApplication");
    applyLabLook(*app);
    // Closing a window is the program's decision (a close event), never the end of the run.
    app->setQuitOnLastWindowClosed(false);
    if (const int wake = ui::terminationWakeDescriptor(); wake >= 0) {
        impl_->termination = std::make_unique<QSocketNotifier>(wake, QSocketNotifier::Read);
        QObject::connect(impl_->termination.get(), &QSocketNotifier::activated,
                         [] { ui::endIfTerminationRequested(); });
    }
    ui::Model& model = ui::Model::instance();
    model.setFrontEnd(this);
    for (const auto& [handle, panel] : model.panels()) panelAdded(handle);
}

QtFrontEnd::~QtFrontEnd() {
    ui::Model& model = ui::Model::instance();
    if (model.frontEnd() == this) model.setFrontEnd(nullptr);
    impl_->windows.clear();
}

void QtFrontEnd::panelAdded(int panel) {
    const ui::Panel* p = ui::Model::instance().panel(panel);
    if (p && p->visible) impl_->made(panel);
}

void QtFrontEnd::panelRemoved(int panel) {
    impl_->windows.erase(panel);
}

void QtFrontEnd::panelChanged(int panel) {
    if (PanelWindow* w = impl_->window(panel)) {
        w->syncPanel();
    } else if (const ui::Panel* p = ui::Model::instance().panel(panel); p && p->visible) {
        impl_->made(panel);  // shows itself, as the model says
    }
}

void QtFrontEnd::controlChanged(int panel, int control) {
    if (PanelWindow* w = impl_->window(panel)) w->syncControl(control);
}

void QtFrontEnd::plotsChanged(int panel, int control) {
    if (PanelWindow* w = impl_->window(panel)) w->plotsChanged(control);
}

void QtFrontEnd::layOutPanel(int panel) {
    if (impl_->window(panel)) return;
    // Drawn at once, so that its graphs report the plot areas of their current axes.
    if (PanelWindow* w = impl_->made(panel)) w->flush();
}

void QtFrontEnd::menuChanged(int menuBar) {
    const ui::MenuBar* bar = ui::Model::instance().menuBar(menuBar);
    if (!bar) return;
    if (PanelWindow* w = impl_->window(bar->panel)) w->syncMenu();
}

void QtFrontEnd::messagePopup(const std::string& title, const std::string& message) {
    showMessage(title, message);
}

bool QtFrontEnd::confirmPopup(const std::string& title, const std::string& message) {
    return askYesNo(title, message);
}

int QtFrontEnd::fileSelectPopup(const ui::FileRequest& request, std::string* path) {
    return chooseFile(request, path);
}

int QtFrontEnd::directorySelectPopup(const ui::DirectoryRequest& request, std::string* path) {
    return chooseDirectory(request, path);
}

int QtFrontEnd::printPanel(int panel, std::string* where) {
    PanelWindow* w = impl_->made(panel);
    if (!w) return UIE_BadPanelHandle;
    w->flush();
    return printWidget(w, where);
}

void QtFrontEnd::putOnClipboard(const std::string& text) {
    QApplication::clipboard()->setText(QString::fromStdString(text));
}

int QtFrontEnd::screenshot(int panel, const std::string& path, std::string* error) {
    PanelWindow* w = impl_->made(panel);
    if (!w) {
        *error = "no such panel";
        return UIE_BadPanelHandle;
    }
    w->flush();
    return saveScreenshot(w, path, error);
}

void QtFrontEnd::pollInput() {
    QCoreApplication::processEvents();
}

void QtFrontEnd::waitForInput(double until) {
    Clock& clock = programClock();
    const ui::Model& model = ui::Model::instance();
    QCoreApplication::processEvents();
    // A quit asked for while input was gathered (a script's last line) must not wait.
    if (model.hasPendingEvent() || model.quitRequested) return;
    const double now = clock.seconds();
    if (now >= until) return;
    const bool bounded = std::isfinite(until);
    // Simulated time jumps to the deadline; only an unbounded wait needs the operator.
    if (clock.isSimulated() && bounded) {
        clock.waitUntil(until);
        return;
    }
    // Sleep in Qt's event loop until the operator does something or the deadline comes:
    // no polling, so an idle window costs next to nothing.
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (bounded) deadline.start(int(std::min(std::ceil((until - now) * 1000.0), double(INT_MAX))));
    // A remote client's connection or line ends the wait too; the toolkit then reads it.
    std::unique_ptr<QSocketNotifier> remote;
    if (const ui::RemoteControl* r = model.remote(); r && r->listening()) {
        remote = std::make_unique<QSocketNotifier>(qintptr(r->wakeHandle()), QSocketNotifier::Read);
        QObject::connect(remote.get(), &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    }
    impl_->input.beginWait(&loop);
    loop.exec();
    impl_->input.endWait();
    // Timers may fire a fraction of a millisecond early; the caller expects the deadline met.
    // Only that fraction is slept here: a wait longer than the timer's range goes round again
    // in the event loop rather than blocking the window.
    constexpr double kTimerEarliness = 0.01;
    if (bounded && !model.hasPendingEvent() && !clock.isSimulated() &&
        until - clock.seconds() < kTimerEarliness)
        clock.waitUntil(until);
}

QWidget* QtFrontEnd::panelWindow(int panel) {
    return impl_->made(panel);
}

QWidget* QtFrontEnd::controlWidget(int panel, int control) {
    PanelWindow* w = impl_->made(panel);
    ControlView* v = w ? w->view(control) : nullptr;
    return v ? v->body() : nullptr;
}

void QtFrontEnd::flush() {
    for (auto& [handle, window] : impl_->windows) window->flush();
}

std::unique_ptr<ui::FrontEnd> makeQtFrontEnd(int& argc, char** argv) {
    return std::make_unique<QtFrontEnd>(argc, argv);
}

}  // namespace trelvanix::qt
