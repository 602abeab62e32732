// The results window's controls: defining measurements (Add, Change, Remove, regions from the
// held sweep's cursors), choosing what is plotted and fitted, and exporting, copying and
// clearing the table.

#include <algorithm>
#include <string>

#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "results/results.h"
#include "results/results_state.h"
#include "state/shared_state.h"

using namespace trelvanix::results;

namespace {

int panel() {
    return state().panel;
}

double number(int control) {
    double value = 0.0;
    GetCtrlVal(panel(), control, &value);
    return value;
}

int whole(int control) {
    int value = 0;
    GetCtrlVal(panel(), control, &value);
    return value;
}

void showDimming() {
    const bool spikes = whole(RESULTS_KIND) == int(MeasureKind::SpikeCount);
    const bool baseline = whole(RESULTS_BASELINE) == 1;
    SetCtrlAttribute(panel(), RESULTS_THRESHOLD, ATTR_DIMMED, spikes ? 0 : 1);
    for (int control : {RESULTS_BASE_START, RESULTS_BASE_END, RESULTS_BASE_CURSORS})
        SetCtrlAttribute(panel(), control, ATTR_DIMMED, baseline ? 0 : 1);
}

Measurement definitionShown() {
    Measurement m;
    GetCtrlVal(panel(), RESULTS_NAME, &m.name);
    m.channel = whole(RESULTS_CHANNEL);
    m.kind = static_cast<MeasureKind>(std::clamp(whole(RESULTS_KIND), 0, kMeasureKinds - 1));
    m.region = {number(RESULTS_START), number(RESULTS_END)};
    if (whole(RESULTS_BASELINE) == 1)
        m.baseline = Region{number(RESULTS_BASE_START), number(RESULTS_BASE_END)};
    m.threshold = number(RESULTS_THRESHOLD);
    return m;
}

void showDefinition(const Measurement& m) {
    SetCtrlVal(panel(), RESULTS_NAME, m.name);
    SetCtrlVal(panel(), RESULTS_CHANNEL, m.channel);
    SetCtrlVal(panel(), RESULTS_KIND, int(m.kind));
    SetCtrlVal(panel(), RESULTS_START, m.region.start);
    SetCtrlVal(panel(), RESULTS_END, m.region.end);
    SetCtrlVal(panel(), RESULTS_BASELINE, m.baseline ? 1 : 0);
    if (m.baseline) {
        SetCtrlVal(panel(), RESULTS_BASE_START, m.baseline->start);
        SetCtrlVal(panel(), RESULTS_BASE_END, m.baseline->end);
    }
    SetCtrlVal(panel(), RESULTS_THRESHOLD, m.threshold);
    showDimming();
}

// The position among the columns of the measurement a list or ring names; -1 when none.
int chosenPosition(int control) {
    std::string name;
    if (GetCtrlVal(panel(), control, &name) < 0) return -1;
    const auto& columns = state().columns;
    for (std::size_t k = 0; k < columns.size(); ++k)
        if (columns[k].measurement.name == name) return int(k);
    return -1;
}

// Puts the measurements in force, or tells the operator why not; true when they are.
bool putInForce(const std::vector<Measurement>& measurements) {
    const std::string problem = ReplaceMeasurements(measurements);
    if (problem.empty()) return true;
    MessagePopup("Error!", problem.c_str());
    return false;
}

// The definition on the panel, refused with its reason when it cannot be measured: a channel
// that is not acquired is not recorded either.
bool definitionAccepted(const Measurement& m) {
    if (const std::string problem = definitionProblem(m); !problem.empty()) {
        MessagePopup("Error!", problem.c_str());
        return false;
    }
    int ticked = 0;
    GetCtrlVal(panelHandle, CheckID[m.channel], &ticked);
    if (ticked != 1) {
        const std::string text = "The measurement " + m.name + ": ai" + std::to_string(m.channel) +
                                 " is not acquired, so it is not recorded. Tick it on the main "
                                 "panel, or choose an acquired channel.";
        MessagePopup("Error!", text.c_str());
        return false;
    }
    return true;
}

// "M1", "M2", ...: the first such name not in use, offered for the next measurement.
void offerNextName() {
    for (int n = 1;; ++n) {
        const std::string name = "M" + std::to_string(n);
        const auto& columns = state().columns;
        if (std::none_of(columns.begin(), columns.end(),
                         [&](const MeasuredColumn& c) { return c.measurement.name == name; })) {
            SetCtrlVal(panel(), RESULTS_NAME, name);
            return;
        }
    }
}

// Sets a region's two fields from the held sweep's cursors (their times, in ms).
void regionFromCursors(int startControl, int endControl) {
    int inspected = 0;
    GetGraphInspection(panelHandle, PANEL_GRAPH, &inspected);
    double t1 = 0.0, t2 = 0.0;
    if (inspected != 1 || GetGraphCursor(panelHandle, PANEL_GRAPH, 1, &t1) < 0 ||
        GetGraphCursor(panelHandle, PANEL_GRAPH, 2, &t2) < 0) {
        MessagePopup("Error!",
                     "Hold the sweep (or stop acquisition) and place its two cursors first: the "
                     "region runs from one cursor to the other, in ms from the sweep's start.");
        return;
    }
    SetCtrlVal(panel(), startControl, 1000.0 * std::min(t1, t2));
    SetCtrlVal(panel(), endControl, 1000.0 * std::max(t1, t2));
}

bool writeText(const std::string& path, const std::string& text, std::string* why) {
    const int file = OpenFile(path.c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY);
    if (file < 0) {
        *why = lastFileError();
        return false;
    }
    const int written = WriteFile(file, text.data(), int(text.size()));
    if (written < 0) *why = lastFileError();
    const int closed = CloseFile(file);
    if (written >= 0 && closed < 0) *why = lastFileError();
    return written >= 0 && closed >= 0;
}

}  // namespace

