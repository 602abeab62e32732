// When data files are opened, written, rolled over and finalised: timed recording (Record),
// interval saving (the Save item) and recorded stimuli share these procedures. The
// saving stage (saving_stage.h) calls SaveAll once per stretch while saving, and SaveStop at
// the end of a timed recording.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "recording/data_file.h"
#include "recording/file_naming.h"
#include "recording/recording.h"
#include "resources/trelvanix_uir.h"
#include "state/notices.h"
#include "state/panel_states.h"
#include "state/program_events.h"
#include "state/shared_state.h"

using namespace trelvanix::recording;

namespace {

void setSaveItem(int attribute, int value) {
    SetMenuBarAttribute(GetPanelMenuBar(panelHandle), MENUBAR_FILE_SAVE, attribute, value);
}

// Back to not saving, with Record and the Save item usable again, so the operator can try
// again once the cause is fixed.
void abandonFileSet() {
    Save_status = 0;
    Record = 0;
    FirstTime = 1;
    SetCtrlVal(panelHandle, PANEL_SAVE_LAMP, 0);
    Real_time = 0.0;
    SetCtrlVal(panelHandle, PANEL_FILENAME, "");
    SetCtrlAttribute(panelHandle, PANEL_RECORD, ATTR_DIMMED, 0);
    setSaveItem(ATTR_DIMMED, 0);
    setSaveItem(ATTR_CHECKED, 0);
}

// Tells the operator why recording stopped, or hands the message to the caller.
void showOrPass(const std::string& message, std::string* failure) {
    if (failure)
        *failure = message;
    else
        MessagePopup("Error!", message.c_str());
}

int refuse(int channel, std::string* failure) {
    showOrPass("Channel " + std::to_string(channel) + " is not acquired. You cannot record.",
               failure);
    abandonFileSet();
    return 1;
}

int failToCreate(const std::string& path, std::string* failure) {
    const std::string message = "The data file " + path + " could not be created (" +
                                lastFileError() + "). Nothing is being recorded.";
    discardDataFile(kFirstFile);
    discardDataFile(kSecondFile);
    showOrPass(message, failure);
    abandonFileSet();
    return 1;
}

// The first channel of the save-option ranges in use that is not acquired, or -1.
int firstChannelNotAcquired() {
    const short ranges[2][2] = {{FromFile1, ToFile1}, {FromFile2, ToFile2}};
    for (int f = 0; f < 2; ++f) {
        if (FileFlag[f] != 1) continue;
        for (int c = std::max<int>(ranges[f][0], 0); c <= std::min<int>(ranges[f][1], 7); ++c)
            if (!trelvanix::ChannelTicked(c)) return c;
    }
    return -1;
}

void reportFailedWrite(Slot slot) {
    const std::string message = "Writing the data file " + dataFile(slot).path + " failed (" +
                                lastFileError() +
                                "). The recording has been stopped; the file keeps the data "
                                "written before the failure.";
    SaveStop();
    MessagePopup("Error!", message.c_str());
}

// Opens the next file set; 1 when refused or failed, with the reason shown, or passed in
// *failure when one is given.
int openFileSet(std::string* failure) {
    MakeFilename(Filename);
    if (const int channel = firstChannelNotAcquired(); channel >= 0)
        return refuse(channel, failure);
    // The save options may leave out a channel ticked after they were set: it is acquired and
    // shown, but never written.
    if (const std::vector<int> left = trelvanix::ChannelsNoFileHolds(); !left.empty())
        trelvanix::Warn("Recording without " + trelvanix::ChannelNames(left) +
                        ": no file of the save options holds " +
                        (left.size() == 1 ? "it" : "them") + " (Options > Save options...).");

    const std::string made = Filename.substr(0, Filename.size() - 4);  // without ".vnx"
    const std::string stem = unusedStem(made);
    if (stem != made) {
        Filename = stem + ".vnx";
        SetCtrlVal(panelHandle, PANEL_FILENAME, Filename.c_str());
    }
    const std::vector<std::string> paths = fileSetPaths(stem);
    trelvanix::events::Event started{trelvanix::events::Kind::RecordingStarted};
    if (FileFlag[0] == 1 || FileFlag[1] == 1) {
        std::size_t next = 0;
        for (int f = 0; f < 2; ++f) {
            if (FileFlag[f] != 1) continue;
            Files[f] = paths[next++];
            if (open_this_file(Files[f].c_str(), f + 1) < 0) return failToCreate(Files[f], failure);
            started.paths.push_back(Files[f]);
        }
    } else if (open_this_file(Filename.c_str(), 0) < 0) {
        return failToCreate(Filename, failure);
    } else {
        started.paths.push_back(Filename);
    }
    trelvanix::events::Publish(started);
    return 0;
}

}  // namespace

int open_these_files() {
    return openFileSet(nullptr);
}

std::string trelvanix::recording::PrepareRecordedStimulusFiles() {
    std::string failure;
    if (FirstTime == 0 || Save_status != 1) return failure;
    if (openFileSet(&failure) == 1) return failure;
    FirstTime = 0;
    filesPrepared = true;
    return failure;
}

