#pragma once
// The program started with its stimulus sub-panels and the protocol panel loaded; protocol
// files written into the test's folder; the pop-ups shown since the last look.

#include <string>

#include "tests/app/program_fixture.h"

namespace trelvanix::testing {

class ProtocolTest : public ProgramTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    void chooseKind(int kind);
    // Writes `text` as a file of the test's folder and returns its path.
    std::string writeFile(const std::string& name, const std::string& text) const;
    std::string readFile(const std::string& path) const;
    // Loads the file through the load button, the file dialog answered with its path.
    void loadProtocol(const std::string& path);
    void press(int panel, int control, int (*callback)(int, int, int, void*, int, int));
    // The "popup ..." lines printed since the last call.
    std::string popups();

    int intOf(int panel, int control) const;
    double doubleOf(int panel, int control) const;
    bool dimmed(int panel, int control) const;
};

}  // namespace trelvanix::testing
