// The sampling-rate, stretch-length and stretches-per-sweep menu groups. A new rate or
// stretch length changes the shape of a stretch, so acquisition stops; a new number of
// stretches per sweep only widens the display.

#include <iterator>

#include "analysis/display_filters.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/menu_groups.h"
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
    trelvanix::ShowSettingsChangedState(false);
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
    trelvanix::ShowSettingsChangedState(false);
}

void trelvanix::callbacks::Set_Stretches(int menuBar, int menuItem, void* callbackData, int panel) {
    const int i = indexOf(StretchID, menuItem);
    if (i < 0 || trelvanix::MenuItemChecked(menuItem)) return;
    trelvanix::CheckOnlyMenuItem(StretchID, menuItem);
    Stretches = StretchIDVal[i];
    showSweepLength();
}
