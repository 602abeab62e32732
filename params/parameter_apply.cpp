// Putting a parameter file's settings into force once the whole file has read and fitted, and
// showing them in every window that shows them, so that no later Close writes old values back.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <memory>

#include "analysis/display_filters.h"
#include "analysis/units.h"
#include "params/parameter_files.h"
#include "params/parameter_limits.h"
#include "params/parameter_trailer.h"
#include "platform/ui/resource.h"
#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "results/results.h"
#include "state/main_panel_display.h"
#include "state/menu_groups.h"
#include "state/shared_state.h"
#include "stimulus/output_range.h"
#include "stimulus/stimulus.h"

namespace trelvanix::params {

namespace {

// The stimulus a cell waveform plays after: an empty list unchains it.
void applyCellFollows(const std::vector<double>& values, int valuesPerMs) {
    if (values.empty()) return UnchainStimulus();
    std::unique_ptr<double[]> chained(new double[values.size()]);
    std::copy(values.begin(), values.end(), chained.get());
    ChainStimulus(std::move(chained), static_cast<int>(values.size()), valuesPerMs);
}

void applyCellSamples(const std::vector<double>& samples) {
    delete[] Cell_array;
    Cell_array = new double[kCellSamples];
    std::copy(samples.begin(), samples.end(), Cell_array);
    if (Handle[kCell] != 0) {
        SetCtrlVal(Handle[kCell], CELL_DUR, Duration);
        SetCtrlVal(Handle[kCell], CELL_MIN, Cell_array[1002]);
        SetCtrlVal(Handle[kCell], CELL_MAX, Cell_array[1001]);
        SetCtrlVal(Handle[kCell], CELL_DC, Cell_array[1003]);
    }
    std::fill(Cell_array + 1000, Cell_array + kCellSamples, 0.0);
}

void applyStimulus(const ParameterSet& set) {
    const StimulusSettings& s = set.stimulus;
    switch (set.waveform) {
        case kPulse:
            std::copy(s.pulseDur.begin(), s.pulseDur.end(), Pulse_dur);
            std::copy(s.pulseAmp.begin(), s.pulseAmp.end(), Pulse_amp);
            break;
        case kRamp:
            std::copy(s.rampDur.begin(), s.rampDur.end(), Ramp_dur);
            std::copy(s.rampAmp.begin(), s.rampAmp.end(), Ramp_amp);
            break;
        case kCell:
            Duration = s.duration;
            WF_amp = s.amplitude;
            CellPhase = s.cellPhase;
            break;
        case kZap:
            Duration = s.duration;
            WF_amp = s.amplitude;
            break;
        case kPoisson:
            Frequency = s.frequency;
            Duration = s.duration;
            Dur = s.pulseWidth;
            WF_amp = s.amplitude;
            break;
        case kSine:
            Duration = s.duration;
            WF_amp = s.amplitude;
            Phase = s.phase;
            Duty_cycle = s.dutyCycle;
            break;
        default:
            break;
    }
    Num_repeats = s.numRepeats;
    Interburst = s.interburst;
    Num_burst = s.numBurst;
    Baseline = s.baseline;
    Interbaseline = s.interbaseline;
    if (set.stimulusExtras.cellFollows)
        applyCellFollows(*set.stimulusExtras.cellFollows, set.stimulusExtras.cellFollowsPerMs);
    // A cell file without samples keeps the cell waveform loaded now.
    if (set.waveform == kCell && s.cellSamples.size() == kCellSamples)
        applyCellSamples(s.cellSamples);
}

// The sub-panel controls the trailer restores; the stimulus is then read from the panels.
void showTrailerControls(const StimulusExtras& extras) {
    const ui::ResourceFile* resource = ui::registeredResource("trelvanix.uir");
    if (!resource) return;
    for (const TrailerControl& control : TrailerControls()) {
        const auto value = extras.panelControls.find(control.name);
        if (value == extras.panelControls.end() || Handle[control.kind] == 0) continue;
        const int id = ControlIdOf(*resource, control.name);
        if (control.whole)
            SetCtrlVal(Handle[control.kind], id, static_cast<int>(value->second));
        else
            SetCtrlVal(Handle[control.kind], id, value->second);
    }
}

void showCellSource(const ParameterSet& set) {
    if (Handle[kCell] == 0 || set.waveform != kCell || set.stimulus.cellSamples.empty()) return;
    SetCtrlVal(Handle[kCell], CELL_TEXTMSG,
               LoadFile == 1 ? "From the parameter file, after the previous stimulus"
                             : "From the parameter file");
}

// The loaded kind is selected and its sub-panel shows the loaded values, so what the operator
// sees is what will play.
void showLoadedStimulus(const ParameterSet& set) {
    SetCtrlVal(InjectHandle, INJECT_WAVEFORM, Waveform);
    if (Waveform == kNoStimulus) {
        DeleteGraphPlot(InjectHandle, INJECT_GRAPH, -1, VAL_IMMEDIATE_DRAW);
        ClearOutputRange();
        SetCtrlAttribute(InjectHandle, INJECT_START, ATTR_DIMMED, 1);
        return;
    }
    if (LoadStimulusSubPanels() < 0) return;
    UpdateParameters();
    if (Waveform == kZap) SetCtrlVal(Handle[kZap], ZAP_DURATION, Duration);
    if (Waveform == kCell) SetCtrlVal(Handle[kCell], CELL_PHASE, CellPhase);
    showTrailerControls(set.stimulusExtras);
    showCellSource(set);
    SetCtrlAttribute(InjectHandle, INJECT_START, ATTR_DIMMED, 0);
    InitializeGlobals();
}

// The units window, once loaded, shows the channel its selector names: it shows that
// channel's loaded unit and filter now, so its Close stores them and not the old ones.
void showLoadedUnits() {
    if (UnitsHandle == 0) return;
    int ch = 0;
    GetCtrlVal(UnitsHandle, UNITS_CHANNEL, &ch);
    update_units(ch);
    update_filters(ch);
    EnableFilterControls();
}

template <typename Values>
int firstIndexWhere(const Values& values, auto matches) {
    for (int i = 0; i < static_cast<int>(std::size(values)); ++i)
        if (matches(values[i])) return i;
    return -1;
}

}  // namespace

void ApplyParameters(const ParameterSet& set) {
    NumScans = static_cast<int>(set.rateKilosamples * 1000);
    Ds = 1.0 / NumScans;
    const int rate = firstIndexWhere(
        SampRateIDVal, [&](double v) { return static_cast<float>(v) == set.rateKilosamples; });
    CheckOnlyMenuItem(SampRateID, rate >= 0 ? SampRateID[rate] : -1);

    Stretches = set.stretches;
    const int count = firstIndexWhere(StretchIDVal, [&](int v) { return v == Stretches; });
    CheckOnlyMenuItem(StretchID, count >= 0 ? StretchID[count] : -1);

    Sec_per_stretch = set.secondsPerStretch + 0.0000001;
    const double wanted = std::ceil(1000.0 * set.secondsPerStretch);
    const int length = firstIndexWhere(MSPerStretchIDVal,
                                       [&](double v) { return std::ceil(1000.0 * v) == wanted; });
    CheckOnlyMenuItem(MSPerStretchID, length >= 0 ? MSPerStretchID[length] : -1);

    SetCtrlVal(panelHandle, PANEL_YDIVS, set.divisions);
    SetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_YDIVISIONS, set.divisions);
    if (SetDir(set.directory.c_str()) != 0) {
        std::string current;
        GetDir(&current);
        MessagePopup("Error!", ("Cannot make " + set.directory +
                                " the working directory; it stays " + current + ".")
                                   .c_str());
    }
    Saving_interval = set.savingInterval;
    Skip_interval = set.skipInterval;
    // The saving dialog, once loaded, offers its own values: it offers the loaded ones now.
    if (IntervalpanelHandle != 0) {
        SetCtrlVal(IntervalpanelHandle, INTERVAL_SAVING, Saving_interval);
        SetCtrlVal(IntervalpanelHandle, INTERVAL_PAUSE, Skip_interval);
    }

