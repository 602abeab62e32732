#pragma once
// Stimulus assembly as a pure function: from the parameters of one stimulus kind to the buffer
// of values that the run-time plays (pre-time, the stimulus built from bursts, repeats and
// gaps, post-time). Nothing here reads or writes a panel or a program-wide variable, so a
// tool can rebuild a stimulus from the parameters stored in a data file's header.

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "stimulus/generators.h"

namespace trelvanix {

// Stimulus kinds, the values of Waveform.
enum StimulusKind : int {
    kNoStimulus = -1,
    kPulse = 0,
    kRamp = 1,
    kCell = 2,
    kZap = 3,
    kPoisson = 4,
    kSine = 5,
    kNoise = 6,
};

// Every parameter one assembly uses. Durations in ms, amplitudes in stimulus units,
// frequencies in Hz, phases in degrees. Defaults are the program's initial values.
struct StimulusParameters {
    int waveform = kNoStimulus;
    int preTime = 500, postTime = 500;
    double baseline = 0.0, interbaseline = 0.0, interburst = 0.0;
    int numBurst = 1, numRepeats = 1;
    std::array<double, 5> pulseAmp{1000, 0, 0, 0, 0}, pulseDur{100, 100, 0, 0, 0};
    std::array<double, 5> rampAmp{0, 1000, 0, 0, 0}, rampDur{100, 100, 0, 0, 0};
    int duration = 5000;  // period (cell, sine), sweep with its leads (zap), train, noise
    double wfAmp = 1000.0, phase = 0.0, dutyCycle = 0.5;
    double frequency = 5.0, dur = 5.0;  // Poisson rate and pulse width
    double noiseStdev = 1000.0, noiseStrength = 500.0, noiseTau = 0.5;
    int cellPhase = 0;  // 0 none, 1 start each period at its maximum, 2 at its minimum
    // Zap: the sweep settings, the sweep length without its leads (ZAP_DURATION) and the shape.
    ZapSettings zap;
    double zapSweepDuration = 100000.0;
    int zapCellShape = 0;
    // Sine: duty cycle stepped over the bursts, period read from its centre, baseline locked.
    int sineSweepDuty = 0, sineCentre = 0, sineLockBaseline = 0;
    // Noise: 0 white, 1 Gaussian, 2 Ornstein-Uhlenbeck; rectification 0, +1 or -1.
    int noiseKind = 0, noiseRectify = 0;
};

// The corrections made when the parameters are read: a zap's duration includes its lead-in and
// lead-out; a sine phase of 360 is 0; a duty cycle outside (0, 1) is 0.5; a locked sine
// baseline equals the amplitude.
void CorrectParameters(StimulusParameters& p);
// Stimulus length in ms without pre-time and post-time, durations summed unrounded (a second
// waveform file in use changes the cell length).
double StimulusLength(const StimulusParameters& p, bool secondFileLoaded);

// The offset inside a period of its first maximum (kind 1) or first minimum (kind 2); 0 for
// other kinds.
int CellPhaseShift(const double* period, int count, int kind);
using CellPhaseFinder = std::function<int(const double* period, int count, int kind)>;

// What an assembly uses besides the parameters.
struct StimulusSources {
    const double* cellArray = nullptr;  // cell waveform: 1000 values, then 0.0 at index 1000
    bool secondFileLoaded = false;      // the cell stimulus follows a saved previous stimulus
    const double* secondFile = nullptr;
    int secondFileCount = 0;
    int secondFileValuesPerMs = 1;  // 10 when the saved stimulus is Ornstein-Uhlenbeck noise
    int noiseSeed = 1;              // above 0
    CellPhaseFinder cellPhase = CellPhaseShift;
};

struct AssembledStimulus {
    enum class Outcome {
        Built,           // a complete stimulus
        NoCellWaveform,  // cell kind without a waveform: zeros only, nothing to preview
        Refused,         // nothing built; errorTitle and errorText say why
    };
    Outcome outcome = Outcome::Refused;
    std::string errorTitle, errorText;
    std::unique_ptr<double[]> values;  // numPoints values (allocated with new[])
    int numPoints = 0;
    double totalTime = 0.0;         // ms, pre-time and post-time included
    double samplesPerSec = 1000.0;  // 10000 for Ornstein-Uhlenbeck noise
    double msPerValue = 1.0;        // 0.1 for Ornstein-Uhlenbeck noise
    int previewCount = 0;           // values to draw in the preview
    int cellPhaseAfter = 0;         // the cell phase request once it has been applied
    double phaseAfter = 0.0;        // sine: the phase the last half-wave left, degrees
};

// Builds the stimulus. Its size is worked out before anything is allocated, from the values
// the fill really writes (fractional step, segment and gap durations take their ceilings, and
// the post-time follows the last value written); a stimulus beyond StimulusValueLimit() is
// refused with its size, and so is one the memory cannot hold. The buffer is the only array
// of the stimulus's length that the assembly allocates.
AssembledStimulus AssembleStimulus(const StimulusParameters& p, const StimulusSources& sources);

// The cell stimulus after a saved previous one: for each burst the saved values, the new
// stimulus, then a gap of interbaseline; pre-time and post-time around it all. The saved
// values keep their layout (savedValuesPerMs values per ms), and the rest is laid out at the
// same rate, each millisecond's value repeated.
AssembledStimulus ComposeWithSecondFile(const double* stimulus, int stimulusCount,
                                        const double* saved, int savedCount, int savedValuesPerMs,
                                        const StimulusParameters& p);

// The most values a stimulus may have: 64 Mi values (512 MiB as doubles), about 18.6 hours at
// 1000 values per second. Tests lower it.
constexpr std::size_t kStimulusValueLimit = std::size_t{64} << 20;
std::size_t& StimulusValueLimit();

}  // namespace trelvanix
