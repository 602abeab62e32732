#pragma once
// Runs acquisition in the test's own process: the real panels from trelvanix.uir, the
// simulated board and clock, a front end that watches the sweep graph and the acquisition
// lamp, and a script standing in for the operator. Every test starts from a freshly started
// program.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/front_end.h"
#include "platform/ui/model.h"
#include "platform/ui/script_runner.h"
#include "tests/app/program_fixture.h"

namespace trelvanix::testing {

// A front end without a window that remembers what the program showed.
class WatchingFrontEnd final : public ui::FrontEnd {
  public:
    void messagePopup(const std::string& title, const std::string& message) override {
        popups.emplace_back(title, message);
    }
    bool confirmPopup(const std::string&, const std::string&) override { return false; }
    int fileSelectPopup(const ui::FileRequest&, std::string*) override { return 0; }
    int directorySelectPopup(const ui::DirectoryRequest&, std::string*) override { return 0; }
    int printPanel(int, std::string*) override { return -1; }
    int screenshot(int, const std::string&, std::string*) override { return -1; }
    void controlChanged(int panel, int control) override;
    bool receivesOperatorInput() const override { return false; }
    void waitForInput(double until) override;

    std::vector<std::pair<std::string, std::string>> popups;
    // Each switch of the acquisition lamp while a run is on: the sweep position (Count) then,
    // and the new state.
    std::vector<std::pair<int, int>> lampSwitches;
    // The fullest the buffer gauge showed, and whether the falling-behind lamp ever lit.
    int highestBufferPercent = 0;
    bool fellBehind = false;
};

class AcquisitionTest : public ProgramTest {
  protected:
    void SetUp() override;

    // Starts the program as start-up does, on the default board or the board described.
    void startProgram(const std::string& boardText = "");
    // Presses Acquire while `script` stands in for the operator; "press PANEL STOP" (and the
    // script's end) stops acquisition. Returns when the run has ended.
    void acquireDuring(const std::string& script);
    // Replaces the callback of a main-panel control, for operator actions the test defines.
    void onCommit(int control, CtrlCallbackPtr callback);

    ui::Graph& graph();
    bool dimmed(int control);
    std::string textOf(int control);

    WatchingFrontEnd frontEnd;
    std::optional<int> scriptStatus;

  private:
    std::unique_ptr<ui::ScriptRunner> script_;
};

}  // namespace trelvanix::testing
