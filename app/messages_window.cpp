#include "app/messages_window.h"

#include <algorithm>

#include "platform/clock/clock.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/notices.h"

namespace trelvanix {

namespace {

int messagesHandle = -1;

bool loadWindow() {
    if (messagesHandle < 0) messagesHandle = LoadPanel(0, "trelvanix.uir", MESSAGES);
    return messagesHandle >= 0;  // standard error has the text all the same
}

// Each message starts with the time of day; its further lines are indented under the text.
void append(const std::string& text) {
    const std::string time = std::string(TimeStr()) + "  ";
    const std::string indent(time.size(), ' ');
    std::size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = (first ? time : indent) + text.substr(start, end - start);
        InsertTextBoxLine(messagesHandle, MESSAGES_TEXT, -1, line.c_str());
        first = false;
        start = end + 1;
    }
}

}  // namespace

void ShowMessages(const std::string& text) {
    if (!loadWindow()) return;
    append(text);
    DisplayPanel(messagesHandle);
}

void KeepMessage(const std::string& text) {
    if (loadWindow()) append(text);
}

int MessagesPanel() {
    return messagesHandle;
}

void ResetMessagesWindow() {
    messagesHandle = -1;
}

}  // namespace trelvanix

void trelvanix::callbacks::ShowMessagesWindow(int menuBar, int menuItem, void* callbackData,
                                              int panel) {
    if (trelvanix::loadWindow()) DisplayPanel(trelvanix::messagesHandle);
}

int trelvanix::callbacks::ClearMessages(int panel, int control, int event, void* callbackData,
                                        int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) ResetTextBox(panel, MESSAGES_TEXT, "");
    return 0;
}

int trelvanix::callbacks::HideMessages(int panel, int control, int event, void* callbackData,
                                       int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) HidePanel(panel);
    return 0;
}

int trelvanix::callbacks::MessagesClose(int panel, int event, void* callbackData, int eventData1,
                                        int eventData2) {
    if (event == EVENT_CLOSE) HidePanel(panel);
    return 0;
}
