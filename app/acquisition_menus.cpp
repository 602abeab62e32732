// The sampling-rate, stretch-length and stretches-per-sweep menu groups. A new rate or
// stretch length changes the shape of a stretch, so acquisition stops; a new number of
// stretches per sweep only widens the display.

#include <cstdio>
#include <iterator>
#include <string>

#include "analysis/display_filters.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/menu_groups.h"
#include "state/notices.h"
#include "state/panel_states.h"
#include "state/shared_state.h"

namespace {

// Position of `item` in a menu table, -1 when it is not there.
template <typename Ids>
int indexOf(const Ids& ids, int item) {
    for (int i = 0; i < static_cast<int>(std::size(ids)); ++i)
        if (ids[i] == item) return i;
    return -1;
}

// Stops acquisition for a new stretch shape, and tells the operator when it was running.
void stopForNewSettings(const std::string& change) {
    const bool acquiring = Acquiring == 1;
    const bool recording = trelvanix::RecordingRuns();
    trelvanix::ShowSettingsChangedState(false);
    if (acquiring) trelvanix::NotifyAcquisitionStopped(change, recording);
}

std::string withUnit(double value, const char* unit) {
    char text[32];
    std::snprintf(text, sizeof text, "%g %s", value, unit);
    return text;
}

void showSweepLength() {
    const double length = Stretches * Sec_per_stretch;
    SetAxisScalingMode(panelHandle, PANEL_GRAPH, VAL_XAXIS, VAL_MANUAL, 0.0, length);
    SetCtrlVal(panelHandle, PANEL_SWEEP, length);
}

}  // namespace

void trelvanix::callbacks::Set_SamplingRate(int menuBar, int menuItem, void* callbackData,
                                            int panel) {
    const int i = indexOf(SampRateID, menuItem);
    if (i < 0) return;
    if (!trelvanix::MenuItemChecked(menuItem)) {
        trelvanix::CheckOnlyMenuItem(SampRateID, menuItem);
        NumScans = static_cast<int>(1000.0 * SampRateIDVal[i]);
        Ds = 1.0 / NumScans;
        // Coefficients are designed for one rate: at another they filter other frequencies.
        RedesignFilters();
    }
    // Even the rate already in force stops acquisition, as the operator asked for a restart.
    stopForNewSettings("the sampling rate is now " + withUnit(SampRateIDVal[i], "kS/s"));
}

void trelvanix::callbacks::Set_Dt_Per_Stretch(int menuBar, int menuItem, void* callbackData,
                                              int panel) {
    const int i = indexOf(MSPerStretchID, menuItem);
    if (i < 0) return;
    if (!trelvanix::MenuItemChecked(menuItem)) {
        trelvanix::CheckOnlyMenuItem(MSPerStretchID, menuItem);
        Sec_per_stretch = MSPerStretchIDVal[i];
        showSweepLength();
    }
    stopForNewSettings("the stretch is now " + withUnit(1000.0 * MSPerStretchIDVal[i], "ms"));
}

void trelvanix::callbacks::Set_Stretches(int menuBar, int menuItem, void* callbackData, int panel) {
    const int i = indexOf(StretchID, menuItem);
    if (i < 0 || trelvanix::MenuItemChecked(menuItem)) return;
    trelvanix::CheckOnlyMenuItem(StretchID, menuItem);
    Stretches = StretchIDVal[i];
    showSweepLength();
}
