#pragma once
// Start-up of the program once the toolkit's front end exists: loads the main and injection
// panels, initialises the device, shows the main panel and runs the event loop.

namespace trelvanix {

// The panels are loaded and the device initialised; returns 0, or -1 when a panel cannot be
// loaded (nothing has been shown then).
int StartMainPanel();
// StartMainPanel, then the event loop; returns 0 when the loop ends, -1 on a failed start.
int RunTrelvanix();
// Ends a recording in progress as Stop would, its files finalised: run on every way out.
void FinishRecording();

}  // namespace trelvanix
