// Display filters: the filter controls of the units-and-filters panel and the design of each
// channel's windowed FIR coefficients.

#include "analysis/display_filters.h"

#include <cstdio>
#include <memory>
#include <new>

#include "platform/analysis/analysis.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace {

enum FilterKind { kNone = 0, kLowPass = 1, kHighPass = 2, kBandPass = 3, kBandStop = 4 };

void dim(int control, bool dimmed) {
    SetCtrlAttribute(UnitsHandle, control, ATTR_DIMMED, dimmed ? 1 : 0);
}

// The loop filters a channel only while Filter_type is not 0, so a channel whose design was
// refused shows its signal unfiltered until a design succeeds.
void switchFilterOff(int ch, const char* message) {
    Filter_type[ch] = kNone;
    delete[] Coef[ch];
    Coef[ch] = nullptr;
    MessagePopup("Error!", message);
}

// What the operator is told when the analysis routine refuses the stored settings.
void reportRefusedDesign(int ch, int status) {
    char message[256];
    switch (status) {
        case kAnalysisBadCutoff:
            std::snprintf(message, sizeof message,
                          "Cutoff frequencies must lie between 0 and half the sampling rate "
                          "(%g Hz). The filter of channel %d is off.",
                          NumScans / 2.0, ch);
            break;
        case kAnalysisEvenTapCount:
            std::snprintf(message, sizeof message,
                          "High-pass and band-stop filters need an odd window size. The filter "
                          "of channel %d is off.",
                          ch);
            break;
        case kAnalysisBadWindowType:
            std::snprintf(message, sizeof message,
                          "Window type %d is not one of 1 to 5. The filter of channel %d is off.",
                          Window_type[ch], ch);
            break;
        case kAnalysisBadSize:
        case kAnalysisOutOfMemory:
            std::snprintf(message, sizeof message,
                          "A filter of window size %d cannot be made. The filter of channel %d "
                          "is off.",
                          Window_size[ch], ch);
            break;
        default:
            std::snprintf(message, sizeof message,
                          "The filter of channel %d cannot be designed (error %d). It is off.", ch,
                          status);
    }
    switchFilterOff(ch, message);
}

int design(int kind, int ch, double* coefficients) {
    const double rate = NumScans;
    switch (kind) {
        case kLowPass:
            return Wind_LPF(rate, Fhp[ch], Window_size[ch], coefficients, Window_type[ch]);
        case kHighPass:
            return Wind_HPF(rate, Flp[ch], Window_size[ch], coefficients, Window_type[ch]);
        case kBandPass:
            return Wind_BPF(rate, Flp[ch], Fhp[ch], Window_size[ch], coefficients, Window_type[ch]);
        default:
            return Wind_BSF(rate, Flp[ch], Fhp[ch], Window_size[ch], coefficients, Window_type[ch]);
    }
}

}  // namespace

void update_filters(int ch) {
    SetCtrlVal(UnitsHandle, UNITS_FILTER, Filter_type[ch]);
    SetCtrlVal(UnitsHandle, UNITS_WINDOW, Window_type[ch]);
    SetCtrlVal(UnitsHandle, UNITS_WINDOW_SIZE, Window_size[ch]);
    SetCtrlVal(UnitsHandle, UNITS_LOW_CUTOFF, Flp[ch]);
    SetCtrlVal(UnitsHandle, UNITS_HIGH_CUTOFF, Fhp[ch]);
}

void applyFilters(int ch) {
    int kind = kNone;
    GetCtrlVal(UnitsHandle, UNITS_FILTER, &kind);
    GetCtrlVal(UnitsHandle, UNITS_WINDOW, &Window_type[ch]);
    GetCtrlVal(UnitsHandle, UNITS_WINDOW_SIZE, &Window_size[ch]);
    GetCtrlVal(UnitsHandle, UNITS_LOW_CUTOFF, &Flp[ch]);
    GetCtrlVal(UnitsHandle, UNITS_HIGH_CUTOFF, &Fhp[ch]);
    Filter_type[ch] = kind;
    FilterData(kind, Fhp[ch], Flp[ch], ch);
}

void EnableFilterControls() {
    int kind = kNone;
    GetCtrlVal(UnitsHandle, UNITS_FILTER, &kind);
    switch (kind) {
        case kNone:
        case kLowPass:
        case kHighPass:
        case kBandPass:
        case kBandStop:
            dim(UNITS_LOW_CUTOFF, kind == kNone || kind == kLowPass);
            dim(UNITS_HIGH_CUTOFF, kind == kNone || kind == kHighPass);
            break;
        default:
            break;
    }
    dim(UNITS_WINDOW, kind == kNone);
    dim(UNITS_WINDOW_SIZE, kind == kNone);
}

int trelvanix::callbacks::filter_type(int panel, int control, int event, void* callbackData,
                                      int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) EnableFilterControls();
    return 0;
}

void FilterData(int kind, double upper, double lower, int ch) {
    if (kind == kNone) return;
    if (upper == 0.0 || lower == 0.0)
        return switchFilterOff(ch, "Cutoff frequencies can't be zero. Exiting...");
    if ((kind == kBandPass || kind == kBandStop) && upper <= lower)
        return switchFilterOff(
            ch, "Lower cutoff cannot be greater than or equal to higher cutoff. Exiting...");
    if (kind < kNone || kind > kBandStop) {
        char message[128];
        std::snprintf(message, sizeof message,
                      "Filter type %d is not one of 0 to 4. The filter of channel %d is off.", kind,
                      ch);
        return switchFilterOff(ch, message);
    }
    if (Window_size[ch] < 1) return reportRefusedDesign(ch, kAnalysisBadSize);
    // Designed into a new block, so the loop never sees a half-made or refused design.
    std::unique_ptr<double[]> coefficients(new (std::nothrow) double[Window_size[ch]]);
    if (!coefficients) return reportRefusedDesign(ch, kAnalysisOutOfMemory);
    const int status = design(kind, ch, coefficients.get());
    if (status < 0) return reportRefusedDesign(ch, status);
    delete[] Coef[ch];
    Coef[ch] = coefficients.release();
}

void RedesignFilters() {
    for (int ch = 0; ch < 8; ++ch)
        if (Filter_type[ch] != kNone) FilterData(Filter_type[ch], Fhp[ch], Flp[ch], ch);
}
