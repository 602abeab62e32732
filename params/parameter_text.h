#pragma once
// The parameter file's text: written as keyed lines, read back word by word by position, then
// the trailer of named lines (params/parameter_trailer.h). The reader reads the whole text
// and checks every value against what its control accepts before anything is applied, so a
// short or damaged file is refused whole, with the line, key and value where it failed.

#include <string>
#include <string_view>

#include "params/parameter_set.h"
#include "params/parameter_words.h"

namespace trelvanix::params {

// The file text up to and including the Waveform value.
std::string FormatSettings(const ParameterSet& set);
// The stimulus section that follows the Waveform value (empty for no kind).
std::string FormatStimulus(int waveform, const StimulusSettings& stimulus, bool withCellSamples);
// The whole file: the settings, the stimulus section of the kind chosen (with the cell
// samples when it has them) and the trailer.
std::string FormatParameters(const ParameterSet& set);

// Reads a whole file's text; false with `failure` set when any value fails.
bool ParseParameters(std::string_view text, const ParameterLimits& limits, ParameterSet* set,
                     ReadFailure* failure);

}  // namespace trelvanix::params
