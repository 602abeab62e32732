#include "platform/ui/headless_front_end.h"

#include "platform/ui/model.h"
#include "platform/ui/remote_control.h"
#include "platform/ui/termination.h"
#include "platform/ui/toolkit.h"

namespace trelvanix::ui {

HeadlessFrontEnd::HeadlessFrontEnd(RunEnding ending) : ending_(std::move(ending)) {}

void HeadlessFrontEnd::unanswered(const char* kind, const std::string& title) {
    ErrorPrintf(
        "trelvanix: the %s pop-up \"%s\" has no answer: a run without a window needs "
        "a script that answers it",
        kind, title.c_str());
    ending_(kUnansweredStatus);
}

bool HeadlessFrontEnd::confirmPopup(const std::string& title, const std::string& message) {
    unanswered("confirm", title);
    return false;
}

int HeadlessFrontEnd::fileSelectPopup(const FileRequest& request, std::string* path) {
    unanswered("file", request.title);
    return VAL_NO_FILE_SELECTED;
}

int HeadlessFrontEnd::directorySelectPopup(const DirectoryRequest& request, std::string* path) {
    unanswered("directory", request.title);
    return VAL_NO_DIRECTORY_SELECTED;
}

int HeadlessFrontEnd::printPanel(int panel, std::string* where) {
    ErrorPrintf("trelvanix: printing a panel needs the window front end; nothing was printed");
    return UIE_NotSupported;
}

int HeadlessFrontEnd::screenshot(int panel, const std::string& path, std::string* error) {
    if (error) *error = "screenshots need the window front end";
    return UIE_NotSupported;
}

void HeadlessFrontEnd::waitForInput(double until) {
    const RemoteControl* remote = Model::instance().remote();
    waitUnlessTerminated(until, remote ? static_cast<int>(remote->wakeHandle()) : -1);
}

}  // namespace trelvanix::ui
