// The File menu's last few parameter files, and the extension a saved one is given.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "params/parameter_files.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace {

constexpr int kRecentItems[] = {MENUBAR_FILE_RECENT_1, MENUBAR_FILE_RECENT_2, MENUBAR_FILE_RECENT_3,
                                MENUBAR_FILE_RECENT_4};
constexpr std::size_t kRecentCount = std::size(kRecentItems);

std::vector<std::string> recentFiles;  // most recent first

// A menu label shows "&" as a mnemonic mark unless it is doubled.
std::string menuText(const std::string& path) {
    std::string text;
    for (char c : path) text += c == '&' ? std::string("&&") : std::string(1, c);
    return text;
}

void showRecentFiles() {
    const int bar = GetPanelMenuBar(panelHandle);
    for (std::size_t i = 0; i < kRecentCount; ++i) {
        const bool shown = i < recentFiles.size();
        if (shown) {
            const std::string label = "&" + std::to_string(i + 1) + "  " + menuText(recentFiles[i]);
            SetMenuBarAttribute(bar, kRecentItems[i], ATTR_ITEM_NAME, label.c_str());
        }
        SetMenuBarAttribute(bar, kRecentItems[i], ATTR_VISIBLE, shown ? 1 : 0);
    }
}

}  // namespace

void RememberParameterFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    const std::string full = error ? path : absolute.lexically_normal().string();
    std::erase(recentFiles, full);
    recentFiles.insert(recentFiles.begin(), full);
    if (recentFiles.size() > kRecentCount) recentFiles.resize(kRecentCount);
    showRecentFiles();
}

void ForgetRecentParameterFiles() {
    recentFiles.clear();
}

std::string WithParameterExtension(const std::string& path) {
    return std::filesystem::path(path).has_extension() ? path : path + ".par";
}

void trelvanix::callbacks::LoadRecentParams(int menuBar, int menuItem, void* callbackData,
                                            int panel) {
    const auto item = std::find(std::begin(kRecentItems), std::end(kRecentItems), menuItem);
    const auto index = static_cast<std::size_t>(item - std::begin(kRecentItems));
    if (index < recentFiles.size()) LoadParametersFrom(std::string(recentFiles[index]));
}
