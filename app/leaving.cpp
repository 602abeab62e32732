// The ways out: the Quit button and menu item end the process; closing the main window only
// ends a recording, so a stray click cannot stop an experiment. Both ask first while data are
// being recorded (and Quit while a stimulus plays or a protocol runs). Every way out (also the
// end of a script and a termination signal) finalises the recording and leaves no stimulus
// playing: the outputs go to 0 V before the process ends.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/startup.h"
#include "daq/acquisition.h"
#include "platform/ui/toolkit.h"
#include "recording/recording.h"
#include "resources/trelvanix_uir.h"
#include "state/panel_states.h"
#include "state/shared_state.h"
#include "stimulus/injection.h"

namespace {

[[noreturn]] void endProcess() {
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(1);
}

// What leaving now would stop, as the operator is asked about it; empty when nothing runs.
// A timed recording, interval saving and a recorded stimulus all write data.
std::string whatRuns() {
    if (trelvanix::RecordingRuns()) return "A recording is in progress.";
    if (Protocol) return "A protocol is running.";
    if (Injection) return "A stimulus is playing.";
    return {};
}

// Asks before a recording, a stimulus or a protocol is cut short; true to go on.
bool leavingConfirmed() {
    const std::string running = whatRuns();
    if (running.empty()) return true;
    return ConfirmPopup("Warning!", (running + " Stop it and quit?").c_str()) == 1;
}

}  // namespace

void trelvanix::FinishBeforeLeaving() {
    if (trelvanix::RecordingRuns()) record_stop();
    StopStimulusOnExit();
    ReleaseDriverTasksLeftBehind();
}

int trelvanix::callbacks::Quit(int panel, int control, int event, void* callbackData,
                               int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    if (!leavingConfirmed()) return 0;
    FinishBeforeLeaving();
    endProcess();
}

void trelvanix::callbacks::Quit_(int menuBar, int menuItem, void* callbackData, int panel) {
    if (!leavingConfirmed()) return;
    FinishBeforeLeaving();
    endProcess();
}

int trelvanix::callbacks::close(int panel, int event, void* callbackData, int eventData1,
                                int eventData2) {
    if (event == EVENT_CLOSE && trelvanix::RecordingRuns() &&
        ConfirmPopup("Warning!", "A recording is in progress. Stop it?") == 1)
        record_stop();
    if (event == EVENT_PANEL_SIZE)
        GetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_PLOT_AREA_HEIGHT, &GraphHeight);
    return 0;
}
