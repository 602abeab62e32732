#include "qt_test_panel.h"

#include <QApplication>
#include <QWidget>

#include "platform/clock/clock.h"
#include "platform/ui/toolkit.h"

namespace trelvanix::qt::testing {

namespace {

int controlCallback(int panel, int control, int event, void*, int data1, int data2) {
    log().push_back({panel, control, event, data1, data2});
    return 0;
}

int panelCallback(int panel, int event, void*, int data1, int data2) {
    log().push_back({panel, 0, event, data1, data2});
    return 0;
}

void menuCallback(int, int item, void*, int panel) {
    log().push_back({panel, item, EVENT_MENU, 0, 0});
}

ui::Control control(int id, ui::ControlKind kind, const char* label, ui::Rect rect) {
    ui::Control c;
    c.id = id;
    c.kind = kind;
    c.name = "C" + std::to_string(id);
    c.constantName = "PANEL_" + c.name;
    c.label = label;
    c.rect = rect;
    c.callback = controlCallback;
    return c;
}

}  // namespace

std::vector<Logged>& log() {
    static std::vector<Logged> entries;
    return entries;
}

std::vector<int> eventsOf(int control) {
    std::vector<int> events;
    for (const Logged& l : log())
        if (l.control == control) events.push_back(l.event);
    return events;
}

void ensureApplication() {
    static int argc = 1;
    static char name[] = "trelvanix_qt_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QApplication(argc, argv);  // lives to the end
}

ui::Panel testPanel() {
    using K = ui::ControlKind;
    ui::Panel p;
    p.constantName = "PANEL";
    p.title = "Every control";
    p.rect = {0, 0, 900, 560};
    p.callback = panelCallback;

    ui::Control graph = control(kGraph, K::Graph, "Sweep", {10, 10, 600, 400});
    graph.graph.emplace();
    graph.graph->xAxis.min = 0;
    graph.graph->xAxis.max = 10;
    graph.graph->yAxis.min = -5;
    graph.graph->yAxis.max = 5;
    graph.graph->xAxis.name = "Seconds";
    p.controls.push_back(graph);

    ui::Control frame = control(kFrame, K::Decoration, "Settings", {620, 10, 270, 400});
    frame.callback = nullptr;
    p.controls.push_back(frame);
    ui::Control number = control(kNumber, K::Numeric, "Gain", {630, 50, 110, 24});
    number.dataType = VAL_DOUBLE;
    number.value = 1.0;
    number.minValue = 0.0;
    number.maxValue = 10.0;
    number.increment = 0.5;
    number.precision = 2;
    p.controls.push_back(number);
    ui::Control integer = control(kInteger, K::Numeric, "Divisions", {760, 50, 110, 24});
    integer.value = 10;
    integer.minValue = 1;
    integer.maxValue = 50;
    p.controls.push_back(integer);
    ui::Control text = control(kText, K::String, "Suffix", {630, 100, 240, 24});
    text.dataType = VAL_STRING;
    text.value = std::string("cell1");
    p.controls.push_back(text);
    ui::Control ring = control(kRing, K::Ring, "Kind", {630, 150, 110, 24});
    ring.items = {{"None", -1}, {"Pulse", 0}, {"Ramp", 1}};
    ring.index = 0;
    p.controls.push_back(ring);
    ui::Control colour = control(kColour, K::ColorNum, "Colour", {760, 150, 110, 24});
    colour.value = 0x00C0FF;
    p.controls.push_back(colour);
    p.controls.push_back(control(kCheck, K::CheckBox, "Channel 1", {630, 190, 110, 20}));
    p.controls.push_back(control(kSwitch, K::Toggle, "Move", {760, 190, 110, 20}));
    ui::Control list = control(kList, K::ListBox, "Range", {630, 240, 110, 80});
    list.dataType = VAL_DOUBLE;
    list.items = {{"+-10 V", 10.0}, {"+-5 V", 5.0}, {"+-1 V", 1.0}};
    list.index = 0;
    p.controls.push_back(list);
    ui::Control lamp = control(kLamp, K::Lamp, "Acquiring", {760, 240, 20, 20});
    lamp.onColor = VAL_GREEN;
    lamp.offColor = 0x404040;
    lamp.indicator = true;
    p.controls.push_back(lamp);
    ui::Control button = control(kButton, K::Button, "Acquire", {630, 340, 110, 30});
    button.shortcut = "F5";
    button.tooltip = "Starts acquiring";
    p.controls.push_back(button);
    ui::Control message = control(kMessage, K::TextMsg, "Unit: V", {760, 340, 110, 24});
    p.controls.push_back(message);
    ui::Control box = control(kTextBox, K::TextBox, "Comment", {10, 440, 400, 100});
    p.controls.push_back(box);
    ui::Control below = control(kBelow, K::Button, "Below", {430, 440, 100, 30});
    p.controls.push_back(below);
    ui::Control table = control(kTable, K::Table, "Rows", {550, 440, 340, 110});
    table.dataType = VAL_STRING;
    table.columns = {"Row", "File"};
    p.controls.push_back(table);
    ui::Control timer = control(kTimer, K::Timer, "", {});
    p.controls.push_back(timer);
    return p;
}

ui::MenuBar testMenuBar() {
    ui::MenuBar bar;
    bar.constantName = "MENUBAR";
    bar.menus.push_back(ui::Menu{kMenuFile, "FILE", "File"});
    auto item = [](int id, const char* label, const char* group, bool checked) {
        ui::MenuItem i;
        i.id = id;
        i.name = label;
        i.label = label;
        i.menuId = kMenuFile;
        i.checkable = true;
        i.checked = checked;
        i.group = group;
        i.callback = menuCallback;
        return i;
    };
    bar.items = {item(kItemSave, "Save", "", false), item(kItemRateSlow, "Slow", "RATE", true),
                 item(kItemRateFast, "Fast", "RATE", false)};
    bar.items[0].shortcut = "Ctrl+S";
    return bar;
}

Session::Session() {
    ensureApplication();
    installClock(std::make_unique<RealClock>());
    ui::Model::instance().reset();
    log().clear();
    frontEnd = std::make_unique<QtFrontEnd>();
    panel = ui::Model::instance().addPanel(testPanel(), testMenuBar());
    DisplayPanel(panel);
    frontEnd->flush();
}

Session::~Session() {
    frontEnd.reset();
    ui::Model::instance().reset();
}

void Session::dispatchAll() {
    ProcessSystemEvents();
}

}  // namespace trelvanix::qt::testing
