// The panel side of the stimulus: reading the sub-panels into the parameters, assembling
// WF_buffer with its preview, and writing the parameters back.

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/ui/round_steps.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/output_range.h"
#include "stimulus/stimulus.h"

using namespace trelvanix;

namespace {

// The train controls every kind but noise shares; the Poisson kind has no repeats.
struct TrainControls {
    int repeats, interburst, bursts, baseline, interbaseline;
};

void readTrain(int h, const TrainControls& c) {
    if (c.repeats) GetCtrlVal(h, c.repeats, &Num_repeats);
    GetCtrlVal(h, c.interburst, &Interburst);
    GetCtrlVal(h, c.bursts, &Num_burst);
    GetCtrlVal(h, c.baseline, &Baseline);
    GetCtrlVal(h, c.interbaseline, &Interbaseline);
}

void writeTrain(int h, const TrainControls& c) {
    if (c.repeats) SetCtrlVal(h, c.repeats, Num_repeats);
    SetCtrlVal(h, c.interburst, Interburst);
    SetCtrlVal(h, c.bursts, Num_burst);
    SetCtrlVal(h, c.baseline, Baseline);
    SetCtrlVal(h, c.interbaseline, Interbaseline);
}

constexpr TrainControls kPulseTrain{PULSE_REPEATS, PULSE_INTERBURST, PULSE_NUM_BURSTS,
                                    PULSE_BASELINE, PULSE_INTERBASELINE};
constexpr TrainControls kRampTrain{RAMP_REPEATS, RAMP_INTERBURST, RAMP_NUM_BURSTS, RAMP_BASELINE,
                                   RAMP_INTERBASELINE};
constexpr TrainControls kCellTrain{CELL_REPEATS, CELL_INTERBURST, CELL_NUM_BURST, CELL_BASELINE,
                                   CELL_INTERBASELINE};
constexpr TrainControls kZapTrain{ZAP_REPEATS, ZAP_INTERBURST, ZAP_NUM_BURSTS, ZAP_BASELINE,
                                  ZAP_INTERBASELINE};
constexpr TrainControls kPoissonTrain{0, POISSON_INTERBURST, POISSON_NUM_BURSTS, POISSON_BASELINE,
                                      POISSON_INTERBASELINE};
constexpr TrainControls kSineTrain{SINE_REPEATS, SINE_INTERBURST, SINE_NUM_BURSTS, SINE_BASELINE,
                                   SINE_INTERBASELINE};

int panelOfCurrentKind() {
    return Waveform >= 0 && Waveform <= 6 ? Handle[Waveform] : 0;
}

void readSteps(int h, const short* ampIds, const short* durIds, double* amps, double* durs) {
    for (int k = 0; k < 5; ++k) {
        GetCtrlVal(h, durIds[k], &durs[k]);
        GetCtrlVal(h, ampIds[k], &amps[k]);
    }
}

void writeSteps(int h, const short* ampIds, const short* durIds, const double* amps,
                const double* durs) {
    for (int k = 0; k < 5; ++k) {
        SetCtrlVal(h, durIds[k], durs[k]);
        SetCtrlVal(h, ampIds[k], amps[k]);
    }
}

void printLine(const char* line) {
    std::printf("%s \n", line);
    std::fflush(stdout);
}

// The noise sub-panel enables the fields of the kind chosen.
void showNoiseFields(int h, int kind) {
    SetCtrlAttribute(h, NOISE_STRENGTH, ATTR_DIMMED, kind != 2 ? 1 : 0);
    SetCtrlAttribute(h, NOISE_TAU, ATTR_DIMMED, kind != 2 ? 1 : 0);
    SetCtrlAttribute(h, NOISE_STDEV, ATTR_DIMMED, kind == 2 ? 1 : 0);
}

// The most divisions of either axis of the preview.
constexpr int kPreviewDivisions = 10;
// The most points the preview plots: a longer stimulus is drawn as the lowest and highest
// value of each of kPreviewPoints / 2 equal stretches, which looks the same on a graph a few
// hundred pixels wide and keeps a long stimulus from being held twice in memory.
constexpr int kPreviewPoints = 1 << 16;

// Plots the preview and returns its lowest and highest value.
std::pair<double, double> plotPreview(const AssembledStimulus& built) {
    const int count = built.previewCount;
    if (count <= kPreviewPoints) {
        PlotWaveform(InjectHandle, INJECT_GRAPH, WF_buffer, count, 1.0, 0.0, 0.0, built.msPerValue,
                     VAL_BLUE);
        const auto [low, high] = std::minmax_element(WF_buffer, WF_buffer + count);
        return {*low, *high};
    }
    constexpr int kStretches = kPreviewPoints / 2;
    static double envelope[kPreviewPoints];
    for (int i = 0; i < kStretches; ++i) {
        const double* from = WF_buffer + static_cast<long long>(count) * i / kStretches;
        const double* to = WF_buffer + static_cast<long long>(count) * (i + 1) / kStretches;
        const auto [low, high] = std::minmax_element(from, to);
        envelope[2 * i] = *low;
        envelope[2 * i + 1] = *high;
    }
    const double step = built.msPerValue * count / kPreviewPoints;
    PlotWaveform(InjectHandle, INJECT_GRAPH, envelope, kPreviewPoints, 1.0, 0.0, 0.0, step,
                 VAL_BLUE);
    // The stretches' extremes are the stimulus's own.
    const auto [low, high] = std::minmax_element(envelope, envelope + kPreviewPoints);
    return {*low, *high};
}

void drawPreview(const AssembledStimulus& built) {
    SetCtrlVal(InjectHandle, INJECT_LENGTH, static_cast<int>(TotalTime));
    DeleteGraphPlot(InjectHandle, INJECT_GRAPH, -1, VAL_IMMEDIATE_DRAW);
    const bool plotted = WF_buffer && built.previewCount > 0;
    const auto [low, high] = plotted ? plotPreview(built) : std::pair<double, double>{};
    // Both axes run between round numbers in round divisions, so every label reads at a
    // glance. The time axis holds the whole stimulus; the value axis leaves a margin, so a
    // pulse's top and its zero baseline do not vanish into the graph's frame.
    const ui::RoundSpan time =
        ui::roundSpan(0.0, TotalTime > 0.0 ? TotalTime : 1.0, kPreviewDivisions);
    SetAxisScalingMode(InjectHandle, INJECT_GRAPH, VAL_XAXIS, VAL_MANUAL, time.min, time.max);
    SetCtrlAttribute(InjectHandle, INJECT_GRAPH, ATTR_XDIVISIONS, time.divisions);
    if (!plotted) return;
    const double margin = high > low ? 0.05 * (high - low) : 1.0;
    const ui::RoundSpan values = ui::roundSpan(low - margin, high + margin, kPreviewDivisions);
    SetAxisScalingMode(InjectHandle, INJECT_GRAPH, VAL_LEFT_YAXIS, VAL_MANUAL, values.min,
                       values.max);
    SetCtrlAttribute(InjectHandle, INJECT_GRAPH, ATTR_YDIVISIONS, values.divisions);
    ShowOutputRange();
}

}  // namespace

