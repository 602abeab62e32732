// The measurements and rows, and the measuring of each finalised recording.

#include "results/results_state.h"

#include <cstring>
#include <filesystem>
#include <set>

#include "platform/ui/toolkit.h"
#include "protocol/protocol.h"
#include "results/measured_recording.h"
#include "results/results.h"
#include "state/shared_state.h"

namespace trelvanix::results {

ResultsState& state() {
    static ResultsState s;
    return s;
}

MeasuredColumn* columnWithId(int id) {
    for (MeasuredColumn& c : state().columns)
        if (c.id == id) return &c;
    return nullptr;
}

namespace {

std::string unitOfChannel(int ch) {
    return ch >= 0 && ch < 8 ? std::string(Units[ch], strnlen(Units[ch], sizeof Units[ch])) : "";
}

std::string fileNames(const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& path : paths)
        names += (names.empty() ? "" : "; ") + std::filesystem::path(path).filename().string();
    return names;
}

// Measures one finalised recording and adds its row.
void measure(const FinishedRecording& recording) {
    ResultsState& s = state();
    if (s.columns.empty()) return;
    if (s.rows.size() >= kMaxRows) {
        ShowStatus("The table is full (" + std::to_string(kMaxRows) + " rows): export it and " +
                   "press Clear to measure further recordings.");
        return;
    }
    std::vector<Measurement> measurements;
    for (const MeasuredColumn& c : s.columns) measurements.push_back(c.measurement);
    const MeasuredRecording measured = measureRecording(recording.files, measurements);

    ResultRow row;
    row.number = s.nextRow++;
    row.files = recording.names;
    // A recorded stimulus that a protocol step started belongs to that step.
    if (measured.stimulusRecorded) row.step = recording.step;
    std::string problems;
    for (std::size_t k = 0; k < s.columns.size(); ++k) {
        const MeasuredValue& value = measured.values[k];
        row.values[s.columns[k].id] = value;
        if (value.problem.empty()) continue;
        ErrorPrintf("Results, row %d: %s", row.number, value.problem.c_str());
        problems += (problems.empty() ? "" : " ") + value.problem;
    }
    s.rows.push_back(std::move(row));
    ShowNewRow();
    ShowPlot();
    const std::string number = std::to_string(s.rows.back().number);
    ShowStatus(problems.empty() ? "Row " + number + ": " + s.rows.back().files + " measured."
                                : "Row " + number + " not measured in full: " + problems);
}

void measureWaitingRecordings(void*) {
    const std::vector<FinishedRecording> waiting = std::move(state().waiting);
    state().waiting.clear();
    for (const FinishedRecording& recording : waiting) measure(recording);
}

}  // namespace

void MeasureFinishedRecording(const events::Event& event) {
    ResultsState& s = state();
    if (event.kind != events::Kind::RecordingFinished || s.columns.empty()) return;
    FinishedRecording recording;
    for (std::size_t k = 0; k < event.paths.size(); ++k)
        recording.files.push_back(
            {event.paths[k], k < event.inputs.size() ? event.inputs[k] : std::vector<int>{}});
    recording.names = fileNames(event.paths);
    // The step is the one whose stimulus was recorded now; the next may start before the
    // measuring.
    if (const auto step = protocol::StepOfLastStimulus())
        recording.step = StepOfRow{step->number, step->parameter, step->value};
    // Measured once the loop is between stretches, not inside the one that closed the files.
    if (s.waiting.empty()) PostDeferredCall(measureWaitingRecordings, nullptr);
    s.waiting.push_back(std::move(recording));
}

std::vector<Measurement> DefinedMeasurements() {
    std::vector<Measurement> measurements;
    for (const MeasuredColumn& c : state().columns) measurements.push_back(c.measurement);
    return measurements;
}

std::string ReplaceMeasurements(const std::vector<Measurement>& measurements) {
    if (measurements.size() > std::size_t(kMaxMeasurements))
        return "At most " + std::to_string(kMaxMeasurements) + " measurements can be defined.";
    std::set<std::string> names;
    for (const Measurement& m : measurements) {
        if (std::string problem = definitionProblem(m); !problem.empty()) return problem;
        if (!names.insert(m.name).second)
            return "Two measurements are named " + m.name + ": each column needs its own name.";
    }
    ResultsState& s = state();
    std::vector<MeasuredColumn> columns;
    for (const Measurement& m : measurements) {
        // A measurement left as it was keeps its column of values in the rows.
        int id = 0;
        for (const MeasuredColumn& old : s.columns)
            if (old.measurement == m) id = old.id;
        columns.push_back({id ? id : s.nextId++, m, unitOfChannel(m.channel)});
    }
    s.columns = std::move(columns);
    if (!columnWithId(s.plotted)) s.plotted = s.columns.empty() ? 0 : s.columns.front().id;
    ShowMeasurementList();
    ShowWholeTable();
    ShowPlot();
    return "";
}

void ResetResultsState() {
    state() = ResultsState{};
}

}  // namespace trelvanix::results
