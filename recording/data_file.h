#pragma once
// The writer's view of the open data files: for each of the two slots the file's handle, its
// path, its channels and the fixed table it was created with, kept until the file is closed
// so that the finalisation rewrites the file's own table. The slot owns its handle; the
// globals Fd and Ft show it, and a handle put into them from outside is taken over.

#include <initializer_list>
#include <string>
#include <vector>

#include "recording/file_handle.h"
#include "recording/vnx_format.h"
#include "state/program_events.h"

namespace trelvanix::recording {

enum Slot { kFirstFile = 0, kSecondFile = 1 };  // the files of Fd and Ft

struct OpenDataFile {
    std::string path;
    std::vector<int> positions;  // position in ChannelList of each channel of the file
    std::vector<int> physical;   // the physical input of each channel of the file
    vnx::FixedTable table{};
    int headerBytes = 0;
    FileHandle handle;
};

// Set while a recorded stimulus's file set is open but not yet written: it was made just
// before the stimulus's output started. Cleared with the other open files by forgetDataFiles.
extern bool filesPrepared;

// The handle of a slot: Fd or Ft.
int& handleOf(Slot slot);
const OpenDataFile& dataFile(Slot slot);

// Appends the current stretch's samples of the slot's channels. Returns the bytes written,
// 0 when the slot has no open file, or a negative status.
int writeStretch(Slot slot);
// Rewrites the slot's fixed table with the channel count and the samples the file really
// holds, then closes it. Returns 0 or the first negative status.
int finaliseAndClose(Slot slot);
// Finalises the open files of `slots`; a file that cannot be finalised is passed to `failed`.
// Returns the RecordingFinished event naming those finalised, for the caller to publish.
events::Event finaliseFiles(std::initializer_list<Slot> slots,
                            void (*failed)(const std::string& path));
// Closes the slot's file as it is. Returns 0 or a negative status.
int closeDataFile(Slot slot);
// Closes the slot's file and deletes it (a file set that could not be completed).
void discardDataFile(Slot slot);
// Forgets every open file without touching it: their handles are given up, not closed.
void forgetDataFiles();

}  // namespace trelvanix::recording