    for (int ch = 0; ch < 8; ++ch) {
        const ChannelSettings& c = set.channels[ch];
        SetCtrlVal(panelHandle, CheckID[ch], c.ticked);
        Gain_Factor[ch] = c.gain;
        Offset[ch] = c.offset;
        // The range and the gain that converts its counts come from the same board range.
        AILimitsIndex[ch] = c.rangeIndex;
        GainList[ch] = c.exactGain;
        std::snprintf(Units[ch], sizeof Units[ch], "%s", c.unit.c_str());
        Scale_factor[ch] = c.scaleFactor;
        Filter_type[ch] = c.filterType;
        Window_type[ch] = c.windowType;
        Window_size[ch] = c.windowSize;
        Flp[ch] = c.lowCutoff;
        Fhp[ch] = c.highCutoff;
        FilterData(Filter_type[ch], Fhp[ch], Flp[ch], ch);
    }
    showLoadedUnits();

    Conversion = set.conversion;
    SetCtrlVal(InjectHandle, INJECT_CONVERSION, Conversion);
    Pre_time = set.preTime;
    SetCtrlVal(InjectHandle, INJECT_PRE_TIME, Pre_time);
    Post_time = set.postTime;
    SetCtrlVal(InjectHandle, INJECT_POST_TIME, Post_time);
    SetCtrlVal(InjectHandle, INJECT_CHANNEL, set.injectChannel);
    Waveform = set.waveform;
    if (Waveform != kNoStimulus) applyStimulus(set);
    showLoadedStimulus(set);

    // The display uses the loaded stretch count: the sweep spans exactly those stretches.
    SetCtrlVal(panelHandle, PANEL_SWEEP, Stretches * Sec_per_stretch);
    scale_change();
    channelCheck();

    // Checked when the file was read, so they are put in force as they are.
    if (!set.measurements.empty()) {
        std::vector<results::Measurement> measurements;
        for (const auto& [number, m] : set.measurements) measurements.push_back(m);
        results::ReplaceMeasurements(measurements);
    }
}

}  // namespace trelvanix::params