void trelvanix::recording::DiscardPreparedFiles() {
    if (!filesPrepared) return;
    filesPrepared = false;
    discardDataFile(kFirstFile);
    discardDataFile(kSecondFile);
    FirstTime = 1;
}

void SaveAll() {
    if (AutoSave == 1) return;
    if (FirstTime != 0) {
        if (open_these_files() == 1) return;
        FirstTime = 0;
    } else if (filesPrepared) {
        // A recorded stimulus's files, made just before its output started: their first stretch.
        filesPrepared = false;
    } else {
        const bool zeroTime = std::trunc(1000.0 * Real_time) == 0.0;
        if (Save_inject == 1 && zeroTime) {
            // The recorded stimulus's saving period has ended.
            Save_inject = 0;
            Save_status = 0;
            close_this_file();
            FirstTime = 1;
            trelvanix::ShowRecordedStimulusState(false);
            SetCtrlVal(panelHandle, PANEL_SAVE_LAMP, 0);
        } else if (Save_status == 1 && zeroTime && Record == 0) {
            // A saving period has ended (or a pause runs): the next period gets new files.
            close_this_file();
            if (Skipping == 0 && open_these_files() == 1) return;
        }
    }
    bool written = false;
    for (Slot slot : {kFirstFile, kSecondFile}) {
        const int status = writeStretch(slot);
        if (status < 0) return reportFailedWrite(slot);
        written = written || status > 0;
    }
    if (written) Real_time += Sec_per_stretch;
}

void record_stop() {
    FirstTime = 1;
    Save_status = 0;
    SetCtrlVal(panelHandle, PANEL_SAVE_LAMP, 0);
    if (Skipping == 1) return;  // a pause between periods: its files are already closed
    if (Record == 1)
        Record = 0;
    else
        setSaveItem(ATTR_CHECKED, 0);
    // Files made for a recorded stimulus that never got a stretch: as if none were made.
    trelvanix::recording::DiscardPreparedFiles();
    // The files a timed recording or an interval-saving period leaves are told of, as those
    // closed at the end of a period or of a recorded stimulus are.
    const trelvanix::events::Event finished =
        finaliseFiles({kFirstFile, kSecondFile}, [](const std::string& path) {
            const std::string message = "The header of the data file " + path +
                                        " could not be completed (" + lastFileError() + ").";
            MessagePopup("Error!", message.c_str());
        });
    Real_time = 0.0;
    trelvanix::ShowTimeLeft();
    if (!finished.paths.empty()) trelvanix::events::Publish(finished);
}

void trelvanix::ShowTimeLeft() {
    // Whole seconds, rounded up; the indicator is redrawn only when they change.
    const std::string left =
        Record == 1
            ? std::to_string(static_cast<long>(std::ceil(std::max(0.0, SaveTime - Real_time))))
            : "-";
    SetCtrlVal(panelHandle, PANEL_TIME_LEFT, left.c_str());
}

void SaveStop() {
    record_stop();
    SetCtrlAttribute(panelHandle, PANEL_RECORD, ATTR_DIMMED, 0);
    setSaveItem(ATTR_DIMMED, 0);
    if (InjectHandle > 0 && Continuous_inject == 0)
        SetCtrlAttribute(InjectHandle, INJECT_RECORD, ATTR_DIMMED, 0);
}

void endOperation() {
    if (trelvanix::RecordingRuns()) {
        SaveStop();
        return;
    }
    // Acquisition stops: a spectrum collection keeps its buffer and resumes with the next
    // run, so only its lamp goes out. (Ending a recording leaves acquisition, and the
    // collection, running with the lamp lit.)
    if (FourierHandle > 0) SetCtrlVal(FourierHandle, SPECTRUM_LAMP, 0);
    trelvanix::ShowStoppedState();
}

int trelvanix::callbacks::record(int panel, int control, int event, void* callbackData,
                                 int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    Save_status = 1;
    Real_time = 0.0;
    Record = 1;
    FirstTime = 1;
    // An interval-saving pause that Stop ended may still be marked; a timed recording has no
    // pauses, and record_stop would take it for one and leave the file open.
    Skipping = 0;
    trelvanix::ShowRecordingState();
    if (InjectHandle > 0) {
        SetCtrlAttribute(InjectHandle, INJECT_RECORD, ATTR_DIMMED, 1);
        SetCtrlVal(InjectHandle, INJECT_RECORD, 0);
    }
    Save_inject = 0;
    Timer_start = Timer();
    trelvanix::ShowTimeLeft();
    return 0;
}

int trelvanix::callbacks::stop(int panel, int control, int event, void* callbackData,
                               int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) endOperation();
    return 0;
}

void trelvanix::callbacks::Print_(int menuBar, int menuItem, void* callbackData, int panel) {
    if (PrintPanel(panelHandle, "", 1, VAL_FULL_PANEL, 1) < 0)
        MessagePopup("Error!", "The main panel could not be printed.");
}
