// Units and scale factors of the physical channels, and the units-and-filters panel that
// edits them one channel at a time together with the display filters.

#include "analysis/units.h"

#include <cctype>
#include <cstring>
#include <string>

#include "analysis/display_filters.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/panel_states.h"
#include "state/shared_state.h"

namespace {

// The prefix ring's entry that stands for "no prefix".
const char* const kNoPrefix = "N";

int selectedChannel() {
    int ch = 0;
    GetCtrlVal(UnitsHandle, UNITS_CHANNEL, &ch);
    return ch;
}

std::string prefixShown() {
    std::string prefix;
    GetCtrlVal(UnitsHandle, UNITS_PREFIX, &prefix);
    return prefix == kNoPrefix ? std::string() : prefix;
}

std::string baseShown() {
    std::string base;
    GetCtrlVal(UnitsHandle, UNITS_BASE, &base);
    return base;
}

std::string scaleFactorLabel(const std::string& unit) {
    return "Scale factor ( V/" + unit + "):";
}

void showScaleFactorLabel(const std::string& unit) {
    SetCtrlVal(UnitsHandle, UNITS_SCALE_LABEL, scaleFactorLabel(unit));
}

// A prefix the ring offers, other than the "no prefix" entry.
bool isOfferedPrefix(char c) {
    const char text[2] = {c, '\0'};
    if (std::strcmp(text, kNoPrefix) == 0) return false;
    int count = 0;
    GetNumListItems(UnitsHandle, UNITS_PREFIX, &count);
    for (int i = 0; i < count; ++i) {
        std::string label;
        GetLabelFromIndex(UnitsHandle, UNITS_PREFIX, i, &label);
        if (label == text) return true;
    }
    return false;
}

// A unit is stored in two characters and written to parameter files as one word.
bool fitsUnit(const std::string& unit) {
    if (unit.empty() || unit.size() > 2) return false;
    for (unsigned char c : unit)
        if (!std::isgraph(c)) return false;
    return true;
}

// Stores the edits into the selected channel; false when the unit was refused, and then the
// filter edits are not stored either.
bool applySelectedChannel() {
    const int ch = selectedChannel();
    if (!applyUnits(ch)) return false;
    applyFilters(ch);
    return true;
}

}  // namespace

void update_units(int ch) {
    SetCtrlVal(UnitsHandle, UNITS_SCALE, Scale_factor[ch]);
    showScaleFactorLabel(Units[ch]);
    const std::string unit = Units[ch];
    // Two characters read as prefix and base only when the first is a prefix on offer, so
    // that units such as "Hz" come back unchanged.
    if (unit.size() == 2 && isOfferedPrefix(unit[0])) {
        SetCtrlVal(UnitsHandle, UNITS_PREFIX, unit.substr(0, 1));
        SetCtrlVal(UnitsHandle, UNITS_BASE, unit.substr(1));
    } else {
        SetCtrlVal(UnitsHandle, UNITS_PREFIX, kNoPrefix);
        SetCtrlVal(UnitsHandle, UNITS_BASE, unit);
    }
}

bool applyUnits(int ch) {
    const std::string unit = prefixShown() + baseShown();
    double scale = 0.0;
    GetCtrlVal(UnitsHandle, UNITS_SCALE, &scale);
    if (!fitsUnit(unit)) {
        MessagePopup("Error!",
                     "A unit is one or two characters without blanks: a prefix and a "
                     "one-character unit, or a unit of two characters. Nothing was stored.");
        return false;
    }
    if (scale == 0.0) {
        MessagePopup("Error!", "The scale factor cannot be 0. Nothing was stored.");
        return false;
    }
    std::strcpy(Units[ch], unit.c_str());
    Scale_factor[ch] = scale;
    showScaleFactorLabel(unit);
    displayUnits(ch);
    return true;
}

void displayUnits(int ch) {
    if (ch != Activechannel) return;
    const double gain = Gain_Factor[ch], offset = Offset[ch];
    int mode = 0;
    double min = -5.0, max = 5.0;
    GetAxisScalingMode(panelHandle, PANEL_GRAPH, VAL_LEFT_YAXIS, &mode, &min, &max);
    setYAxisScale(gain / Scale_factor[ch], offset / Scale_factor[ch]);
    SetCtrlVal(panelHandle, PANEL_GAIN, gain);
    SetCtrlVal(panelHandle, PANEL_OFFSET, 100.0 * offset / ((max - min) * gain / 2.0));
    SetCtrlVal(panelHandle, PANEL_UNIT, Units[ch]);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_YNAME, Units[ch]);
}

void trelvanix::callbacks::Show_units(int menuBar, int menuItem, void* callbackData, int panel) {
    if (UnitsHandle == 0) {
        const int loaded = LoadPanel(0, "trelvanix.uir", UNITS);
        if (loaded < 0) return;
        UnitsHandle = loaded;
    }
    // The controls show the channel the selector names, which Apply and Close store into.
    const int ch = selectedChannel();
    update_units(ch);
    update_filters(ch);
    EnableFilterControls();
    DisplayPanel(UnitsHandle);
}

int trelvanix::callbacks::Apply(int panel, int control, int event, void* callbackData,
                                int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) applySelectedChannel();
    return 0;
}

int trelvanix::callbacks::CloseUnits(int panel, int control, int event, void* callbackData,
                                     int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    // A refused unit keeps the panel open, so the edit is not lost silently.
    if (applySelectedChannel()) HidePanel(UnitsHandle);
    return 0;
}

// Closing the window does what the Close button does.
int trelvanix::callbacks::UnitsWindowClose(int panel, int event, void* callbackData, int eventData1,
                                           int eventData2) {
    if (event != EVENT_CLOSE) return 0;
    return CloseUnits(panel, UNITS_CLOSE, EVENT_COMMIT, nullptr, 0, 0);
}

int trelvanix::callbacks::Update_channel(int panel, int control, int event, void* callbackData,
                                         int eventData1, int eventData2) {
    if (event != EVENT_VAL_CHANGED) return 0;
    const int ch = selectedChannel();
    update_units(ch);
    update_filters(ch);
    EnableFilterControls();
    return 0;
}

int trelvanix::callbacks::Text_Units(int panel, int control, int event, void* callbackData,
                                     int eventData1, int eventData2) {
    if (event == EVENT_VAL_CHANGED) showScaleFactorLabel(prefixShown() + baseShown());
    return 0;
}

int trelvanix::callbacks::text_units(int panel, int control, int event, void* callbackData,
                                     int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) showScaleFactorLabel(prefixShown() + baseShown());
    return 0;
}
