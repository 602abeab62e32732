#pragma once
// The waveform generators of the stimulus: frequency sweeps ("zap"), Poisson pulse trains,
// random numbers and noise. Values are in the operator's stimulus unit, one value per
// millisecond unless a routine says otherwise. None of them reads a panel: the sub-panel
// settings they need are passed in, so a stimulus can be rebuilt without the user interface.

// Event times of the last Poisson train in ms from the start of the train; entry 0 is 0.
extern int PoisTimes[5001];

namespace trelvanix {

// The frequency-sweep settings of the zap sub-panel.
struct ZapSettings {
    double freqStart = 0.0, freqEnd = 0.0;  // Hz
    int cyclesStart = 0, cyclesEnd = 0;     // lead-in cycles at freqStart, lead-out at freqEnd
    int sweepType = 0;                      // sweep law of zapf: 0, 1 or 2
    int reverse = 0;                        // 1: the sweep is stored time-reversed
};

// The noise settings of the noise sub-panel.
struct NoiseSettings {
    double stdev = 1000.0;    // white: amplitude; Gaussian: standard deviation
    double strength = 500.0;  // Ornstein-Uhlenbeck stationary standard deviation
    double tau = 0.5;         // Ornstein-Uhlenbeck time constant, ms
    int rectify = 0;          // 0 off, +1 keeps the positive part, -1 the negative part
    int seed = 1;             // above 0: the noise generators restart from it
};

// Sweep-law values that zapf knows: 0, 1 and 2.
bool IsValidSweepType(int type);
// Lead-in and lead-out lengths in ms of a sweep: (int)(1000 * cycles / frequency), 0 when the
// frequency is not above 0.
int ZapLeadIn(const ZapSettings& zap);
int ZapLeadOut(const ZapSettings& zap);

// Restarts the random-number generator and forgets the last seed (start of a run).
void ResetRandomNumbers();
// A seed above 0 for the noise generators, different at every call: the program clock in
// milliseconds mixed with a count of the seeds given since the last reset, so runs on
// simulated time repeat exactly while two assemblies never share their noise.
int NextNoiseSeed();

}  // namespace trelvanix

// Mean frequency factor at time t into a sweep of T samples from f1 to f2 (Hz); the result
// times t is the phase in cycles. 0.0 when T is not above 0 or the type is not 0, 1 or 2.
double zapf(int type, double t, double T, double f1, double f2);
// One value of the oscillation at x radians: sin x without a cell waveform (cellArray null),
// else the 1000-value period of cellArray interpolated linearly (cellArray[1000] must exist).
double cellwfm(double x, const double* cellArray);
// Fills out[0 .. n-1] with one frequency sweep: lead-in at the start frequency, the sweep,
// lead-out; amplitude times sin (shape 0) or times cellwfm (other shapes); phase in degrees.
void ZapWave(int n, double amplitude, double* out, int shape, const trelvanix::ZapSettings& zap,
             double phase, const double* cellArray);

// Writes exponentially distributed event times (mean 1000 / frequency ms, truncated to whole
// ms) into PoisTimes until one reaches `duration` or 5000 events; returns the entries written.
// A frequency not above 0 gives the single event at 0.
int makePoisTrain(int duration, double frequency);
// Fills train[0 .. duration-1]: pulses of height `amplitude` and width `dur` ms at the event
// times of makePoisTrain, 0 elsewhere; a pulse that would end after `duration` ends the train.
void Generate_poisson(double* train, int duration, double dur, double amplitude, double frequency);
// A pseudo-random number in (0, 1], the generator seeded from the program clock's millisecond.
float GetRandomNumber();

// Fills m noise values: kind 0 uniform white noise, 1 Gaussian, 2 Ornstein-Uhlenbeck with
// step dt ms. Other kinds leave out unchanged (callers refuse them).
void generateNoise(double* out, int kind, int m, double dt, const trelvanix::NoiseSettings& noise);
// m values of an Ornstein-Uhlenbeck process of step dt ms, time constant tau ms and stationary
// standard deviation `strength`, starting from 1.0; rectify as in NoiseSettings (a clipped
// value restarts the process from 0).
void ouProcess(double* out, double dt, int m, double strength, double tau, int rectify, int seed);
