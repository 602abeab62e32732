#pragma once
// The stimulus against the output range, before Start: the line under the preview gives the
// peak voltage the stimulus would reach at the output, and a stimulus beyond -10 V to +10 V
// is marked (the line in red, the range's limits drawn on the preview), since Start refuses
// it. The callback showOutputRange (units per volt changed) is declared with the panel
// constants in "resources/trelvanix_uir.h".

namespace trelvanix {

// The peak |value| of WF_buffer divided by the panel's units per volt.
double StimulusPeakVolts();
// Shows the peak of the stimulus just built, and marks it when beyond the range.
void ShowOutputRange();
// Says that the cell kind has no waveform loaded, so only 0 V would play.
void ShowNoCellWaveform();
// Clears the line (no stimulus kind chosen).
void ClearOutputRange();

}  // namespace trelvanix
