// The parameter-file menu commands: what the settings in force are, writing them, and putting
// a file's settings into force once the whole file has read.

#include "params/parameter_files.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "analysis/display_filters.h"
#include "analysis/units.h"
#include "daq/acquisition.h"
#include "params/parameter_text.h"
#include "platform/files/operator_files.h"
#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "recording/recording.h"
#include "resources/trelvanix_uir.h"
#include "state/main_panel_display.h"
#include "state/menu_groups.h"
#include "state/shared_state.h"
#include "stimulus/stimulus.h"

namespace trelvanix::params {

namespace {

constexpr const char* kOpenError = "Error opening the parameter file";

// The stimulus variables from the current kind's sub-panel, as the operator left it.
void refreshStimulusFromSubPanel() {
    if (Waveform < 0 || Waveform > 6 || Handle[Waveform] == 0) return;
    Get_wf_pars();
    // The file carries the sweep as its control holds it, without lead-in and lead-out.
    if (Waveform == kZap) GetCtrlVal(Handle[kZap], ZAP_DURATION, &Duration);
    if (Waveform == kNoise) {
        GetCtrlVal(Handle[kNoise], NOISE_STRENGTH, &Noise_strength);
        GetCtrlVal(Handle[kNoise], NOISE_TAU, &Noise_tau);
    }
}

StimulusSettings currentStimulus() {
    StimulusSettings s;
    std::copy(Pulse_dur, Pulse_dur + 5, s.pulseDur.begin());
    std::copy(Pulse_amp, Pulse_amp + 5, s.pulseAmp.begin());
    std::copy(Ramp_dur, Ramp_dur + 5, s.rampDur.begin());
    std::copy(Ramp_amp, Ramp_amp + 5, s.rampAmp.begin());
    s.duration = Duration;
    s.amplitude = WF_amp;
    s.cellPhase = CellPhase;
    s.phase = Phase;
    s.dutyCycle = Duty_cycle;
    s.frequency = static_cast<int>(Frequency);
    s.pulseWidth = static_cast<int>(Dur);
    s.numRepeats = Num_repeats;
    s.interburst = Interburst;
    s.numBurst = Num_burst;
    s.baseline = Baseline;
    s.interbaseline = Interbaseline;
    if (Cell_array) s.cellSamples.assign(Cell_array, Cell_array + kCellSamples);
    return s;
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
    // A cell file without samples keeps the cell waveform loaded now.
    if (set.waveform != kCell || s.cellSamples.size() != kCellSamples) return;
    delete[] Cell_array;
    Cell_array = new double[kCellSamples];
    std::copy(s.cellSamples.begin(), s.cellSamples.end(), Cell_array);
    if (Handle[kCell] != 0) {
        SetCtrlVal(Handle[kCell], CELL_DUR, Duration);
        SetCtrlVal(Handle[kCell], CELL_MIN, Cell_array[1002]);
        SetCtrlVal(Handle[kCell], CELL_MAX, Cell_array[1001]);
        SetCtrlVal(Handle[kCell], CELL_DC, Cell_array[1003]);
    }
    std::fill(Cell_array + 1000, Cell_array + kCellSamples, 0.0);
}

// The loaded kind is selected and its sub-panel shows the loaded values, so what the operator
// sees is what will play.
void showLoadedStimulus() {
    SetCtrlVal(InjectHandle, INJECT_WAVEFORM, Waveform);
    if (Waveform == kNoStimulus) {
        DeleteGraphPlot(InjectHandle, INJECT_GRAPH, -1, VAL_IMMEDIATE_DRAW);
        SetCtrlAttribute(InjectHandle, INJECT_START, ATTR_DIMMED, 1);
        return;
    }
    if (LoadStimulusSubPanels() < 0) return;
    UpdateParameters();
    if (Waveform == kZap) SetCtrlVal(Handle[kZap], ZAP_DURATION, Duration);
    if (Waveform == kCell) SetCtrlVal(Handle[kCell], CELL_PHASE, CellPhase);
    SetCtrlAttribute(InjectHandle, INJECT_START, ATTR_DIMMED, 0);
    InitializeGlobals();
}

template <typename Values>
int firstIndexWhere(const Values& values, auto matches) {
    for (int i = 0; i < static_cast<int>(std::size(values)); ++i)
        if (matches(values[i])) return i;
    return -1;
}

bool readWholeFile(const std::string& path, std::string* text, std::string* why) {
    const int file = OpenFile(path.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII);
    if (file < 0) {
        *why = lastFileError();
        return false;
    }
    char block[65536];
    int got = 0;
    while ((got = ReadFile(file, block, sizeof block)) > 0) {
        text->append(block, got);
        // The file grew past the check made before it was opened.
        if (text->size() > files::largestFile(files::OperatorFile::Parameters)) {
            CloseFile(file);
            *why = "the file is far larger than a parameter file";
            return false;
        }
    }
    CloseFile(file);
    if (got < 0) *why = lastFileError();
    return got == 0;
}

}  // namespace

ParameterSet CurrentParameters() {
    ParameterSet set;
    set.rateKilosamples = static_cast<float>(NumScans / 1000.0);
    set.stretches = Stretches;
    set.secondsPerStretch = Sec_per_stretch;
    GetCtrlVal(panelHandle, PANEL_YDIVS, &set.divisions);
    GetDir(&set.directory);
    set.savingInterval = Saving_interval;
    set.skipInterval = Skip_interval;
    for (int ch = 0; ch < 8; ++ch) {
        ChannelSettings& c = set.channels[ch];
        GetCtrlVal(panelHandle, CheckID[ch], &c.ticked);
        c.gain = Gain_Factor[ch];
        c.offset = Offset[ch];
        c.boardGain = static_cast<int>(GainList[ch]);
        c.unit = Units[ch];
        c.scaleFactor = Scale_factor[ch];
        c.filterType = Filter_type[ch];
        c.windowType = Window_type[ch];
        c.windowSize = Window_size[ch];
        c.lowCutoff = Flp[ch];
        c.highCutoff = Fhp[ch];
    }
    set.conversion = Conversion;
    set.preTime = Pre_time;
    set.postTime = Post_time;
    GetCtrlVal(InjectHandle, INJECT_CHANNEL, &set.injectChannel);
    set.waveform = Waveform;
    return set;
}

int getInjectparameters(std::string& file) {
    if (Waveform == kNoStimulus) return 0;
    refreshStimulusFromSubPanel();
    const StimulusSettings stimulus = currentStimulus();
    file += FormatStimulus(Waveform, stimulus, !stimulus.cellSamples.empty());
    return 0;
}

ParameterLimits CurrentLimits() {
    ParameterLimits limits;
    int count = 0;
    GetNumListItems(panelHandle, PANEL_BOARD_GAIN, &count);
    for (int i = 0; i < count; ++i) {
        double gain = 0.0;
        if (GetValueFromIndex(panelHandle, PANEL_BOARD_GAIN, i, &gain) == 0)
            limits.boardGains.push_back(static_cast<float>(gain));
    }
    return limits;
}

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

