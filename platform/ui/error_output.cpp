// The toolkit's error output: diagnostic lines on standard error, and to the listener the
// program installs (its messages window).

#include "platform/ui/error_output.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/ui/toolkit.h"

namespace {

trelvanix::ui::ErrorOutputListener& listener() {
    static trelvanix::ui::ErrorOutputListener installed;
    return installed;
}

}  // namespace

void trelvanix::ui::setErrorOutputListener(ErrorOutputListener l) {
    listener() = std::move(l);
}

void ErrorPrintf(const char* format, ...) {
    if (!format) return;
    std::va_list args;
    va_start(args, format);
    std::va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    std::string text(length > 0 ? length : 0, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    // A line ends with a newline even when the text leaves it out.
    if (text.empty() || text.back() != '\n') text += '\n';
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    // The listener may itself fail and report it: that report goes to standard error only.
    static bool passing = false;
    if (listener() && !passing) {
        passing = true;
        listener()(text);
        passing = false;
    }
}
