// The injection run-time: start, wait, end checks and stop of a stimulus.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "daq/analog_output.h"
#include "platform/clock/clock.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/notices.h"
#include "state/panel_states.h"
#include "state/program_events.h"
#include "state/shared_state.h"
#include "stimulus/injection.h"
#include "stimulus/stimulus.h"

int Old_channel = 0;

namespace {

int stimulusWaits = 0;  // Post_WF calls on the stack
int stimuliStarted = 0;
int playingOutput = -1;  // the output a started stimulus plays on, -1 when none plays

constexpr int kOutputs = 2;

// The stimulus as it plays, in volts, prepared at its start. A rebuild of WF_buffer while it
// plays (the operator editing the panels) does not change it, so every alternating repetition
// plays the volts the operator started, never values in stimulus units, and ends after its
// own length.
struct PreparedStimulus {
    std::vector<double> volts;
    double rate = 1000.0;  // values per second
    double seconds = 0.0;  // its length
};
PreparedStimulus& prepared() {
    static PreparedStimulus stimulus;
    return stimulus;
}

// The protocol step the stimulus plays (1-based, of `steps`); step 0 for the operator's Start.
struct PlayedStep {
    int step = 0, steps = 0;
};
PlayedStep playedStep;

void setStartDimmed(int dimmed) {
    SetCtrlAttribute(InjectHandle, INJECT_START, ATTR_DIMMED, dimmed);
}

int panelChannel() {
    int channel = 0;
    GetCtrlVal(InjectHandle, INJECT_CHANNEL, &channel);
    return channel;
}

// Listeners hear that no stimulus plays now, and on which output one played until now.
void publishStimulusEnded() {
    trelvanix::events::Event ended{trelvanix::events::Kind::StimulusEnded};
    ended.number = playingOutput;
    playingOutput = -1;
    trelvanix::events::Publish(ended);
}

// "The stimulus", or "The stimulus of protocol step 2 of 5".
std::string stimulusNamed() {
    if (playedStep.step <= 0) return "The stimulus";
    return "The stimulus of protocol step " + std::to_string(playedStep.step) + " of " +
           std::to_string(playedStep.steps);
}

constexpr const char* kStepStaysToDo = "\nThe protocol has stopped; Run plays this step next.";

// A protocol step that did not play stays the step to do: the next Run plays it.
void keepStepToDo() {
    if (playedStep.step <= 0) return;
    Line = playedStep.step - 1;
    SetCtrlVal(InjectHandle, INJECT_STEP, Line);
}

// Nothing starts: Start is enabled again and a running protocol ends, its step still to do.
void startNothing() {
    keepStepToDo();
    Protocol = 0;
    Injection = 0;
    setStartDimmed(0);
    publishStimulusEnded();
}

// A stimulus refused before it plays starts nothing; the operator is told why and, for a
// protocol step, which step it was.
void refuseStart(const std::string& reason) {
    startNothing();
    std::string message = reason;
    if (playedStep.step > 0)
        message = stimulusNamed() + " was not played.\n" + reason + kStepStaysToDo;
    MessagePopup("Error!", message.c_str());
}

// The volts of the stimulus; false, with the reason in *refusal, when they cannot be held or
// leave the range the outputs can give (the driver would refuse them only once the output was
// meant to start).
bool prepareVolts(std::string* refusal) {
    PreparedStimulus& p = prepared();
    // Nothing plays now: the last stimulus's volts go before the new ones are made.
    std::vector<double>().swap(p.volts);
    try {
        p.volts.assign(WF_buffer, WF_buffer + (WF_buffer ? Num_wf_points : 0));
    } catch (const std::bad_alloc&) {
        char message[160];
        std::snprintf(message, sizeof message,
                      "Not enough memory to play a stimulus of %d values (%.0f MB).", Num_wf_points,
                      Num_wf_points * sizeof(double) / 1e6);
        *refusal = message;
        return false;
    }
    p.rate = Samples_per_sec_in_wfm;
    p.seconds = TotalTime_in_sec;
    double peak = 0.0;
    bool inRange = true;
    for (double& value : p.volts) {
        value /= Conversion;
        if (!(std::fabs(value) <= kOutputLimit)) inRange = false;  // a NaN is out of range too
        peak = std::max(peak, std::fabs(value));
    }
    if (inRange) return true;
    char message[320];
    std::snprintf(message, sizeof message,
                  "The stimulus would reach %.3f V at the output (%g units per volt), beyond the "
                  "output range of -10 V to +10 V.\nLower its amplitude or raise the units per "
                  "volt.",
                  peak, Conversion);
    *refusal = message;
    return false;
}

// Records this stimulus: the running acquisition ends and restarts with saving on for one
// stimulus length (the restart starts the output).
void armRecording() {
    Acquiring = 0;
    trelvanix::ShowRecordedStimulusState(true);
    Saving_interval = prepared().seconds;
    Real_time = 0.0;
    Record = 0;
    FirstTime = 1;
    Injection = 1;
    Save_status = 1;
    SetCtrlVal(panelHandle, PANEL_SAVE_LAMP, 1);
    Set_wf_comments();
}

// A recorded stimulus that did not start, or could not be recorded, records nothing more:
// saving ends, and Record and Save are usable again while acquisition runs or restarts.
void disarmRecording() {
    Save_inject = 0;
    Save_status = 0;
    FirstTime = 1;
    if (Acquiring == 1 || AutoSave == 1) trelvanix::ShowRecordedStimulusState(false);
    SetCtrlVal(panelHandle, PANEL_SAVE_LAMP, 0);
}

// Whether the output was set to 0 V (a channel the board lacks needs nothing).
bool zeroOutput(int channel) {
    if (channel < 0 || channel >= kOutputs) return true;
    char text[4];
    std::snprintf(text, sizeof text, "%d", channel);
    return AOUpdateChannel(Device, text, 0.0) >= 0;
}

// After a stimulus: the output goes to 0 V, a second time after a refusal; one the driver
// still refuses may hold the stimulus's last value, and the operator is told so.
void zeroOutputOrWarn(int channel) {
    if (zeroOutput(channel) || zeroOutput(channel)) return;
    const std::string warning = "Output ao" + std::to_string(channel) +
                                " could not be set to 0 V: it may still hold the stimulus's "
                                "last value.";
    ErrorPrintf("%s", warning.c_str());
    MessagePopup("Error!", (warning + "\n" + trelvanix::AnalogOutputError()).c_str());
}

// However the process ends through exit (Quit, the end of a script), no output is left
// playing. Only the driver is touched: the panels' front end may be gone by then.
void zeroOutputsAtExit() {
    if (Injection != 1) return;
    AOClearWaveforms();
    for (int channel = 0; channel < kOutputs; ++channel) zeroOutput(channel);
}

// Registered once the driver has played something, so that it runs before the driver's own
// clean-up at exit.
void stopOutputsAtExit() {
    [[maybe_unused]] static const bool registered = std::atexit(zeroOutputsAtExit) == 0;
}

// A stimulus that failed ends as the operator's stop would: its output to 0 V and a running
// protocol ended, the failed step still to do (the step number shows the last one that
// played, and the next Run plays this one). The operator is told what failed and why.
void endFailedStimulus(const std::string& what, const std::string& reason) {
    const std::string named = stimulusNamed();
    keepStepToDo();
    Protocol = 0;
    Stop_inject();
    std::string message = named + " " + what + "\n" + reason;
    if (playedStep.step > 0) message += kStepStaysToDo;
    MessagePopup("Error!", message.c_str());
}

// Plays the prepared stimulus on Channel_name; a failure ends it and says why.
bool startOutput() {
    const PreparedStimulus& p = prepared();
    const int32 status = AOGenerateWaveforms(
        Device, Channel_name, p.rate, static_cast<double>(p.volts.size()), 0, p.volts.data());
    if (status >= 0) {
        stopOutputsAtExit();
        playingOutput = std::atoi(Channel_name);
        trelvanix::events::Event started{trelvanix::events::Kind::StimulusStarted};
        started.number = playingOutput;
        trelvanix::events::Publish(started);
        Time = Timer();
        SetCtrlVal(InjectHandle, INJECT_LED, 1);
        SetCtrlAttribute(InjectHandle, INJECT_STOP, ATTR_DIMMED, 0);
        return true;
    }
    endFailedStimulus(std::string("could not be started on output ao") + Channel_name + ".",
                      trelvanix::AnalogOutputError());
    return false;
}

bool lengthElapsed() {
    return Timer() - Time >= prepared().seconds;
}

// Waits for the next operator event, or until the stimulus's end is due, whichever comes
// first. Returns false when nothing can end the wait any more (a continuous stimulus and no
// operator): the stimulus then plays on without the loop.
bool waitForEventOrEnd() {
    constexpr double kForever = std::numeric_limits<double>::infinity();
    if (Continuous_inject == 1 && Output_Alternate == 0)
        return GetUserEventUntil(kForever, nullptr, nullptr) != EVENT_NONE;
    // A deadline already passed still moves the clock on, so a simulated clock cannot stall a
    // rounding error short of the end.
    const double soonest = std::nextafter(Timer(), kForever);
    GetUserEventUntil(std::max(Time + prepared().seconds, soonest), nullptr, nullptr);
    return true;
}

}  // namespace

