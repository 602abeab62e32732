#pragma once
// Protocols: one stimulus parameter stepped through a list of values, one stimulus per step.
// The runner (load, run, skip) and the editor (pick a parameter, make its values, save the
// file) are callbacks of their panels in trelvanix::callbacks, declared with the panel
// constants in "resources/trelvanix_uir.h"; the functions below are the ones the panels' callbacks
// and the acquisition loop's protocol step share.

#include <optional>
#include <string>
#include <vector>

// The loaded protocol.
extern int Num_parameters;                 // first number of the file, read and not used further
extern char Load_data_type[10];            // "INTEGER" or "DOUBLE"
extern int Num_lines;                      // number of steps
extern std::vector<int> Int_values;        // the steps' values of an "INTEGER" protocol
extern std::vector<double> Double_values;  // the steps' values of a "DOUBLE" protocol
extern int Control_id;  // the sub-panel control the protocol's parameter designates

// The editor.
extern int CreatePrtHandle;  // the protocol editor panel; -1 while not loaded
extern char Data_type[10];   // value type of the parameter control committed last

// Reads a protocol file the operator chooses and makes it the loaded protocol.
void load_file();
// Applies step i: writes its value into the protocol's control. 0 when there is a value now
// to be played, 1 when there is no such step or it was not applied.
int Run(int i);
// The editor: makes the values text from start, end and step; writes the protocol file.
void set_text();
void save_prt();

namespace trelvanix {

// Starts the stimulus of a step that Run applied (Injection is already 1): Run_inject.
void StartStepStimulus();

// Puts the protocol module back to its state at start: nothing loaded, editor not loaded.
void ResetProtocolState();

// From now on, a stimulus that ends once no protocol runs any more (its last step played, or
// the operator stopped it) gives the stepped control back the value it had before Run, and
// the protocol panel follows every stimulus end. Set in the program's wiring.
void WatchStimulusEnds();

}  // namespace trelvanix

namespace trelvanix::protocol {

struct PlayedStep {
    int number = 0;         // from 1: the first step is 1
    std::string parameter;  // "PULSE_MV1"
    double value = 0.0;
};

// The step whose stimulus is the last one started, when that stimulus was a protocol step's
// (not the operator's Start); what a recording finalised now belongs to.
std::optional<PlayedStep> StepOfLastStimulus();

}  // namespace trelvanix::protocol
