#include "state/program_events.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace events = trelvanix::events;

// Listeners hear events in the order they subscribed; one that leaves while an event is being
// told still hears that event, not the next; a reset leaves nobody listening.
TEST(ProgramEvents, ListenersHearEventsInOrderUntilTheyLeave) {
    events::ResetProgramEvents();
    std::vector<std::string> heard;
    int second = 0;
    events::Subscribe([&](const events::Event& e) {
        heard.push_back("first " + e.paths.at(0));
        events::Unsubscribe(second);
    });
    second = events::Subscribe([&](const events::Event& e) { heard.push_back("second"); });

    events::Publish({events::Kind::RecordingFinished, {"a.vnx"}});
    events::Publish({events::Kind::RecordingFinished, {"b.vnx"}});
    EXPECT_EQ(heard, (std::vector<std::string>{"first a.vnx", "second", "first b.vnx"}));

    events::ResetProgramEvents();
    events::Publish({events::Kind::RecordingFinished, {"c.vnx"}});
    EXPECT_EQ(heard.size(), 3u);
}
