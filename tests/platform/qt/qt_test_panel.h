#pragma once
// A panel with one control of every kind, built by hand (no resource file), and a record of
// every event its callbacks receive.

#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_front_end.h"
#include "platform/ui/model.h"

class QWidget;

namespace trelvanix::qt::testing {

enum Id {
    kGraph = 1,
    kNumber,
    kInteger,
    kText,
    kTextBox,
    kRing,
    kList,
    kCheck,
    kSwitch,
    kButton,
    kLamp,
    kColour,
    kMessage,
    kFrame,
    kTimer,
    kBelow,
    kTable,
};
enum MenuId { kMenuFile = 1, kItemSave, kItemRateSlow, kItemRateFast };

struct Logged {
    int panel, control, event, data1, data2;
};

// Every callback call of the test panel, in order (menu choices as control = item).
std::vector<Logged>& log();
// The events of one control, in order.
std::vector<int> eventsOf(int control);

// A QApplication on the offscreen platform, made once per process.
void ensureApplication();

// A 900 x 560 sizable panel: graph 600 x 400 at (10, 10) with 10 y divisions from -5 to 5,
// controls to its right and below it (the button pressed by F5), and a menu bar (Save chosen
// by Ctrl+S).
ui::Panel testPanel();
ui::MenuBar testMenuBar();

// Resets the model and the log, makes a front end, loads and shows the test panel.
struct Session {
    Session();
    ~Session();
    std::unique_ptr<QtFrontEnd> frontEnd;
    int panel = 0;
    QWidget* widget(int control) const { return frontEnd->controlWidget(panel, control); }
    QWidget* window() const { return frontEnd->panelWindow(panel); }
    // Lets Qt deliver what is pending, then dispatches every queued toolkit event.
    void dispatchAll();
};

}  // namespace trelvanix::qt::testing
