// The stimulus's own state and its reset.

#include <algorithm>

#include "state/shared_state.h"
#include "stimulus/generators.h"
#include "stimulus/stimulus.h"

double Noise_stdev = 1000.0;
double Noise_frozen = 0.0;
double TotalTime = 0.0;
int LoadFile = 0;
double* WF_buffer_2 = nullptr;
int NumPts = 0;
int SavedValuesPerMs = 1;

namespace trelvanix {

StimulusPanelOptions PanelOptions;

void ChainStimulus(std::unique_ptr<double[]> values, int count, int valuesPerMs) {
    delete[] WF_buffer_2;
    WF_buffer_2 = values.release();
    NumPts = count;
    SavedValuesPerMs = valuesPerMs;
    LoadFile = 1;
}

void UnchainStimulus() {
    delete[] WF_buffer_2;
    WF_buffer_2 = nullptr;
    NumPts = 0;
    LoadFile = 0;
}

void ResetStimulusState() {
    Noise_stdev = 1000.0;
    Noise_frozen = 0.0;
    TotalTime = 0.0;
    UnchainStimulus();
    SavedValuesPerMs = 1;
    std::fill(std::begin(PoisTimes), std::end(PoisTimes), 0);
    PanelOptions = StimulusPanelOptions{};
    StimulusValueLimit() = kStimulusValueLimit;
    ResetRandomNumbers();
}

StimulusParameters CurrentStimulusParameters() {
    StimulusParameters p;
    p.waveform = Waveform;
    p.preTime = Pre_time;
    p.postTime = Post_time;
    p.baseline = Baseline;
    p.interbaseline = Interbaseline;
    p.interburst = Interburst;
    p.numBurst = Num_burst;
    p.numRepeats = Num_repeats;
    std::copy(std::begin(Pulse_amp), std::end(Pulse_amp), p.pulseAmp.begin());
    std::copy(std::begin(Pulse_dur), std::end(Pulse_dur), p.pulseDur.begin());
    std::copy(std::begin(Ramp_amp), std::end(Ramp_amp), p.rampAmp.begin());
    std::copy(std::begin(Ramp_dur), std::end(Ramp_dur), p.rampDur.begin());
    p.duration = Duration;
    p.wfAmp = WF_amp;
    p.phase = Phase;
    p.dutyCycle = Duty_cycle;
    p.frequency = Frequency;
    p.dur = Dur;
    p.noiseStdev = Noise_stdev;
    p.noiseStrength = Noise_strength;
    p.noiseTau = Noise_tau;
    p.cellPhase = CellPhase;
    p.zap = PanelOptions.zap;
    p.zapSweepDuration = PanelOptions.zapSweepDuration;
    p.zapCellShape = PanelOptions.zapCellShape;
    p.sineSweepDuty = PanelOptions.sineSweepDuty;
    p.sineCentre = PanelOptions.sineCentre;
    p.sineLockBaseline = PanelOptions.sineLockBaseline;
    p.noiseKind = PanelOptions.noiseKind;
    p.noiseRectify = PanelOptions.noiseRectify;
    return p;
}

}  // namespace trelvanix
