#pragma once
// Carries out one command of the script language on the running program. The script runner
// runs a script's lines through it and the remote control a client's, so both act exactly as
// the operator would in the window (through operator_actions.h).

#include <deque>
#include <optional>
#include <string>

#include "platform/ui/script_commands.h"

namespace trelvanix::ui {

struct CommandOutcome {
    enum class Result {
        Done,
        Ignored,  // the operator could not have done it (a dimmed control): nothing happened
        Failed,   // the command names nothing that exists, or a value the control cannot take
    };
    Result result = Result::Done;
    std::string message;  // why it was ignored or failed
    std::string value;    // get: the control's value as text
    bool valueIsText = false;
};

// Carries out an operator command: set, press, click, doubleclick, drag, wheel, zoom, cursor,
// menu, close, get or screenshot. Answers, expectations, waits and quit belong to the caller.
CommandOutcome executeOperatorCommand(const ScriptCommand& command);

// Answers for the pop-ups to come, each kind used in the order given.
class PopupAnswers {
  public:
    // Takes an `answer file|dir|confirm` command.
    void add(const ScriptCommand& answer);
    bool has(ScriptCommand::Kind kind) const;
    // The next answer of that kind; has(kind) must be true.
    bool takeConfirm();
    // VAL_NO_FILE_SELECTED for cancel, else VAL_EXISTING_ or VAL_NEW_FILE_SELECTED and the path.
    int takeFile(std::string* path);
    // VAL_NO_DIRECTORY_SELECTED for cancel, else VAL_DIRECTORY_SELECTED and the path.
    int takeDirectory(std::string* path);

  private:
    std::deque<std::string> files_, dirs_;
    std::deque<bool> confirms_;
};

}  // namespace trelvanix::ui
