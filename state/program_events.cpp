#include "state/program_events.h"

#include <utility>

namespace trelvanix::events {

namespace {

struct Subscription {
    int id;
    Listener listener;
};

std::vector<Subscription>& subscriptions() {
    static std::vector<Subscription> all;
    return all;
}

int lastId = 0;

}  // namespace

int Subscribe(Listener listener) {
    subscriptions().push_back({++lastId, std::move(listener)});
    return lastId;
}

void Unsubscribe(int subscription) {
    std::erase_if(subscriptions(), [&](const Subscription& s) { return s.id == subscription; });
}

void Publish(const Event& event) {
    // A listener may subscribe or unsubscribe while it runs: tell the ones there now.
    const std::vector<Subscription> now = subscriptions();
    for (const Subscription& s : now) s.listener(event);
}

void ResetProgramEvents() {
    subscriptions().clear();
}

}  // namespace trelvanix::events
