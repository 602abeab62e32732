// The event loop. Waiting is always bounded by the next thing that can happen: a deadline
// the caller gives, a timer tick, or a scripted operator action. On the simulated clock the
// front end's wait jumps straight there, so idle time costs nothing in tests.

#include <algorithm>
#include <limits>

#include "platform/clock/clock.h"
#include "platform/ui/front_end.h"
#include "platform/ui/remote_control.h"
#include "platform/ui/scripted_input.h"
#include "platform/ui/termination.h"
#include "platform/ui/toolkit_internal.h"

using namespace trelvanix::ui;
using namespace trelvanix::ui::detail;

namespace {

constexpr double kForever = std::numeric_limits<double>::infinity();

// Brings in what the operator (or the script, or a remote client) has done, without waiting.
void gatherInput() {
    endIfTerminationRequested();
    Model& m = model();
    if (m.frontEnd()) m.frontEnd()->pollInput();
    m.queueDueTimerTicks();
    if (!m.hasPendingEvent() && m.script()) m.script()->runDueActions();
    if (RemoteControl* remote = m.remote()) {
        remote->pump();
        remote->runPendingLines();
    }
}

int dispatch(int* panel, int* control) {
    int type = EVENT_NONE;
    int p = 0, c = 0;
    if (!model().dispatchOne(&p, &c, &type)) return EVENT_NONE;
    if (panel) *panel = p;
    if (control) *control = c;
    return type;
}

// True when nothing can ever arrive: no operator can reach the front end, no remote client can
// connect, no timer runs and no script action is scheduled.
bool nothingCanHappen(double until) {
    FrontEnd* fe = model().frontEnd();
    const RemoteControl* remote = model().remote();
    return until == kForever && (!fe || !fe->receivesOperatorInput()) &&
           !(remote && remote->listening());
}

// Remote lines left for the next pass (a pass runs a bounded number): no waiting meanwhile.
bool remoteLinesWait() {
    const RemoteControl* remote = model().remote();
    return remote && remote->hasPendingLines();
}

}  // namespace

int GetUserEventUntil(double deadline, int* panel, int* control) {
    Model& m = model();
    for (;;) {
        gatherInput();
        if (m.hasPendingEvent()) return dispatch(panel, control);
        if (m.quitRequested) return EVENT_NONE;  // e.g. a script ended while input was gathered
        const double now = trelvanix::programClock().seconds();
        if (now >= deadline) return EVENT_NONE;
        if (remoteLinesWait()) continue;
        double until = std::min(deadline, m.nextTimerTick());
        if (m.script()) until = std::min(until, m.script()->nextActionTime());
        if (nothingCanHappen(until)) return EVENT_NONE;
        if (m.frontEnd())
            m.frontEnd()->waitForInput(until);
        else
            trelvanix::programClock().waitUntil(until);
        if (m.quitRequested) return EVENT_NONE;
    }
}

int GetUserEvent(int waitMode, int* panel, int* control) {
    if (waitMode != 0) return GetUserEventUntil(kForever, panel, control);
    gatherInput();
    return dispatch(panel, control);
}

int ProcessSystemEvents() {
    gatherInput();
    while (model().hasPendingEvent()) {
        dispatch(nullptr, nullptr);
        gatherInput();
    }
    return 0;
}

int PostDeferredCall(DeferredCallbackPtr function, void* callbackData) {
    if (!function) return UIE_BadArgument;
    Event event;
    event.target = Event::Target::Deferred;
    event.type = EVENT_DEFERRED;
    event.deferred = function;
    event.deferredData = callbackData;
    model().post(event);
    return UIE_NoError;
}

int RunUserInterface() {
    Model& m = model();
    m.quitRequested = false;
    while (!m.quitRequested) {
        if (GetUserEventUntil(kForever, nullptr, nullptr) != EVENT_NONE) continue;
        // Nothing was dispatched although the wait had no deadline: nothing can happen.
        if (!m.quitRequested && !m.hasPendingEvent()) break;
    }
    m.quitRequested = false;
    return m.quitCode;
}

int QuitUserInterface(int returnCode) {
    model().quitCode = returnCode;
    model().quitRequested = true;
    return 0;
}
