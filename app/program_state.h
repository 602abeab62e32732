#pragma once
// The whole program's state in one place: the shared variables and every module's own.

namespace trelvanix {

// Puts the program back to its state at start: the shared variables, recording's file set,
// save options and open data files, the acquisition engine, the stimulus and its run-time, the
// analog outputs, the application's own panels and choices, the toolkit's panels and open
// files, the simulated board and its planned faults, and the file system in use. The
// program's assembly (WireProgram), the clock and the front end are left as installed: they
// are chosen, not state.
void ResetProgramState();

}  // namespace trelvanix
