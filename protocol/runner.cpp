// The protocol panel: loading a protocol file, running and skipping its steps.

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "platform/files/operator_files.h"
#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "protocol/parameter_range.h"
#include "protocol/protocol.h"
#include "protocol/protocol_file.h"
#include "protocol/runner_internal.h"
#include "protocol/vocabulary.h"
#include "resources/trelvanix_uir.h"
#include "state/notices.h"
#include "state/program_events.h"
#include "state/shared_state.h"
#include "stimulus/injection.h"

using namespace trelvanix;
using namespace trelvanix::protocol;

namespace {

constexpr int kMaxProtocolPath = 499;

// The whole text of a file; none when it cannot be opened or read, or grows past the largest
// protocol file while it is read.
std::optional<std::string> readWholeFile(const std::string& path) {
    std::string text;
    if (ReadWholeFile(path, files::largestFile(files::OperatorFile::Protocol), &text) !=
        WholeFile::Read)
        return std::nullopt;
    return text;
}

void showRunAndSkip(int dimmed) {
    SetCtrlAttribute(ProtocolHandle, PROTOCOL_RUN, ATTR_DIMMED, dimmed);
    SetCtrlAttribute(ProtocolHandle, PROTOCOL_SKIP, ATTR_DIMMED, dimmed);
}

std::string panelNameOf(int panel) {
    std::string name;
    GetPanelAttribute(panel, ATTR_CONSTANT_NAME, &name);
    return name;
}

bool isKnownType(const char* type) {
    return std::strcmp(type, "INTEGER") == 0 || std::strcmp(type, "DOUBLE") == 0;
}

void copyWord(char (&to)[10], const std::string& word) {
    std::snprintf(to, sizeof to, "%s", word.c_str());
}

// The step whose stimulus was started, told to listeners again once that stimulus has ended.
std::optional<trelvanix::events::Event> playingStep;

// Tells listeners that step `index` (from 0) has been applied and its stimulus started.
void publishStepStarted(int index) {
    trelvanix::events::Event step{trelvanix::events::Kind::StepStarted};
    step.number = index + 1;
    step.count = Num_lines;
    step.value = StepValue(std::size_t(index));
    step.name = LoadedParameter;
    playingStep = step;
    trelvanix::events::Publish(step);
}

void stopForKindChange() {
    Protocol = 0;
    PutBackSteppedValue();
    ShowProtocolState();
    SetCtrlAttribute(InjectHandle, INJECT_CONTINUOUS, ATTR_DIMMED, 0);
    MessagePopup("Error!!",
                 "The stimulus kind is not the one the protocol was loaded for: the "
                 "protocol has stopped.");
}

// A protocol that has played every step starts again from step 1 only when the operator says
// so: every step would be played, and recorded, again.
bool runAgainConfirmed(int next) {
    if (!ProtocolFinished || (next >= 0 && next < Num_lines)) return true;
    const std::string question = "The protocol has finished (" + std::to_string(Num_lines) +
                                 " of " + std::to_string(Num_lines) +
                                 " steps). Run it again from step 1?";
    return ConfirmPopup("Warning!", question.c_str()) == 1;
}

// Only the first step can start without acquisition: the loop paces the others.
void tellNotAcquiring() {
    int recorded = 0;
    GetCtrlVal(InjectHandle, INJECT_RECORD, &recorded);
    Notify(recorded ? "Not acquiring: a recorded protocol runs only while acquiring. Press "
                      "Acquire, then Run."
                    : "Not acquiring: the first step plays now, the next ones only while "
                      "acquiring. Press Acquire to go on.");
}

}  // namespace

