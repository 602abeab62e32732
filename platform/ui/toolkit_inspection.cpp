// Looking closely at a graph: its view (zoom and pan within the axes) and two vertical
// cursors. The state lives in the model, so a script and the window see the same thing.

#include <algorithm>
#include <cmath>

#include "platform/ui/toolkit_internal.h"

using namespace trelvanix::ui;
using namespace trelvanix::ui::detail;

namespace {

// The narrowest view, as a part of the axis span: far below one sample of any sweep.
constexpr double kNarrowestView = 1e-9;

Control* graphControl(int panel, int control, int* status) {
    Control* c = findControl(panel, control, status);
    if (c && !c->graph) {
        *status = UIE_NotSupported;
        return nullptr;
    }
    return c;
}

// [lo, hi] fitted inside [min, max], at least `narrowest` wide.
void fitInside(double& lo, double& hi, double min, double max, double narrowest) {
    if (hi - lo < narrowest) {
        const double middle = (lo + hi) / 2.0;
        lo = middle - narrowest / 2.0;
        hi = middle + narrowest / 2.0;
    }
    if (hi - lo >= max - min) {
        lo = min;
        hi = max;
        return;
    }
    if (lo < min) hi += min - lo, lo = min;
    if (hi > max) lo -= hi - max, hi = max;
}

void placeCursorsIfNew(Graph& g) {
    if (g.inspection.cursorsPlaced) return;
    const Axis& x = g.xAxis;
    g.inspection.cursor[0] = x.min + (x.max - x.min) / 4.0;
    g.inspection.cursor[1] = x.min + (x.max - x.min) * 3.0 / 4.0;
    g.inspection.cursorsPlaced = true;
}

}  // namespace

namespace trelvanix::ui::detail {

void inspectionChanged(int panel, int control) {
    Model& m = model();
    if (!m.isPending(panel, control, EVENT_VAL_CHANGED))
        m.post(Event{Event::Target::Control, panel, control, EVENT_VAL_CHANGED, 0, 0});
    m.controlChanged(panel, control);
}

}  // namespace trelvanix::ui::detail

int SetGraphInspection(int panel, int control, int on) {
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    Inspection& i = c->graph->inspection;
    if (i.on != (on != 0)) {
        i.on = on != 0;
        i.zoomed = false;
        if (i.on) placeCursorsIfNew(*c->graph);
    }
    inspectionChanged(panel, control);
    return UIE_NoError;
}

int GetGraphInspection(int panel, int control, int* on) {
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    if (on) *on = c->graph->inspection.on ? 1 : 0;
    return UIE_NoError;
}

int SetGraphView(int panel, int control, double x0, double x1, double y0, double y1) {
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    Graph& g = *c->graph;
    if (!g.inspection.on) return UIE_NotSupported;
    for (double v : {x0, x1, y0, y1})
        if (!std::isfinite(v)) return UIE_BadArgument;
    if (!(x0 < x1) || !(y0 < y1)) return UIE_BadArgument;
    const Axis &x = g.xAxis, &y = g.yAxis;
    fitInside(x0, x1, x.min, x.max, (x.max - x.min) * kNarrowestView);
    fitInside(y0, y1, y.min, y.max, (y.max - y.min) * kNarrowestView);
    Inspection& i = g.inspection;
    i.x0 = x0, i.x1 = x1, i.y0 = y0, i.y1 = y1;
    i.zoomed = !(x0 == x.min && x1 == x.max && y0 == y.min && y1 == y.max);
    inspectionChanged(panel, control);
    return UIE_NoError;
}

int ResetGraphView(int panel, int control) {
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    if (!c->graph->inspection.zoomed) return UIE_NoError;
    c->graph->inspection.zoomed = false;
    inspectionChanged(panel, control);
    return UIE_NoError;
}

int GetGraphView(int panel, int control, double* x0, double* x1, double* y0, double* y1) {
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    const Graph& g = *c->graph;
    const Inspection& i = g.inspection;
    if (x0) *x0 = i.zoomed ? i.x0 : g.xAxis.min;
    if (x1) *x1 = i.zoomed ? i.x1 : g.xAxis.max;
    if (y0) *y0 = i.zoomed ? i.y0 : g.yAxis.min;
    if (y1) *y1 = i.zoomed ? i.y1 : g.yAxis.max;
    return UIE_NoError;
}

int SetGraphCursor(int panel, int control, int cursor, double x) {
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    Graph& g = *c->graph;
    if (!g.inspection.on) return UIE_NotSupported;
    if ((cursor != 1 && cursor != 2) || !std::isfinite(x)) return UIE_BadArgument;
    g.inspection.cursor[cursor - 1] = std::clamp(x, g.xAxis.min, g.xAxis.max);
    inspectionChanged(panel, control);
    return UIE_NoError;
}

int GetGraphCursor(int panel, int control, int cursor, double* x) {
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    if (cursor != 1 && cursor != 2) return UIE_BadArgument;
    if (x) *x = c->graph->inspection.cursor[cursor - 1];
    return UIE_NoError;
}

int GetGraphValuesAt(int panel, int control, double x, std::vector<double>* values) {
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    if (!values) return UIE_BadArgument;
    values->clear();
    for (const Plot& p : c->graph->plots) {
        if (!p.isWaveform || p.y.empty() || !(p.xIncrement > 0)) continue;
        // Each sample owns half a step either side, so neighbouring plots never both answer.
        const double position = std::floor((x - p.initialX) / p.xIncrement + 0.5);
        if (position < 0.0 || position > double(p.y.size() - 1)) continue;
        const auto index = std::size_t(position);
        values->push_back(p.y[index]);
    }
    return UIE_NoError;
}
