#pragma once
// Waveform files and the cell waveform: loading a "*.wfm" file into Cell_array and showing its
// header values, the two-file stimulus, the cell filter panel, the baseline from the shape's
// minimum, and the search for a period's extreme. The callbacks (Load_file, Load_2ndfile,
// Show_Filter, CloseCellFilter, Filter, Shift_min) are declared with the panel constants in
// "resources/trelvanix_uir.h".

// A waveform file: 1000 samples of one period, then duration (ms), maximum, minimum, DC level,
// amplitude and an extra value.
constexpr int kWaveformFileValues = 1006;
constexpr int kWaveformShapeValues = 1000;

extern char WF_filename[260];  // path of the last chosen waveform file
extern int CellFilterHandle;   // the cell filter panel; 0 while not loaded

// Filters the first 1000 values of Cell_array in place with the cell filter panel's settings:
// the low-pass filter when it is on, else the high-pass one. Returns 0, or -1 when nothing was
// filtered (no waveform, no filter on, or a refused design, shown to the operator).
int filter();

// The offset of the first maximum (kind 1) or first minimum (kind 2) of WF_buffer[start, end)
// from start; 0 for any other kind or an empty range.
int cell_phase(int start, int end, int kind);

namespace trelvanix {

// Forgets the chosen file and the cell filter panel (the toolkit's reset discards the panel).
void ResetWaveformFileState();

}  // namespace trelvanix
