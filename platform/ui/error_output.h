#pragma once
// Where the toolkit's error output (ErrorPrintf) goes besides standard error: the program
// shows it in a window. Each line is passed on complete, ending in a newline.

#include <functional>
#include <string>

namespace trelvanix::ui {

using ErrorOutputListener = std::function<void(const std::string& text)>;

// Passes every later ErrorPrintf text to `listener` as well; an empty one stops that.
void setErrorOutputListener(ErrorOutputListener listener);

}  // namespace trelvanix::ui
