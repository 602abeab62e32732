#pragma once
// The retained model behind the toolkit operations: every loaded panel with its controls,
// graphs and menu bar, plus the queue of operator events. Front ends read it to draw and feed
// operator input into it; the program reaches it only through toolkit.h.

#include <deque>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/ui/toolkit.h"

namespace trelvanix::ui {

enum class ControlKind {
    Numeric,  // number entry with range, increment and precision
    String,   // one line of text
    TextBox,  // several lines of text
    Ring,     // drop-down choice of items
    ListBox,  // list of items, one selected
    CheckBox,
    Toggle,      // on/off switch
    Button,      // command button (commit on press)
    Lamp,        // indicator light with on-colour
    ColorNum,    // colour picker, value 0xRRGGBB
    TextMsg,     // static label
    Decoration,  // frame that groups controls
    Graph,
    Timer,  // invisible, ticks on the clock
    Table,  // rows of text cells under column headings; the program fills it
};

// A control value: int (also colours and flags), double, or text.
using Value = std::variant<int, double, std::string>;

struct ListItem {
    std::string label;
    Value value;
};

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
};

struct Axis {
    int scalingMode = VAL_MANUAL;
    double min = 0.0, max = 10.0;
    int divisions = 10;
    double labelGain = 1.0;  // labels show value * labelGain + labelOffset (y axis)
    double labelOffset = 0.0;
    std::string name;
    int nameColor = VAL_BLACK;
    int labelColor = VAL_BLACK;
};

// One plot of a graph: a waveform (y with first x and step) or x/y pairs.
struct Plot {
    int handle = 0;
    int color = VAL_BLACK;
    bool isWaveform = true;
    int style = VAL_THIN_LINE;  // VAL_THIN_LINE, VAL_SCATTER or VAL_CONNECTED_POINTS
    double initialX = 0.0, xIncrement = 1.0;
    std::vector<double> x;  // empty for waveforms
    std::vector<double> y;
};

// A closer look at a graph's plots: the part of the axes shown and two vertical cursors.
// The axes themselves (what the program sets and reads) never change with it.
struct Inspection {
    bool on = false;                                // the program allows it (e.g. a held sweep)
    bool zoomed = false;                            // the view differs from the axes
    double x0 = 0.0, x1 = 0.0, y0 = 0.0, y1 = 0.0;  // the view while zoomed
    bool cursorsPlaced = false;
    double cursor[2] = {0.0, 0.0};  // x of cursor 1 and 2, within the x axis
};

struct Graph {
    Axis xAxis;
    Axis yAxis;
    Rect plotArea;  // relative to the control; front ends update it when they lay out
    int plotBackground = VAL_BLACK;
    std::vector<Plot> plots;
    int nextPlotHandle = 1;
    std::vector<std::vector<double>> spareBuffers;  // storage of deleted plots, reused
    unsigned long revision = 0;                     // bumped whenever the plots change
    Inspection inspection;
};

struct Control {
    int id = 0;
    std::string name;          // name within the panel ("ACQUIRE")
    std::string constantName;  // panel constant + "_" + name ("PANEL_ACQUIRE")
    ControlKind kind = ControlKind::Numeric;
    int dataType = VAL_INTEGER;
    std::string label;
    std::string tooltip;   // what the control means, shown when the pointer rests on it
    std::string shortcut;  // buttons: the key that presses it from any window ("F5")
    Rect rect;
    Value value = 0;
    double minValue = -std::numeric_limits<double>::infinity();
    double maxValue = std::numeric_limits<double>::infinity();
    double increment = 1.0;
    int precision = 2;
    bool dimmed = false;
    bool visible = true;
    bool indicator = false;  // shows a value; the operator cannot change it
    int textColor = VAL_BLACK;
    int labelColor = VAL_BLACK;
    int frameColor = VAL_LT_GRAY;
    int onColor = VAL_RED;
    int offColor = VAL_GRAY;
    bool blink = false;
    std::vector<ListItem> items;                  // rings and list boxes
    int index = -1;                               // selected item, -1 when there is none
    std::vector<std::string> lines;               // text boxes
    std::vector<std::string> columns;             // tables: the column headings
    std::vector<std::vector<std::string>> cells;  // tables: one entry per row, one per column
    std::optional<Graph> graph;                   // graphs only
    double interval = 1.0;                        // timers
    bool enabled = false;                         // timers
    double nextTick = 0.0;                        // timers: clock time of the next tick
    std::string callbackName;
    int sourceLine = 0;  // line in the resource file, for load errors
    CtrlCallbackPtr callback = nullptr;
    void* callbackData = nullptr;
    int mouseX = 0, mouseY = 0;  // last operator click, relative to the control
};

struct MenuItem {
    int id = 0;
    std::string name;          // "SAVE"
    std::string constantName;  // menu-bar constant + "_" + name
    std::string label;
    int menuId = 0;        // the menu it belongs to
    std::string shortcut;  // the key that chooses it from any window ("Ctrl+S")
    std::string tooltip;
    bool checkable = false;
    bool checked = false;
    bool dimmed = false;
    bool visible = true;
    bool separator = false;
    std::string group;  // items of one group behave as radio items for the program
    std::string callbackName;
    int sourceLine = 0;
    MenuCallbackPtr callback = nullptr;
};

