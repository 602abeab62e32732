#include "tests/daq/acquisition_fixture.h"

#include <algorithm>

#include "daq/acquisition.h"
#include "platform/clock/clock.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

// The callbacks the resource file names, as the panels call them.
using namespace trelvanix::callbacks;

namespace trelvanix::testing {

namespace {
// The operator's Stop, reduced to what the loop obeys.
int stopAcquiring(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) Acquiring = 0;
    return 0;
}
}  // namespace

void WatchingFrontEnd::controlChanged(int panel, int control) {
    if (panel == panelHandle && (control == PANEL_BUFFER || control == PANEL_BUFFER_LAMP)) {
        int value = 0;
        GetCtrlVal(panel, control, &value);
        if (control == PANEL_BUFFER) highestBufferPercent = std::max(highestBufferPercent, value);
        if (control == PANEL_BUFFER_LAMP && value) fellBehind = true;
    }
    if (panel != panelHandle || control != PANEL_ACQ_LAMP || Acquiring != 1) return;
    int lit = 0;
    GetCtrlVal(panel, control, &lit);
    if (lampSwitches.empty() || lampSwitches.back().second != lit)
        lampSwitches.emplace_back(Count, lit);
}

void WatchingFrontEnd::waitForInput(double until) {
    programClock().waitUntil(until);
}

void AcquisitionTest::SetUp() {
    ProgramTest::SetUp();
    ui::Model::instance().setFrontEnd(&frontEnd);
}

void AcquisitionTest::startProgram(const std::string& boardText) {
    if (!boardText.empty()) installBoard(boardText);
    ASSERT_TRUE(ProgramTest::startProgram());
}

void AcquisitionTest::acquireDuring(const std::string& script) {
    auto parsed = ui::parseScript(script, "test script");
    ASSERT_TRUE(std::holds_alternative<ui::Script>(parsed))
        << std::get<ui::ScriptError>(parsed).message;
    script_ = std::make_unique<ui::ScriptRunner>(std::move(std::get<ui::Script>(parsed)));
    script_->setEnding([this](int status) {
        scriptStatus = status;
        Acquiring = 0;
    });
    scriptStatus.reset();
    onCommit(PANEL_STOP, stopAcquiring);
    ui::Model::instance().setScript(script_.get());
    Acquire(panelHandle, PANEL_ACQUIRE, EVENT_COMMIT, nullptr, 0, 0);
    ui::Model::instance().setScript(nullptr);
    if (scriptStatus) {
        EXPECT_EQ(*scriptStatus, 0) << "the script failed";
    }
}

void AcquisitionTest::onCommit(int control, CtrlCallbackPtr callback) {
    ui::Control* c = ui::Model::instance().control(panelHandle, control);
    ASSERT_NE(c, nullptr);
    c->callback = callback;
}

ui::Graph& AcquisitionTest::graph() {
    return *ui::Model::instance().control(panelHandle, PANEL_GRAPH)->graph;
}

bool AcquisitionTest::dimmed(int control) {
    int value = 0;
    GetCtrlAttribute(panelHandle, control, ATTR_DIMMED, &value);
    return value != 0;
}

std::string AcquisitionTest::textOf(int control) {
    std::string text;
    GetCtrlVal(panelHandle, control, &text);
    return text;
}

}  // namespace trelvanix::testing
