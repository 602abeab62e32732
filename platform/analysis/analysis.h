#pragma once
// The analysis routines the program calls by their published names: windowed FIR design,
// convolution, real FFT, waveform and noise generators, Butterworth filters; and ConvolvePart,
// a part of Convolve's result for the display filters.
//
// Every routine returns 0 on success or one of the negative AnalysisStatus values; on failure
// the output arrays are left as they were. Arrays are caller-owned. Input and output arrays
// must not overlap, except where a routine says it works in place.
//
// The routines keep state between calls (cached FFT plans, the noise generators) and take no
// locks: the program calls them from its one user-interface thread only.

enum AnalysisStatus : int {
    kAnalysisOk = 0,
    kAnalysisNullPointer = -1,        // an array or the phase pointer is null
    kAnalysisBadSize = -2,            // a length or tap count below 1
    kAnalysisBadSamplingRate = -3,    // sampling frequency not above 0
    kAnalysisBadCutoff = -4,          // cut-off not strictly between 0 and fs/2, or low >= high
    kAnalysisEvenTapCount = -5,       // high-pass and band-stop designs need an odd tap count
    kAnalysisBadWindowType = -6,      // window code other than 1..5
    kAnalysisBadOrder = -7,           // filter order below 1
    kAnalysisNotPowerOfTwo = -8,      // FFT length is not a power of two
    kAnalysisOutOfMemory = -9,        // a work buffer or FFT plan could not be allocated
    kAnalysisDegenerateDesign = -10,  // the taps pass nothing to normalise (2-tap Hanning)
};

// Window codes of the FIR design routines; every window is symmetric about (n-1)/2.
enum AnalysisWindowType : int {
    kWindowRectangular = 1,
    kWindowTriangular = 2,  // end points are not zero
    kWindowHanning = 3,
    kWindowHamming = 4,
    kWindowBlackman = 5,
};

// Windowed-sinc FIR designs of numCoefs taps, centred at (numCoefs-1)/2, normalised to unity
// gain where they pass: 0 Hz for low-pass and band-stop, fs/2 for high-pass, the band centre
// for band-pass. High-pass and band-stop need an odd tap count.
int Wind_LPF(double samplingFreq, double cutoff, int numCoefs, double coef[], int windowType);
int Wind_HPF(double samplingFreq, double cutoff, int numCoefs, double coef[], int windowType);
int Wind_BPF(double samplingFreq, double lowCutoff, double highCutoff, int numCoefs, double coef[],
             int windowType);
int Wind_BSF(double samplingFreq, double lowCutoff, double highCutoff, int numCoefs, double coef[],
             int windowType);

// out[i] = sum over k of x[k] * y[i-k], for i = 0 .. nx+ny-2 (out holds nx+ny-1 values).
int Convolve(const double x[], int nx, const double y[], int ny, double out[]);
// Values first .. first+count-1 of that same result (equal to rounding) into out[0 .. count-1],
// without computing the rest: a filter over a stretch whose history precedes it needs only the
// values where the taps lie wholly inside the data. first >= 0, count >= 1, and
// first + count <= nx + ny - 1, or kAnalysisBadSize.
int ConvolvePart(const double x[], int nx, const double y[], int ny, int first, int count,
                 double out[]);

// Forward real FFT in place, n a power of two: x holds the real samples on entry (y's contents
// are ignored); on return x and y hold the real and imaginary parts of all n unscaled bins,
// X[k] = sum of x[i] * e^(-j 2 pi i k / n).
int ReFFT(double x[], double y[], int n);

// n values of a straight line from first to last, both included; n = 1 gives first.
int Ramp(int n, double first, double last, double out[]);

// out[i] = amp * sin(phase + 360 * freq * i degrees), freq in cycles per sample. On return
// *phase is the phase of the next sample, wrapped into [0, 360), so a second call continues
// the wave.
int SineWave(int n, double amp, double freq, double* phase, double out[]);

// Uniform noise in [-|amp|, |amp|] and normal noise of mean 0 and spread |sd|. A seed above 0
// restarts the routine's own generator from that seed (same seed, same values); a seed of 0
// or below continues from where the previous call left it.
int WhiteNoise(int n, double amp, int seed, double out[]);
int GaussNoise(int n, double sd, int seed, double out[]);

// Butterworth low-pass and high-pass filtering of n samples: bilinear transform with the
// cut-off pre-warped, cascaded second-order sections, zero initial state. x and y may be the
// same array (filtering in place); otherwise they must not overlap.
int Bw_LPF(const double x[], int n, double fs, double fc, int order, double y[]);
int Bw_HPF(const double x[], int n, double fs, double fc, int order, double y[]);