struct Menu {
    int id = 0;
    std::string name;
    std::string label;
    std::string tooltip = {};  // what its items choose, shown on each item without one
};

struct MenuBar {
    int handle = 0;
    std::string constantName;
    std::vector<Menu> menus;
    std::vector<MenuItem> items;
    int panel = 0;  // the panel it belongs to
};

struct Panel {
    int handle = 0;
    int resourceId = 0;
    std::string constantName;
    std::string title;
    Rect rect;
    bool visible = false;
    bool sizable = true;
    bool scaleContentsOnResize = false;
    int parent = 0;
    std::string callbackName;
    int sourceLine = 0;
    PanelCallbackPtr callback = nullptr;
    std::vector<Control> controls;  // in resource order, which is also tab and drawing order
    int menuBar = 0;                // 0 when the panel has none
    // The places in `controls` of its timers, found when the panel is added to the model.
    std::vector<std::size_t> timerSlots;
    Control* find(int id);
    const Control* find(int id) const;
    Control* findByName(const std::string& name);

  private:
    // The place in `controls` of each id looked up, checked at every use: a control is large,
    // and a search through the controls before it reaches far into memory, a cost each stretch
    // pays again once other programs have had the processor's caches.
    mutable std::vector<int> slotById_;
    const Control* lookUp(int id) const;
};

// What happened, queued until dispatched.
struct Event {
    enum class Target { Control, Panel, Menu, Deferred } target = Target::Control;
    int panel = 0;
    int control = 0;  // control id, or menu item for menu events
    int type = EVENT_NONE;
    int data1 = 0, data2 = 0;
    DeferredCallbackPtr deferred = nullptr;  // Target::Deferred: the call and its data
    void* deferredData = nullptr;
};

class FrontEnd;
class RemoteControl;
class ScriptedInput;

// The whole toolkit state; one per process.
class Model {
  public:
    static Model& instance();
    // Forgets every panel, menu bar, event and timer (for tests); keeps registrations.
    void reset();

    Panel* panel(int handle);
    Control* control(int panel, int control);
    MenuBar* menuBar(int handle);
    MenuItem* menuItem(int menuBar, int item);
    const std::map<int, Panel>& panels() const { return panels_; }
    Panel* panelByConstantName(const std::string& name);

    // Creates a panel (and its menu bar) from a template; returns the new handle.
    int addPanel(Panel panel, std::optional<MenuBar> menuBar);
    void removePanel(int handle);

    // Operator input, as front ends and the script runner report it.
    void post(const Event& event);
    bool hasPendingEvent() const { return !queue_.empty(); }
    // Whether an event of this type for this control is queued (to merge notifications).
    bool isPending(int panel, int control, int type) const;
    // Dispatches the oldest pending event (and due timer ticks first); false when none.
    bool dispatchOne(int* panel = nullptr, int* control = nullptr, int* type = nullptr);
    // Queues ticks for timers that are due on the clock.
    void queueDueTimerTicks();
    // Clock time of the next timer tick, +infinity when no timer is enabled.
    double nextTimerTick() const;

    void setFrontEnd(FrontEnd* frontEnd) { frontEnd_ = frontEnd; }
    FrontEnd* frontEnd() const { return frontEnd_; }
    // A running script answers pop-ups and supplies operator actions; null when none runs.
    void setScript(ScriptedInput* script) { script_ = script; }
    ScriptedInput* script() const { return script_; }
    // Remote control: its clients' lines are operator input too, and it answers pop-ups that
    // they answered; null when the program has none.
    void setRemote(RemoteControl* remote) { remote_ = remote; }
    RemoteControl* remote() const { return remote_; }

    // Change notifications, forwarded to the front end.
    void controlChanged(int panel, int control);
    void plotsChanged(int panel, int control);
    void panelChanged(int panel);
    void menuChanged(int menuBar);
    // A graph's plot area is about to be read: the front end lays the panel out first, if it
    // has not yet (it may make a hidden panel's widgets only when first needed).
    void layOutPanel(int panel);

    // The text the program put on the clipboard last (the front end also puts it on the
    // system's clipboard).
    std::string clipboard;

    bool quitRequested = false;
    int quitCode = 0;

  private:
    std::map<int, Panel> panels_;
    std::map<int, MenuBar> menuBars_;
    std::deque<Event> queue_;
    FrontEnd* frontEnd_ = nullptr;
    ScriptedInput* script_ = nullptr;
    RemoteControl* remote_ = nullptr;
    int nextPanelHandle_ = 1;
    int nextMenuBarHandle_ = 1;
};

// Converts a value to what a control of dataType holds (numbers are clamped by the caller).
Value convertValue(const Value& value, int dataType);
double numberOf(const Value& value);
std::string textOf(const Value& value);

}  // namespace trelvanix::ui
