#include <gtest/gtest.h>

#include <limits>

#include "platform/clock/clock.h"
#include "platform/ui/model.h"
#include "platform/ui/scripted_input.h"
#include "platform/ui/toolkit.h"
#include "tests/platform/ui/test_panels.h"

using namespace trelvanix;
using namespace trelvanix::ui;
using namespace trelvanix::ui::testing;

namespace {

Event commit(int panel, int control) {
    return Event{Event::Target::Control, panel, control, EVENT_COMMIT, 0, 0};
}

// A script that presses the button once, at a given time.
class PressAt : public ScriptedInput {
  public:
    PressAt(int panel, double when) : panel_(panel), when_(when) {}
    double nextActionTime() const override {
        return done_ ? std::numeric_limits<double>::infinity() : when_;
    }
    void runDueActions() override {
        if (done_ || programClock().seconds() < when_) return;
        done_ = true;
        Model::instance().post(commit(panel_, kButton));
    }
    void messagePopup(const std::string&, const std::string&) override {}
    bool confirmPopup(const std::string&, const std::string&) override { return true; }
    int fileSelectPopup(const FileRequest&, std::string*) override { return 0; }
    int directorySelectPopup(const DirectoryRequest&, std::string*) override { return 0; }

  private:
    int panel_;
    double when_;
    bool done_ = false;
};

int innerEventsSeen = 0;

// A callback that polls for events while it runs, as the acquisition loop does.
int pollWhileRunning(int panel, int control, int event, void*, int, int) {
    dispatched().push_back("outer:" + std::to_string(event));
    Model::instance().post(commit(panel, kButton));
    int p = 0, c = 0;
    innerEventsSeen = GetUserEvent(0, &p, &c) == EVENT_COMMIT && c == kButton;
    dispatched().push_back("outer done");
    return 0;
}

}  // namespace

class ToolkitEvents : public ::testing::Test {
  protected:
    void SetUp() override {
        resetToolkit();
        panel = loadTestPanel();
    }
    int panel = 0;
};

TEST_F(ToolkitEvents, PendingEventsDispatchOneAtATimeInOrder) {
    Model& m = Model::instance();
    m.post(commit(panel, kButton));
    m.post(Event{Event::Target::Control, panel, kNumber, EVENT_VAL_CHANGED, 0, 0});
    m.post(Event{Event::Target::Menu, panel, kItemSave, EVENT_MENU, 0, 0});
    m.post(Event{Event::Target::Panel, panel, 0, EVENT_CLOSE, 0, 0});
    int p = 0, c = 0;
    EXPECT_EQ(GetUserEvent(0, &p, &c), EVENT_COMMIT);
    EXPECT_EQ(c, kButton);
    EXPECT_EQ(dispatched().size(), 1u);
    ProcessSystemEvents();
    EXPECT_EQ(dispatched(), (std::vector<std::string>{"4:1", "1:2", "menu:10", "panel:5"}));
    EXPECT_EQ(GetUserEvent(0, &p, &c), EVENT_NONE);
}

TEST_F(ToolkitEvents, DeferredCallsRunInTurnWithTheOtherEvents) {
    static int calls = 0;
    calls = 0;
    Model::instance().post(commit(panel, kButton));
    EXPECT_EQ(PostDeferredCall([](void* data) { calls += *static_cast<int*>(data); },
                               new int(1)),  // leaked on purpose: a test's few bytes
              0);
    EXPECT_EQ(PostDeferredCall(nullptr, nullptr), UIE_BadArgument);
    EXPECT_EQ(GetUserEvent(0, nullptr, nullptr), EVENT_COMMIT);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(GetUserEvent(0, nullptr, nullptr), EVENT_DEFERRED);
    EXPECT_EQ(calls, 1);
    // The event loop counts a deferred call as an event: it goes on waiting afterwards.
    PostDeferredCall([](void*) { QuitUserInterface(4); }, nullptr);
    EXPECT_EQ(RunUserInterface(), 4);
}

TEST_F(ToolkitEvents, CallbackThatPollsRunsTheNextEventInside) {
    Model::instance().control(panel, kNumber)->callback = pollWhileRunning;
    Model::instance().post(commit(panel, kNumber));
    GetUserEvent(0, nullptr, nullptr);
    EXPECT_EQ(innerEventsSeen, 1);
    EXPECT_EQ(dispatched(), (std::vector<std::string>{"outer:1", "4:1", "outer done"}));
}

TEST_F(ToolkitEvents, TimersTickOnTheSimulatedClock) {
    SetCtrlAttribute(panel, kTimer, ATTR_ENABLED, 1);  // 0.5 s interval
    EXPECT_EQ(GetUserEventUntil(0.4, nullptr, nullptr), EVENT_NONE);
    EXPECT_DOUBLE_EQ(Timer(), 0.4);  // waited to the deadline and no further
    EXPECT_EQ(GetUserEventUntil(10.0, nullptr, nullptr), EVENT_TIMER_TICK);
    EXPECT_DOUBLE_EQ(Timer(), 0.5);  // woke at the tick, not the deadline
    EXPECT_EQ(GetUserEventUntil(10.0, nullptr, nullptr), EVENT_TIMER_TICK);
    EXPECT_DOUBLE_EQ(Timer(), 1.0);
    SetCtrlAttribute(panel, kTimer, ATTR_ENABLED, 0);
    EXPECT_EQ(GetUserEventUntil(3.0, nullptr, nullptr), EVENT_NONE);
    EXPECT_DOUBLE_EQ(Timer(), 3.0);
}

TEST_F(ToolkitEvents, SimulatedClockJumpsToTheNextScriptedAction) {
    PressAt script(panel, 7.25);
    Model::instance().setScript(&script);
    int c = 0;
    EXPECT_EQ(GetUserEventUntil(100.0, nullptr, &c), EVENT_COMMIT);
    EXPECT_EQ(c, kButton);
    EXPECT_DOUBLE_EQ(Timer(), 7.25);
    Model::instance().setScript(nullptr);
}

TEST_F(ToolkitEvents, RunUserInterfaceEndsOnQuitOrWhenNothingCanHappen) {
    Model::instance().control(panel, kButton)->callback = [](int, int, int, void*, int, int) {
        QuitUserInterface(3);
        return 0;
    };
    Model::instance().post(commit(panel, kButton));
    EXPECT_EQ(RunUserInterface(), 3);
    // With no front end, no timer and no script, the loop has nothing to wait for.
    EXPECT_EQ(RunUserInterface(), 3);
}

TEST_F(ToolkitEvents, UnansweredPopupsWithoutFrontEndFail) {
    EXPECT_EQ(ConfirmPopup("Warning!", "Continue?"), UIE_PopupUnanswered);
    std::string path;
    EXPECT_EQ(FileSelectPopup("", "*.par", "*.*", "Load", VAL_LOAD_BUTTON, 0, 0, 1, 1, &path),
              UIE_PopupUnanswered);
    ::testing::internal::CaptureStdout();
    MessagePopup("Error!", "Say \"no\"\nplease");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "popup \"Error!\" \"Say \\\"no\\\"\\nplease\"\n");
}
