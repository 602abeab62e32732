#pragma once
// A panel's menu bar as a QMenuBar. Check marks and dimming always show the model: choosing
// an item only reports the choice, and the program's menu callback sets the marks.

#include <map>

#include "platform/qt/operator_input.h"

class QAction;
class QMenuBar;
class QWidget;

namespace trelvanix::qt {

class MenuView {
  public:
    MenuView(int menuBar, OperatorInput& input, QWidget* parent);
    QMenuBar* widget() const { return bar_; }
    QAction* action(int item) const;
    void sync();

  private:
    void chosen(int item);

    int menuBar_;
    OperatorInput& input_;
    QMenuBar* bar_;
    std::map<int, QAction*> actions_;
};

}  // namespace trelvanix::qt
