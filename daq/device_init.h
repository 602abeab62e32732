#pragma once
// Device initialisation: the data folder, the date and time displays, and the board-gain
// list built from the input ranges the driver reports for "Dev1".

#include <string>

// Clears the comment and label boxes, selects the data folder, measures the sweep graph and
// fills the board-gain list. Called once, after the main panel is shown.
void init_vi();
// Shows the date as YYYY-MM-DD and the time as HH:MM:SS on the main panel.
void SetDateAndTime();

namespace trelvanix {
// The moments the time display can show, named by its label.
constexpr const char* kOpenedAt = "Opened at";
constexpr const char* kStartedAt = "Started at";  // the start of acquisition
constexpr const char* kHeldAt = "Held at";        // the sweep was held
constexpr const char* kFolderSetAt = "Folder set at";
// SetDateAndTime, with the time display labelled by the moment it shows.
void ShowDateAndTimeOf(const char* moment);
}  // namespace trelvanix

namespace trelvanix {
// The device the program drives.
constexpr const char* kBoardDevice = "Dev1";

// The folder made current at start-up: "data" at the root of the file system (of the current
// drive on Windows), or the folder named by the environment variable TRELVANIX_DATA_FOLDER.
std::string& DataFolder();
// That folder as the program first sees it, before anything changed DataFolder.
std::string DefaultDataFolder();
}  // namespace trelvanix
