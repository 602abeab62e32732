#include "stimulus/output_range.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "daq/analog_output.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/stimulus.h"

namespace trelvanix {

namespace {

constexpr int kBeyondColour = 0xC00000;

// The range's limits drawn on the preview for the stimulus now shown; 0 when none.
int limitPlots[2] = {0, 0};

void eraseLimits() {
    for (int& plot : limitPlots) {
        if (plot > 0) DeleteGraphPlot(InjectHandle, INJECT_GRAPH, plot, VAL_IMMEDIATE_DRAW);
        plot = 0;
    }
}

void showLine(const std::string& text, int colour) {
    SetCtrlVal(InjectHandle, INJECT_OUTPUT_RANGE, text.c_str());
    SetCtrlAttribute(InjectHandle, INJECT_OUTPUT_RANGE, ATTR_TEXT_COLOR, colour);
}

double unitsPerVolt() {
    double conversion = 1.0;
    GetCtrlVal(InjectHandle, INJECT_CONVERSION, &conversion);
    return conversion;
}

}  // namespace

double StimulusPeakVolts() {
    double peak = 0.0;
    for (int i = 0; WF_buffer && i < Num_wf_points; ++i)
        peak = std::fmax(peak, std::fabs(WF_buffer[i]));
    return peak / unitsPerVolt();
}

void ShowOutputRange() {
    eraseLimits();
    const double peak = StimulusPeakVolts();
    char text[256];
    if (peak <= kOutputLimit) {
        std::snprintf(text, sizeof text, "Peak %.3f V at the output (range \u00b110 V).", peak);
        return showLine(text, VAL_BLACK);
    }
    std::snprintf(text, sizeof text,
                  "Peak %.3f V: beyond the output's \u00b110 V (red lines); Start refuses it.",
                  peak);
    showLine(text, kBeyondColour);
    const double limit = kOutputLimit * unitsPerVolt();
    const double x[2] = {0.0, std::fmax(TotalTime, 1.0)};
    for (int side = 0; side < 2; ++side) {
        const double y[2] = {side ? -limit : limit, side ? -limit : limit};
        limitPlots[side] = PlotXY(InjectHandle, INJECT_GRAPH, x, y, 2, kBeyondColour);
    }
}

void ShowNoCellWaveform() {
    eraseLimits();
    showLine("No waveform loaded: only 0 V would play (cell panel: Load file...).", kBeyondColour);
}

void ClearOutputRange() {
    eraseLimits();
    showLine("", VAL_BLACK);
}

}  // namespace trelvanix

int trelvanix::callbacks::showOutputRange(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_COMMIT && Waveform != -1 && WF_buffer) ShowOutputRange();
    return 0;
}
