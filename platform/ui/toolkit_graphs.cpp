// Graph plots and axes. Deleted plots give their storage back for reuse, so a sweep display
// that erases and redraws every sweep stops allocating once it has drawn its first sweep.

#include <algorithm>
#include <cmath>

#include "platform/ui/toolkit_internal.h"

using namespace trelvanix::ui;
using namespace trelvanix::ui::detail;

namespace {

constexpr std::size_t kMaxSpareBuffers = 4096;

Control* graphControl(int panel, int control, int* status) {
    Control* c = findControl(panel, control, status);
    if (c && !c->graph) {
        *status = UIE_NotSupported;
        return nullptr;
    }
    return c;
}

std::vector<double> takeBuffer(Graph& g) {
    if (g.spareBuffers.empty()) return {};
    std::vector<double> buffer = std::move(g.spareBuffers.back());
    g.spareBuffers.pop_back();
    return buffer;
}

int addPlot(int panel, int control, Plot plot) {
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    Graph& g = *c->graph;
    plot.handle = g.nextPlotHandle++;
    const int handle = plot.handle;
    g.plots.push_back(std::move(plot));
    ++g.revision;
    model().plotsChanged(panel, control);
    if (g.inspection.on) inspectionChanged(panel, control);
    return handle;
}

Axis* axisOf(Graph& g, int axis) {
    if (axis == VAL_XAXIS) return &g.xAxis;
    if (axis == VAL_LEFT_YAXIS) return &g.yAxis;
    return nullptr;
}

// Autoscaled axes span the data of every plot.
void dataRange(const Graph& g, int axis, double* min, double* max) {
    double lo = INFINITY, hi = -INFINITY;
    for (const Plot& p : g.plots) {
        const std::size_t n = p.y.size();
        if (n == 0) continue;
        if (axis == VAL_LEFT_YAXIS) {
            auto [a, b] = std::minmax_element(p.y.begin(), p.y.end());
            lo = std::min(lo, *a);
            hi = std::max(hi, *b);
        } else if (p.isWaveform) {
            lo = std::min(lo, p.initialX);
            hi = std::max(hi, p.initialX + p.xIncrement * static_cast<double>(n - 1));
        } else {
            auto [a, b] = std::minmax_element(p.x.begin(), p.x.end());
            lo = std::min(lo, *a);
            hi = std::max(hi, *b);
        }
    }
    if (lo > hi) return;  // no data: the axis keeps its last range
    if (lo == hi) hi = lo + 1.0;
    *min = lo;
    *max = hi;
}

}  // namespace

int PlotWaveform(int panel, int control, const double* y, int count, double yGain, double yOffset,
                 double initialX, double xIncrement, int color) {
    if (!y || count <= 0) return UIE_BadArgument;
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    Plot plot;
    plot.color = color;
    plot.initialX = initialX;
    plot.xIncrement = xIncrement;
    plot.y = takeBuffer(*c->graph);
    // Copied, then scaled in place: a new buffer is not zero-filled first.
    plot.y.assign(y, y + count);
    for (double& value : plot.y) value = value * yGain + yOffset;
    return addPlot(panel, control, std::move(plot));
}

int PlotXY(int panel, int control, const double* x, const double* y, int count, int color) {
    if (!x || !y || count <= 0) return UIE_BadArgument;
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    Plot plot;
    plot.color = color;
    plot.isWaveform = false;
    plot.x = takeBuffer(*c->graph);
    plot.x.assign(x, x + count);
    plot.y = takeBuffer(*c->graph);
    plot.y.assign(y, y + count);
    return addPlot(panel, control, std::move(plot));
}

int PlotY(int panel, int control, const double* y, int count, int color) {
    return PlotWaveform(panel, control, y, count, 1.0, 0.0, 0.0, 1.0, color);
}

int SetPlotAttribute(int panel, int control, int plotHandle, int attribute, int value) {
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    auto it = std::find_if(c->graph->plots.begin(), c->graph->plots.end(),
                           [plotHandle](const Plot& p) { return p.handle == plotHandle; });
    if (it == c->graph->plots.end()) return UIE_BadArgument;
    if (attribute != ATTR_PLOT_STYLE) return UIE_BadAttribute;
    if (value != VAL_THIN_LINE && value != VAL_SCATTER && value != VAL_CONNECTED_POINTS)
        return UIE_BadAttributeValue;
    it->style = value;
    ++c->graph->revision;
    model().plotsChanged(panel, control);
    return UIE_NoError;
}

int DeleteGraphPlot(int panel, int control, int plotHandle, int refresh) {
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    Graph& g = *c->graph;
    auto recycle = [&g](Plot& p) {
        for (std::vector<double>* v : {&p.x, &p.y})
            if (v->capacity() && g.spareBuffers.size() < kMaxSpareBuffers)
                g.spareBuffers.push_back(std::move(*v));
    };
    if (plotHandle == -1) {
        for (Plot& p : g.plots) recycle(p);
        g.plots.clear();
    } else {
        auto it = std::find_if(g.plots.begin(), g.plots.end(),
                               [plotHandle](const Plot& p) { return p.handle == plotHandle; });
        if (it == g.plots.end()) return UIE_BadArgument;
        recycle(*it);
        g.plots.erase(it);
    }
    ++g.revision;
    model().plotsChanged(panel, control);
    if (g.inspection.on) inspectionChanged(panel, control);
    return UIE_NoError;
}

int SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max) {
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    Axis* a = axisOf(*c->graph, axis);
    if (!a) return UIE_BadArgument;
    if (mode == VAL_MANUAL) {
        if (!(min < max) || !std::isfinite(min) || !std::isfinite(max)) return UIE_BadArgument;
        a->min = min;
        a->max = max;
    } else if (mode != VAL_AUTOSCALE) {
        return UIE_BadArgument;
    }
    a->scalingMode = mode;
    Inspection& inspection = c->graph->inspection;
    if (inspection.on) {
        // New axes: the view shows them whole and the cursors stay on them.
        inspection.zoomed = false;
        for (double& x : inspection.cursor)
            x = std::clamp(x, c->graph->xAxis.min, c->graph->xAxis.max);
        inspectionChanged(panel, control);
    }
    model().controlChanged(panel, control);
    return UIE_NoError;
}

int GetAxisScalingMode(int panel, int control, int axis, int* mode, double* min, double* max) {
    int status = 0;
    Control* c = graphControl(panel, control, &status);
    if (!c) return status;
    Axis* a = axisOf(*c->graph, axis);
    if (!a) return UIE_BadArgument;
    if (a->scalingMode == VAL_AUTOSCALE) dataRange(*c->graph, axis, &a->min, &a->max);
    if (mode) *mode = a->scalingMode;
    if (min) *min = a->min;
    if (max) *max = a->max;
    return UIE_NoError;
}

int GetRelativeMouseState(int panel, int control, int* x, int* y, int* leftDown, int* rightDown,
                          int* modifiers) {
    int status = 0;
    Control* c = findControl(panel, control, &status);
    if (!c) return status;
    if (x) *x = c->mouseX;
    if (y) *y = c->mouseY;
    if (leftDown) *leftDown = 0;
    if (rightDown) *rightDown = 0;
    if (modifiers) *modifiers = 0;
    return UIE_NoError;
}
