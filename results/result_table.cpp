#include "results/result_table.h"

#include <cmath>

namespace trelvanix::results {

namespace {

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string withUnit(const std::string& title, const std::string& unit) {
    return unit.empty() ? title : title + " (" + unit + ")";
}

std::string cellOf(const ResultRow& row, int id, int digits) {
    const auto found = row.values.find(id);
    if (found == row.values.end() || !found->second.value) return "";
    return formatNumber(*found->second.value, digits);
}

std::string csvField(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string joined(const TableText& table, const char* separator, const char* lineEnd,
                   std::string (*field)(const std::string&)) {
    std::string text;
    auto line = [&](const std::vector<std::string>& cells) {
        for (std::size_t k = 0; k < cells.size(); ++k) {
            if (k > 0) text += separator;
            text += field(cells[k]);
        }
        text += lineEnd;
    };
    line(table.headings);
    for (const auto& row : table.rows) line(row);
    return text;
}

// Tabs and line breaks would split a cell: the clipboard text has none inside one.
std::string plainField(const std::string& field) {
    std::string plain = field;
    for (char& c : plain)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return plain;
}

}  // namespace

std::string parameterUnit(const std::string& p) {
    if (contains(p, "_MV") || endsWith(p, "_AMP") || endsWith(p, "_AMPLITUDE") ||
        endsWith(p, "BASELINE") || p == "CELL_MIN" || p == "CELL_MAX" || p == "CELL_DC")
        return "units";
    if (endsWith(p, "_FREQUENCY")) return "Hz";
    if (endsWith(p, "_PHASE") && p != "CELL_PHASE") return "degrees";
    if (contains(p, "_MS") || endsWith(p, "INTERBURST") || endsWith(p, "_DUR") ||
        endsWith(p, "DURATION"))
        return "ms";
    return "";
}

std::string columnUnit(const MeasuredColumn& column, const std::vector<ResultRow>& rows) {
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        const auto found = row->values.find(column.id);
        if (found != row->values.end() && found->second.value) return found->second.unit;
    }
    return valueUnit(column.measurement.kind, column.channelUnit);
}

std::string heading(const MeasuredColumn& column, const std::vector<ResultRow>& rows) {
    return withUnit(column.measurement.name, columnUnit(column, rows));
}

std::vector<std::string> tableHeadings(const std::vector<ResultRow>& rows,
                                       const std::vector<MeasuredColumn>& columns) {
    std::vector<std::string> headings = {"Row", "File", "Step", "Parameter", "Value"};
    // The stepped value's unit, when every stepped row steps the same parameter.
    std::string parameter;
    for (const ResultRow& row : rows)
        if (row.step)
            parameter =
                parameter.empty() || parameter == row.step->parameter ? row.step->parameter : "?";
    if (!parameter.empty() && parameter != "?")
        headings[4] = withUnit("Value", parameterUnit(parameter));
    for (const MeasuredColumn& column : columns) headings.push_back(heading(column, rows));
    return headings;
}

std::vector<std::string> rowCells(const ResultRow& row, const std::vector<MeasuredColumn>& columns,
                                  int digits) {
    std::vector<std::string> cells = {std::to_string(row.number), row.files};
    if (row.step) {
        cells.push_back(std::to_string(row.step->number));
        cells.push_back(row.step->parameter);
        cells.push_back(formatNumber(row.step->value, digits));
    } else {
        cells.insert(cells.end(), {"", "", ""});
    }
    for (const MeasuredColumn& column : columns) cells.push_back(cellOf(row, column.id, digits));
    return cells;
}

TableText tableText(const std::vector<ResultRow>& rows, const std::vector<MeasuredColumn>& columns,
                    int digits) {
    TableText table;
    table.headings = tableHeadings(rows, columns);
    for (const ResultRow& row : rows) table.rows.push_back(rowCells(row, columns, digits));
    return table;
}

std::string csvText(const TableText& table) {
    return joined(table, ",", "\r\n", csvField);
}

std::string tabText(const TableText& table) {
    return joined(table, "\t", "\n", plainField);
}

PlotPoints plotPoints(const std::vector<ResultRow>& rows, const MeasuredColumn& column) {
    PlotPoints points;
    bool stepped = !rows.empty();
    std::string parameter;
    for (const ResultRow& row : rows) {
        if (!row.step || (!parameter.empty() && row.step->parameter != parameter)) {
            stepped = false;
            break;
        }
        parameter = row.step->parameter;
    }
    for (const ResultRow& row : rows) {
        const auto found = row.values.find(column.id);
        if (found == row.values.end() || !found->second.value) continue;
        points.x.push_back(stepped ? row.step->value : double(row.number));
        points.y.push_back(*found->second.value);
    }
    points.xUnit = stepped ? parameterUnit(parameter) : "";
    points.xTitle = stepped ? withUnit(parameter, points.xUnit) : "Row";
    points.yUnit = columnUnit(column, rows);
    points.yTitle = withUnit(column.measurement.name, points.yUnit);
    return points;
}

AxisRange roundAxis(double lo, double hi) {
    if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi) return {};
    if (hi == lo) {
        const double half = lo == 0.0 ? 1.0 : 0.1 * std::fabs(lo);
        lo -= half;
        hi += half;
    }
    const double raw = (hi - lo) / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10.0 * power;
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= raw) {
            step = m * power;
            break;
        }
    // A value on an end would be drawn cut in half: the ends lie a step beyond it.
    double first = std::floor(lo / step), last = std::ceil(hi / step);
    if (lo - first * step < 0.02 * (hi - lo)) first -= 1.0;
    if (last * step - hi < 0.02 * (hi - lo)) last += 1.0;
    return AxisRange{first * step, last * step, int(last - first)};
}

std::optional<LineFit> fitLine(const std::vector<double>& x, const std::vector<double>& y) {
    const std::size_t n = std::min(x.size(), y.size());
    if (n < 2) return std::nullopt;
    double meanX = 0, meanY = 0;
    for (std::size_t i = 0; i < n; ++i) {
        meanX += x[i];
        meanY += y[i];
    }
    meanX /= double(n);
    meanY /= double(n);
    double sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sxx += (x[i] - meanX) * (x[i] - meanX);
        sxy += (x[i] - meanX) * (y[i] - meanY);
    }
    if (!(sxx > 0.0)) return std::nullopt;
    LineFit fit;
    fit.slope = sxy / sxx;
    fit.intercept = meanY - fit.slope * meanX;
    fit.points = int(n);
    return fit;
}

}  // namespace trelvanix::results
