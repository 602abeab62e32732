// File names: the date and time to the second, the operator's suffix, and the digits 0 and 1
// of a split file set.

#include "recording/file_naming.h"

#include <cstdio>

#include "platform/clock/clock.h"
#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "recording/recording.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace trelvanix::recording {

namespace {

constexpr std::size_t kMaxSuffix = 51;
constexpr char kForbidden[] = {'\\', '?', '*', '/', '<', '>', '|', '"', ':'};

bool exists(const std::string& path) {
    const int handle = OpenFile(path.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    if (handle < 0) return false;
    CloseFile(handle);
    return true;
}

}  // namespace

std::string cleanSuffix(std::string suffix) {
    if (suffix.size() > kMaxSuffix) suffix.resize(kMaxSuffix);
    for (char forbidden : kForbidden)
        for (auto p = suffix.find(forbidden); p != std::string::npos; p = suffix.find(forbidden)) {
            std::fprintf(stderr, "position is %d\n", static_cast<int>(p));
            suffix[p] = '_';
        }
    return suffix;
}

std::vector<std::string> fileSetPaths(const std::string& stem) {
    std::vector<std::string> paths;
    for (int f = 0; f < 2; ++f)
        if (FileFlag[f] == 1)
            paths.push_back((DirFlag[f] == 1 ? Dir[f] : std::string()) + stem +
                            static_cast<char>('0' + f) + ".vnx");
    if (paths.empty()) paths.push_back(stem + ".vnx");
    return paths;
}

std::string unusedStem(const std::string& stem) {
    std::string candidate = stem;
    for (int n = 2;; ++n) {
        bool taken = false;
        for (const std::string& path : fileSetPaths(candidate)) taken = taken || exists(path);
        if (!taken) return candidate;
        candidate = stem + "-" + std::to_string(n);
    }
}

}  // namespace trelvanix::recording

void MakeFilename(std::string& buffer) {
    // One reading of the clock: a name made at midnight never mixes two days.
    const std::tm now = trelvanix::localCalendar();
    const int year = now.tm_year + 1900, month = now.tm_mon + 1, day = now.tm_mday;
    const int hour = now.tm_hour, minute = now.tm_min, second = now.tm_sec;
    std::string suffix;
    const bool haveSuffix = GetTextBoxLine(panelHandle, PANEL_SUFFIX, 0, &suffix) == 0;
    if (haveSuffix) suffix = trelvanix::recording::cleanSuffix(suffix);

    char name[128];
    if (haveSuffix)
        std::snprintf(name, sizeof name, "%04d_%02d_%02d_%02d_%02d_%02d_%s.vnx", year, month, day,
                      hour, minute, second, suffix.c_str());
    else
        std::snprintf(name, sizeof name, "%04d_%02d_%02d_%02d_%02d_%02d.vnx", year, month, day,
                      hour, minute, second);
    buffer = name;
    SetCtrlVal(panelHandle, PANEL_FILENAME, buffer.c_str());
}
