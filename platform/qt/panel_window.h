#pragma once
// One toolkit panel as a top-level window: its controls at the resource file's positions,
// its menu bar, and the room it gains when the operator makes it larger.

#include <QWidget>
#include <map>
#include <memory>

#include "platform/qt/control_view.h"

namespace trelvanix::qt {

class MenuView;

class PanelWindow final : public QWidget {
  public:
    PanelWindow(int panel, OperatorInput& input);
    ~PanelWindow() override;

    int panel() const { return context_.panel; }
    // The area that holds the controls (the window without its menu bar).
    QWidget* canvas() const { return canvas_; }
    ControlView* view(int control) const;
    MenuView* menu() const { return menu_.get(); }

    void syncPanel();
    void syncControl(int control);
    void plotsChanged(int control);
    void syncMenu();
    // Lays out and draws everything pending now.
    void flush();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void canvasResized();
    void layOutControls();
    // Puts one control where the panel's size puts it.
    void placeControl(int control, ControlView& view);
    void chooseLabelSides();

    PanelContext context_;
    QWidget* canvas_;
    std::unique_ptr<MenuView> menu_;
    std::map<int, std::unique_ptr<ControlView>> views_;
    ui::Rect design_;  // the panel's size as loaded
    int growing_ = 0;  // the graph that takes extra room
};

}  // namespace trelvanix::qt
