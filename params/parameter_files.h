#pragma once
// Parameter files ("*.par"): every acquisition, display, filter and stimulus setting saved to
// a text file the operator names, and restored from one. The menu callbacks SaveParams and
// LoadParams are declared with the panel constants in "resources/trelvanix_uir.h".

#include <string>

#include "params/parameter_set.h"

// Asks for a file and writes the current settings into it.
void SaveParameters();
// Asks for a file, then loads it as LoadParametersFrom does.
void LoadParameters();
// Stops acquisition and any recording, reads the whole file and, when every value reads and
// fits, applies it; a damaged file changes nothing and says where it is damaged.
void LoadParametersFrom(const std::string& path);
// After loading: rescans the channels, makes the lowest ticked one active and shows it.
void channelCheck();

// The parameter files saved or loaded last, offered in the File menu (most recent first) for
// as long as the program runs. A file written or read well is remembered.
void RememberParameterFile(const std::string& path);
void ForgetRecentParameterFiles();
// The name the file is written under: the operator's, with ".par" added when it has no
// extension, so that the load dialog's "*.par" shows it.
std::string WithParameterExtension(const std::string& path);

namespace trelvanix::params {
// The settings in force now: what the panels show, the stimulus of the chosen kind included.
ParameterSet CurrentParameters();
// Brings the chosen kind's stimulus settings up to date from its sub-panel controls and puts
// them, with the settings only the trailer carries, into `set`. Returns 0.
int getInjectparameters(ParameterSet& set);
// What this board, its menus and the panels' controls accept, to check a file against.
ParameterLimits CurrentLimits();
// Puts the settings into force as the loader does once the file has read, and shows them in
// every window that shows them.
void ApplyParameters(const ParameterSet& set);
}  // namespace trelvanix::params
