#pragma once
// The front end without a window: nothing is drawn and no operator can reach it. Message
// pop-ups are only logged (by the toolkit); a confirm, file or directory pop-up that no script
// answers ends the run with a failure, never with a silent default.

#include "platform/ui/front_end.h"
#include "platform/ui/run_ending.h"

namespace trelvanix::ui {

class HeadlessFrontEnd final : public FrontEnd {
  public:
    // Status a run ends with when a pop-up has no answer.
    static constexpr int kUnansweredStatus = 2;

    explicit HeadlessFrontEnd(RunEnding ending = exitProcess());

    void messagePopup(const std::string& title, const std::string& message) override {}
    bool confirmPopup(const std::string& title, const std::string& message) override;
    int fileSelectPopup(const FileRequest& request, std::string* path) override;
    int directorySelectPopup(const DirectoryRequest& request, std::string* path) override;
    int printPanel(int panel, std::string* where) override;
    int screenshot(int panel, const std::string& path, std::string* error) override;

    bool receivesOperatorInput() const override { return false; }
    void waitForInput(double until) override;

  private:
    void unanswered(const char* kind, const std::string& title);
    RunEnding ending_;
};

}  // namespace trelvanix::ui
