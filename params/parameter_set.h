#pragma once
// Every setting a parameter file carries, as plain values: what the reader has read before
// anything is applied, and what the writer formats.

#include <array>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "results/measurement.h"

namespace trelvanix::params {

struct ChannelSettings {
    int ticked = 0;
    double gain = 1.0, offset = 0.0;
    int boardGain = 1;       // as stored: the board gain truncated to a whole number
    int rangeIndex = 0;      // reader: the board range the stored gain selects
    float exactGain = 1.0f;  // reader: that range's gain
    std::string unit = "V";
    double scaleFactor = 1.0;
    int filterType = 0, windowType = 2, windowSize = 55;
    double lowCutoff = 500.0, highCutoff = 500.0;
    bool operator==(const ChannelSettings&) const = default;
};

// The stimulus section: the selected kind's items, the common items and the cell samples.
struct StimulusSettings {
    std::array<double, 5> pulseDur{}, pulseAmp{}, rampDur{}, rampAmp{};
    int duration = 0;
    double amplitude = 0.0;
    int cellPhase = 0;
    double phase = 0.0, dutyCycle = 0.0;
    int frequency = 0, pulseWidth = 0;  // Poisson, whole numbers in the file
    int numRepeats = 1;
    double interburst = 0.0;
    int numBurst = 1;
    double baseline = 0.0, interbaseline = 0.0;
    std::vector<double> cellSamples;  // 1004 values, or none when the file holds none
    bool operator==(const StimulusSettings&) const = default;
};

// Stimulus settings the fixed layout cannot carry, written in the trailer of named lines.
struct StimulusExtras {
    // Stimulus sub-panel controls the fixed layout leaves out or rounds, by constant name
    // ("ZAP_FREQ_START"), with the value the control holds.
    std::map<std::string, double> panelControls;
    // The stimulus the cell waveform plays after ("Add file after..."): absent when the file
    // does not say, empty when it says that none is chained.
    std::optional<std::vector<double>> cellFollows;
    int cellFollowsPerMs = 1;  // values a ms of cellFollows: 10 after Ornstein-Uhlenbeck noise
    bool operator==(const StimulusExtras&) const = default;
};

struct ParameterSet {
    float rateKilosamples = 4.0f;
    int stretches = 100;
    double secondsPerStretch = 0.1;
    int divisions = 10;
    std::string directory;
    double savingInterval = 0.0, skipInterval = 0.0;
    std::array<ChannelSettings, 8> channels{};
    double conversion = 1.0;
    int preTime = 500, postTime = 500;
    int injectChannel = 0;
    int waveform = -1;
    StimulusSettings stimulus;
    StimulusExtras stimulusExtras;
    // The Results window's measurements by their number in the file (1, 2, ...); none when the
    // file has none, which leaves the window's as they are.
    std::map<int, results::Measurement> measurements;
    // Trailer lines whose key no reader knows (a newer program's settings): line and key.
    std::vector<std::pair<int, std::string>> unknownKeys;
    bool operator==(const ParameterSet&) const = default;
};

struct Range {
    double min = 0.0, max = 0.0;
};

// What the board, the menus and the controls accept, against which a file is checked.
struct ParameterLimits {
    std::vector<float> boardGains;       // the board-gain list, in list order
    std::vector<double> rates;           // kilosamples per second the Sampling rate menu offers
    std::vector<double> stretchLengths;  // seconds the Stretch menu offers
    // By control constant name ("PANEL_GAIN"): a numeric control's range, and the values a
    // ring or check box offers.
    std::map<std::string, Range> ranges;
    std::map<std::string, std::vector<double>> choices;
    double sweepAxisSpan = 10.0;  // display units the sweep graph's y axis spans
};

constexpr int kCellSamples = 1004;
constexpr int kFileVersion = 807;
// The longest stimulus a file carries for the cell waveform to follow (100 s at 1 value per
// ms), so that a saved file stays well inside the size a parameter file may have.
constexpr int kMostFollowedValues = 100000;

}  // namespace trelvanix::params
