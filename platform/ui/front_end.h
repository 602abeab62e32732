#pragma once
// What a front end (headless or Qt) does for the toolkit: it is told of model changes, it
// shows modal pop-ups, and it waits for operator input.

#include <string>

namespace trelvanix::ui {

struct FileRequest {
    std::string defaultDirectory;
    std::string defaultFileSpec;  // "*.par"
    std::string fileTypeList;     // "*.*"
    std::string title;
    int buttonLabel = 0;  // VAL_LOAD_BUTTON, VAL_SAVE_BUTTON, ...
    bool restrictDirectory = false;
    bool restrictExtension = false;
    bool allowCancel = true;
    bool allowMakeDirectory = true;
};

struct DirectoryRequest {
    std::string defaultDirectory;
    std::string title;
    bool allowCancel = true;
    bool allowMakeDirectory = true;
};

class FrontEnd {
  public:
    virtual ~FrontEnd() = default;

    // Model changes; the front end shows them (at once or on its next repaint).
    virtual void panelAdded(int panel) {}
    virtual void panelRemoved(int panel) {}
    virtual void panelChanged(int panel) {}
    virtual void controlChanged(int panel, int control) {}
    virtual void plotsChanged(int panel, int control) {}
    virtual void menuChanged(int menuBar) {}
    // A graph's plot area is about to be read: a front end that makes a panel's widgets only
    // when first needed makes them now, so the area is the one the graph is drawn in.
    virtual void layOutPanel(int panel) {}

    // Modal pop-ups.
    virtual void messagePopup(const std::string& title, const std::string& message) = 0;
    virtual bool confirmPopup(const std::string& title, const std::string& message) = 0;
    // Returns VAL_NO_FILE_SELECTED, VAL_EXISTING_FILE_SELECTED or VAL_NEW_FILE_SELECTED.
    virtual int fileSelectPopup(const FileRequest& request, std::string* path) = 0;
    // Returns VAL_NO_DIRECTORY_SELECTED or VAL_DIRECTORY_SELECTED.
    virtual int directorySelectPopup(const DirectoryRequest& request, std::string* path) = 0;
    // Prints the panel; returns 0 or a negative status. `where` tells where the output went.
    virtual int printPanel(int panel, std::string* where) = 0;
    // Puts text on the system's clipboard, where the front end has one.
    virtual void putOnClipboard(const std::string& text) {}
    // Saves a picture of the panel as PNG; returns 0 or a negative status with `error` set.
    virtual int screenshot(int panel, const std::string& path, std::string* error) = 0;

    // False for a front end no operator can reach (headless): with nothing scheduled, an
    // event loop that waits on it would wait forever, so the loop ends instead.
    virtual bool receivesOperatorInput() const { return true; }
    // Moves operator input that has arrived into the model's queue without waiting.
    virtual void pollInput() {}
    // Waits until operator input is queued or the program clock reaches `until` (seconds).
    virtual void waitForInput(double until) = 0;
};

}  // namespace trelvanix::ui
