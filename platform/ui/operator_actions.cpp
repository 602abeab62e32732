#include "platform/ui/operator_actions.h"

#include <cmath>

#include "platform/ui/toolkit_internal.h"

namespace trelvanix::ui {

namespace {

using detail::findControl;

// Each wheel step zooms by this factor.
constexpr double kZoomPerStep = 1.25;
// A cursor can be grabbed this many pixels either side of its line.
constexpr int kCursorReach = 4;

ActionResult refused(std::string why) {
    return ActionResult{false, std::move(why)};
}

// The control, when the operator can act on it at all.
Control* reachable(int panel, int control, ActionResult* result, bool changesValue) {
    int status = 0;
    Control* c = findControl(panel, control, &status);
    if (!c)
        *result = refused(status == UIE_BadPanelHandle ? "is not loaded" : "does not exist");
    else if (c->dimmed)
        *result = refused("is dimmed");
    else if (changesValue && c->indicator)
        *result = refused("is an indicator");
    else
        return c;
    return nullptr;
}

void post(int panel, int control, int type, int data1 = 0, int data2 = 0) {
    Model::instance().post(Event{Event::Target::Control, panel, control, type, data1, data2});
}

void postChange(int panel, int control) {
    post(panel, control, EVENT_VAL_CHANGED);
    post(panel, control, EVENT_COMMIT);
}

// An inspected graph, or null with the reason; laid out, as its pixels are read.
Graph* inspected(int panel, int control, ActionResult* result) {
    Control* c = reachable(panel, control, result, false);
    if (!c) return nullptr;
    if (!c->graph) {
        *result = refused("is not a graph");
        return nullptr;
    }
    if (!c->graph->inspection.on) {
        *result = refused("cannot be looked at closely now");
        return nullptr;
    }
    Model::instance().layOutPanel(panel);
    return &*c->graph;
}

struct View {
    double x0, x1, y0, y1;
};

View viewOf(int panel, int control) {
    View v{};
    GetGraphView(panel, control, &v.x0, &v.x1, &v.y0, &v.y1);
    return v;
}

ActionResult show(int panel, int control, const View& v) {
    if (SetGraphView(panel, control, v.x0, v.x1, v.y0, v.y1) < 0)
        return refused("cannot show that part of the axes");
    return {};
}

double xAtPixel(const Graph& g, const View& v, int x) {
    const Rect& a = g.plotArea;
    return v.x0 + double(x - a.left) / double(std::max(a.width, 1)) * (v.x1 - v.x0);
}

double yAtPixel(const Graph& g, const View& v, int y) {
    const Rect& a = g.plotArea;
    return v.y1 - double(y - a.top) / double(std::max(a.height, 1)) * (v.y1 - v.y0);
}

double pixelOfX(const Graph& g, const View& v, double x) {
    const Rect& a = g.plotArea;
    return a.left + (x - v.x0) / (v.x1 - v.x0) * double(a.width);
}

}  // namespace

ActionResult enterValue(int panel, int control, const Value& value) {
    ActionResult result;
    Control* c = reachable(panel, control, &result, true);
    if (!c) return result;
    int status = UIE_NoError;
    switch (c->kind) {
        case ControlKind::Numeric:
            status = SetCtrlVal(panel, control, numberOf(value));
            break;
        case ControlKind::String:
            status = SetCtrlVal(panel, control, textOf(value));
            break;
        case ControlKind::TextBox:
            status = ResetTextBox(panel, control, textOf(value).c_str());
            break;
        case ControlKind::CheckBox:
        case ControlKind::Toggle:
            status = SetCtrlVal(panel, control, numberOf(value) != 0.0 ? 1 : 0);
            break;
        case ControlKind::ColorNum:
            status = SetCtrlVal(panel, control, int(numberOf(value)));
            break;
        default:
            return refused("is not a control the operator types a value into");
    }
    if (status < 0) return refused("does not take that value");
    postChange(panel, control);
    return result;
}

ActionResult chooseItem(int panel, int control, int index) {
    ActionResult result;
    Control* c = reachable(panel, control, &result, true);
    if (!c) return result;
    if (!detail::hasItems(*c)) return refused("has no items");
    if (SetCtrlIndex(panel, control, index) < 0) return refused("has no such item");
    postChange(panel, control);
    return result;
}

ActionResult pressControl(int panel, int control) {
    ActionResult result;
    if (!reachable(panel, control, &result, true)) return result;
    post(panel, control, EVENT_COMMIT);
    return result;
}

ActionResult clickControl(int panel, int control, int x, int y) {
    ActionResult result;
    Control* c = reachable(panel, control, &result, false);
    if (!c) return result;
    c->mouseX = x;
    c->mouseY = y;
    post(panel, control, EVENT_LEFT_CLICK, y, x);
    if (c->graph) {  // a click on a graph commits inside its plot area, read once laid out
        Model::instance().layOutPanel(panel);
        const Rect& a = c->graph->plotArea;
        const bool inPlotArea =
            x >= a.left && x < a.left + a.width && y >= a.top && y < a.top + a.height;
        if (inPlotArea && !c->graph->inspection.zoomed) post(panel, control, EVENT_COMMIT, y, x);
    }
    return result;
}

ActionResult zoomGraph(int panel, int control, double x0, double x1, double y0, double y1) {
    ActionResult result;
    if (!inspected(panel, control, &result)) return result;
    View v = viewOf(panel, control);
    v.x0 = x0, v.x1 = x1;
    if (y0 < y1) v.y0 = y0, v.y1 = y1;
    return show(panel, control, v);
}

ActionResult restoreGraphView(int panel, int control) {
    ActionResult result;
    if (!inspected(panel, control, &result)) return result;
    ResetGraphView(panel, control);
    return result;
}

ActionResult turnWheelOnGraph(int panel, int control, int x, int y, double steps, bool vertical) {
    ActionResult result;
    const Graph* g = inspected(panel, control, &result);
    if (!g) return result;
    View v = viewOf(panel, control);
    const double scale = std::pow(kZoomPerStep, -steps);
    // The value under the pointer stays under it.
    if (vertical) {
        const double at = yAtPixel(*g, v, y);
        v.y0 = at + (v.y0 - at) * scale;
        v.y1 = at + (v.y1 - at) * scale;
    } else {
        const double at = xAtPixel(*g, v, x);
        v.x0 = at + (v.x0 - at) * scale;
        v.x1 = at + (v.x1 - at) * scale;
    }
    return show(panel, control, v);
}

int graphCursorAt(int panel, int control, int x) {
    ActionResult result;
    const Graph* g = inspected(panel, control, &result);
    if (!g) return 0;
    const View v = viewOf(panel, control);
    int nearest = 0;
    double distance = kCursorReach + 0.5;
    for (int cursor = 1; cursor <= 2; ++cursor) {
        const double d = std::abs(pixelOfX(*g, v, g->inspection.cursor[cursor - 1]) - x);
        if (d <= distance) nearest = cursor, distance = d;
    }
    return nearest;
}

ActionResult dragGraphCursor(int panel, int control, int cursor, int x) {
    ActionResult result;
    const Graph* g = inspected(panel, control, &result);
    if (!g) return result;
    return placeGraphCursor(panel, control, cursor, xAtPixel(*g, viewOf(panel, control), x));
}

ActionResult panGraph(int panel, int control, int dx, int dy) {
    ActionResult result;
    const Graph* g = inspected(panel, control, &result);
    if (!g) return result;
    View v = viewOf(panel, control);
    const double shiftX = double(dx) / std::max(g->plotArea.width, 1) * (v.x1 - v.x0);
    const double shiftY = double(dy) / std::max(g->plotArea.height, 1) * (v.y1 - v.y0);
    // The content follows the pointer: dragging right shows earlier times.
    v.x0 -= shiftX, v.x1 -= shiftX;
    v.y0 += shiftY, v.y1 += shiftY;
    return show(panel, control, v);
}

ActionResult dragOnGraph(int panel, int control, int x0, int y0, int x1, int y1) {
    if (const int cursor = graphCursorAt(panel, control, x0))
        return dragGraphCursor(panel, control, cursor, x1);
    return panGraph(panel, control, x1 - x0, y1 - y0);
}

ActionResult placeGraphCursor(int panel, int control, int cursor, double x) {
    ActionResult result;
    if (!inspected(panel, control, &result)) return result;
    if (SetGraphCursor(panel, control, cursor, x) < 0) return refused("has cursors 1 and 2 only");
    return result;
}

}  // namespace trelvanix::ui
