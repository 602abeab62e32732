#pragma once
// Runs the program in the test's own process: real panels from trelvanix.uir, the headless
// front end, the simulated board and clock, and a script for the pop-ups and operator actions.
// Every test starts from the state of a freshly started program.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/headless_front_end.h"
#include "platform/ui/script_runner.h"

namespace trelvanix::testing {

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Installs a script (its answers and actions); a failed or ended run is recorded in
    // endStatus() instead of ending the process, from the end of the script installed last.
    void useScript(const std::string& text);
    // Replaces the default simulated board with one described by board-file text.
    void installBoard(const std::string& boardText);
    // Loads the panels and initialises the device as start-up does; false if it failed.
    bool startProgram();
    // Runs pending events and scripted actions until the script has ended or `seconds` of
    // program time have passed.
    void runFor(double seconds);
    std::optional<int> endStatus() const { return endStatus_; }

    // A folder of this test, made current at start; also the data folder.
    std::filesystem::path folder;

  private:
    std::unique_ptr<ui::ScriptRunner> script_;
    std::unique_ptr<ui::HeadlessFrontEnd> frontEnd_;
    std::optional<int> endStatus_;
    std::filesystem::path previousDirectory_;
};

// The text of a control, read through the toolkit.
std::string textOf(int panel, int control);

}  // namespace trelvanix::testing
