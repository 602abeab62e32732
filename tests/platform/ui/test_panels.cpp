#include "tests/platform/ui/test_panels.h"

#include <utility>

#include "platform/clock/clock.h"

namespace trelvanix::ui::testing {

std::vector<std::string>& dispatched() {
    static std::vector<std::string> log;
    return log;
}

namespace {

int record(int panel, int control, int event, void*, int, int) {
    dispatched().push_back(std::to_string(control) + ":" + std::to_string(event));
    return 0;
}

int recordPanel(int panel, int event, void*, int, int) {
    dispatched().push_back("panel:" + std::to_string(event));
    return 0;
}

void recordMenu(int menuBar, int item, void*, int panel) {
    dispatched().push_back("menu:" + std::to_string(item));
}

Control makeControl(int id, const char* name, ControlKind kind, int dataType) {
    Control c;
    c.id = id;
    c.name = name;
    c.constantName = std::string("TEST_") + name;
    c.kind = kind;
    c.dataType = dataType;
    c.callback = record;
    c.rect = Rect{10, 10 + 30 * id, 100, 24};
    return c;
}

}  // namespace

int loadTestPanel() {
    Panel p;
    p.constantName = "TEST";
    p.resourceId = 1;
    p.title = "Test";
    p.rect = Rect{0, 0, 640, 480};
    p.callback = recordPanel;

    Control number = makeControl(kNumber, "NUMBER", ControlKind::Numeric, VAL_DOUBLE);
    number.minValue = 0.0;
    number.maxValue = 10.0;
    number.value = 1.0;
    p.controls.push_back(number);
    p.controls.push_back(makeControl(kText, "TEXT", ControlKind::TextBox, VAL_STRING));
    p.controls.push_back(makeControl(kList, "LIST", ControlKind::ListBox, VAL_FLOAT));
    p.controls.push_back(makeControl(kButton, "BUTTON", ControlKind::Button, VAL_INTEGER));
    Control graph = makeControl(kGraph, "GRAPH", ControlKind::Graph, VAL_DOUBLE);
    graph.rect = Rect{200, 10, 400, 300};
    p.controls.push_back(graph);
    Control timer = makeControl(kTimer, "TIMER", ControlKind::Timer, VAL_INTEGER);
    timer.interval = 0.5;
    p.controls.push_back(timer);

    MenuBar bar;
    bar.constantName = "TESTMENU";
    bar.menus.push_back(Menu{1, "FILE", "File"});
    for (auto [id, name] : {std::pair{kItemSave, "SAVE"}, std::pair{kItemRate, "RATE"}}) {
        MenuItem item;
        item.id = id;
        item.name = name;
        item.menuId = 1;
        item.checkable = true;
        item.callback = recordMenu;
        bar.items.push_back(item);
    }
    return Model::instance().addPanel(std::move(p), std::move(bar));
}

void resetToolkit() {
    Model::instance().reset();
    Model::instance().setFrontEnd(nullptr);
    Model::instance().setScript(nullptr);
    installSimulatedClock();
    dispatched().clear();
}

}  // namespace trelvanix::ui::testing