double Get_wf_pars() {
    const int h = panelOfCurrentKind();
    StimulusPanelOptions& o = PanelOptions;
    switch (Waveform) {
        case kPulse:
            readTrain(h, kPulseTrain);
            readSteps(h, Pulse_amp_idx, Pulse_dur_idx, Pulse_amp, Pulse_dur);
            break;
        case kRamp:
            readTrain(h, kRampTrain);
            readSteps(h, Ramp_amp_idx, Ramp_dur_idx, Ramp_amp, Ramp_dur);
            break;
        case kCell:
            readTrain(h, kCellTrain);
            GetCtrlVal(h, CELL_DUR, &Duration);
            GetCtrlVal(h, CELL_AMP, &WF_amp);
            GetCtrlVal(h, CELL_PHASE, &CellPhase);
            break;
        case kZap: {
            readTrain(h, kZapTrain);
            int sweep = static_cast<int>(o.zapSweepDuration);
            GetCtrlVal(h, ZAP_DURATION, &sweep);
            o.zapSweepDuration = sweep;
            GetCtrlVal(h, ZAP_AMPLITUDE, &WF_amp);
            GetCtrlVal(h, ZAP_PHASE, &Phase);
            GetCtrlVal(h, ZAP_CYCLES_START, &o.zap.cyclesStart);
            GetCtrlVal(h, ZAP_CYCLES_END, &o.zap.cyclesEnd);
            GetCtrlVal(h, ZAP_FREQ_START, &o.zap.freqStart);
            GetCtrlVal(h, ZAP_FREQ_END, &o.zap.freqEnd);
            GetCtrlVal(h, ZAP_SWEEP_TYPE, &o.zap.sweepType);
            GetCtrlVal(h, ZAP_REVERSE, &o.zap.reverse);
            GetCtrlVal(h, ZAP_CELL_SHAPE, &o.zapCellShape);
            printLine("Hello from Get_wf_pars");
            break;
        }
        case kPoisson:
            readTrain(h, kPoissonTrain);
            GetCtrlVal(h, POISSON_FREQUENCY, &Frequency);
            GetCtrlVal(h, POISSON_TOTALDURATION, &Duration);
            GetCtrlVal(h, POISSON_DURATION, &Dur);
            GetCtrlVal(h, POISSON_AMPLITUDE, &WF_amp);
            break;
        case kSine:
            readTrain(h, kSineTrain);
            GetCtrlVal(h, SINE_DURATION, &Duration);
            GetCtrlVal(h, SINE_AMPLITUDE, &WF_amp);
            GetCtrlVal(h, SINE_PHASE, &Phase);
            GetCtrlVal(h, SINE_DUTY_CYCLE, &Duty_cycle);
            GetCtrlVal(h, SINE_LOCK_BASELINE, &o.sineLockBaseline);
            GetCtrlVal(h, SINE_SWEEP_DUTY, &o.sineSweepDuty);
            GetCtrlVal(h, SINE_CENTRE, &o.sineCentre);
            break;
        case kNoise:
            GetCtrlVal(h, NOISE_STDEV, &Noise_stdev);
            GetCtrlVal(h, NOISE_DURATION, &Duration);
            GetCtrlVal(h, NOISE_BASELINE, &Baseline);
            GetCtrlVal(h, NOISE_STRENGTH, &Noise_strength);
            GetCtrlVal(h, NOISE_TAU, &Noise_tau);
            GetCtrlVal(h, NOISE_FROZEN, &Noise_frozen);
            GetCtrlVal(h, NOISE_KIND, &o.noiseKind);
            GetCtrlVal(h, NOISE_RECTIFY, &o.noiseRectify);
            break;
        default:
            return 0.0;
    }

    StimulusParameters p = CurrentStimulusParameters();
    CorrectParameters(p);
    Duration = p.duration;
    if (Waveform == kSine) {
        Phase = p.phase;
        Duty_cycle = p.dutyCycle;
        SetCtrlVal(h, SINE_PHASE, Phase);
        SetCtrlVal(h, SINE_DUTY_CYCLE, Duty_cycle);
        if (o.sineLockBaseline == 1) {
            Baseline = p.baseline;
            SetCtrlVal(h, SINE_BASELINE, Baseline);
        }
    }
    return StimulusLength(p, LoadFile != 0);
}

