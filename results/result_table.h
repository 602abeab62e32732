#pragma once
// The table of results: one row per measured recording, one column per measurement, as text
// for the window, as CSV (RFC 4180) and as tab-separated text for the clipboard; the points
// of one measurement against the stepped value, and their straight-line fit. Free of the
// toolkit.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "results/measured_recording.h"

namespace trelvanix::results {

// The protocol step a recording belongs to.
struct StepOfRow {
    int number = 0;  // from 1
    std::string parameter;
    double value = 0.0;
};

struct ResultRow {
    int number = 0;     // from 1 since the table was started
    std::string files;  // the recording's file names ("; " between the two of a split)
    std::optional<StepOfRow> step;
    std::map<int, MeasuredValue> values;  // by measurement id
};

// A column of the table: a measurement with its id and the unit of its channel now (used
// until a row says which unit the recording had).
struct MeasuredColumn {
    int id = 0;
    Measurement measurement;
    std::string channelUnit;
};

struct TableText {
    std::vector<std::string> headings;
    std::vector<std::vector<std::string>> rows;
};

constexpr int kTableDigits = 6;    // significant digits in the window
constexpr int kExportDigits = 10;  // in CSV files and on the clipboard

// A stepped parameter's unit, from its name ("PULSE_MV1" is in stimulus units, "PULSE_MS1"
// in ms); empty for counts.
std::string parameterUnit(const std::string& parameter);
// The unit of a column's values: the one the latest row measured it in, else the unit it
// has with its channel's unit now.
std::string columnUnit(const MeasuredColumn& column, const std::vector<ResultRow>& rows);
// "Vss (mV)"; the unit the latest row measured it in, else the channel's unit now.
std::string heading(const MeasuredColumn& column, const std::vector<ResultRow>& rows);

// The table's headings, and one row's cells; tableText is both for every row.
std::vector<std::string> tableHeadings(const std::vector<ResultRow>& rows,
                                       const std::vector<MeasuredColumn>& columns);
std::vector<std::string> rowCells(const ResultRow& row, const std::vector<MeasuredColumn>& columns,
                                  int significantDigits);
TableText tableText(const std::vector<ResultRow>& rows, const std::vector<MeasuredColumn>& columns,
                    int significantDigits);
// RFC 4180: fields with a comma, a double quote or a line break are quoted (quotes doubled),
// every line ends in CR LF; the first line holds the headings with their units.
std::string csvText(const TableText& table);
// One line per row, cells separated by tabs (spreadsheets paste them into cells).
std::string tabText(const TableText& table);

// One measurement against the stepped value (or the row number when any row has no step).
struct PlotPoints {
    std::vector<double> x, y;
    std::string xTitle, yTitle;
    std::string xUnit, yUnit;
};
PlotPoints plotPoints(const std::vector<ResultRow>& rows, const MeasuredColumn& column);

// An axis that shows every value inside its ends, in whole divisions of a round step (1, 2 or
// 5 times a power of ten), about five of them.
struct AxisRange {
    double min = 0.0, max = 1.0;
    int divisions = 5;
};
AxisRange roundAxis(double lowest, double highest);

struct LineFit {
    double slope = 0.0, intercept = 0.0;
    int points = 0;
};
// Least squares; none with fewer than two points or when every x is the same.
std::optional<LineFit> fitLine(const std::vector<double>& x, const std::vector<double>& y);

}  // namespace trelvanix::results
