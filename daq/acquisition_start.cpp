// The start and end of an acquisition run, and the Acquire button that runs it.

#include <cstdio>
#include <string>

#include "daq/acquisition.h"
#include "daq/acquisition_run.h"
#include "daq/analog_output.h"
#include "daq/device_init.h"
#include "daq/driver_status.h"
#include "daq/stage.h"
#include "daq/stretch_conversion.h"
#include "daq/stretch_stages.h"
#include "platform/clock/clock.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/panel_states.h"
#include "state/program_events.h"
#include "state/shared_state.h"

TaskHandle AI_Task = nullptr;

namespace {

constexpr int kRangePairs = 64;

bool acquireRunning = false;  // Acquire is on the stack
void (*recordedStimulusStart)() = nullptr;
void (*afterAcquisition)() = nullptr;
void (*runFailed)(const std::string& driverError) = nullptr;
// A task the driver refused to clear at the end of a run. The driver keeps one task of the
// loop's name, so it is cleared before the next run creates its own.
TaskHandle leftoverTask = nullptr;

// Clears the task a previous run left behind. Returns 0, or the failed clear's status.
int32 clearLeftoverTask() {
    if (leftoverTask == nullptr) return 0;
    const int32 stopped = trelvanix::daq::NoteDriverCall(
        "DAQmxStopTask (the task an earlier run could not release)", DAQmxStopTask(leftoverTask));
    if (stopped < 0) trelvanix::daq::ReportDriverError(stopped);
    const int32 status = trelvanix::daq::NoteDriverCall(
        "DAQmxClearTask (the task an earlier run could not release)", DAQmxClearTask(leftoverTask));
    if (status >= 0) leftoverTask = nullptr;
    return status;
}

// The range pair chosen for a physical channel, or -1 when the device has none there.
int rangePairOf(int channel) {
    const int pair = AIVRngBipolarOffset + AILimitsIndex[channel];
    if (pair < 0 || pair >= kRangePairs) return -1;
    if (!(AIVoltageRanges[2 * pair + 1] - AIVoltageRanges[2 * pair] > 0.0)) return -1;
    return pair;
}

// Why the current settings cannot be acquired, or an empty text when they can. A stretch of
// fewer than 2 samples per channel has no half-stretch to wait for, and a channel without a
// known range has no count scale: either would acquire nothing sound.
std::string startRefusal() {
    char message[256];
    if (trelvanix::SamplesPerChannel(NumScans, Sec_per_stretch) < 2) {
        std::snprintf(message, sizeof message,
                      "A stretch of %g s at %d samples per second holds fewer than 2 samples "
                      "per channel.\nChoose a longer stretch or a higher sampling rate.",
                      Sec_per_stretch, NumScans);
        return message;
    }
    for (int i = 0; i < NumChannels; ++i) {
        if (rangePairOf(ChannelList[i]) >= 0) continue;
        std::snprintf(message, sizeof message,
                      "The board reported no input range for channel %d, so its samples cannot "
                      "be converted.\nAcquisition cannot start.",
                      ChannelList[i]);
        return message;
    }
    return {};
}

}  // namespace

namespace trelvanix::daq {

int32 StartRun(AcquisitionRun& run) {
    Preparations();
    RunLayout& layout = run.layout;
    layout.n = BufferSize / NumChannels;
    layout.channels = NumChannels;
    for (int i = 0; i < 8; ++i) layout.channelList[i] = ChannelList[i];

    int32 status = clearLeftoverTask();
    if (status < 0) {
        ErrorPrintf(
            "Acquisition cannot start: the driver still holds the task \"%s\" of an "
            "earlier run and refused to clear it (status %d).",
            "Vanix_AnalogIn_Task", static_cast<int>(status));
        AI_Task = nullptr;  // the leftover stays with clearLeftoverTask for the next start
        return status;
    }
    status = NoteDriverCall("DAQmxCreateTask", DAQmxCreateTask("Vanix_AnalogIn_Task", &AI_Task));
    if (status < 0) return status;
    for (int i = 0; i < layout.channels; ++i) {
        const int ch = layout.channelList[i];
        const int pair = rangePairOf(ch);
        const double low = AIVoltageRanges[2 * pair], high = AIVoltageRanges[2 * pair + 1];
        run.RangeSpan[ch] = high - low;
        layout.countsPerVolt[i] = double(1 << run.CountBits) / run.RangeSpan[ch];
        char name[32];
        std::snprintf(name, sizeof name, "Dev1/ai%d", ch);
        status = NoteDriverCall("DAQmxCreateAIVoltageChan",
                                DAQmxCreateAIVoltageChan(AI_Task, name, "", DAQmx_Val_RSE, low,
                                                         high, DAQmx_Val_Volts, ""));
        if (status < 0) return status;
    }
    status = NoteDriverCall(
        "DAQmxCfgSampClkTiming",
        DAQmxCfgSampClkTiming(AI_Task, "", NumScans, DAQmx_Val_Rising, DAQmx_Val_ContSamps,
                              trelvanix::daq::kBufferSecondsPerChannel * NumScans * NumChannels));
    if (status < 0) return status;
    // The restart a recorded stimulus asked for is under way: its output starts now, just
    // before the input task, and saving begins with this run.
    if (AutoSave == 1) {
        if (recordedStimulusStart) recordedStimulusStart();
        AutoSave = 0;
    }

    Timer_start = Timer();
    Acquiring = 1;
    AcquisitionStages().runStart(layout);
    status = NoteDriverCall("DAQmxStartTask", DAQmxStartTask(AI_Task));
    if (status < 0) return status;
    run.rate = NumScans;
    run.sampleClockOrigin = run.lastStretchAt = Timer();
    run.started = true;
    events::Publish({events::Kind::AcquisitionStarted});
    return 0;
}

std::string EndRun(AcquisitionRun& run, int32 status) {
    const std::string failure = status < 0 ? ReportDriverError(status) : std::string();
    // The driver keeps one task of this name: a task left behind would refuse every later run.
    if (AI_Task != nullptr && ReleaseTask(AI_Task) < 0) {
        ErrorPrintf(
            "The acquisition task could not be released; the next Acquire clears it before "
            "starting.");
        leftoverTask = AI_Task;
    }
    AcquisitionStages().runEnd();
    const bool started = run.started;
    run = AcquisitionRun{};
    if (started) events::Publish({events::Kind::AcquisitionStopped});
    return failure;
}

}  // namespace trelvanix::daq

