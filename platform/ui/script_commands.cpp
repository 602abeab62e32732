// The script language: its command table, each command's words checked before anything runs,
// and script files read within their size bound.

#include "platform/ui/script_commands.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/files/operator_files.h"
#include "platform/ui/text_words.h"

namespace trelvanix::ui {

namespace {

using Kind = ScriptCommand::Kind;

// Checks one command's words; returns the problem, empty when the line is good.
std::string checkCommand(const std::string& name, std::vector<std::string>& args, Kind* kind) {
    static const std::map<std::string, Kind> simple = {
        {"set", Kind::Set},     {"press", Kind::Press},
        {"click", Kind::Click}, {"menu", Kind::Menu},
        {"close", Kind::Close}, {"wait", Kind::Wait},
        {"get", Kind::Get},     {"screenshot", Kind::Screenshot},
        {"quit", Kind::Quit},   {"doubleclick", Kind::DoubleClick},
        {"drag", Kind::Drag},   {"wheel", Kind::Wheel},
        {"zoom", Kind::Zoom},   {"cursor", Kind::Cursor},
    };
    static const std::map<Kind, std::pair<std::size_t, const char*>> usage = {
        {Kind::Set, {3, "set PANEL CONTROL VALUE"}},
        {Kind::Press, {2, "press PANEL CONTROL"}},
        {Kind::Menu, {1, "menu ITEM"}},
        {Kind::Close, {1, "close PANEL"}},
        {Kind::Wait, {1, "wait SECONDS"}},
        {Kind::Get, {2, "get PANEL CONTROL"}},
        {Kind::Screenshot, {2, "screenshot PANEL FILE"}},
        {Kind::Quit, {0, "quit"}},
    };
    if (name == "answer") {
        const std::string what = args.empty() ? "" : args[0];
        if (args.size() != 2 || (what != "file" && what != "dir" && what != "confirm"))
            return "expected answer file PATH|cancel, answer dir PATH|cancel or answer confirm "
                   "yes|no";
        args.erase(args.begin());
        if (what == "confirm" && args[0] != "yes" && args[0] != "no")
            return "answer confirm takes yes or no, not \"" + args[0] + "\"";
        *kind = what == "file"  ? Kind::AnswerFile
                : what == "dir" ? Kind::AnswerDir
                                : Kind::AnswerConfirm;
        return "";
    }
    if (name == "expect") {
        if (args.size() != 3 || args[0] != "popup")
            return "expected expect popup \"TITLE\" \"TEXT\"";
        args.erase(args.begin());
        *kind = Kind::ExpectPopup;
        return "";
    }
    const auto found = simple.find(name);
    if (found == simple.end()) return "unknown command \"" + name + "\"";
    *kind = found->second;
    int x = 0, y = 0;
    if (*kind == Kind::Click || *kind == Kind::DoubleClick) {
        if (args.size() == 2) return "";
        if (args.size() == 4 && parseIntWord(args[2], &x) && parseIntWord(args[3], &y)) return "";
        return "expected " + name + " PANEL CONTROL [X Y] with X and Y whole pixels";
    }
    if (*kind == Kind::Drag) {
        if (args.size() == 6 &&
            std::all_of(args.begin() + 2, args.end(), [&](auto& a) { return parseIntWord(a, &x); }))
            return "";
        return "expected drag PANEL CONTROL X0 Y0 X1 Y1 with whole pixels";
    }
    double number = 0;
    if (*kind == Kind::Wheel) {
        const bool shape = (args.size() == 5 || (args.size() == 6 && args[5] == "ctrl")) &&
                           parseIntWord(args[2], &x) && parseIntWord(args[3], &y) &&
                           parseNumberWord(args[4], &number);
        return shape ? "" : "expected wheel PANEL CONTROL X Y STEPS [ctrl]";
    }
    if (*kind == Kind::Zoom) {
        const bool shape = (args.size() == 4 || args.size() == 6) &&
                           std::all_of(args.begin() + 2, args.end(),
                                       [&](auto& a) { return parseNumberWord(a, &number); });
        return shape ? "" : "expected zoom PANEL CONTROL T0 T1 [Y0 Y1]";
    }
    if (*kind == Kind::Cursor) {
        const bool shape = args.size() == 4 && (args[2] == "1" || args[2] == "2") &&
                           parseNumberWord(args[3], &number);
        return shape ? "" : "expected cursor PANEL CONTROL 1|2 T";
    }
    const auto& [count, form] = usage.at(*kind);
    if (args.size() != count) return std::string("expected ") + form;
    double seconds = 0;
    if (*kind == Kind::Wait && (!parseNumberWord(args[0], &seconds) || seconds < 0))
        return "wait takes a number of seconds, not \"" + args[0] + "\"";
    return "";
}

}  // namespace

std::string parseCommandWords(const std::vector<std::string>& words, ScriptCommand* command) {
    command->args.assign(words.begin() + 1, words.end());
    return checkCommand(words[0], command->args, &command->kind);
}

std::variant<Script, ScriptError> parseScript(std::string_view text, std::string name) {
    Script script;
    script.name = std::move(name);
    int line = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        ++line;
        SplitLine split = splitWords(text.substr(start, end - start));
        start = end + 1;
        if (!split.error.empty()) return ScriptError{line, split.error};
        if (split.words.empty()) continue;
        ScriptCommand command;
        command.line = line;
        const std::string problem = parseCommandWords(split.words, &command);
        if (!problem.empty()) return ScriptError{line, problem};
        script.commands.push_back(std::move(command));
    }
    return script;
}

std::variant<Script, std::string> readScriptFile(const std::string& path) {
    const std::string cannot = "cannot read script file " + path + ": ";
    // A folder, a device, a pipe or a too large file is refused before it is opened, and the
    // read stops just past the size limit, in case the file grows meanwhile.
    if (const std::string problem = files::fileProblem(path, files::OperatorFile::Script);
        !problem.empty())
        return cannot + problem;
    std::ifstream in(path, std::ios::binary);
    if (!in) return cannot + std::strerror(errno);
    const std::size_t largest = files::largestFile(files::OperatorFile::Script);
    std::string text(largest + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) return cannot + "read error";
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > largest) return cannot + "it grew past the most a script can be";
    auto parsed = parseScript(text, path);
    if (auto* error = std::get_if<ScriptError>(&parsed))
        return path + ":" + std::to_string(error->line) + ": " + error->message;
    return std::move(std::get<Script>(parsed));
}

}  // namespace trelvanix::ui
