// One script-language command carried out on the model, as the operator would in the window.

#include "platform/ui/command_executor.h"

#include <charconv>
#include <filesystem>
#include <optional>

#include "platform/ui/front_end.h"
#include "platform/ui/model.h"
#include "platform/ui/operator_actions.h"
#include "platform/ui/text_words.h"
#include "platform/ui/toolkit.h"

namespace trelvanix::ui {

namespace {

using Kind = ScriptCommand::Kind;
using Result = CommandOutcome::Result;

CommandOutcome outcome(Result result, std::string message) {
    CommandOutcome o;
    o.result = result;
    o.message = std::move(message);
    return o;
}

CommandOutcome failed(std::string why) {
    return outcome(Result::Failed, std::move(why));
}

CommandOutcome ignored(const ScriptCommand& c, const std::string& refusal, const char* what) {
    return outcome(Result::Ignored, c.args[0] + " " + c.args[1] + " " + refusal + "; " + what);
}

struct Target {
    Panel* panel = nullptr;
    Control* control = nullptr;
};

// The panel and control the command names, or the failure saying which is missing.
std::optional<CommandOutcome> findTarget(const ScriptCommand& c, Target* target) {
    target->panel = Model::instance().panelByConstantName(c.args[0]);
    if (!target->panel) return failed("no panel " + c.args[0] + " is loaded");
    target->control = target->panel->findByName(c.args[1]);
    if (!target->control) return failed("panel " + c.args[0] + " has no control " + c.args[1]);
    return std::nullopt;
}

// The item of a ring or list box the operator picks: by its value, or else by its label.
int itemIndex(const Control& control, const std::string& text) {
    double number = 0;
    const bool isNumber = parseNumberWord(text, &number);
    for (std::size_t i = 0; i < control.items.size(); ++i) {
        const Value& v = control.items[i].value;
        const bool sameValue = std::holds_alternative<std::string>(v)
                                   ? std::get<std::string>(v) == text
                                   : isNumber && numberOf(v) == number;
        if (sameValue) return static_cast<int>(i);
    }
    for (std::size_t i = 0; i < control.items.size(); ++i)
        if (control.items[i].label == text) return static_cast<int>(i);
    return -1;
}

CommandOutcome set(const ScriptCommand& c) {
    Target t;
    if (auto missing = findTarget(c, &t)) return *missing;
    const Control& control = *t.control;
    const int panel = t.panel->handle;
    const std::string& text = c.args[2];
    double number = 0;
    ActionResult result;
    switch (control.kind) {
        case ControlKind::Numeric:
            if (!parseNumberWord(text, &number)) return failed("\"" + text + "\" is not a number");
            result = enterValue(panel, control.id, number);
            break;
        case ControlKind::String:
        case ControlKind::TextBox:
            result = enterValue(panel, control.id, text);
            break;
        case ControlKind::CheckBox:
        case ControlKind::Toggle:
            if (text != "0" && text != "1") return failed(c.args[1] + " takes 0 or 1");
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
                return failed("\"" + text + "\" is not a colour 0xRRGGBB");
            result = enterValue(panel, control.id, color);
            break;
        }
        case ControlKind::Ring:
        case ControlKind::ListBox: {
            const int index = itemIndex(control, text);
            if (index < 0 && !control.dimmed && !control.indicator)
                return failed(c.args[1] + " has no item \"" + text + "\"");
            result = chooseItem(panel, control.id, index);
            break;
        }
        default:
            return failed(c.args[1] + " is not a control the operator can set");
    }
    if (result.done) return {};
    // What the operator cannot reach is passed over, as in the window.
    if (control.dimmed || control.indicator)
        return ignored(c, result.refusal, "the operator cannot change it");
    return failed("cannot set " + c.args[1] + " to \"" + text + "\": it " + result.refusal);
}

CommandOutcome press(const ScriptCommand& c) {
    Target t;
    if (auto missing = findTarget(c, &t)) return *missing;
    const ActionResult result = pressControl(t.panel->handle, t.control->id);
    return result.done ? CommandOutcome{} : ignored(c, result.refusal, "the press is ignored");
}

CommandOutcome click(const ScriptCommand& c) {
    Target t;
    if (auto missing = findTarget(c, &t)) return *missing;
    // Without a position the operator clicks the middle of the control.
    int x = t.control->rect.width / 2, y = t.control->rect.height / 2;
    if (c.args.size() == 4) {
        parseIntWord(c.args[2], &x);
        parseIntWord(c.args[3], &y);
    }
    const ActionResult result = clickControl(t.panel->handle, t.control->id, x, y);
    return result.done ? CommandOutcome{} : ignored(c, result.refusal, "the click is ignored");
}

CommandOutcome lookClosely(const ScriptCommand& c) {
    Target t;
    if (auto missing = findTarget(c, &t)) return *missing;
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
    return result.done ? CommandOutcome{} : ignored(c, result.refusal, "ignored");
}

CommandOutcome chooseMenuItem(const ScriptCommand& c) {
    Model& model = Model::instance();
    // The newest panel whose menu bar has the item, as for panels.
    for (auto it = model.panels().rbegin(); it != model.panels().rend(); ++it) {
        MenuBar* bar = model.menuBar(it->second.menuBar);
        if (!bar) continue;
        for (const MenuItem& item : bar->items) {
            if (item.separator || item.constantName != c.args[0]) continue;
            if (item.dimmed || !item.visible)
                return outcome(Result::Ignored, "menu item " + c.args[0] +
                                                    (item.dimmed ? " is dimmed" : " is hidden") +
                                                    "; it is not chosen");
            model.post(Event{Event::Target::Menu, it->first, item.id, EVENT_MENU, 0, 0});
            return {};
        }
    }
    return failed("no loaded menu bar has the item " + c.args[0]);
}

CommandOutcome closePanel(const ScriptCommand& c) {
    Model& model = Model::instance();
    Panel* panel = model.panelByConstantName(c.args[0]);
    if (!panel) return failed("no panel " + c.args[0] + " is loaded");
    model.post(Event{Event::Target::Panel, panel->handle, 0, EVENT_CLOSE, 0, 0});
    return {};
}

CommandOutcome get(const ScriptCommand& c) {
    Target t;
    if (auto missing = findTarget(c, &t)) return *missing;
    const int panel = t.panel->handle, id = t.control->id;
    CommandOutcome got;
    int status = UIE_NoError;
    if (t.control->dataType == VAL_INTEGER) {
        int value = 0;
        status = GetCtrlVal(panel, id, &value);
        got.value = std::to_string(value);
    } else if (t.control->dataType == VAL_FLOAT) {
        float value = 0;
        status = GetCtrlVal(panel, id, &value);
        got.value = numberWord(value);
    } else if (t.control->dataType == VAL_DOUBLE) {
        double value = 0;
        status = GetCtrlVal(panel, id, &value);
        got.value = numberWord(value);
    } else {
        status = GetCtrlVal(panel, id, &got.value);
        got.valueIsText = true;
    }
    if (status < 0) return failed(c.args[1] + " has no value to get");
    return got;
}

CommandOutcome screenshot(const ScriptCommand& c) {
    Model& model = Model::instance();
    Panel* panel = model.panelByConstantName(c.args[0]);
    if (!panel) return failed("no panel " + c.args[0] + " is loaded");
    std::string error = "no front end shows the panels";
    if (!model.frontEnd() || model.frontEnd()->screenshot(panel->handle, c.args[1], &error) < 0)
        return failed("cannot save a screenshot of " + c.args[0] + ": " + error);
    return {};
}

}  // namespace