namespace {

// Starts one stimulus with the current panel settings (Run_inject, RunStepInject).
void startInjection() {
    // Without a waveform the buffer holds zeros: the stimulus still plays, as 0 V, and the
    // operator learns why.
    if (Waveform == trelvanix::kCell && Cell_array == nullptr)
        trelvanix::Notify(
            "No waveform is loaded on the cell panel: the stimulus plays 0 V only. Load file... "
            "on the cell panel loads one.");
    setStartDimmed(1);
    Timer_start = Timer();
    GetCtrlVal(InjectHandle, INJECT_RECORD, &Save_inject);
    if (Save_inject == 1 && Acquiring == 0) {
        Save_inject = 0;
        return startNothing();
    }
    // Data already being saved would not be written while the restart is pending.
    if (Save_inject == 1 && Save_status == 1) {
        Save_inject = 0;
        refuseStart(
            "A stimulus cannot be recorded while data are being saved.\nEnd the saving first, or "
            "untick \"Record while stimulating\".");
        return;
    }
    RecordAndStimulate();
}

}  // namespace

void Run_inject() {
    playedStep = {};
    startInjection();
}

void trelvanix::RunStepInject(int step, int steps) {
    playedStep = {step, steps};
    startInjection();
}

void RecordAndStimulate() {
    if (Pre_WF() < 0) return;
    ++stimuliStarted;
    In_WF();
    if (Acquiring == 0 && Save_status == 0) Post_WF();
}

