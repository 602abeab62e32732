#pragma once
// The results of the program: the operator's measurements, made on every recording as soon as
// its files are finalised, one row per recording. The window (menu Analysis > Results...) and
// its callbacks are declared with the panel constants in "resources/trelvanix_uir.h".

#include <string>
#include <vector>

#include "results/measurement.h"
#include "results/result_table.h"
#include "state/program_events.h"

namespace trelvanix::results {

// Measures the recording an event says was finalised, and adds its row, as soon as the event
// loop is reached (between stretches while acquiring); other events are passed over. The
// program's wiring subscribes it to the program events.
void MeasureFinishedRecording(const events::Event& event);

// The measurements defined now, in column order.
std::vector<Measurement> DefinedMeasurements();
// Replaces every measurement; returns the first definition's problem and changes nothing
// then. Rows keep the values of the measurements left as they were.
std::string ReplaceMeasurements(const std::vector<Measurement>& measurements);

// Puts the results back to their state at start: no measurements, no rows, window not loaded.
void ResetResultsState();

}  // namespace trelvanix::results
