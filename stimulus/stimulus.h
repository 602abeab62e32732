#pragma once
// The stimulus subsystem: its own state, the reading of the stimulus sub-panels into the
// parameters, the assembly of WF_buffer with its preview, and the writing of the parameters
// back to the panels. The pure assembly is in "stimulus/assembly.h", the generators in
// "stimulus/generators.h"; the callbacks (inject, Set_waveform, ClosePulse, ...) are declared
// with the panel constants in "resources/trelvanix_uir.h".

#include <memory>

#include "stimulus/assembly.h"

// Parameters that only the stimulus uses (the shared ones are in state/shared_state.h).
extern double Noise_stdev;   // white-noise amplitude, Gaussian standard deviation
extern double Noise_frozen;  // kept in NOISE_FROZEN; generation does not use it
extern double TotalTime;     // length of the last stimulus in ms, pre-time and post-time included

// The two-file cell stimulus: a saved previous stimulus (without pre- and post-time) that the
// new cell waveform follows while LoadFile is 1. Set by the waveform-file commands.
extern int LoadFile;
extern double* WF_buffer_2;  // new[] block of NumPts values, or null
extern int NumPts;
extern int SavedValuesPerMs;  // values per ms of WF_buffer_2: 10 for Ornstein-Uhlenbeck noise

namespace trelvanix {

// Settings that live only on the sub-panels and are read during assembly.
struct StimulusPanelOptions {
    ZapSettings zap;
    double zapSweepDuration = 100000.0;  // ZAP_DURATION, without lead-in and lead-out
    int zapCellShape = 0;
    int sineSweepDuty = 0, sineCentre = 0, sineLockBaseline = 0;
    int noiseKind = 0, noiseRectify = 0;
};
extern StimulusPanelOptions PanelOptions;

// The cell waveform follows `count` values, `valuesPerMs` of them a ms; or follows nothing.
void ChainStimulus(std::unique_ptr<double[]> values, int count, int valuesPerMs);
void UnchainStimulus();

// Puts the stimulus's own state back to its initial values and frees WF_buffer_2. The
// shared stimulus parameters are reset with the shared state.
void ResetStimulusState();

// The parameters of the current stimulus from the program-wide variables and PanelOptions.
StimulusParameters CurrentStimulusParameters();

}  // namespace trelvanix

// Reads the current kind's sub-panel into the parameters, corrects them (zap duration with
// its leads, sine phase 360 -> 0, duty cycle outside (0, 1) -> 0.5, locked sine baseline) and
// returns the stimulus length in ms without pre-time and post-time; 0.0 with no kind chosen.
double Get_wf_pars();
// Assembles WF_buffer from the panels and draws the preview on INJECT_GRAPH. A refused
// assembly keeps the previous buffer, and its reason is shown to the operator (or, given
// `refusal`, put there for the caller to show). Returns 0 when a stimulus was built, -1 when
// refused.
int InitializeGlobals(std::string* refusal = nullptr);
// Loads the seven sub-panels on first use; 0, or -1 when one could not be loaded.
int LoadStimulusSubPanels();
// Writes the parameters into the injection panel and the current kind's sub-panel.
void UpdateParameters();
