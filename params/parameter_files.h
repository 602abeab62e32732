#pragma once
// Parameter files ("*.par"): every acquisition, display, filter and stimulus setting saved to
// a text file the operator names, and restored from one. The menu callbacks SaveParams and
// LoadParams are declared with the panel constants in "resources/trelvanix_uir.h".

#include <string>

#include "params/parameter_set.h"

// Asks for a file and writes the current settings into it.
void SaveParameters();
// Asks for a file, stops acquisition and any recording, reads the whole file and, when every
// value reads, applies it; a damaged file changes nothing and says where it is damaged.
void LoadParameters();
// After loading: rescans the channels, makes the lowest ticked one active and shows it.
void channelCheck();

namespace trelvanix::params {
// The settings in force now (the stimulus section brought up to date from its sub-panel).
ParameterSet CurrentParameters();
// The whole file text for `set`: the settings, then the stimulus section when a kind is set.
std::string ParameterFileText(const ParameterSet& set);
// What this board offers, to check a file against.
ParameterLimits CurrentLimits();
// Puts the settings into force as the loader does once the file has read.
void ApplyParameters(const ParameterSet& set);
}  // namespace trelvanix::params