int InitializeGlobals(std::string* refusal) {
    Get_wf_pars();
    GetCtrlVal(InjectHandle, INJECT_PRE_TIME, &Pre_time);
    GetCtrlVal(InjectHandle, INJECT_POST_TIME, &Post_time);

    const int h = panelOfCurrentKind();
    if (Waveform == kZap) printLine("ZAP WAVEFORM WAS CHOSEN");
    if (Waveform == kSine)
        SetCtrlAttribute(h, SINE_DUTY_CYCLE, ATTR_DIMMED, PanelOptions.sineSweepDuty == 1 ? 1 : 0);
    if (Waveform == kNoise) showNoiseFields(h, PanelOptions.noiseKind);

    StimulusSources sources;
    sources.cellArray = Cell_array;
    sources.secondFileLoaded = LoadFile != 0;
    sources.secondFile = WF_buffer_2;
    sources.secondFileCount = NumPts;
    sources.secondFileValuesPerMs = SavedValuesPerMs;
    if (Waveform == kNoise) sources.noiseSeed = NextNoiseSeed();
    AssembledStimulus built = AssembleStimulus(CurrentStimulusParameters(), sources);
    if (built.outcome == AssembledStimulus::Outcome::Refused) {
        if (refusal)
            *refusal = built.errorText;
        else
            MessagePopup(built.errorTitle.c_str(), built.errorText.c_str());
        return -1;
    }

    delete[] WF_buffer;
    WF_buffer = built.values.release();
    Num_wf_points = built.numPoints;
    Samples_per_sec_in_wfm = built.samplesPerSec;
    CellPhase = built.cellPhaseAfter;
    // The sine generator leaves the phase where the last half-wave ended.
    if (Waveform == kSine) Phase = built.phaseAfter;
    // Without a cell waveform the buffer holds zeros; the preview and the length the run-time
    // times stay those of the last stimulus built.
    if (built.outcome == AssembledStimulus::Outcome::NoCellWaveform) {
        ShowNoCellWaveform();
        return 0;
    }
    TotalTime = built.totalTime;
    drawPreview(built);
    TotalTime_in_sec = TotalTime / 1000.0;
    return 0;
}

