// Waveform files and the cell waveform: the callbacks of the cell sub-panel and of the cell
// filter panel.

#include "stimulus/waveform_files.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include "platform/analysis/analysis.h"
#include "platform/files/operator_files.h"
#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/stimulus.h"

char WF_filename[260] = "";
int CellFilterHandle = 0;

using namespace trelvanix;

namespace {

std::string fileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// What was wrong with a file FileToArray refused, without the path it starts with:
// "line 12: not a number: abc", "only 500 of 1006 numbers", "No such file or directory".
std::string readProblem(const std::string& path) {
    std::string why = lastFileError();
    if (why.compare(0, path.size(), path) != 0) return why;
    why.erase(0, path.size());
    if (why.size() > 1 && why[0] == ':' && std::isdigit(static_cast<unsigned char>(why[1])))
        return "line " + why.substr(1);
    if (why.compare(0, 2, ": ") == 0) why.erase(0, 2);
    return why;
}

constexpr int kPeriodValue = 1000;  // the header's period in ms follows the 1000 samples

// Why the period the file gives cannot be played, or empty text: below 1 ms it plays nothing,
// and beyond the period control's range it does not fit the stimulus's whole milliseconds.
std::string periodProblem(int cellPanel, double period, int line) {
    int longest = 0;
    GetCtrlAttribute(cellPanel, CELL_DUR, ATTR_MAX_VALUE, &longest);
    if (period >= 1.0 && period <= longest) return {};
    char value[32];
    const auto written = std::to_chars(value, value + sizeof value, period);
    return "line " + std::to_string(line) + ": the period " + std::string(value, written.ptr) +
           " ms is outside 1 to " + std::to_string(longest) + " ms";
}

// The header values of a waveform file on the cell sub-panel.
void showHeader(int cellPanel, const double* values) {
    SetCtrlVal(cellPanel, CELL_DUR, static_cast<int>(values[1000]));
    SetCtrlVal(cellPanel, CELL_MIN, values[1002]);
    SetCtrlVal(cellPanel, CELL_MAX, values[1001]);
    SetCtrlVal(cellPanel, CELL_DC, values[1003]);
    if (std::ceil(values[1004]) != 0.0) {
        SetCtrlAttribute(cellPanel, CELL_EXTRA, ATTR_DIMMED, 0);
        SetCtrlVal(cellPanel, CELL_AMP, values[1004]);
        SetCtrlVal(cellPanel, CELL_EXTRA, values[1005]);
    } else {
        SetCtrlVal(cellPanel, CELL_AMP, 10.0);
        SetCtrlVal(cellPanel, CELL_EXTRA, 0.0);
        SetCtrlAttribute(cellPanel, CELL_EXTRA, ATTR_DIMMED, 1);
    }
}

enum class LoadResult { Loaded, NoFileChosen, Unreadable };

// Asks for a waveform file and makes it the cell waveform. A file that cannot be read leaves
// the loaded waveform, the sub-panel and LoadFile as they were: a half-read file of zeros would
// play as a flat or truncated stimulus without the operator noticing.
LoadResult loadWaveformFile() {
    const int cellPanel = Handle[kCell];
    char chosen[sizeof WF_filename] = "";
    const int status =
        FileSelectPopup("", "*.wfm", "*.*", "Select Waveform", VAL_LOAD_BUTTON, 0, 0, 1, 1, chosen);
    if (status <= VAL_NO_FILE_SELECTED) return LoadResult::NoFileChosen;
    std::snprintf(WF_filename, sizeof WF_filename, "%s", chosen);

    auto values = std::make_unique<double[]>(kWaveformFileValues);
    int lines[kWaveformFileValues] = {};
    // A folder, a device, a pipe or a huge file is refused before it is opened.
    std::string problem = files::fileProblem(WF_filename, files::OperatorFile::Waveform);
    if (problem.empty() && FileToArray(WF_filename, values.get(), kWaveformFileValues, lines) < 0)
        problem = readProblem(WF_filename);
    if (problem.empty())
        problem = periodProblem(cellPanel, values[kPeriodValue], lines[kPeriodValue]);
    if (!problem.empty()) {
        std::printf("There is a problem with your waveform file!\n");
        std::fflush(stdout);
        const std::string message = "The waveform file " + fileNameOf(WF_filename) +
                                    " cannot be used (" + problem +
                                    "). The waveform loaded before is kept.";
        MessagePopup("Error!", message.c_str());
        return LoadResult::Unreadable;
    }

    LoadFile = 0;
    showHeader(cellPanel, values.get());
    // The header has been shown; the shape alone stays.
    for (int i = kWaveformShapeValues; i < kWaveformFileValues; ++i) values[i] = 0.0;
    delete[] Cell_array;
    Cell_array = values.release();
    SetCtrlVal(cellPanel, CELL_TEXTMSG, ("File: " + fileNameOf(WF_filename)).c_str());
    if (CellFilterHandle > 0) SetCtrlAttribute(CellFilterHandle, CELLFILTER_APPLY, ATTR_DIMMED, 0);
    InitializeGlobals();
    return LoadResult::Loaded;
}

// Reports a refused filter design; the shape is left as it was.
void reportRefusedFilter(const char* which, int status, double cutoff, int order) {
    char message[256];
    if (status == kAnalysisBadOrder)
        std::snprintf(message, sizeof message,
                      "The filter order %d is below 1. The waveform is unchanged.", order);
    else
        std::snprintf(message, sizeof message,
                      "The %s cut-off of %g Hz must lie above 0 and below %g Hz, half the "
                      "sampling rate of %d Hz. The waveform is unchanged.",
                      which, cutoff, NumScans / 2.0, NumScans);
    MessagePopup("Error!", message);
}

}  // namespace