int Pre_WF() {
    std::string refusal;
    if (InitializeGlobals(&refusal) < 0) {
        refuseStart(refusal);
        return -1;
    }
    Injection = 1;
    GetCtrlVal(InjectHandle, INJECT_CONVERSION, &Conversion);
    if (!prepareVolts(&refusal)) {
        refuseStart(refusal);
        return -1;
    }
    if (Save_status == 0 && Save_inject == 1) armRecording();
    return 0;
}

void In_WF() {
    int channel = panelChannel();
    if (Output_Alternate == 1 && Continuous_inject == 1) {
        channel = Old_channel;
        std::printf("CONTINUOUS INJECT HAS BEEN TURNED ON!\n");
        std::fflush(stdout);
    }
    Old_channel = Old_channel == 0 ? 1 : 0;
    std::snprintf(Channel_name, sizeof Channel_name, "%d", channel);
    if (Save_inject == 1) {
        AutoSave = 1;
        return;
    }
    startOutput();
}

void Post_WF() {
    struct Waiting {
        Waiting() { ++stimulusWaits; }
        ~Waiting() { --stimulusWaits; }
    } waiting;
    while (Injection == 1) {
        trelvanix::StimulusEndChecks();
        if (Injection != 1 || !waitForEventOrEnd()) return;
    }
}

void Stop_inject() {
    Injection = 0;
    if (Protocol == 1) Protocol_time = Timer();
    SetCtrlVal(InjectHandle, INJECT_STEP, Line);
    SetCtrlVal(InjectHandle, INJECT_LED, 0);
    AOClearWaveforms();
    // The output that played goes to 0 V, and so does the panel's, which may differ from it
    // in alternating mode or after the operator chose another output while it played.
    const int shown = panelChannel();
    zeroOutputOrWarn(shown);
    if (Channel_name[0] != '\0' && std::atoi(Channel_name) != shown)
        zeroOutputOrWarn(std::atoi(Channel_name));
    setStartDimmed(0);
    // Nothing plays now: Stop is dimmed until the next output starts.
    SetCtrlAttribute(InjectHandle, INJECT_STOP, ATTR_DIMMED, 1);
    trelvanix::RestoreOperatorComment();
    publishStimulusEnded();
}

namespace trelvanix::callbacks {

int Inject(int panel, int control, int event, void* callbackData, int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) Run_inject();
    return 0;
}

int StopInject(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    Protocol = 0;
    Stop_inject();
    Old_channel = 0;
    return 0;
}

}  // namespace trelvanix::callbacks

namespace trelvanix {

void StimulusEndChecks() {
    if (Continuous_inject == 0 && lengthElapsed()) Stop_inject();
    if (Output_Alternate == 1 && Continuous_inject == 1 && lengthElapsed()) {
        Stop_inject();
        Injection = 1;
        SetCtrlAttribute(InjectHandle, INJECT_STOP, ATTR_DIMMED, 0);
        In_WF();
        // Still playing: a second Start would find the output busy.
        if (Injection == 1) setStartDimmed(1);
    }
}

bool StartRecordedStimulus() {
    if (startOutput()) return true;
    disarmRecording();
    return false;
}

void AbandonRecordedStimulus(const std::string& what, const std::string& reason) {
    if (Injection != 1 || Save_inject != 1) return;
    disarmRecording();
    endFailedStimulus(what, reason);
}

void EndRecordedStimulusOnRunFailure(const std::string& driverError) {
    AbandonRecordedStimulus("could not be recorded: acquisition stopped on a driver error.",
                            driverError);
}

void FinishStimulusAfterAcquisition() {
    // A wait further down the stack (a stimulus started while idle) goes on by itself, and a
    // continuous stimulus on one output has no end to wait for.
    if (stimulusWaits > 0 || (Continuous_inject == 1 && Output_Alternate == 0)) return;
    if (Injection == 1 && Acquiring == 0) Post_WF();
}

void StopStimulusOnExit() {
    if (Injection != 1) return;
    Stop_inject();
    Continuous_inject = 0;
}

int StimuliStarted() {
    return stimuliStarted;
}

void ResetInjectionState() {
    Old_channel = 0;
    playedStep = {};
    stimuliStarted = 0;
    playingOutput = -1;
    prepared() = PreparedStimulus{};
    ForgetOperatorComment();
}

}  // namespace trelvanix
