#include "platform/ui/script_runner.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

#include "platform/clock/clock.h"
#include "platform/ui/model.h"
#include "platform/ui/operator_actions.h"
#include "platform/ui/text_words.h"

namespace trelvanix::ui {

namespace {

using Kind = ScriptCommand::Kind;

constexpr double kNever = std::numeric_limits<double>::infinity();

// Shortest text that reads back as the same number.
template <typename Number>
std::string numberText(Number value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

void note(const std::string& where, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", where.c_str(), text.c_str());
    std::fflush(stderr);
}

}  // namespace

struct ScriptRunner::Target {
    Panel* panel = nullptr;
    Control* control = nullptr;
};

ScriptRunner::ScriptRunner(Script script) : script_(std::move(script)) {}

double ScriptRunner::nextActionTime() const {
    return ended_ ? kNever : due_;
}

void ScriptRunner::runDueActions() {
    Model& model = Model::instance();
    // One action at a time: the events it posts are dispatched before the next one runs.
    while (!ended_ && !model.hasPendingEvent()) {
        if (programClock().seconds() < due_) return;  // a last `wait` is waited out too
        if (next_ >= script_.commands.size()) return finish();
        const ScriptCommand& command = script_.commands[next_++];
        lastLine_ = command.line;
        run(command);
    }
}

void ScriptRunner::run(const ScriptCommand& c) {
    Model& model = Model::instance();
    switch (c.kind) {
        case Kind::Set:
            return set(c);
        case Kind::Press:
            return press(c);
        case Kind::Click:
            return click(c);
        case Kind::DoubleClick:
        case Kind::Drag:
        case Kind::Wheel:
        case Kind::Zoom:
        case Kind::Cursor:
            return lookClosely(c);
        case Kind::Menu:
            return chooseMenuItem(c);
        case Kind::Close: {
            Panel* panel = model.panelByConstantName(c.args[0]);
            if (!panel) return fail(c.line, "no panel " + c.args[0] + " is loaded");
            model.post(Event{Event::Target::Panel, panel->handle, 0, EVENT_CLOSE, 0, 0});
            return;
        }
        case Kind::AnswerFile:
            fileAnswers_.push_back(c.args[0]);
            return;
        case Kind::AnswerDir:
            dirAnswers_.push_back(c.args[0]);
            return;
        case Kind::AnswerConfirm:
            confirmAnswers_.push_back(c.args[0] == "yes");
            return;
        case Kind::ExpectPopup:
            expected_.push_back(Expected{c.args[0], c.args[1], c.line});
            return;
        case Kind::Wait: {
            double seconds = 0;
            parseNumberWord(c.args[0], &seconds);
            due_ = programClock().seconds() + seconds;
            return;
        }
        case Kind::Get:
            return get(c);
        case Kind::Screenshot:
            return screenshot(c);
        case Kind::Quit:
            return finish();
    }
}

bool ScriptRunner::findTarget(const ScriptCommand& c, Target* target) {
    target->panel = Model::instance().panelByConstantName(c.args[0]);
    if (!target->panel) {
        fail(c.line, "no panel " + c.args[0] + " is loaded");
        return false;
    }
    target->control = target->panel->findByName(c.args[1]);
    if (!target->control) {
        fail(c.line, "panel " + c.args[0] + " has no control " + c.args[1]);
        return false;
    }
    return true;
}

void ScriptRunner::set(const ScriptCommand& c) {
    Target t;
    if (!findTarget(c, &t)) return;
    const Control& control = *t.control;
    const int panel = t.panel->handle;
    const std::string& text = c.args[2];
    double number = 0;
    ActionResult result;
    switch (control.kind) {
        case ControlKind::Numeric:
            if (!parseNumberWord(text, &number))
                return fail(c.line, "\"" + text + "\" is not a number");
            result = enterValue(panel, control.id, number);
            break;
        case ControlKind::String:
        case ControlKind::TextBox:
            result = enterValue(panel, control.id, text);
            break;
        case ControlKind::CheckBox:
        case ControlKind::Toggle:
            if (text != "0" && text != "1") return fail(c.line, c.args[1] + " takes 0 or 1");
            result = enterValue(panel, control.id, text == "1" ? 1 : 0);
            break;
        case ControlKind::ColorNum: {
            int color = 0;
            const bool hex =
                text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
            auto [end, ec] = std::from_chars(text.data() + (hex ? 2 : 0), text.data() + text.size(),
                                             color, hex ? 16 : 10);
            if (ec != std::errc() || end != text.data() + text.size() || color < 0 ||
                color > 0xFFFFFF)
                return fail(c.line, "\"" + text + "\" is not a colour 0xRRGGBB");
            result = enterValue(panel, control.id, color);
            break;
        }
        case ControlKind::Ring:
        case ControlKind::ListBox: {
            // The operator picks an item: by its value, or else by its label.
            const bool isNumber = parseNumberWord(text, &number);
            int index = -1;
            for (std::size_t i = 0; i < control.items.size() && index < 0; ++i) {
                const Value& v = control.items[i].value;
                const bool sameValue = std::holds_alternative<std::string>(v)
                                           ? std::get<std::string>(v) == text
                                           : isNumber && numberOf(v) == number;
                if (sameValue) index = static_cast<int>(i);
            }
            for (std::size_t i = 0; i < control.items.size() && index < 0; ++i)
                if (control.items[i].label == text) index = static_cast<int>(i);
            if (index < 0 && !control.dimmed && !control.indicator)
                return fail(c.line, c.args[1] + " has no item \"" + text + "\"");
            result = chooseItem(panel, control.id, index);
            break;
        }
        default:
            return fail(c.line, c.args[1] + " is not a control the operator can set");
    }
    if (!result.done) {
        // What the operator cannot reach is noted and passed over, as in the window.
        if (control.dimmed || control.indicator)
            return note(script_.name + ":" + std::to_string(c.line),
                        c.args[0] + " " + c.args[1] + " " + result.refusal +
                            "; the operator cannot change it");
        return fail(c.line,
                    "cannot set " + c.args[1] + " to \"" + text + "\": it " + result.refusal);
    }
}

void ScriptRunner::press(const ScriptCommand& c) {
    Target t;
    if (!findTarget(c, &t)) return;
    const ActionResult result = pressControl(t.panel->handle, t.control->id);
    if (!result.done)
        note(script_.name + ":" + std::to_string(c.line),
             c.args[0] + " " + c.args[1] + " " + result.refusal + "; the press is ignored");
}

void ScriptRunner::click(const ScriptCommand& c) {
    Target t;
    if (!findTarget(c, &t)) return;
    // Without a position the operator clicks the middle of the control.
    int x = t.control->rect.width / 2, y = t.control->rect.height / 2;
    if (c.args.size() == 4) {
        parseIntWord(c.args[2], &x);
        parseIntWord(c.args[3], &y);
    }
    const ActionResult result = clickControl(t.panel->handle, t.control->id, x, y);
    if (!result.done)
        note(script_.name + ":" + std::to_string(c.line),
             c.args[0] + " " + c.args[1] + " " + result.refusal + "; the click is ignored");
}

void ScriptRunner::lookClosely(const ScriptCommand& c) {
    Target t;
    if (!findTarget(c, &t)) return;
    const int panel = t.panel->handle, id = t.control->id;
    std::vector<double> n;
    for (std::size_t i = 2; i < c.args.size(); ++i) {
        double value = 0;
        parseNumberWord(c.args[i], &value);
        n.push_back(value);
    }
    ActionResult result;
    switch (c.kind) {
        case Kind::DoubleClick: {
            // Two clicks at one place; the second one asks for the graph's own axes.
            const int x = n.empty() ? t.control->rect.width / 2 : int(n[0]);
            const int y = n.empty() ? t.control->rect.height / 2 : int(n[1]);
            result = clickControl(panel, id, x, y);
            if (result.done && t.control->graph && t.control->graph->inspection.on)
                result = restoreGraphView(panel, id);
            break;
        }
        case Kind::Drag:
            result = dragOnGraph(panel, id, int(n[0]), int(n[1]), int(n[2]), int(n[3]));
            break;
        case Kind::Wheel:
            result = turnWheelOnGraph(panel, id, int(n[0]), int(n[1]), n[2], c.args.size() == 6);
            break;
        case Kind::Zoom:
            result = n.size() == 4 ? zoomGraph(panel, id, n[0], n[1], n[2], n[3])
                                   : zoomGraph(panel, id, n[0], n[1]);
            break;
        default:
            result = placeGraphCursor(panel, id, int(n[0]), n[1]);
            break;
    }
    if (!result.done)
        note(script_.name + ":" + std::to_string(c.line),
             c.args[0] + " " + c.args[1] + " " + result.refusal + "; ignored");
}

void ScriptRunner::chooseMenuItem(const ScriptCommand& c) {
    Model& model = Model::instance();
    // The newest panel whose menu bar has the item, as for panels.
    for (auto it = model.panels().rbegin(); it != model.panels().rend(); ++it) {
        MenuBar* bar = model.menuBar(it->second.menuBar);
        if (!bar) continue;
        for (const MenuItem& item : bar->items) {
            if (item.separator || item.constantName != c.args[0]) continue;
            if (item.dimmed || !item.visible) {
                note(script_.name + ":" + std::to_string(c.line),
                     "menu item " + c.args[0] + (item.dimmed ? " is dimmed" : " is hidden") +
                         "; it is not chosen");
                return;
            }
            model.post(Event{Event::Target::Menu, it->first, item.id, EVENT_MENU, 0, 0});
            return;
        }
    }
    fail(c.line, "no loaded menu bar has the item " + c.args[0]);
}

void ScriptRunner::get(const ScriptCommand& c) {
    Target t;
    if (!findTarget(c, &t)) return;
    const int panel = t.panel->handle, id = t.control->id;
    std::string text;
    int status = UIE_NoError;
    if (t.control->dataType == VAL_INTEGER) {
        int value = 0;
        status = GetCtrlVal(panel, id, &value);
        text = std::to_string(value);
    } else if (t.control->dataType == VAL_FLOAT) {
        float value = 0;
        status = GetCtrlVal(panel, id, &value);
        text = numberText(value);
    } else if (t.control->dataType == VAL_DOUBLE) {
        double value = 0;
        status = GetCtrlVal(panel, id, &value);
        text = numberText(value);
    } else {
        status = GetCtrlVal(panel, id, &text);
    }
    if (status < 0) return fail(c.line, c.args[1] + " has no value to get");
    std::printf("%s %s = %s\n", c.args[0].c_str(), c.args[1].c_str(), text.c_str());
    std::fflush(stdout);
}

void ScriptRunner::screenshot(const ScriptCommand& c) {
    Model& model = Model::instance();
    Panel* panel = model.panelByConstantName(c.args[0]);
    if (!panel) return fail(c.line, "no panel " + c.args[0] + " is loaded");
    std::string error = "no front end shows the panels";
    if (!model.frontEnd() || model.frontEnd()->screenshot(panel->handle, c.args[1], &error) < 0)
        fail(c.line, "cannot save a screenshot of " + c.args[0] + ": " + error);
}

void ScriptRunner::takeDueAnswers() {
    using Kind = ScriptCommand::Kind;
    while (!ended_ && next_ < script_.commands.size() && programClock().seconds() >= due_) {
        const ScriptCommand& command = script_.commands[next_];
        if (command.kind != Kind::AnswerFile && command.kind != Kind::AnswerDir &&
            command.kind != Kind::AnswerConfirm && command.kind != Kind::ExpectPopup)
            return;
        ++next_;
        lastLine_ = command.line;
        run(command);
    }
}

void ScriptRunner::messagePopup(const std::string& title, const std::string& message) {
    takeDueAnswers();
    if (expected_.empty() || ended_) return;
    const Expected expected = expected_.front();
    expected_.pop_front();
    if (expected.title != title || expected.text != message)
        fail(expected.line, "expected popup " + quoteWord(expected.title) + " " +
                                quoteWord(expected.text) + ", got popup " + quoteWord(title) + " " +
                                quoteWord(message));
}

bool ScriptRunner::confirmPopup(const std::string& title, const std::string& message) {
    takeDueAnswers();
    if (confirmAnswers_.empty()) {
        fail(lastLine_,
             "the confirm pop-up " + quoteWord(title) + " has no answer: " + quoteWord(message));
        return false;
    }
    const bool yes = confirmAnswers_.front();
    confirmAnswers_.pop_front();
    return yes;
}

int ScriptRunner::fileSelectPopup(const FileRequest& request, std::string* path) {
    takeDueAnswers();
    if (fileAnswers_.empty()) {
        fail(lastLine_, "the file pop-up " + quoteWord(request.title) + " has no answer");
        return VAL_NO_FILE_SELECTED;
    }
    const std::string answer = fileAnswers_.front();
    fileAnswers_.pop_front();
    if (answer == "cancel") return VAL_NO_FILE_SELECTED;
    *path = answer;
    std::error_code ec;
    return std::filesystem::exists(answer, ec) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

int ScriptRunner::directorySelectPopup(const DirectoryRequest& request, std::string* path) {
    takeDueAnswers();
    if (dirAnswers_.empty()) {
        fail(lastLine_, "the directory pop-up " + quoteWord(request.title) + " has no answer");
        return VAL_NO_DIRECTORY_SELECTED;
    }
    const std::string answer = dirAnswers_.front();
    dirAnswers_.pop_front();
    if (answer == "cancel") return VAL_NO_DIRECTORY_SELECTED;
    *path = answer;
    return VAL_DIRECTORY_SELECTED;
}

void ScriptRunner::finish() {
    if (!expected_.empty()) {
        const Expected& e = expected_.front();
        return fail(e.line, "the expected popup " + quoteWord(e.title) + " " + quoteWord(e.text) +
                                " never came");
    }
    end(0);
}

void ScriptRunner::fail(int line, const std::string& message) {
    if (ended_) return;
    std::fprintf(stderr, "%s%s: %s\n", script_.name.c_str(),
                 line > 0 ? (":" + std::to_string(line)).c_str() : "", message.c_str());
    end(kFailureStatus);
}

void ScriptRunner::end(int status) {
    if (ended_) return;
    ended_ = true;
    if (beforeEnd_) beforeEnd_();
    std::fflush(stdout);
    std::fflush(stderr);
    ending_(status);
}

}  // namespace trelvanix::ui
