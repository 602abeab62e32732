#pragma once
// The stimulus a recording was made with, rebuilt from its header's stimulus section by the
// assembly the program plays stimuli with. The section holds most settings rounded up to whole
// numbers and leaves out what some kinds need (the sweep settings of a frequency sweep, the
// phase and duty cycle of a sine, the random draws of Poisson trains and noise), so only the
// kinds it determines are rebuilt; the others are refused with the reason, never guessed.

#include <optional>
#include <string>
#include <vector>

#include "recording/vnx_reader.h"
#include "stimulus/assembly.h"

namespace trelvanix::vnx {

struct RebuiltStimulus {
    std::vector<double> values;  // in the stimulus unit, as the program built them
    double msPerValue = 1.0;     // time between two values
    double conversion = 0.0;     // stimulus units per volt: value / conversion is the output
};

// A rebuild is refused beyond this many values (9.3 hours at one value per millisecond), so that
// a malformed header cannot ask for an allocation without bound.
constexpr int kMaxRebuiltValues = 1 << 25;

// The assembly's parameters from a stimulus section of a kind the header determines (no
// stimulus, pulse train, ramp train); otherwise nothing, and *error says what is missing.
std::optional<StimulusParameters> recordedStimulusParameters(const StimulusInfo& stimulus,
                                                             std::string* error);

// Rebuilds the stimulus of a section; nothing, with the reason in *error, when the section does
// not determine it or the assembly refuses it.
std::optional<RebuiltStimulus> rebuildStimulus(const StimulusInfo& stimulus, std::string* error);

}  // namespace trelvanix::vnx
