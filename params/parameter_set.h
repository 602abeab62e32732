#pragma once
// Every setting a parameter file carries, as plain values: what the reader has read before
// anything is applied, and what the writer formats.

#include <array>
#include <string>
#include <vector>

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
};

// What the board and menus offer, against which a file is checked.
struct ParameterLimits {
    std::vector<float> boardGains;  // the board-gain list, in list order
};

constexpr int kCellSamples = 1004;
constexpr int kFileVersion = 807;

}  // namespace trelvanix::params
