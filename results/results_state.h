#pragma once
// The results module's own state, shared by its window and the measuring of recordings.

#include <optional>
#include <string>
#include <vector>

#include "results/result_table.h"

namespace trelvanix::results {

// More rows than this are refused until the table is exported and cleared.
constexpr std::size_t kMaxRows = 100000;

// A recording finalised and not yet measured: its files and the protocol step it belongs to
// when it is a recorded stimulus.
struct FinishedRecording {
    std::vector<RecordedFile> files;
    std::string names;
    std::optional<StepOfRow> step;
};

struct ResultsState {
    int panel = -1;  // the window; -1 until first shown
    std::vector<MeasuredColumn> columns;
    int nextId = 1;
    std::vector<ResultRow> rows;
    int nextRow = 1;
    int plotted = 0;  // the id of the plotted measurement; 0 for none
    bool fit = false;
    std::string status;
    std::vector<FinishedRecording> waiting;
};

ResultsState& state();

// The column of a measurement id, or null.
MeasuredColumn* columnWithId(int id);

// The window, when loaded, shows what the state holds: the measurement list and the choice of
// plotted measurement, the table (rebuilt whole, or with one new row added), the plot and fit.
void ShowMeasurementList();
void ShowWholeTable();
void ShowNewRow();
void ShowPlot();
void ShowStatus(const std::string& status);

}  // namespace trelvanix::results