CommandOutcome executeOperatorCommand(const ScriptCommand& c) {
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
        case Kind::Close:
            return closePanel(c);
        case Kind::Get:
            return get(c);
        case Kind::Screenshot:
            return screenshot(c);
        default:
            return failed("not an operator action");
    }
}

void PopupAnswers::add(const ScriptCommand& answer) {
    if (answer.kind == Kind::AnswerFile) files_.push_back(answer.args[0]);
    if (answer.kind == Kind::AnswerDir) dirs_.push_back(answer.args[0]);
    if (answer.kind == Kind::AnswerConfirm) confirms_.push_back(answer.args[0] == "yes");
}

bool PopupAnswers::has(ScriptCommand::Kind kind) const {
    return kind == Kind::AnswerFile      ? !files_.empty()
           : kind == Kind::AnswerDir     ? !dirs_.empty()
           : kind == Kind::AnswerConfirm ? !confirms_.empty()
                                         : false;
}

bool PopupAnswers::takeConfirm() {
    const bool yes = confirms_.front();
    confirms_.pop_front();
    return yes;
}

int PopupAnswers::takeFile(std::string* path) {
    const std::string answer = files_.front();
    files_.pop_front();
    if (answer == "cancel") return VAL_NO_FILE_SELECTED;
    *path = answer;
    std::error_code ec;
    return std::filesystem::exists(answer, ec) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

int PopupAnswers::takeDirectory(std::string* path) {
    const std::string answer = dirs_.front();
    dirs_.pop_front();
    if (answer == "cancel") return VAL_NO_DIRECTORY_SELECTED;
    *path = answer;
    return VAL_DIRECTORY_SELECTED;
}

}  // namespace trelvanix::ui
