#include "state/notices.h"

#include <string>

#include "platform/clock/clock.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/program_events.h"
#include "state/shared_state.h"

namespace trelvanix {

namespace {

void showOnStatusLine(const std::string& text) {
    if (panelHandle > 0)
        SetCtrlVal(panelHandle, PANEL_STATUS, (std::string(TimeStr()) + "  " + text).c_str());
}

}  // namespace

void Notify(const std::string& text) {
    showOnStatusLine(text);
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    events::Publish({.kind = events::Kind::Notice, .text = text});
}

void Warn(const std::string& text) {
    showOnStatusLine(text);
    ErrorPrintf("%s", text.c_str());
}

void NotifyAcquisitionStopped(const std::string& change, bool recordingEnded) {
    Notify("Acquisition stopped: " + change + ". Press Acquire to go on." +
           (recordingEnded ? " The recording was ended; its files are complete." : ""));
}

}  // namespace trelvanix
