#pragma once
// The trailer of a parameter file: settings its fixed layout cannot carry, written after that
// layout under one heading line, one "KEY value" per line (a value is the rest of its line:
// one word or several). A reader that follows the fixed layout stops before the trailer, and a
// file without one loads as it always did.
//
// To add settings: give ParameterSet a part for them, a writer that appends its lines in
// FormatTrailer and a reader in the list ReadTrailer goes through. A key no reader knows is
// not an error: its line is left out and the loader names it to the operator, so a file
// written by a newer program still loads here. A key given twice, or a value its control does
// not accept, refuses the whole file like any damaged value.

#include <string>
#include <string_view>
#include <vector>

#include "params/parameter_set.h"
#include "params/parameter_words.h"

namespace trelvanix::params {

extern const char kTrailerHeading[];

struct TrailerLine {
    int line = 0;  // 1-based line in the file
    std::string key, value;
};

// The trailer's text for `set` (a line break, the heading, the lines); empty when no writer
// has a line to write.
std::string FormatTrailer(const ParameterSet& set);

// The lines of the trailer in `text`, the text after the fixed layout (starting on line
// `firstLine`): none when it is blank. False, with `failure`, when other text is there.
bool SplitTrailer(std::string_view text, int firstLine, std::vector<TrailerLine>* lines,
                  ReadFailure* failure);

// Each reader takes the lines whose keys it knows into `set`; lines no reader takes go to
// set->unknownKeys. False, with `failure`, at the first line refused.
bool ReadTrailer(const std::vector<TrailerLine>& lines, const ParameterLimits& limits,
                 ParameterSet* set, ReadFailure* failure);

// What a line reader made of a line; a refusal fills *failure with its line, key and `what`.
enum class LineRead { Taken, NotMine, Refused };
LineRead RefuseLine(const TrailerLine& line, std::string what, ReadFailure* failure);
// The words of a value, separated by blanks or tabs.
std::vector<std::string_view> WordsOf(std::string_view text);

// --- The stimulus lines (stimulus_trailer.cpp) ---

// A sub-panel control the trailer carries, with the stimulus kind whose sub-panel holds it.
struct TrailerControl {
    const char* name;
    int kind;
    bool whole;  // the control holds whole numbers
};
const std::vector<TrailerControl>& TrailerControls();
// The key of the stimulus the cell waveform follows: its count of values, then the values.
extern const char kCellFollowsKey[];
// Its values per ms, written when not 1 (Ornstein-Uhlenbeck noise has 10).
extern const char kCellFollowsPerMsKey[];

void WriteStimulusLines(const ParameterSet& set, std::string& out);
LineRead ReadStimulusLine(const TrailerLine& line, const ParameterLimits& limits, ParameterSet* set,
                          ReadFailure* failure);

// --- The Results window's measurements (measurement_trailer.cpp) ---

extern const char kMeasurementKey[];
void WriteMeasurementLines(const ParameterSet& set, std::string& out);
LineRead ReadMeasurementLine(const TrailerLine& line, const ParameterLimits& limits,
                             ParameterSet* set, ReadFailure* failure);

}  // namespace trelvanix::params
