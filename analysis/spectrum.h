#pragma once
// The power spectrum of one channel, free of panels: how many values a collection length
// asks for, and the spectrum of one full collection (optionally windowed, averaged over the
// last spectra, in decibels, with its highest peak). The spectrum window feeds it.

#include <vector>

namespace trelvanix::analysis_detail {
class RealFftPlan;
}

namespace trelvanix::spectrum {

// Values per spectrum for a collection of `milliseconds` at `samplesPerSecond`: the largest
// power of two not above milliseconds x samplesPerSecond / 1000 (0 when that is below 1).
int LengthForMilliseconds(double milliseconds, int samplesPerSecond);

// Frequency in hertz of bin k of an L-value transform at `samplesPerSecond`.
double BinFrequency(int k, int length, int samplesPerSecond);

struct SpectrumOptions {
    int averaged = 1;         // spectra averaged, the newest with the ones before it
    bool hannWindow = false;  // a periodic Hann window before the transform
    bool decibels = false;    // power as 10 log10(power / 1 unit squared)
};

struct Peak {
    double frequency = 0.0;  // hertz
    double power = 0.0;      // as shown (decibels when the options say so)
    bool silent = false;     // every power is 0: the signal was zero (constant before the FFT)
};

// Bytes the average of `averaged` spectra of `length` values holds, and the most it may.
double AverageBytes(int length, int averaged);
constexpr double kMostAverageBytes = 128.0 * (1 << 20);

// Turns full collections of `length` values into power against frequency for bins 1 to
// length/2 - 1: the constant term and the component at half the sampling rate are not shown.
// Power is re^2 + im^2 of the unscaled transform. All working storage is sized by configure,
// so compute allocates nothing; the values are collected straight into the input of a
// transform kept for collections, so nothing is copied either.
class SpectrumProcessor {
  public:
    // Sizes the working arrays for `length` values (a power of two, at least 4) and forgets
    // the spectra averaged so far. False, with nothing held, when they cannot be had.
    bool configure(int length, int samplesPerSecond, const SpectrumOptions& options);
    // Frees the working arrays.
    void release();
    // New options take effect at once; the average starts over when the count of spectra or
    // the window changes, and only then are its arrays sized (never while computing).
    void setOptions(const SpectrumOptions& options);
    // A new sampling rate moves the frequency axis; the average starts over.
    void setSampleRate(int samplesPerSecond);

    // Where a full collection of length() values goes before compute() (null before
    // configure); compute overwrites them.
    double* values();
    // The spectrum of the values(), averaged with the ones before it. Returns the number of
    // points, length/2 - 1, or 0 when nothing is configured.
    int compute();
    // The same for `values` (length of them) held elsewhere, copied into values() first.
    int compute(const double* values);

    int length() const { return length_; }
    int points() const { return length_ / 2 - 1; }
    const SpectrumOptions& options() const { return options_; }
    const double* frequencies() const { return frequencies_.data(); }
    const double* power() const { return shown_.data(); }
    Peak peak() const;

  private:
    void fillFrequencies();
    void clearAverage();

    int length_ = 0;
    int samplesPerSecond_ = 0;
    analysis_detail::RealFftPlan* plan_ = nullptr;  // for collections: values() are its input
    SpectrumOptions options_;
    std::vector<double> window_;                // Hann weights, empty without a window
    std::vector<double> frequencies_;           // by point
    std::vector<std::vector<double>> history_;  // the last `averaged` power spectra
    bool configured_ = false;                   // options applied since configure
    int historyNext_ = 0;                       // slot the next spectrum goes into
    int historyCount_ = 0;                      // spectra held, up to `averaged`
    std::vector<double> shown_;                 // the average, in decibels when asked
    bool silent_ = false;                       // the last spectrum had no power at all
};

}  // namespace trelvanix::spectrum