void UpdateParameters() {
    SetCtrlVal(InjectHandle, INJECT_PRE_TIME, Pre_time);
    SetCtrlVal(InjectHandle, INJECT_POST_TIME, Post_time);
    const int h = panelOfCurrentKind();
    switch (Waveform) {
        case kPulse:
            writeTrain(h, kPulseTrain);
            writeSteps(h, Pulse_amp_idx, Pulse_dur_idx, Pulse_amp, Pulse_dur);
            break;
        case kRamp:
            writeTrain(h, kRampTrain);
            writeSteps(h, Ramp_amp_idx, Ramp_dur_idx, Ramp_amp, Ramp_dur);
            break;
        case kCell:
            writeTrain(h, kCellTrain);
            SetCtrlVal(h, CELL_DUR, Duration);
            SetCtrlVal(h, CELL_AMP, WF_amp);
            break;
        case kZap:
            printLine("ZAP PARAMETERS WERE UPDATED");
            SetCtrlVal(h, ZAP_AMPLITUDE, WF_amp);
            writeTrain(h, kZapTrain);
            // The sweep control holds the sweep alone; Duration includes the leads.
            SetCtrlVal(h, ZAP_DURATION, 100000);
            break;
        case kPoisson:
            printLine("POISSON PARAMETERS WERE UPDATED");
            writeTrain(h, kPoissonTrain);
            SetCtrlVal(h, POISSON_FREQUENCY, Frequency);
            SetCtrlVal(h, POISSON_TOTALDURATION, Duration);
            SetCtrlVal(h, POISSON_DURATION, Dur);
            SetCtrlVal(h, POISSON_AMPLITUDE, WF_amp);
            break;
        case kSine:
            writeTrain(h, kSineTrain);
            SetCtrlVal(h, SINE_DURATION, Duration);
            SetCtrlVal(h, SINE_AMPLITUDE, WF_amp);
            SetCtrlVal(h, SINE_PHASE, Phase);
            SetCtrlVal(h, SINE_DUTY_CYCLE, Duty_cycle);
            break;
        case kNoise:
            SetCtrlVal(h, NOISE_STDEV, Noise_stdev);
            SetCtrlVal(h, NOISE_DURATION, 5000);
            SetCtrlVal(h, NOISE_BASELINE, Baseline);
            SetCtrlVal(h, NOISE_STRENGTH, Noise_strength);
            SetCtrlVal(h, NOISE_TAU, Noise_tau);
            SetCtrlVal(h, NOISE_FROZEN, Noise_frozen);
            break;
        default:
            break;
    }
}