namespace trelvanix::callbacks {

void ShowResults(int menuBar, int menuItem, void* callbackData, int panelOfMenu) {
    if (panel() <= 0) {
        const int loaded = LoadPanel(0, "trelvanix.uir", RESULTS);
        if (loaded < 0) return;
        state().panel = loaded;
        offerNextName();
        ShowMeasurementList();
        ShowWholeTable();
        ShowPlot();
        SetCtrlVal(loaded, RESULTS_FIT, state().fit ? 1 : 0);
        if (!state().status.empty()) ShowStatus(state().status);
    }
    DisplayPanel(panel());
}

int CloseResults(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) HidePanel(panel());
    return 0;
}

int ResultsWindowClose(int, int event, void*, int, int) {
    if (event == EVENT_CLOSE) HidePanel(panel());
    return 0;
}

int ChooseMeasurement(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int k = chosenPosition(RESULTS_MEASURES);
    if (k >= 0) showDefinition(state().columns[k].measurement);
    return 0;
}

int ResultsKind(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) showDimming();
    return 0;
}

int ResultsBaseline(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) showDimming();
    return 0;
}

int RegionFromCursors(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) regionFromCursors(RESULTS_START, RESULTS_END);
    return 0;
}

int BaselineFromCursors(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) regionFromCursors(RESULTS_BASE_START, RESULTS_BASE_END);
    return 0;
}

int AddMeasurement(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const Measurement m = definitionShown();
    if (!definitionAccepted(m)) return 0;
    std::vector<Measurement> measurements = DefinedMeasurements();
    measurements.push_back(m);
    if (!putInForce(measurements)) return 0;
    SetCtrlIndex(panel(), RESULTS_MEASURES, int(measurements.size()) - 1);
    offerNextName();
    ShowStatus("Measuring " + m.name + " in every recorded file from now on.");
    return 0;
}

int ChangeMeasurement(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int k = chosenPosition(RESULTS_MEASURES);
    if (k < 0) {
        MessagePopup("Error!", "Choose the measurement to change in the list first.");
        return 0;
    }
    const Measurement m = definitionShown();
    if (!definitionAccepted(m)) return 0;
    std::vector<Measurement> measurements = DefinedMeasurements();
    measurements[k] = m;
    if (putInForce(measurements)) SetCtrlIndex(panel(), RESULTS_MEASURES, k);
    return 0;
}

int RemoveMeasurement(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int k = chosenPosition(RESULTS_MEASURES);
    if (k < 0) {
        MessagePopup("Error!", "Choose the measurement to remove in the list first.");
        return 0;
    }
    std::vector<Measurement> measurements = DefinedMeasurements();
    measurements.erase(measurements.begin() + k);
    putInForce(measurements);
    return 0;
}

int ResultsPlot(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int k = chosenPosition(RESULTS_PLOT);
    if (k >= 0) state().plotted = state().columns[k].id;
    ShowPlot();
    return 0;
}

int ResultsFit(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    state().fit = whole(RESULTS_FIT) == 1;
    ShowPlot();
    return 0;
}

int ExportResults(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    std::string path;
    if (FileSelectPopup("", "*.csv", "*.*", "Export the results", VAL_SAVE_BUTTON, 0, 0, 1, 1,
                        &path) <= 0)
        return 0;
    const ResultsState& s = state();
    std::string why;
    if (!writeText(path, csvText(tableText(s.rows, s.columns, kExportDigits)), &why)) {
        MessagePopup("Error!", ("Cannot write " + path + ": " + why + ".").c_str());
        return 0;
    }
    ShowStatus("Exported " + std::to_string(s.rows.size()) + " row(s) to " + path + ".");
    return 0;
}

int CopyResults(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const ResultsState& s = state();
    ClipboardPutText(tabText(tableText(s.rows, s.columns, kExportDigits)).c_str());
    ShowStatus("Copied " + std::to_string(s.rows.size()) + " row(s) to the clipboard.");
    return 0;
}

int ClearResults(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    state().rows.clear();
    state().nextRow = 1;
    ShowWholeTable();
    ShowPlot();
    ShowStatus("Cleared: the next recorded file gives row 1.");
    return 0;
}

}  // namespace trelvanix::callbacks