    Conversion = set.conversion;
    SetCtrlVal(InjectHandle, INJECT_CONVERSION, Conversion);
    Pre_time = set.preTime;
    SetCtrlVal(InjectHandle, INJECT_PRE_TIME, Pre_time);
    Post_time = set.postTime;
    SetCtrlVal(InjectHandle, INJECT_POST_TIME, Post_time);
    SetCtrlVal(InjectHandle, INJECT_CHANNEL, set.injectChannel);
    Waveform = set.waveform;
    if (Waveform != kNoStimulus) applyStimulus(set);
    showLoadedStimulus();

    // The display uses the loaded stretch count: the sweep spans exactly those stretches.
    SetCtrlVal(panelHandle, PANEL_SWEEP, Stretches * Sec_per_stretch);
    scale_change();
    channelCheck();
}

}  // namespace trelvanix::params

using namespace trelvanix::params;

void SaveParameters() {
    std::string path;
    if (FileSelectPopup("", "*.par", "*.*", "Select file for saving parameters.", VAL_SAVE_BUTTON,
                        0, 0, 1, 1, &path) <= 0)
        return;
    std::string text = FormatSettings(CurrentParameters());
    if (Waveform != trelvanix::kNoStimulus) getInjectparameters(text);
    const int file = OpenFile(path.c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_ASCII);
    if (file < 0) {
        MessagePopup("Error!", kOpenError);
        return;
    }
    const bool written = WriteFile(file, text.data(), static_cast<int>(text.size())) >= 0;
    const bool closed = CloseFile(file) == 0;
    if (!written || !closed)
        MessagePopup("Error!", ("Error writing the parameter file " + path + ": " +
                                lastFileError() + ". The file is incomplete.")
                                   .c_str());
}

void LoadParameters() {
    std::string path;
    if (FileSelectPopup("", "*.par", "*.*", "Select file for loading parameters.", VAL_LOAD_BUTTON,
                        0, 0, 1, 1, &path) <= 0)
        return;
    // A folder, a device, a pipe or a huge file is refused before it is opened, and before
    // acquisition is stopped for it.
    if (const std::string problem =
            trelvanix::files::fileProblem(path, trelvanix::files::OperatorFile::Parameters);
        !problem.empty()) {
        MessagePopup("Error!", ("The parameter file " + path + " cannot be read: " + problem +
                                ". Nothing was loaded.")
                                   .c_str());
        return;
    }
    if (Acquiring == 1) {
        Acquiring = 0;
        endOperation();
    }
    std::string text, why;
    if (!readWholeFile(path, &text, &why)) {
        MessagePopup("Error!", kOpenError);
        return;
    }
    ParameterSet set;
    ReadFailure failure;
    if (!ParseParameters(text, CurrentLimits(), &set, &failure)) {
        const std::string message = path + ", line " + std::to_string(failure.line) + ", at " +
                                    failure.key + ": " + failure.what + ". Nothing was loaded.";
        MessagePopup("Error!", message.c_str());
        return;
    }
    if (UnitsHandle == 0) {
        const int units = LoadPanel(0, "trelvanix.uir", UNITS);
        if (units < 0) return;
        UnitsHandle = units;
    }
    ApplyParameters(set);
}

void channelCheck() {
    GetNumChs();
    Old_NumChannels = NumChannels;
    for (int ch = 0; ch < 8; ++ch) {
        int ticked = 0;
        GetCtrlVal(panelHandle, CheckID[ch], &ticked);
        if (ticked) {
            Activechannel = ch;
            break;
        }
    }
    setColorsAccording2Channel(Activechannel);
    displayUnits(Activechannel);
}

void trelvanix::callbacks::SaveParams(int menuBar, int menuItem, void* callbackData, int panel) {
    SaveParameters();
}

void trelvanix::callbacks::LoadParams(int menuBar, int menuItem, void* callbackData, int panel) {
    LoadParameters();
}
