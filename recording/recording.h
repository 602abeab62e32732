#pragma once
// Recording: data files (.vnx), their names, the start and stop of timed recording and of
// interval saving, and the save options that split the channels over two files. The
// callbacks (record, stop, ShowSave, ...) are declared with the panel constants in
// "resources/trelvanix_uir.h".

#include <string>
#include <vector>

// --- Save options: which channels go to which of two files, and where (kept for the process).
extern int SaveHandle;   // the save-options panel; -1 until first loaded
extern int FileFlag[2];  // file 1, file 2 in use
extern short FromFile1, ToFile1, FromFile2, ToFile2;  // physical channel ranges
extern short DirFlag[2];                              // a directory was chosen for file 1, file 2
extern std::string Dir[2];  // that directory, ending in the path separator

// --- The current file set.
extern std::string Filename;  // the name MakeFilename made (no directory)
extern std::string Files[2];  // full paths of file 1 and file 2
extern int Ft;                // handle of file 2; -1 when none is open

// Creates a data file of kind 0 (all acquired channels), 1 or 2 (the save-option ranges) and
// writes its whole header; the handle goes to Fd (kinds 0, 1) or Ft (kind 2). Returns 0, or
// a negative status when the file could not be created or its header not written (the file
// is then closed, its handle left at -1, and lastFileError() says why).
int open_this_file(const char* name, int kind);
// Writes the filter section for the first `count` channels of the file being created.
int save_filters(int handle, int count);
// Finalises and closes Fd and Ft (the header declares the samples written); Real_time back
// to 0.
void close_this_file();

// Names a new file from the date, the time and the name-suffix box, and shows the name.
void MakeFilename(std::string& buffer);
// Opens the next file set; 0 when created, 1 when recording was refused or failed.
int open_these_files();
// Writes the current stretch (HalfBuffer, interleaved by scan) to the open files.
void SaveAll();
// Ends any recording and finalises its open files.
void record_stop();
// Ends a recording from the panel: record_stop, then Record and Save enabled again.
void SaveStop();
// The Stop button: ends a recording, or stops acquisition when nothing is being saved.
void endOperation();
// Validates and stores the channel range of the file chosen on the save-options panel.
void save_options();

namespace trelvanix::recording {
// Makes the files of a recorded stimulus before its output starts, so that a stimulus is never
// played unrecorded. Returns why they could not be made (saving is then off), or empty text.
std::string PrepareRecordedStimulusFiles();
// Removes files made that way whose stimulus did not start; nothing when there are none.
void DiscardPreparedFiles();
}  // namespace trelvanix::recording

namespace trelvanix {
// Puts the save options and the file set back to their initial values (tests).
void ResetRecordingState();
// The ticked channels that neither file of the save options holds (none without them).
std::vector<int> ChannelsNoFileHolds();
// "ai1, ai3".
std::string ChannelNames(const std::vector<int>& channels);
// Shows on the main panel which channels each data file of the next recording holds.
void ShowChannelsToFiles();
// Shows how long a timed recording has still to run, or "-" when none runs.
void ShowTimeLeft();
}  // namespace trelvanix
