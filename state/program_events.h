#pragma once
// What happened in the program, told to whoever listens: a remote client watching the run,
// the results window measuring each recorded file. Subsystems publish an event where the
// thing happens; listeners run at once, on the user-interface thread, and must not block.

#include <functional>
#include <string>
#include <vector>

namespace trelvanix::events {

enum class Kind {
    RecordingFinished,  // paths: the files just finalised (one or two with the save options)
    StimulusEnded,      // a stimulus stopped, or did not start; Protocol says if one runs on
    Notice,             // text: what the operator is told, without an error (state/notices.h)
};

struct Event {
    Kind kind;
    std::vector<std::string> paths = {};
    // RecordingFinished: for each file, the physical inputs (0..7) of its channels in order.
    std::vector<std::vector<int>> inputs = {};
    std::string text = {};
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