void load_file() {
    std::string path;
    if (FileSelectPopup("", "*.prt", "*.*", "Select Protocol File", VAL_LOAD_BUTTON, 0, 0, 1, 1,
                        &path) <= 0)
        return;
    // A folder, a device, a pipe or a huge file is refused before it is opened.
    if (const std::string problem = files::fileProblem(path, files::OperatorFile::Protocol);
        !problem.empty()) {
        MessagePopup("Error!",
                     ("The protocol file " + path + " cannot be read: " + problem + ".").c_str());
        return;
    }
    const std::optional<std::string> text =
        path.size() > kMaxProtocolPath ? std::nullopt : readWholeFile(path);
    if (!text) {
        MessagePopup("Error!", "Error opening the protocol file");
        return;
    }
    if (blankWords(*text).empty()) {
        MessagePopup("Error!", ("The protocol file " + path + " is empty.").c_str());
        return;
    }
    const ProtocolWords file = readProtocolWords(*text);
    Num_parameters = file.parameterCount;
    const std::string& name = file.name;
    if (const std::string problem = parameterNameProblem(name); !problem.empty()) {
        MessagePopup("Error!", problem.c_str());
        return;
    }
    if (Waveform == kNoStimulus) {
        MessagePopup("Error!!", "Please select a waveform first.....");
        return;
    }
    if (panelNameOf(Handle[Waveform]) != name.substr(0, name.find('_'))) {
        MessagePopup("Error!!", "Waveform selected in not matching with waveform in protocol file");
        return;
    }

    if (file.type.size() > kMaxTypeWord) {
        MessagePopup("Error!", "The value type in the protocol file is longer than 9 characters.");
        return;
    }
    if (!isKnownType(file.type.c_str())) {
        copyWord(Load_data_type, file.type);
        if (file.stepCount) Num_lines = *file.stepCount;
        MessagePopup("Error!", "Data type not defined. Contact programmer.");
        return;
    }
    const int count = file.stepCount.value_or(0);
    if (count < 1 || count > kMaxSteps) {
        const std::string message =
            realNumberOf(file.stepCountWord) || file.stepCount
                ? "The number of values in the protocol file, " + file.stepCountWord +
                      ", is out of range (1 to 1000000)."
                : std::string(
                      "The protocol file does not give its number of values (1 to "
                      "1000000).");
        MessagePopup("Error!", message.c_str());
        return;
    }
    // Values the parameter's control cannot take are refused, not changed to fit.
    const bool whole = file.type == "INTEGER";
    const int index = FindControlName(name.c_str());
    if (index >= 0) {
        const ParameterRange range = ControlRange(Handle[Waveform], ControlId[index], whole);
        if (const auto bad =
                firstValueOutOfRange(file.values, count, whole, range.low, range.high)) {
            const std::string message =
                OutOfRangeText(*bad, count, name, range) + " Nothing was loaded.";
            MessagePopup("Error!", message.c_str());
            return;
        }
    }
    copyWord(Load_data_type, file.type);
    Num_lines = count;
    // Values are read as real numbers for a "DOUBLE" protocol, so a hand-written 0.5 is 0.5.
    const int missing = std::strcmp(Load_data_type, "DOUBLE") == 0
                            ? realValues(file, count, &Double_values)
                            : wholeValues(file, count, &Int_values);
    if (missing > 0) {
        char message[160];
        std::snprintf(message, sizeof message,
                      "The protocol file ends %d value%s early: the missing values count as 0.",
                      missing, missing == 1 ? "" : "s");
        MessagePopup("Warning!", message);
    }

    if (index < 0) {
        showRunAndSkip(1);
        MessagePopup("Error", "Control name not found. Contact programmer.");
        return;
    }
    Control_id = ControlId[index];
    ProtocolKind = Waveform;
    LoadedParameter = name;
    ShowLoadedProtocol(path, name);
    SetCtrlVal(InjectHandle, INJECT_NUM_STEPS, Num_lines);
    showRunAndSkip(0);
    SetCtrlAttribute(InjectHandle, INJECT_CONTINUOUS, ATTR_DIMMED, 1);
    SetCtrlVal(InjectHandle, INJECT_CONTINUOUS, 0);
    // The box's own callback turns continuous injection off, so that a step can end.
    callbacks::continuous_inject(InjectHandle, INJECT_CONTINUOUS, EVENT_COMMIT, nullptr, 0, 0);
}

int Run(int i) {
    if (i < 0 || i >= Num_lines) return 1;
    const bool isInteger = IntegerProtocol();
    if (!isInteger && std::strcmp(Load_data_type, "DOUBLE") != 0) {
        MessagePopup("Error!!!", "Data type of parameter not supported. Contact Programmer");
        return 1;
    }
    if (ProtocolKind != Waveform) {
        stopForKindChange();
        return 1;
    }
    if (static_cast<std::size_t>(i) >= StepsListed()) return 1;
    if (isInteger)
        SetCtrlVal(Handle[Waveform], Control_id, Int_values[i]);
    else
        SetCtrlVal(Handle[Waveform], Control_id, Double_values[i]);
    if (i + 1 >= Num_lines) {
        Protocol = 0;
        ProtocolFinished = true;
        SetCtrlAttribute(InjectHandle, INJECT_CONTINUOUS, ATTR_DIMMED, 0);
    }
    return 0;
}

