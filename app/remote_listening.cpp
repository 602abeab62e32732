#include "app/remote_listening.h"

#include <cstdio>
#include <filesystem>

#include "app/startup.h"
#include "platform/ui/model.h"
#include "platform/ui/text_words.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace trelvanix {

namespace {

// A word of the script language: quoted only when it must be.
std::string word(const std::string& text) {
    const bool plain = !text.empty() && text.find_first_of(" \t\r\n\"\\#") == std::string::npos;
    return plain ? text : ui::quoteWord(text);
}

// The path as the client can open it wherever it runs: the data folder may be relative.
std::string pathWords(const std::vector<std::string>& paths) {
    std::string words;
    for (const std::string& path : paths) {
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
        words += " " + word(ec ? path : absolute.lexically_normal().string());
    }
    return words;
}

void showListening(bool on) {
    if (panelHandle > 0)
        SetMenuBarAttribute(GetPanelMenuBar(panelHandle), MENUBAR_OPTIONS_REMOTE, ATTR_CHECKED,
                            on ? 1 : 0);
}

}  // namespace

ui::RemoteControl& Remote() {
    // Static, so the socket is removed when the process exits.
    static ui::RemoteControl remote;
    return remote;
}

void WireRemoteControl() {
    ui::Model::instance().setRemote(&Remote());
    Remote().setBeforeEnd(FinishBeforeLeaving);
    events::Subscribe([](const events::Event& e) {
        if (!Remote().listening()) return;
        if (const std::string line = EventLine(e); !line.empty()) Remote().tell(line);
    });
    showListening(Remote().listening());
}

bool StartListening() {
    std::string error;
    const std::string address = ui::defaultEndpointAddress(&error);
    if (address.empty() || !Remote().listen(address, &error)) {
        ErrorPrintf("Remote control is off: %s", error.c_str());
        showListening(false);
        return false;
    }
    std::printf("trelvanix: remote control listens on %s\n", Remote().address().c_str());
    std::fflush(stdout);
    showListening(true);
    return true;
}

void StopListening() {
    Remote().stop();
    showListening(false);
}

std::string RemoteControlStatus() {
    return Remote().listening() ? "Remote control: listening on " + Remote().address()
                                : "Remote control: off";
}

std::string EventLine(const events::Event& e) {
    const std::string step = std::to_string(e.number) + " of " + std::to_string(e.count) + " " +
                             word(e.name) + " " + ui::numberWord(e.value);
    switch (e.kind) {
        case events::Kind::RecordingStarted:
            return "recording started" + pathWords(e.paths);
        case events::Kind::RecordingFinished:
            return "recording finished" + pathWords(e.paths);
        case events::Kind::StimulusStarted:
            return "stimulus started ao" + std::to_string(e.number);
        case events::Kind::StimulusEnded:  // also told when a stimulus was refused
            return e.number < 0 ? "" : "stimulus ended ao" + std::to_string(e.number);
        case events::Kind::StepStarted:
            return "step started " + step;
        case events::Kind::StepFinished:
            return "step finished " + step;
        case events::Kind::AcquisitionStarted:
            return "acquisition started";
        case events::Kind::AcquisitionStopped:
            return "acquisition stopped";
        case events::Kind::DriverError:
            return "driver error " + std::to_string(e.number) + " " + ui::quoteWord(e.text);
        case events::Kind::PopupShown:
            return "popup " + e.name + " " + ui::quoteWord(e.title) + " " + ui::quoteWord(e.text);
        case events::Kind::Notice:
            return "notice " + ui::quoteWord(e.text);
    }
    return "";
}

}  // namespace trelvanix

void trelvanix::callbacks::RemoteControl(int menuBar, int menuItem, void* callbackData, int panel) {
    if (Remote().listening())
        StopListening();
    else
        StartListening();
}
