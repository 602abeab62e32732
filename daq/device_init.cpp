#include "daq/device_init.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/clock/clock.h"
#include "platform/driver/daqmx.h"
#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace trelvanix {

std::string DefaultDataFolder() {
    // A lab whose data live elsewhere (and the scenario tests) name the folder here.
    if (const char* chosen = std::getenv("TRELVANIX_DATA_FOLDER"); chosen && *chosen)
        return std::string(chosen);
#ifdef _WIN32
    return std::string("\\data");
#else
    return std::string("/data");
#endif
}

std::string& DataFolder() {
    static std::string folder = DefaultDataFolder();
    return folder;
}

}  // namespace trelvanix

namespace {

// The start-up question names the folder looked for. On Windows it keeps the program's own
// wording, which names the usual drive.
std::string missingFolderQuestion() {
#ifdef _WIN32
    return "C:\\data not found. Do you want to set a different directory?";
#else
    return trelvanix::DataFolder() + " not found. Do you want to set a different directory?";
#endif
}

void chooseDataFolder() {
    if (SetDir(trelvanix::DataFolder().c_str()) == 0) return;
    const std::string question = missingFolderQuestion();
    // A window nobody sees (a virtual display) would wait for ever without a word: the
    // terminal says what the program is waiting for.
    std::fprintf(stderr, "trelvanix: %s (waiting for an answer)\n", question.c_str());
    std::fflush(stderr);
    if (ConfirmPopup("Warning!", question.c_str()) != 1) return;
    std::string folder;
    if (DirSelectPopup("", "Set directory", 0, 1, &folder) > 0) SetDir(folder.c_str());
}

// Board-gain list entry for a bipolar range: ranges whose doubled gain truncates to an odd
// number are still offered, but marked.
std::string rangeLabel(double low, double high, float gain) {
    char label[96];
    if (static_cast<int>(gain / 0.5) % 2 != 0)
        std::snprintf(label, sizeof label, "Do Not Use, Gain = %.2f", gain);
    else
        std::snprintf(label, sizeof label, "%.2f V to %.2f V, Gain=%.2f", low, high, gain);
    return label;
}

// Fills the board-gain list with the bipolar pairs; returns the index to select by default:
// the -5 V range, or the first bipolar range when the device has none.
int fillBoardGainList() {
    AIVRngBipolarOffset = 0;
    int count = 0;
    int defaultIndex = -1;
    for (int p = 0; 2 * p < 128; ++p) {
        const double low = AIVoltageRanges[2 * p];
        const double high = AIVoltageRanges[2 * p + 1];
        if (low == high) break;
        if (low >= 0.0) {
            ++AIVRngBipolarOffset;
            continue;
        }
        const float gain = static_cast<float>(5.0 / high);
        InsertListItem(panelHandle, PANEL_BOARD_GAIN, -1, rangeLabel(low, high, gain).c_str(),
                       static_cast<double>(gain));
        if (low == -5.0) defaultIndex = count;
        ++count;
    }
    if (count == 0) return 0;
    if (defaultIndex < 0) defaultIndex = 0;
    SetCtrlIndex(panelHandle, PANEL_BOARD_GAIN, defaultIndex);
    return defaultIndex;
}

}  // namespace

void SetDateAndTime() {
    int month = 0, day = 0, year = 0, hours = 0, minutes = 0, seconds = 0;
    GetSystemDate(&month, &day, &year);
    GetSystemTime(&hours, &minutes, &seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    SetCtrlVal(panelHandle, PANEL_DATE, text);
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", hours, minutes, seconds);
    SetCtrlVal(panelHandle, PANEL_TIME, text);
}

void trelvanix::ShowDateAndTimeOf(const char* moment) {
    SetDateAndTime();
    SetCtrlAttribute(panelHandle, PANEL_TIME, ATTR_LABEL_TEXT, moment);
}

void init_vi() {
    ResetTextBox(panelHandle, PANEL_COMMENT, "");
    for (int id : ChanID) ResetTextBox(panelHandle, id, "");
    chooseDataFolder();
    trelvanix::ShowDateAndTimeOf(trelvanix::kOpenedAt);
    SetPanelAttribute(panelHandle, ATTR_SCALE_CONTENTS_ON_RESIZE, 1);
    GetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_PLOT_AREA_HEIGHT, &GraphHeight);
    FourierHandle = -1;

    ClearListCtrl(panelHandle, PANEL_BOARD_GAIN);
    SetCtrlAttribute(panelHandle, PANEL_BOARD_GAIN, ATTR_DATA_TYPE, VAL_FLOAT);
    SetCtrlAttribute(panelHandle, PANEL_BOARD_GAIN, ATTR_VISIBLE, 1);
    SetCtrlAttribute(panelHandle, PANEL_BOARD_GAIN_DISPLAY, ATTR_VISIBLE, 0);

    if (DAQmxGetDevAIVoltageRngs(trelvanix::kBoardDevice, AIVoltageRanges, 128) < 0) {
        char error[2048];
        DAQmxGetExtendedErrorInfo(error, sizeof error);
        ErrorPrintf("%s", error);
        return;
    }
    const int defaultIndex = fillBoardGainList();
    for (int ch = 0; ch < 8; ++ch) AILimitsIndex[ch] = defaultIndex;
    // The gains must belong to the ranges selected, or every sample would be shown scaled
    // wrongly when the default range is not the 5 V one (gain 1).
    double gain = 1.0;
    if (GetValueFromIndex(panelHandle, PANEL_BOARD_GAIN, defaultIndex, &gain) == 0)
        for (float& g : GainList) g = static_cast<float>(gain);
}