namespace trelvanix {

bool IntegerProtocol() {
    return std::strcmp(Load_data_type, "INTEGER") == 0;
}

std::size_t StepsListed() {
    return IntegerProtocol() ? Int_values.size() : Double_values.size();
}

double StepValue(std::size_t i) {
    return IntegerProtocol() ? double(Int_values[i]) : Double_values[i];
}

bool StopIfKindChanged() {
    if (Protocol != 1 || ProtocolKind == Waveform) return false;
    stopForKindChange();
    return true;
}

void ApplyStepAndPlay() {
    const int step = Line;
    const int r = Run(Line);
    ++Line;
    if (r == 0) Injection = 1;
    ShowProtocolState();
    if (r == 0) {
        publishStepStarted(Line - 1);
        const int before = StimuliStarted();
        StartStepStimulus();
        if (StimuliStarted() != before) LastStartedStep = {step, StimuliStarted()};
        // A start refused at once leaves the step to do: it never finishes.
        if (Injection == 0) playingStep.reset();
    }
}

void NoteStimulusEnded(bool played) {
    // A start that was refused (nothing played, or a recorded start stepped Line back) leaves
    // its step to do: it never finishes.
    if (!played || !playingStep || playingStep->number != Line) return playingStep.reset();
    events::Event finished = *playingStep;
    finished.kind = events::Kind::StepFinished;
    playingStep.reset();
    events::Publish(finished);
}

void ForgetPlayingStep() {
    playingStep.reset();
}

}  // namespace trelvanix

namespace trelvanix::protocol {

std::optional<PlayedStep> StepOfLastStimulus() {
    const int i = LastStartedStep.index;
    if (i < 0 || LastStartedStep.stimulus != StimuliStarted()) return std::nullopt;
    if (std::size_t(i) >= StepsListed()) return std::nullopt;
    return PlayedStep{i + 1, LoadedParameter, StepValue(std::size_t(i))};
}

}  // namespace trelvanix::protocol

namespace trelvanix::callbacks {

void show_protocol(int menuBar, int menuItem, void* callbackData, int panel) {
    if (ProtocolHandle == -1) {
        const int handle = LoadPanel(0, "trelvanix.uir", PROTOCOL);
        if (handle < 0) return;
        ProtocolHandle = handle;
    }
    DisplayPanel(ProtocolHandle);
}

int CloseProtocol(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    HidePanel(ProtocolHandle);
    SetCtrlAttribute(InjectHandle, INJECT_CONTINUOUS, ATTR_DIMMED, 0);
    return 0;
}

int load_protocol(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    // A protocol that ran gives its control back before another one is loaded.
    PutBackSteppedValue();
    load_file();
    LastStartedStep = StartedStep{};
    Protocol = 0;
    SetCtrlVal(InjectHandle, INJECT_STEP, 0);
    Line = 0;
    ProtocolFinished = false;
    ShowProtocolState();
    return 0;
}

int run_protocol(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    // A second output task would be refused, and the playing one's stop lost with it.
    if (Injection == 1) {
        MessagePopup("Error!", "A stimulus is playing: run the protocol once it has ended.");
        return 0;
    }
    int next = 0;
    GetCtrlVal(InjectHandle, INJECT_STEP, &next);
    if (!runAgainConfirmed(next)) return 0;
    GetCtrlVal(ProtocolHandle, PROTOCOL_PAUSE, &Run_time);
    Protocol = 1;
    GetCtrlVal(InjectHandle, INJECT_RECORD, &Save_inject);
    GetCtrlVal(InjectHandle, INJECT_STEP, &Line);
    if (Line >= Num_lines || Line < 0) {
        Line = 0;
        SetCtrlVal(InjectHandle, INJECT_STEP, 0);
    }
    ProtocolFinished = false;
    KeepSteppedValue();
    if (Acquiring == 0) tellNotAcquiring();
    ApplyStepAndPlay();
    return 0;
}

// The operator types the step to run next; it counts at once, as a skip does.
int set_step(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    GetCtrlVal(InjectHandle, INJECT_STEP, &Line);
    if (Line > Num_lines) {
        Line = Num_lines;
        SetCtrlVal(InjectHandle, INJECT_STEP, Line);
    }
    return 0;
}

int skip_run(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    Line = Line + 1;
    if (Line > Num_lines) Line = Num_lines;
    SetCtrlVal(InjectHandle, INJECT_STEP, Line);
    ShowProtocolState();
    return 0;
}

// Closing the window of the protocol panel or of the editor does what its Close button does.
int ProtocolWindowClose(int panel, int event, void*, int, int) {
    if (event != EVENT_CLOSE) return 0;
    if (panel == ProtocolHandle)
        return CloseProtocol(panel, PROTOCOL_CLOSE, EVENT_COMMIT, nullptr, 0, 0);
    if (panel == CreatePrtHandle)
        return CloseCreate_prt(panel, PRT_CLOSE, EVENT_COMMIT, nullptr, 0, 0);
    return 0;
}

}  // namespace trelvanix::callbacks
