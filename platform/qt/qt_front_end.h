#pragma once
// The Qt front end of the toolkit: real windows for the model's panels, kept in step with
// it both ways, and real modal dialogs for the pop-ups. Includers see no Qt headers.

#include <memory>
#include <string>

#include "platform/ui/front_end.h"

class QWidget;

namespace trelvanix::qt {

class QtFrontEnd final : public ui::FrontEnd {
  public:
    // Uses the running QApplication; installs itself as the model's front end while it
    // lives and makes windows for the panels the model already holds.
    QtFrontEnd();
    // The same, making the QApplication first when there is none; it lives as long as the
    // front end. argc and argv must outlive it.
    QtFrontEnd(int& argc, char** argv);
    ~QtFrontEnd() override;

    void panelAdded(int panel) override;
    void panelRemoved(int panel) override;
    void panelChanged(int panel) override;
    void controlChanged(int panel, int control) override;
    void plotsChanged(int panel, int control) override;
    void menuChanged(int menuBar) override;
    void layOutPanel(int panel) override;

    void messagePopup(const std::string& title, const std::string& message) override;
    bool confirmPopup(const std::string& title, const std::string& message) override;
    int fileSelectPopup(const ui::FileRequest& request, std::string* path) override;
    int directorySelectPopup(const ui::DirectoryRequest& request, std::string* path) override;
    int printPanel(int panel, std::string* where) override;
    int screenshot(int panel, const std::string& path, std::string* error) override;
    void putOnClipboard(const std::string& text) override;

    void pollInput() override;
    void waitForInput(double until) override;

    // The window of a panel and the widget of a control (null when there is none), made now
    // if the panel has not been shown yet; for tests and benchmarks.
    QWidget* panelWindow(int panel);
    QWidget* controlWidget(int panel, int control);
    // Draws every pending change now.
    void flush();

  private:
    void start();

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The front end for the program's entry point: makes the QApplication unless one exists.
std::unique_ptr<ui::FrontEnd> makeQtFrontEnd(int& argc, char** argv);

}  // namespace trelvanix::qt
