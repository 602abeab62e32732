#pragma once
// Start-up of the program once the toolkit's front end exists: loads the main and injection
// panels, initialises the device, shows the main panel and runs the event loop.

namespace trelvanix {

// The panels are loaded and the device initialised; returns 0, or -1 when a panel cannot be
// loaded (nothing has been shown then).
int StartMainPanel();
// StartMainPanel, then remote control when `listen` asks for it, then the event loop; returns 0
// when the loop ends, -1 on a failed start.
int RunTrelvanix(bool listen = false);
// Run on every way out: ends a recording in progress as Stop would (its files finalised)
// and stops a stimulus that plays.
void FinishBeforeLeaving();

}  // namespace trelvanix
