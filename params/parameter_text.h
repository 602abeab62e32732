#pragma once
// The parameter file's text: written as keyed lines, read back word by word by position. The
// reader reads the whole text before anything is applied, so a short or damaged file is
// refused whole, with the line and key where reading failed.

#include <string>
#include <string_view>

#include "params/parameter_set.h"

namespace trelvanix::params {

// The file text up to and including the Waveform value.
std::string FormatSettings(const ParameterSet& set);
// The stimulus section that follows the Waveform value (empty for no kind).
std::string FormatStimulus(int waveform, const StimulusSettings& stimulus, bool withCellSamples);

struct ReadFailure {
    int line = 0;     // 1-based line of the word where reading failed
    std::string key;  // the key before the value that failed, or the key searched for
    std::string what;
};

// Reads a whole file's text; false with `failure` set when any value fails.
bool ParseParameters(std::string_view text, const ParameterLimits& limits, ParameterSet* set,
                     ReadFailure* failure);

}  // namespace trelvanix::params
