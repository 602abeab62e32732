#pragma once
// Per-channel user units and scale factors (volts per unit), edited on the units-and-filters
// panel; the active channel's display follows them. The panel's callbacks are declared with
// its constants in "resources/trelvanix_uir.h".

// Shows channel ch's unit and scale factor on the units-and-filters panel.
void update_units(int ch);
// Stores the panel's unit and scale factor into channel ch and refreshes the display; false,
// with an "Error!" message and nothing stored, for a unit that does not fit two characters
// or a scale factor of 0.
bool applyUnits(int ch);
// When ch is the active channel: the y axis, the gain, offset and unit controls of the main
// panel in channel ch's unit.
void displayUnits(int ch);
