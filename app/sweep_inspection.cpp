// Looking closely at a held sweep (or the last one, once acquisition has stopped): the
// toolkit lets the operator zoom, pan and move two cursors on the sweep graph, and this
// readout under the graph gives the time of each cursor, their difference and the rate it
// implies, and each acquired channel's value at each cursor in the channel's own unit.
// None of it changes the display settings: the held plots keep the display values they
// were drawn with, and the readout turns them back into volts and units with the gain and
// offset they were drawn with.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/display_controls.h"
#include "daq/stretch_conversion.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace {

const char kLiveHint[] =
    "Hold the sweep (or stop) to look closely: wheel zooms time, Ctrl+wheel zooms the "
    "vertical axis, drag pans or moves cursor 1 and 2, double-click or Refresh shows the "
    "whole sweep.";

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// A duration in the unit that keeps its digits readable.
std::string duration(double seconds) {
    const double size = std::abs(seconds);
    if (size >= 1.0 || size == 0.0) return format("%.6f s", seconds);
    if (size >= 1e-3) return format("%.4f ms", seconds * 1e3);
    return format("%.2f \xC2\xB5s", seconds * 1e6);
}

std::string rate(double seconds) {
    if (seconds == 0.0) return "-";
    const double hertz = 1.0 / std::abs(seconds);
    return hertz >= 1000.0 ? format("%.5g kHz", hertz / 1000.0) : format("%.5g Hz", hertz);
}

// What the plots on the graph were drawn with: the physical channels in the order the loop
// draws them, and each one's display gain and offset. Both can change while the sweep stays
// on the graph (ticking a box after Stop rescans the channels; a click in the graph sets an
// offset), so they are taken only while acquisition runs and the graph has new plots: the
// program tells the graph at every start of acquisition and every hold, and a held sweep
// that is still being completed tells it with every stretch.
struct DrawnWith {
    std::vector<int> channels;
    double gain[8] = {}, offset[8] = {};
    int plots = -1;  // the number of plots on the graph when taken
} sweep;

void rememberWhatTheSweepWasDrawnWith() {
    int plots = 0;
    GetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_NUM_PLOTS, &plots);
    if (Acquiring != 1 || plots == sweep.plots) return;
    sweep.plots = plots;
    sweep.channels.assign(ChannelList, ChannelList + std::clamp(NumChannels, 0, 8));
    for (int ch : sweep.channels) {
        sweep.gain[ch] = Gain_Factor[ch];
        sweep.offset[ch] = Offset[ch];
    }
}

// Channel values (in their units) under the cursor at x, by position in sweep.channels;
// empty when the graph does not hold one plot of every channel there.
std::vector<double> channelValuesAt(double x) {
    std::vector<double> shown;
    GetGraphValuesAt(panelHandle, PANEL_GRAPH, x, &shown);
    const std::size_t channels = sweep.channels.size();
    if (channels == 0 || shown.size() < channels) return {};
    // One plot per channel and stretch; a sweep restarted by Refresh lies on top of the old
    // one, so the newest set is the one seen.
    std::vector<double> values(channels);
    const std::size_t first = shown.size() - channels;
    for (std::size_t p = 0; p < channels; ++p) {
        const int ch = sweep.channels[p];
        const double volts = shown[first + p] * sweep.gain[ch] - sweep.offset[ch];
        values[p] = volts / Scale_factor[ch];
    }
    return values;
}

// A channel's value with as many decimals as one count of its input range resolves, so
// every value of a channel lines up and none claims more precision than was measured.
std::string valueText(double value, int ch) {
    const double resolution = trelvanix::VoltsPerCount(GainList[ch]) / std::abs(Scale_factor[ch]);
    const int decimals = std::isfinite(resolution) && resolution > 0
                             ? std::clamp(int(std::ceil(-std::log10(resolution))), 0, 9)
                             : 6;
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return std::string(text) + " " + Units[ch];
}

// Text right-aligned in a column of `width` characters (UTF-8 letters count once).
std::string column(const std::string& text, std::size_t width) {
    std::size_t letters = 0;
    for (unsigned char c : text) letters += (c & 0xC0) != 0x80;
    return std::string(width > letters ? width - letters : 0, ' ') + text;
}

// The channel's label (the first line of its label box), or "ai3" when it has none; a label
// too long for its column is cut, keeping whole UTF-8 letters.
std::string channelName(int ch, std::size_t width) {
    std::string label;
    GetTextBoxLine(panelHandle, ChanID[ch], 0, &label);
    const auto first = label.find_first_not_of(" \t");
    if (first == std::string::npos) return "ai" + std::to_string(ch);
    label = label.substr(first, label.find_last_not_of(" \t") - first + 1);
    std::size_t letters = 0, end = 0;
    for (; end < label.size(); ++end) {
        const bool starts = (static_cast<unsigned char>(label[end]) & 0xC0) != 0x80;
        if (starts && ++letters > width) break;
    }
    return label.substr(0, end);
}

// A table in a fixed font: a row per cursor and one for their difference, a column for the
// time and one per channel of the sweep.
void showReadout() {
    constexpr std::size_t kLabel = 9, kTime = 12, kChannel = 11;
    double t[2] = {0.0, 0.0};
    GetGraphCursor(panelHandle, PANEL_GRAPH, 1, &t[0]);
    GetGraphCursor(panelHandle, PANEL_GRAPH, 2, &t[1]);
    const std::vector<double> values[2] = {channelValuesAt(t[0]), channelValuesAt(t[1])};
    const double dt = t[1] - t[0];
    std::string text = std::string(kLabel, ' ') + column("time", kTime);
    for (int ch : sweep.channels) text += column(channelName(ch, kChannel - 1), kChannel);
    const char* names[3] = {"Cursor 1", "Cursor 2", "2 - 1"};
    for (int row = 0; row < 3; ++row) {
        std::string line = names[row];
        line.resize(kLabel, ' ');
        line += column(row < 2 ? format("%.6f s", t[row]) : duration(dt), kTime);
        for (std::size_t p = 0; p < sweep.channels.size(); ++p) {
            const bool known =
                row < 2 ? !values[row].empty() : !values[0].empty() && !values[1].empty();
            const double value = !known    ? 0.0
                                 : row < 2 ? values[row][p]
                                           : values[1][p] - values[0][p];
            line += column(known ? valueText(value, sweep.channels[p]) : "-", kChannel);
        }
        if (row == 2) line += "   1/\xCE\x94t = " + rate(dt);
        text += "\n" + line;
    }
    ResetTextBox(panelHandle, PANEL_CURSORS, text.c_str());
}

}  // namespace

void showSweepInspection() {
    rememberWhatTheSweepWasDrawnWith();
    int on = 0;
    GetGraphInspection(panelHandle, PANEL_GRAPH, &on);
    SetCtrlAttribute(panelHandle, PANEL_CURSORS, ATTR_DIMMED, on ? 0 : 1);
    if (on)
        showReadout();
    else
        ResetTextBox(panelHandle, PANEL_CURSORS, kLiveHint);
}

void startSweepInspection() {
    sweep = DrawnWith{};
    showSweepInspection();
}

int trelvanix::callbacks::SweepGraph(int panel, int control, int event, void* callbackData,
                                     int eventData1, int eventData2) {
    if (event == EVENT_VAL_CHANGED) showSweepInspection();
    return GetPositions(panel, control, event, callbackData, eventData1, eventData2);
}
