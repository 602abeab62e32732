// What the results window shows: the list of measurements, the table of rows, and the plot of
// one measurement against the stepped value with its straight-line fit.

#include <algorithm>
#include <cctype>

#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "results/results_state.h"

namespace trelvanix::results {

namespace {

constexpr int kPointColour = 0x1F5FBF;
constexpr int kFitColour = 0xD02020;

bool shown() {
    return state().panel > 0;
}

std::string regionText(const Region& r) {
    return formatNumber(r.start) + "-" + formatNumber(r.end);
}

// "Vss: mean ai0, 450-500 ms, base 0-90".
std::string description(const Measurement& m) {
    std::string kind = kindName(m.kind);
    kind[0] = char(std::tolower(static_cast<unsigned char>(kind[0])));
    std::string text = m.name + ": " + kind + " ai" + std::to_string(m.channel);
    if (m.kind == MeasureKind::SpikeCount) text += " > " + formatNumber(m.threshold);
    text += ", " + regionText(m.region) + " ms";
    if (m.baseline) text += ", base " + regionText(*m.baseline);
    return text;
}

// An axis of round divisions around the values, each point drawn whole inside it.
void scaleAxis(int axis, const std::vector<double>& values) {
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    const AxisRange range = roundAxis(*low, *high);
    SetAxisScalingMode(state().panel, RESULTS_GRAPH, axis, VAL_MANUAL, range.min, range.max);
    SetCtrlAttribute(state().panel, RESULTS_GRAPH,
                     axis == VAL_XAXIS ? ATTR_XDIVISIONS : ATTR_YDIVISIONS, range.divisions);
}

void showFit(const PlotPoints& points) {
    const int panel = state().panel;
    std::string slope, intercept;
    if (state().fit) {
        const auto fit = fitLine(points.x, points.y);
        if (!fit) {
            slope = "needs two points at different x";
        } else {
            const std::string xUnit = points.xUnit.empty() ? "" : "/" + points.xUnit;
            const std::string yUnit = points.yUnit.empty() ? "" : " " + points.yUnit;
            slope = formatNumber(fit->slope, kTableDigits) + yUnit + xUnit;
            if (yUnit.empty() && !xUnit.empty()) slope += " per " + points.xUnit;
            intercept = formatNumber(fit->intercept, kTableDigits) + yUnit;
            const auto [low, high] = std::minmax_element(points.x.begin(), points.x.end());
            const double x[2] = {*low, *high};
            const double y[2] = {fit->intercept + fit->slope * x[0],
                                 fit->intercept + fit->slope * x[1]};
            PlotXY(panel, RESULTS_GRAPH, x, y, 2, kFitColour);
        }
    }
    SetCtrlVal(panel, RESULTS_SLOPE, slope);
    SetCtrlVal(panel, RESULTS_INTERCEPT, intercept);
}

}  // namespace

void ShowMeasurementList() {
    if (!shown()) return;
    const ResultsState& s = state();
    ClearListCtrl(s.panel, RESULTS_MEASURES);
    ClearListCtrl(s.panel, RESULTS_PLOT);
    for (const MeasuredColumn& c : s.columns) {
        const char* name = c.measurement.name.c_str();
        InsertListItem(s.panel, RESULTS_MEASURES, -1, description(c.measurement).c_str(), name);
        InsertListItem(s.panel, RESULTS_PLOT, -1, name, name);
    }
    if (const MeasuredColumn* plotted = columnWithId(s.plotted))
        SetCtrlVal(s.panel, RESULTS_PLOT, plotted->measurement.name);
}

void ShowWholeTable() {
    if (!shown()) return;
    const ResultsState& s = state();
    const TableText table = tableText(s.rows, s.columns, kTableDigits);
    DeleteTableRows(s.panel, RESULTS_ROWS, 0, -1);
    SetTableColumns(s.panel, RESULTS_ROWS, table.headings);
    for (const auto& row : table.rows) InsertTableRow(s.panel, RESULTS_ROWS, -1, row);
}

void ShowNewRow() {
    if (!shown()) return;
    const ResultsState& s = state();
    if (s.rows.empty()) return;
    // The headings follow the units of the newest row.
    SetTableColumns(s.panel, RESULTS_ROWS, tableHeadings(s.rows, s.columns));
    InsertTableRow(s.panel, RESULTS_ROWS, -1, rowCells(s.rows.back(), s.columns, kTableDigits));
}

void ShowPlot() {
    if (!shown()) return;
    const ResultsState& s = state();
    DeleteGraphPlot(s.panel, RESULTS_GRAPH, -1, VAL_IMMEDIATE_DRAW);
    const MeasuredColumn* column = columnWithId(s.plotted);
    if (!column) {
        SetCtrlAttribute(s.panel, RESULTS_GRAPH, ATTR_XNAME, "Row");
        SetCtrlAttribute(s.panel, RESULTS_GRAPH, ATTR_YNAME, "");
        SetCtrlVal(s.panel, RESULTS_SLOPE, "");
        SetCtrlVal(s.panel, RESULTS_INTERCEPT, "");
        return;
    }
    const PlotPoints points = plotPoints(s.rows, *column);
    SetCtrlAttribute(s.panel, RESULTS_GRAPH, ATTR_XNAME, points.xTitle.c_str());
    SetCtrlAttribute(s.panel, RESULTS_GRAPH, ATTR_YNAME, points.yTitle.c_str());
    if (!points.x.empty()) {
        const int plot = PlotXY(s.panel, RESULTS_GRAPH, points.x.data(), points.y.data(),
                                int(points.x.size()), kPointColour);
        SetPlotAttribute(s.panel, RESULTS_GRAPH, plot, ATTR_PLOT_STYLE, VAL_SCATTER);
        scaleAxis(VAL_XAXIS, points.x);
        scaleAxis(VAL_LEFT_YAXIS, points.y);
    }
    showFit(points);
}

void ShowStatus(const std::string& status) {
    state().status = status;
    if (shown()) SetCtrlVal(state().panel, RESULTS_STATUS, status);
}

}  // namespace trelvanix::results
