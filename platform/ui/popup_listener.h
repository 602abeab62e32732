#pragma once
// Who hears that a pop-up is shown: the program passes it on to its listeners (a remote
// client watching the run). Told before the pop-up is answered, by the script or anyone else.

#include <functional>
#include <string>

namespace trelvanix::ui {

struct PopupShown {
    std::string kind;  // "message", or the answer it waits for: "confirm", "file", "dir"
    std::string title;
    std::string text;  // a file pop-up's file pattern ("*.prt"), a directory's folder
};

using PopupListener = std::function<void(const PopupShown&)>;

// Tells `listener` of every later pop-up; an empty one stops that.
void setPopupListener(PopupListener listener);

}  // namespace trelvanix::ui
