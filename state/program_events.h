#pragma once
// What happened in the program, told to whoever listens: a remote client watching the run,
// the results window measuring each recorded file. Subsystems publish an event where the
// thing happens; listeners run at once, on the user-interface thread, and must not block.

#include <functional>
#include <string>
#include <vector>

namespace trelvanix::events {

enum class Kind {
    RecordingStarted,    // paths: the files just opened (one or two with the save options)
    RecordingFinished,   // paths: the files just finalised
    StimulusStarted,     // number: the analog output that plays it
    StimulusEnded,       // a stimulus stopped, or did not start; Protocol says if one runs on;
                         // number: the analog output that played it, -1 when none did
    StepStarted,         // number: the protocol step (from 1) of count; name and value stepped
    StepFinished,        // the same, once the step's stimulus has ended
    AcquisitionStarted,  // the input task runs
    AcquisitionStopped,  // the run has ended (stopped, restarted for a recording, or failed)
    DriverError,         // number: the driver's status; text: its description
    PopupShown,          // name: message, confirm, file or dir (the answer it waits for);
                         // title and text as shown (a file pop-up's text is its file pattern)
    Notice,              // text: what the operator is told, without an error (state/notices.h)
};

struct Event {
    Kind kind;
    std::vector<std::string> paths{};
    // RecordingFinished: for each file, the physical inputs (0..7) of its channels in order.
    std::vector<std::vector<int>> inputs = {};
    int number = 0;
    int count = 0;
    double value = 0.0;
    std::string name{};
    std::string title{};
    std::string text{};
};

using Listener = std::function<void(const Event&)>;

// Adds a listener; the number returned takes it off again.
int Subscribe(Listener listener);
void Unsubscribe(int subscription);
// Tells every listener, in the order they subscribed.
void Publish(const Event& event);

// Drops every listener (tests; the program's wiring subscribes its own again).
void ResetProgramEvents();

}  // namespace trelvanix::events