void Preparations() {
    trelvanix::ShowDateAndTimeOf(trelvanix::kStartedAt);
    Count = -1;
    BufferSize = trelvanix::SamplesPerChannel(NumScans, Sec_per_stretch) * NumChannels;
    delete[] HalfBuffer;
    delete[] FullBuffer;
    for (double*& waveform : Scaled_Waveforms) {
        delete[] waveform;
        waveform = nullptr;
    }
    HalfBuffer = new short[BufferSize]();
    for (int i = 0; i < NumChannels; ++i)
        Scaled_Waveforms[i] = new double[BufferSize / NumChannels]();
    FullBuffer = new short[2 * BufferSize]();
}

void Acquire_With_no_trigger() {
    trelvanix::daq::AcquisitionRun run;
    int32 status = trelvanix::daq::StartRun(run);
    const bool started = status >= 0;
    while (status >= 0) {
        status = trelvanix::daq::PollOnce(run);
        if (status >= 0 && Acquiring == 0) break;
    }
    const std::string failure = trelvanix::daq::EndRun(run, status);
    // A run that failed cannot start a recorded stimulus: asking Acquire to restart would only
    // fail the same way, over and over. Nothing acquires any more, and the panel says so; a
    // recorded stimulus (armed or playing) ends with the run.
    if (status < 0) {
        AutoSave = 0;
        const bool recording = trelvanix::RecordingRuns();
        trelvanix::ShowRunFailedState();
        if (runFailed) runFailed(failure);
        if (started)
            ErrorPrintf(
                "Acquisition has stopped because of this error%s. Press Acquire to start "
                "again.",
                recording ? "; the recording was ended and its files are complete" : "");
        else
            ErrorPrintf(
                "Acquisition could not start because of this error. Press Acquire to try "
                "again.");
    }
}

void dataAcquire() {
    if (const std::string refusal = startRefusal(); !refusal.empty()) {
        MessagePopup("Error!", refusal.c_str());
        AutoSave = 0;
        return;
    }
    trelvanix::ShowAcquiringState();
    Acquire_With_no_trigger();
}

int trelvanix::callbacks::Acquire(int panel, int control, int event, void* callbackData,
                                  int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    // Callbacks run inside the loop; a second run there would take the first one's task.
    if (acquireRunning) return 0;
    acquireRunning = true;
    FirstTime = Save_status;
    dataAcquire();
    while (AutoSave == 1) dataAcquire();
    acquireRunning = false;
    if (afterAcquisition) afterAcquisition();
    return 0;
}

void trelvanix::SetRecordedStimulusStart(void (*startStimulus)()) {
    recordedStimulusStart = startStimulus;
}

void trelvanix::SetAfterAcquisition(void (*after)()) {
    afterAcquisition = after;
}

void trelvanix::SetRunFailed(void (*failed)(const std::string& driverError)) {
    runFailed = failed;
}

void trelvanix::ReleaseDriverTasksLeftBehind() {
    if (const int32 status = clearLeftoverTask(); status < 0)
        trelvanix::daq::ReportDriverError(status);
    ReleaseOutputTasksLeftBehind();
}

void trelvanix::ResetAcquisitionState() {
    AI_Task = nullptr;
    leftoverTask = nullptr;
    acquireRunning = false;
    daq::AcquisitionStages().runEnd();
    DataFolder() = DefaultDataFolder();
}