int trelvanix::callbacks::Load_file(int panel, int control, int event, void* callbackData,
                                    int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) loadWaveformFile();
    return 0;
}

int trelvanix::callbacks::Load_2ndfile(int panel, int control, int event, void* callbackData,
                                       int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    if (Num_wf_points == 0 || !WF_buffer) {
        MessagePopup("Error!", "Press show button 1st.");
        return 1;
    }
    // The stimulus keeps its own layout: Ornstein-Uhlenbeck noise holds 10 values per ms, and
    // the composition then lays the new waveform out at that rate too.
    const int perMs = std::max(1, static_cast<int>(std::lround(Samples_per_sec_in_wfm / 1000.0)));
    const long long skipped = static_cast<long long>(Pre_time) * perMs;
    const long long kept = Num_wf_points - skipped - static_cast<long long>(Post_time) * perMs;
    if (kept < 1) {
        char message[256];
        std::snprintf(message, sizeof message,
                      "The stimulus built (%d ms) is not longer than its pre-time and post-time "
                      "(%d ms): there is nothing to put before a second file.",
                      Num_wf_points / perMs, Pre_time + Post_time);
        MessagePopup("Error!", message);
        return 1;
    }
    std::unique_ptr<double[]> saved(new (std::nothrow) double[kept]);
    if (!saved) {
        MessagePopup("Error!", "Not enough memory to keep the stimulus before a second file.");
        return 1;
    }
    std::copy(WF_buffer + skipped, WF_buffer + skipped + kept, saved.get());
    // Only a waveform really loaded follows the saved stimulus; otherwise nothing changes.
    if (loadWaveformFile() != LoadResult::Loaded) return 0;

    ChainStimulus(std::move(saved), static_cast<int>(kept), perMs);
    SetCtrlVal(Handle[kCell], CELL_TEXTMSG,
               ("File: " + fileNameOf(WF_filename) + ", after the previous stimulus").c_str());
    InitializeGlobals();
    return 0;
}

int trelvanix::callbacks::Show_Filter(int panel, int control, int event, void* callbackData,
                                      int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    if (CellFilterHandle == 0) {
        const int handle = LoadPanel(0, "trelvanix.uir", CELLFILTER);
        if (handle < 0) return -1;
        CellFilterHandle = handle;
    }
    DisplayPanel(CellFilterHandle);
    if (Cell_array) SetCtrlAttribute(CellFilterHandle, CELLFILTER_APPLY, ATTR_DIMMED, 0);
    return 0;
}

int trelvanix::callbacks::CloseCellFilter(int panel, int control, int event, void* callbackData,
                                          int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) HidePanel(CellFilterHandle);
    return 0;
}

// Closing the filter panel's window does what its Close button does.
int trelvanix::callbacks::CellFilterWindowClose(int panel, int event, void* callbackData,
                                                int eventData1, int eventData2) {
    if (event == EVENT_CLOSE) HidePanel(CellFilterHandle);
    return 0;
}

int trelvanix::callbacks::Filter(int panel, int control, int event, void* callbackData,
                                 int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    if (filter() == 0) InitializeGlobals();
    return 0;
}

int filter() {
    if (!Cell_array || CellFilterHandle <= 0) return -1;
    int order = 0, lowPassOn = 0, highPassOn = 0;
    double highCutoff = 0.0, lowCutoff = 0.0;
    GetCtrlVal(CellFilterHandle, CELLFILTER_ORDER, &order);
    GetCtrlVal(CellFilterHandle, CELLFILTER_HP_CUTOFF, &highCutoff);
    GetCtrlVal(CellFilterHandle, CELLFILTER_LP_CUTOFF, &lowCutoff);
    GetCtrlVal(CellFilterHandle, CELLFILTER_LP_ON, &lowPassOn);
    GetCtrlVal(CellFilterHandle, CELLFILTER_HP_ON, &highPassOn);
    const double rate = static_cast<double>(NumScans);
    // One filter per press, the low-pass one first; each press filters the filtered shape again.
    if (lowPassOn == 1) {
        const int status =
            Bw_LPF(Cell_array, kWaveformShapeValues, rate, lowCutoff, order, Cell_array);
        if (status < 0) reportRefusedFilter("low-pass", status, lowCutoff, order);
        return status < 0 ? -1 : 0;
    }
    if (highPassOn == 1) {
        const int status =
            Bw_HPF(Cell_array, kWaveformShapeValues, rate, highCutoff, order, Cell_array);
        if (status < 0) reportRefusedFilter("high-pass", status, highCutoff, order);
        return status < 0 ? -1 : 0;
    }
    return -1;
}

int trelvanix::callbacks::Shift_min(int panel, int control, int event, void* callbackData,
                                    int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    double minimum = 0.0;
    GetCtrlVal(Handle[kCell], CELL_MIN, &minimum);
    SetCtrlVal(Handle[kCell], CELL_BASELINE, WF_amp * std::fabs(minimum));
    InitializeGlobals();
    return 0;
}

int cell_phase(int start, int end, int kind) {
    if (!WF_buffer || start < 0 || end <= start || end > Num_wf_points) return 0;
    return CellPhaseShift(WF_buffer + start, end - start, kind);
}

namespace trelvanix {

void ResetWaveformFileState() {
    WF_filename[0] = '\0';
    CellFilterHandle = 0;
}

}  // namespace trelvanix
