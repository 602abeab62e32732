// The save-options panel: up to two files, each with a contiguous range of channels and a
// directory of its own. Changes take effect when the next file set is opened, so files
// already open keep the channels their headers describe.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "recording/recording.h"
#include "resources/trelvanix_uir.h"
#include "state/panel_states.h"
#include "state/shared_state.h"

namespace {

bool refused(const std::string& message) {
    MessagePopup("Error!", message.c_str());
    return true;
}

bool rangeRefused(short from, short to) {
    if (from < 0) return refused("From channels cannot be less than zero. Try again.");
    if (to > 7) return refused("To channels cannot be greater than seven. Try again.");
    if (to < from) return refused("From channels cannot be greater than to channels. Try again.");
    for (int c = from; c <= to; ++c) {
        if (!trelvanix::ChannelTicked(c))
            return refused("Channel " + std::to_string(c) +
                           " is not acquired. Start acquiring the channel.");
    }
    return false;
}

std::string channelRange(short from, short to) {
    const std::string first = "ai" + std::to_string(from);
    return from == to ? first : first + "-ai" + std::to_string(to);
}

std::string defaultDirectory() {
#ifdef _WIN32
    return "c:\\data";
#else
    std::string current;
    GetDir(&current);
    return current;
#endif
}

}  // namespace

std::vector<int> trelvanix::ChannelsNoFileHolds() {
    std::vector<int> left;
    if (FileFlag[0] != 1 && FileFlag[1] != 1) return left;
    for (int c = 0; c < 8; ++c) {
        const bool inFile1 = FileFlag[0] == 1 && c >= FromFile1 && c <= ToFile1;
        const bool inFile2 = FileFlag[1] == 1 && c >= FromFile2 && c <= ToFile2;
        if (trelvanix::ChannelTicked(c) && !inFile1 && !inFile2) left.push_back(c);
    }
    return left;
}

std::string trelvanix::ChannelNames(const std::vector<int>& channels) {
    std::string names;
    for (int c : channels) names += (names.empty() ? "ai" : ", ai") + std::to_string(c);
    return names;
}

void trelvanix::ShowChannelsToFiles() {
    if (panelHandle <= 0) return;
    std::string text = "All in one file";
    const std::vector<int> left = ChannelsNoFileHolds();
    if (FileFlag[0] == 1 || FileFlag[1] == 1) {
        text.clear();
        if (FileFlag[0] == 1) text = "1: " + channelRange(FromFile1, ToFile1);
        if (FileFlag[1] == 1)
            text += (text.empty() ? "2: " : "  2: ") + channelRange(FromFile2, ToFile2);
        if (!left.empty()) text += "  not saved: " + ChannelNames(left);
    }
    SetCtrlVal(panelHandle, PANEL_FILES, text.c_str());
    // Channels acquired but never written stand out.
    SetCtrlAttribute(panelHandle, PANEL_FILES, ATTR_TEXT_COLOR,
                     left.empty() ? VAL_BLACK : 0xC00000);
}

void trelvanix::callbacks::ShowSave(int menuBar, int menuItem, void* callbackData, int panel) {
    if (SaveHandle < 0) {
        const int loaded = LoadPanel(0, "trelvanix.uir", SAVEOPT);
        if (loaded < 0) return;
        SaveHandle = loaded;
    }
    DisplayPanel(SaveHandle);
}

int trelvanix::callbacks::OkSave(int panel, int control, int event, void* callbackData,
                                 int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) HidePanel(SaveHandle);
    return 0;
}

// Closing the window does what its OK button does: the options applied stay.
int trelvanix::callbacks::SaveOptionsWindowClose(int panel, int event, void* callbackData,
                                                 int eventData1, int eventData2) {
    if (event != EVENT_CLOSE) return 0;
    return OkSave(panel, SAVEOPT_OK, EVENT_COMMIT, nullptr, 0, 0);
}

int trelvanix::callbacks::ApplySave(int panel, int control, int event, void* callbackData,
                                    int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) save_options();
    return 0;
}

void save_options() {
    int file = 0;
    GetCtrlVal(SaveHandle, SAVEOPT_FILE, &file);
    if (file != 1 && file != 2) return;
    short from = 0, to = 0;
    GetCtrlVal(SaveHandle, SAVEOPT_FROM, &from);
    GetCtrlVal(SaveHandle, SAVEOPT_TO, &to);
    if (rangeRefused(from, to)) return;
    (file == 1 ? FromFile1 : FromFile2) = from;
    (file == 1 ? ToFile1 : ToFile2) = to;
    FileFlag[file - 1] = 1;
    trelvanix::ShowChannelsToFiles();
}

int trelvanix::callbacks::removeOption(int panel, int control, int event, void* callbackData,
                                       int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    int file = 0;
    GetCtrlVal(SaveHandle, SAVEOPT_REMOVE_FILE, &file);
    if (file != 1 && file != 2) return 0;
    (file == 1 ? FromFile1 : FromFile2) = -1;
    (file == 1 ? ToFile1 : ToFile2) = -1;
    FileFlag[file - 1] = 0;
    DirFlag[file - 1] = 0;
    trelvanix::ShowChannelsToFiles();
    return 0;
}

int trelvanix::callbacks::SetDire(int panel, int control, int event, void* callbackData,
                                  int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    int file = 0;
    GetCtrlVal(SaveHandle, SAVEOPT_FILE, &file);
    if (file != 1 && file != 2) return 0;
    const std::string title = "Select Directory for file " + std::to_string(file);
    std::string chosen;
    if (DirSelectPopup(defaultDirectory().c_str(), title.c_str(), 1, 1, &chosen) <= 0) return 0;
    // The file name is appended to the directory as it is, so it ends in the separator.
    Dir[file - 1] = chosen + static_cast<char>(std::filesystem::path::preferred_separator);
    DirFlag[file - 1] = 1;
    return 0;
}
