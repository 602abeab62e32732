#include "app/messages_window.h"

#include <algorithm>

#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"

namespace trelvanix {

namespace {

int messagesHandle = -1;

}  // namespace

void ShowMessages(const std::string& text) {
    if (messagesHandle < 0) messagesHandle = LoadPanel(0, "trelvanix.uir", MESSAGES);
    if (messagesHandle < 0) return;  // standard error has the text all the same
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        InsertTextBoxLine(messagesHandle, MESSAGES_TEXT, -1,
                          text.substr(start, end - start).c_str());
        start = end + 1;
    }
    DisplayPanel(messagesHandle);
}

int MessagesPanel() {
    return messagesHandle;
}

void ResetMessagesWindow() {
    messagesHandle = -1;
}

}  // namespace trelvanix

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
