#pragma once
// The script language's commands: one per line, words separated by blanks (see
// script_runner.h for the list). A script is parsed whole, every command's words checked,
// before anything runs.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace trelvanix::ui {

struct ScriptCommand {
    enum class Kind {
        Set,
        Press,
        Click,
        DoubleClick,
        Drag,
        Wheel,
        Zoom,
        Cursor,
        Menu,
        Close,
        AnswerFile,
        AnswerDir,
        AnswerConfirm,
        ExpectPopup,
        Wait,
        Get,
        Screenshot,
        Quit,
    };
    Kind kind = Kind::Quit;
    std::vector<std::string> args;  // the words after the command (after "answer KIND" and
                                    // "expect popup" for those)
    int line = 0;
};

struct Script {
    std::string name;  // for messages: the file name as given
    std::vector<ScriptCommand> commands;
};

struct ScriptError {
    int line = 0;
    std::string message;
};

// Checks one line's words (at least one) and makes them a command; returns the problem, empty
// when the line is good.
std::string parseCommandWords(const std::vector<std::string>& words, ScriptCommand* command);

std::variant<Script, ScriptError> parseScript(std::string_view text, std::string name);
// Reads and parses a script file; the error text is complete ("FILE:LINE: problem").
std::variant<Script, std::string> readScriptFile(const std::string& path);

}  // namespace trelvanix::ui
