// The parameter-file menu commands: what the settings in force are, writing them, and reading
// a file whole and checking it before it is put into force (params/parameter_apply.cpp).

#include "params/parameter_files.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "analysis/units.h"
#include "daq/acquisition.h"
#include "params/parameter_limits.h"
#include "params/parameter_text.h"
#include "params/parameter_trailer.h"
#include "platform/files/operator_files.h"
#include "platform/ui/resource.h"
#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "recording/recording.h"
#include "resources/trelvanix_uir.h"
#include "results/results.h"
#include "state/main_panel_display.h"
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

// The sub-panel controls of the current kind that only the trailer carries, and the stimulus
// a cell waveform is chained after.
StimulusExtras currentExtras() {
    StimulusExtras extras;
    const ui::ResourceFile* resource = ui::registeredResource("trelvanix.uir");
    const int panel = Handle[Waveform];
    for (const TrailerControl& control : TrailerControls()) {
        if (control.kind != Waveform || panel == 0 || !resource) continue;
        double value = 0.0;
        if (GetCtrlVal(panel, ControlIdOf(*resource, control.name), &value) == 0)
            extras.panelControls[control.name] = value;
    }
    if (Waveform != kCell) return extras;
    const bool chained = LoadFile == 1 && WF_buffer_2 && NumPts > 0;
    // A chained stimulus too long for the file is left out (saving says so), not denied.
    if (chained && NumPts > kMostFollowedValues) return extras;
    extras.cellFollows.emplace();
    if (chained) {
        extras.cellFollows->assign(WF_buffer_2, WF_buffer_2 + NumPts);
        extras.cellFollowsPerMs = SavedValuesPerMs;
    }
    return extras;
}

bool readWholeFile(const std::string& path, std::string* text, std::string* why) {
    const std::uintmax_t largest = files::largestFile(files::OperatorFile::Parameters);
    switch (ReadWholeFile(path, largest, text)) {
        case WholeFile::Read:
            return true;
        case WholeFile::TooLarge:
            *why = "it grew past " + std::to_string(largest >> 20) +
                   " MB, the most a parameter file can be, while it was read";
            return false;
        case WholeFile::Failed:
            break;
    }
    *why = lastFileError();
    return false;
}

// The trailer lines a newer program wrote, left out: the operator hears which.
void reportUnknownKeys(const ParameterSet& set) {
    if (set.unknownKeys.empty()) return;
    std::string lines;
    for (const auto& [line, key] : set.unknownKeys)
        lines += (lines.empty() ? "" : ", ") + key + " (line " + std::to_string(line) + ")";
    MessagePopup("Warning!", ("The parameters were loaded. This version does not know these "
                              "settings and left them out: " +
                              lines + ".")
                                 .c_str());
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
    // The stimulus panel's values are the ones the next stimulus plays with, whether or not a
    // stimulus has been built since they were typed.
    GetCtrlVal(InjectHandle, INJECT_CONVERSION, &set.conversion);
    GetCtrlVal(InjectHandle, INJECT_PRE_TIME, &set.preTime);
    GetCtrlVal(InjectHandle, INJECT_POST_TIME, &set.postTime);
    GetCtrlVal(InjectHandle, INJECT_CHANNEL, &set.injectChannel);
    set.waveform = Waveform;
    getInjectparameters(set);
    const std::vector<results::Measurement> measurements = results::DefinedMeasurements();
    for (std::size_t k = 0; k < measurements.size(); ++k)
        set.measurements[int(k) + 1] = measurements[k];
    return set;
}

int getInjectparameters(ParameterSet& set) {
    if (Waveform == kNoStimulus) return 0;
    refreshStimulusFromSubPanel();
    set.stimulus = currentStimulus();
    set.stimulusExtras = currentExtras();
    return 0;
}

ParameterLimits CurrentLimits() {
    const ui::ResourceFile* resource = ui::registeredResource("trelvanix.uir");
    ParameterLimits limits = resource ? LimitsFromResource(*resource) : ParameterLimits{};
    int count = 0;
    GetNumListItems(panelHandle, PANEL_BOARD_GAIN, &count);
    for (int i = 0; i < count; ++i) {
        double gain = 0.0;
        if (GetValueFromIndex(panelHandle, PANEL_BOARD_GAIN, i, &gain) == 0)
            limits.boardGains.push_back(static_cast<float>(gain));
    }
    limits.rates.assign(std::begin(SampRateIDVal), std::end(SampRateIDVal));
    limits.stretchLengths.assign(std::begin(MSPerStretchIDVal), std::end(MSPerStretchIDVal));
    int mode = 0;
    double low = 0.0, high = 0.0;
    if (GetAxisScalingMode(panelHandle, PANEL_GRAPH, VAL_LEFT_YAXIS, &mode, &low, &high) == 0)
        limits.sweepAxisSpan = high - low;
    return limits;
}

}  // namespace trelvanix::params

using namespace trelvanix::params;

void SaveParameters() {
    std::string path;
    if (FileSelectPopup("", "*.par", "*.*", "Select file for saving parameters.", VAL_SAVE_BUTTON,
                        0, 0, 1, 1, &path) <= 0)
        return;
    path = WithParameterExtension(path);
    const std::string text = FormatParameters(CurrentParameters());
    const int file = OpenFile(path.c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_ASCII);
    if (file < 0) {
        // A failed open's error names the file and why it could not be opened.
        MessagePopup("Error!", (std::string(kOpenError) + " " + lastFileError()).c_str());
        return;
    }
    const bool written = WriteFile(file, text.data(), static_cast<int>(text.size())) >= 0;
    const bool closed = CloseFile(file) == 0;
    if (!written || !closed) {
        MessagePopup("Error!", ("Error writing the parameter file " + path + ": " +
                                lastFileError() + ". The file is incomplete.")
                                   .c_str());
        return;
    }
    RememberParameterFile(path);
    if (Waveform == trelvanix::kCell && LoadFile == 1 && NumPts > kMostFollowedValues)
        MessagePopup("Warning!",
                     ("The parameters were saved without the stimulus the cell waveform "
                      "follows: its " +
                      std::to_string(NumPts) + " values are more than a parameter file holds (" +
                      std::to_string(kMostFollowedValues) + ").")
                         .c_str());
}

void LoadParameters() {
    std::string path;
    if (FileSelectPopup("", "*.par", "*.*", "Select file for loading parameters.", VAL_LOAD_BUTTON,
                        0, 0, 1, 1, &path) <= 0)
        return;
    LoadParametersFrom(path);
}

void LoadParametersFrom(const std::string& path) {
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
        // The reason, without the path it may start with: the message names the path once.
        if (why.starts_with(path + ": ")) why.erase(0, path.size() + 2);
        MessagePopup("Error!", (std::string(kOpenError) + " " + path + ": " + why).c_str());
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
    RememberParameterFile(path);
    reportUnknownKeys(set);
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
    // The board-range list shows the range in force for the active channel.
    trelvanix::ShowBoardGainOf(Activechannel);
    displayUnits(Activechannel);
    trelvanix::ShowChannelsToFiles();
}

void trelvanix::callbacks::SaveParams(int menuBar, int menuItem, void* callbackData, int panel) {
    SaveParameters();
}

void trelvanix::callbacks::LoadParams(int menuBar, int menuItem, void* callbackData, int panel) {
    LoadParameters();
}
