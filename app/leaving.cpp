// The ways out: the Quit button and menu item end the process; closing the main window only
// ends a recording, so a stray click cannot stop an experiment. Every way out (also the end
// of a script and a termination signal) finalises the recording and leaves no stimulus
// playing: the outputs go to 0 V before the process ends.

#include <cstdio>
#include <cstdlib>

#include "app/startup.h"
#include "daq/acquisition.h"
#include "platform/ui/toolkit.h"
#include "recording/recording.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/injection.h"

namespace {

[[noreturn]] void endProcess() {
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(1);
}

}  // namespace

void trelvanix::FinishBeforeLeaving() {
    if (Record || Save_status) record_stop();
    StopStimulusOnExit();
    ReleaseDriverTasksLeftBehind();
}

int trelvanix::callbacks::Quit(int panel, int control, int event, void* callbackData,
                               int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    FinishBeforeLeaving();
    endProcess();
}

void trelvanix::callbacks::Quit_(int menuBar, int menuItem, void* callbackData, int panel) {
    FinishBeforeLeaving();
    endProcess();
}

int trelvanix::callbacks::close(int panel, int event, void* callbackData, int eventData1,
                                int eventData2) {
    if (event == EVENT_CLOSE && (Record || Save_status)) record_stop();
    if (event == EVENT_PANEL_SIZE)
        GetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_PLOT_AREA_HEIGHT, &GraphHeight);
    return 0;
}
