#pragma once
// The script runner: replays operator actions from a text script, one command per line,
// and answers and checks pop-ups. The whole script is parsed before anything runs.
//
//   set PANEL CONTROL VALUE     press PANEL CONTROL      click PANEL CONTROL [X Y]
//   menu ITEM                   close PANEL              wait SECONDS
//   answer file PATH|cancel     answer dir PATH|cancel   answer confirm yes|no
//   expect popup "TITLE" "TEXT" get PANEL CONTROL        screenshot PANEL FILE    quit
//
// Looking closely at a graph whose inspection the program has turned on (a held sweep):
//   zoom PANEL GRAPH T0 T1 [Y0 Y1]   cursor PANEL GRAPH 1|2 T   doubleclick PANEL CONTROL [X Y]
//   drag PANEL GRAPH X0 Y0 X1 Y1     wheel PANEL GRAPH X Y STEPS [ctrl]
//
// PANEL is a panel constant name, CONTROL a control's name in it (or its full constant name),
// ITEM a menu item constant name. The run ends with status 0 at the end of the script or at
// `quit`, and with status 2 (after a message naming the script line) on a failure.

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/ui/command_executor.h"
#include "platform/ui/run_ending.h"
#include "platform/ui/script_commands.h"
#include "platform/ui/scripted_input.h"

namespace trelvanix::ui {

class ScriptRunner final : public ScriptedInput {
  public:
    static constexpr int kFailureStatus = 2;

    explicit ScriptRunner(Script script);

    // How the run ends (default: flush and end the process).
    void setEnding(RunEnding ending) { ending_ = std::move(ending); }
    // Runs once, just before the run ends for any reason (the program finishes recordings).
    void setBeforeEnd(std::function<void()> hook) { beforeEnd_ = std::move(hook); }
    bool ended() const { return ended_; }

    double nextActionTime() const override;
    void runDueActions() override;
    void messagePopup(const std::string& title, const std::string& message) override;
    bool confirmPopup(const std::string& title, const std::string& message) override;
    int fileSelectPopup(const FileRequest& request, std::string* path) override;
    int directorySelectPopup(const DirectoryRequest& request, std::string* path) override;

  private:
    struct Expected {
        std::string title, text;
        int line;
    };

    void run(const ScriptCommand& command);
    // A pop-up that comes before the script has run its answers (at start-up, or inside a
    // callback) takes the answer and expect lines that are due next, so they still apply.
    void takeDueAnswers();
    void finish();
    void fail(int line, const std::string& message);
    void end(int status);

    Script script_;
    std::size_t next_ = 0;
    double due_ = 0.0;
    int lastLine_ = 0;  // line of the command run last, for pop-up failures
    bool ended_ = false;
    std::deque<Expected> expected_;
    PopupAnswers answers_;
    RunEnding ending_ = exitProcess();
    std::function<void()> beforeEnd_;
};

}  // namespace trelvanix::ui
