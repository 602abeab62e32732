// Control values, attributes, list items and text boxes.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/clock/clock.h"
#include "platform/ui/toolkit_internal.h"

using namespace trelvanix::ui;
using namespace trelvanix::ui::detail;

namespace {

// Numbers entered into numeric controls are coerced into the control's range.
Value coerce(const Control& c, const Value& value) {
    Value v = convertValue(value, c.dataType);
    if (c.kind != ControlKind::Numeric || c.dataType == VAL_STRING) return v;
    const double n = std::clamp(numberOf(v), c.minValue, c.maxValue);
    return convertValue(n, c.dataType);
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) text += '\n';
        text += lines[i];
    }
    return text;
}

// A table as text: the headings, then each row, cells separated by tabs.
std::string tableText(const Control& c) {
    auto line = [](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t k = 0; k < cells.size(); ++k) text += (k ? "\t" : "") + cells[k];
        return text;
    };
    std::vector<std::string> lines = {line(c.columns)};
    for (const auto& row : c.cells) lines.push_back(line(row));
    return joinLines(lines);
}

// Text boxes grow by appending: text continues the last line and each newline starts one.
void appendText(Control& c, const std::string& text) {
    if (c.lines.empty()) c.lines.emplace_back();
    for (char ch : text) {
        if (ch == '\n')
            c.lines.emplace_back();
        else
            c.lines.back() += ch;
    }
}

int setValue(int panel, int control, const Value& value) {
    int status = 0;
    Control* c = findControl(panel, control, &status);
    if (!c) return status;
    const Value before = c->value;
    const int indexBefore = c->index;
    switch (c->kind) {
        case ControlKind::TextBox:
            appendText(*c, textOf(value));
            break;
        case ControlKind::Ring:
        case ControlKind::ListBox: {
            const Value wanted = convertValue(value, c->dataType);
            auto it = std::find_if(c->items.begin(), c->items.end(),
                                   [&](const ListItem& item) { return item.value == wanted; });
            if (it == c->items.end()) return UIE_BadAttributeValue;
            c->index = static_cast<int>(it - c->items.begin());
            break;
        }
        case ControlKind::TextMsg:
        case ControlKind::String:
            c->value = textOf(value);
            break;
        case ControlKind::Graph:
        case ControlKind::Timer:
        case ControlKind::Decoration:
        case ControlKind::Table:
            return UIE_NotSupported;
        default:
            c->value = coerce(*c, value);
    }
    // An indicator shows what the model holds and nothing else: set to the value it has (a
    // readout each stretch), it has nothing new to show.
    if (c->indicator && c->kind != ControlKind::TextBox && c->value == before &&
        c->index == indexBefore)
        return UIE_NoError;
    model().controlChanged(panel, control);
    return UIE_NoError;
}

// The value as the program reads it: the selected item's value for lists, the text of a box.
int currentValue(int panel, int control, Value* out) {
    int status = 0;
    Control* c = findControl(panel, control, &status);
    if (!c) return status;
    if (hasItems(*c)) {
        if (c->index < 0 || c->index >= static_cast<int>(c->items.size())) return UIE_BadIndex;
        *out = c->items[c->index].value;
    } else if (c->kind == ControlKind::TextBox) {
        *out = joinLines(c->lines);
    } else if (c->kind == ControlKind::Table) {
        *out = tableText(*c);
    } else {
        *out = c->value;
    }
    return UIE_NoError;
}

int rounded(const Value& v) {
    return static_cast<int>(std::lround(numberOf(v)));
}

// How an attribute is read and written: one entry per attribute, used by both Get and Set.
// A null `set` makes the attribute read-only; graph attributes exist on graphs only.
struct AttributeAccess {
    int attribute;
    bool graphOnly;
    Value (*get)(const Control&);
    int (*set)(Control&, const Value&);  // returns 0, or a negative status for a bad value
};

// clang-format off
const AttributeAccess kAttributes[] = {
    {ATTR_DIMMED, false, [](const Control& c) -> Value { return c.dimmed ? 1 : 0; },
     [](Control& c, const Value& v) { c.dimmed = rounded(v) != 0; return 0; }},
    {ATTR_VISIBLE, false, [](const Control& c) -> Value { return c.visible ? 1 : 0; },
     [](Control& c, const Value& v) { c.visible = rounded(v) != 0; return 0; }},
    {ATTR_LABEL_TEXT, false, [](const Control& c) -> Value { return c.label; },
     [](Control& c, const Value& v) { c.label = textOf(v); return 0; }},
    {ATTR_TEXT_COLOR, false, [](const Control& c) -> Value { return c.textColor; },
     [](Control& c, const Value& v) { c.textColor = rounded(v); return 0; }},
    {ATTR_LABEL_COLOR, false, [](const Control& c) -> Value { return c.labelColor; },
     [](Control& c, const Value& v) { c.labelColor = rounded(v); return 0; }},
    {ATTR_FRAME_COLOR, false, [](const Control& c) -> Value { return c.frameColor; },
     [](Control& c, const Value& v) { c.frameColor = rounded(v); return 0; }},
    {ATTR_ON_COLOR, false, [](const Control& c) -> Value { return c.onColor; },
     [](Control& c, const Value& v) { c.onColor = rounded(v); return 0; }},
    {ATTR_OFF_COLOR, false, [](const Control& c) -> Value { return c.offColor; },
     [](Control& c, const Value& v) { c.offColor = rounded(v); return 0; }},
    {ATTR_BLINK, false, [](const Control& c) -> Value { return c.blink ? 1 : 0; },
     [](Control& c, const Value& v) { c.blink = rounded(v) != 0; return 0; }},
    {ATTR_MIN_VALUE, false, [](const Control& c) -> Value { return c.minValue; },
     [](Control& c, const Value& v) {
         c.minValue = numberOf(v);
         c.value = coerce(c, c.value);
         return 0;
     }},
    {ATTR_MAX_VALUE, false, [](const Control& c) -> Value { return c.maxValue; },
     [](Control& c, const Value& v) {
         c.maxValue = numberOf(v);
         c.value = coerce(c, c.value);
         return 0;
     }},
    {ATTR_INCR_VALUE, false, [](const Control& c) -> Value { return c.increment; },
     [](Control& c, const Value& v) { c.increment = numberOf(v); return 0; }},
    {ATTR_PRECISION, false, [](const Control& c) -> Value { return c.precision; },
     [](Control& c, const Value& v) { c.precision = std::clamp(rounded(v), 0, 15); return 0; }},
    {ATTR_DATA_TYPE, false, [](const Control& c) -> Value { return c.dataType; },
     [](Control& c, const Value& v) {
         const int type = rounded(v);
         if (type < VAL_INTEGER || type > VAL_STRING) return int{UIE_BadAttributeValue};
         c.dataType = type;
         c.value = convertValue(c.value, type);
         for (ListItem& item : c.items) item.value = convertValue(item.value, type);
         return 0;
     }},
    {ATTR_CONSTANT_NAME, false, [](const Control& c) -> Value { return c.constantName; },
     nullptr},
    // Set through SetCtrlIndex, which checks the index and announces the change itself.
    {ATTR_CTRL_INDEX, false, [](const Control& c) -> Value { return c.index; }, nullptr},
    {ATTR_INTERVAL, false, [](const Control& c) -> Value { return c.interval; },
     [](Control& c, const Value& v) {
         const double seconds = numberOf(v);
         if (!(seconds > 0)) return int{UIE_BadAttributeValue};
         c.interval = seconds;
         c.nextTick = trelvanix::programClock().seconds() + seconds;
         return 0;
     }},
    {ATTR_ENABLED, false, [](const Control& c) -> Value { return c.enabled ? 1 : 0; },
     [](Control& c, const Value& v) {
         const bool enabled = rounded(v) != 0;
         if (!c.enabled && enabled) c.nextTick = trelvanix::programClock().seconds() + c.interval;
         c.enabled = enabled;
         return 0;
     }},
    {ATTR_LEFT, false, [](const Control& c) -> Value { return c.rect.left; },
     [](Control& c, const Value& v) { c.rect.left = rounded(v); return 0; }},
    {ATTR_TOP, false, [](const Control& c) -> Value { return c.rect.top; },
     [](Control& c, const Value& v) { c.rect.top = rounded(v); return 0; }},
    {ATTR_WIDTH, false, [](const Control& c) -> Value { return c.rect.width; },
     [](Control& c, const Value& v) { c.rect.width = std::max(0, rounded(v)); return 0; }},
    {ATTR_HEIGHT, false, [](const Control& c) -> Value { return c.rect.height; },
     [](Control& c, const Value& v) { c.rect.height = std::max(0, rounded(v)); return 0; }},
    {ATTR_XDIVISIONS, true, [](const Control& c) -> Value { return c.graph->xAxis.divisions; },
     [](Control& c, const Value& v) { c.graph->xAxis.divisions = std::max(1, rounded(v)); return 0; }},
    {ATTR_YDIVISIONS, true, [](const Control& c) -> Value { return c.graph->yAxis.divisions; },
     [](Control& c, const Value& v) { c.graph->yAxis.divisions = std::max(1, rounded(v)); return 0; }},
    {ATTR_YAXIS_GAIN, true, [](const Control& c) -> Value { return c.graph->yAxis.labelGain; },
     [](Control& c, const Value& v) { c.graph->yAxis.labelGain = numberOf(v); return 0; }},
    {ATTR_YAXIS_OFFSET, true, [](const Control& c) -> Value { return c.graph->yAxis.labelOffset; },
     [](Control& c, const Value& v) { c.graph->yAxis.labelOffset = numberOf(v); return 0; }},
    {ATTR_XNAME, true, [](const Control& c) -> Value { return c.graph->xAxis.name; },
     [](Control& c, const Value& v) { c.graph->xAxis.name = textOf(v); return 0; }},
    {ATTR_YNAME, true, [](const Control& c) -> Value { return c.graph->yAxis.name; },
     [](Control& c, const Value& v) { c.graph->yAxis.name = textOf(v); return 0; }},
    {ATTR_YNAME_COLOR, true, [](const Control& c) -> Value { return c.graph->yAxis.nameColor; },
     [](Control& c, const Value& v) { c.graph->yAxis.nameColor = rounded(v); return 0; }},
    {ATTR_YLABEL_COLOR, true, [](const Control& c) -> Value { return c.graph->yAxis.labelColor; },
     [](Control& c, const Value& v) { c.graph->yAxis.labelColor = rounded(v); return 0; }},
    {ATTR_PLOT_BGCOLOR, true, [](const Control& c) -> Value { return c.graph->plotBackground; },
     [](Control& c, const Value& v) { c.graph->plotBackground = rounded(v); return 0; }},
    {ATTR_PLOT_AREA_TOP, true, [](const Control& c) -> Value { return c.graph->plotArea.top; },
     nullptr},
    {ATTR_PLOT_AREA_LEFT, true, [](const Control& c) -> Value { return c.graph->plotArea.left; },
     nullptr},
    {ATTR_PLOT_AREA_HEIGHT, true,
     [](const Control& c) -> Value { return c.graph->plotArea.height; }, nullptr},
    {ATTR_PLOT_AREA_WIDTH, true,
     [](const Control& c) -> Value { return c.graph->plotArea.width; }, nullptr},
    {ATTR_NUM_PLOTS, true,
     [](const Control& c) -> Value { return static_cast<int>(c.graph->plots.size()); }, nullptr},
};
// clang-format on

// The entry of `attribute` when control c has it, else null.
const AttributeAccess* accessOf(const Control& c, int attribute) {
    for (const AttributeAccess& access : kAttributes)
        if (access.attribute == attribute) return access.graphOnly && !c.graph ? nullptr : &access;
    return nullptr;
}

int setAttribute(int panel, int control, int attribute, const Value& v) {
    int status = 0;
    Control* c = findControl(panel, control, &status);
    if (!c) return status;
    if (attribute == ATTR_CTRL_INDEX) return SetCtrlIndex(panel, control, rounded(v));
    const AttributeAccess* access = accessOf(*c, attribute);
    if (!access || !access->set) return UIE_BadAttribute;
    if (const int refused = access->set(*c, v); refused < 0) return refused;
    model().controlChanged(panel, control);
    return UIE_NoError;
}

int getAttribute(int panel, int control, int attribute, Value* out) {
    if (attribute == ATTR_PLOT_AREA_TOP || attribute == ATTR_PLOT_AREA_LEFT ||
        attribute == ATTR_PLOT_AREA_HEIGHT || attribute == ATTR_PLOT_AREA_WIDTH)
        model().layOutPanel(panel);
    int status = 0;
    Control* c = findControl(panel, control, &status);
    if (!c) return status;
    const AttributeAccess* access = accessOf(*c, attribute);
    if (!access) return UIE_BadAttribute;
    *out = access->get(*c);
    return 0;
}

Control* listControl(int panel, int control, int* status) {
    Control* c = findControl(panel, control, status);
    if (c && !hasItems(*c)) {
        *status = UIE_NotSupported;
        return nullptr;
    }
    return c;
}

int insertItem(int panel, int control, int index, const char* label, const Value& value) {
    int status = 0;
    Control* c = listControl(panel, control, &status);
    if (!c) return status;
    const int count = static_cast<int>(c->items.size());
    if (index < -1 || index > count) return UIE_BadIndex;
    const int at = index == -1 ? count : index;
    c->items.insert(c->items.begin() + at,
                    ListItem{label ? label : "", convertValue(value, c->dataType)});
    if (c->index < 0)
        c->index = 0;  // a list that gains its first item selects it
    else if (at <= c->index)
        ++c->index;
    model().controlChanged(panel, control);
    return UIE_NoError;
}

Control* textBox(int panel, int control, int* status) {
    Control* c = findControl(panel, control, status);
    if (c && c->kind != ControlKind::TextBox) {
        *status = UIE_NotSupported;
        return nullptr;
    }
    return c;
}

}  // namespace

int SetCtrlVal(int panel, int control, int value) {
    return setValue(panel, control, value);
}
int SetCtrlVal(int panel, int control, double value) {
    return setValue(panel, control, value);
}
int SetCtrlVal(int panel, int control, const char* value) {
    return setValue(panel, control, std::string(value ? value : ""));
}
int SetCtrlVal(int panel, int control, const std::string& value) {
    return setValue(panel, control, value);
}

int GetCtrlVal(int panel, int control, int* value) {
    Value v;
    const int status = currentValue(panel, control, &v);
    if (status == 0) *value = std::get<int>(convertValue(v, VAL_INTEGER));
    return status;
}

int GetCtrlVal(int panel, int control, short* value) {
    int wide = 0;
    const int status = GetCtrlVal(panel, control, &wide);
    if (status == 0) *value = static_cast<short>(std::clamp(wide, -32768, 32767));
    return status;
}

int GetCtrlVal(int panel, int control, double* value) {
    Value v;
    const int status = currentValue(panel, control, &v);
    if (status == 0) *value = numberOf(v);
    return status;
}

int GetCtrlVal(int panel, int control, float* value) {
    double wide = 0;
    const int status = GetCtrlVal(panel, control, &wide);
    if (status == 0) *value = static_cast<float>(wide);
    return status;
}

int GetCtrlVal(int panel, int control, std::string* value) {
    Value v;
    const int status = currentValue(panel, control, &v);
    if (status == 0) *value = textOf(v);
    return status;
}

int GetCtrlValText(int panel, int control, char* buffer, std::size_t size) {
    std::string text;
    const int status = GetCtrlVal(panel, control, &text);
    if (status != 0) return status;
    if (size == 0 || text.size() >= size) return UIE_BadArgument;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return UIE_NoError;
}

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
    return setAttribute(panel, control, attribute, value);
}
int SetCtrlAttribute(int panel, int control, int attribute, double value) {
    return setAttribute(panel, control, attribute, value);
}
int SetCtrlAttribute(int panel, int control, int attribute, const char* value) {
    return setAttribute(panel, control, attribute, std::string(value ? value : ""));
}

int GetCtrlAttribute(int panel, int control, int attribute, int* value) {
    Value v;
    const int status = getAttribute(panel, control, attribute, &v);
    if (status != 0) return status;
    if (std::holds_alternative<std::string>(v)) return UIE_BadAttribute;
    *value = static_cast<int>(std::lround(numberOf(v)));
    return status;
}

int GetCtrlAttribute(int panel, int control, int attribute, double* value) {
    Value v;
    const int status = getAttribute(panel, control, attribute, &v);
    if (status != 0) return status;
    if (std::holds_alternative<std::string>(v)) return UIE_BadAttribute;
    *value = numberOf(v);
    return status;
}

int GetCtrlAttribute(int panel, int control, int attribute, std::string* value) {
    Value v;
    const int status = getAttribute(panel, control, attribute, &v);
    if (status == 0) *value = textOf(v);
    return status;
}

int GetCtrlIndex(int panel, int control, int* index) {
    int status = 0;
    Control* c = listControl(panel, control, &status);
    if (c) *index = c->index;
    return status;
}

int SetCtrlIndex(int panel, int control, int index) {
    int status = 0;
    Control* c = listControl(panel, control, &status);
    if (!c) return status;
    if (index < 0 || index >= static_cast<int>(c->items.size())) return UIE_BadIndex;
    c->index = index;
    model().controlChanged(panel, control);
    return UIE_NoError;
}

int ClearListCtrl(int panel, int control) {
    int status = 0;
    Control* c = listControl(panel, control, &status);
    if (!c) return status;
    c->items.clear();
    c->index = -1;
    model().controlChanged(panel, control);
    return UIE_NoError;
}

int InsertListItem(int panel, int control, int index, const char* label, double value) {
    return insertItem(panel, control, index, label, value);
}
int InsertListItem(int panel, int control, int index, const char* label, int value) {
    return insertItem(panel, control, index, label, value);
}
int InsertListItem(int panel, int control, int index, const char* label, const char* value) {
    return insertItem(panel, control, index, label, std::string(value ? value : ""));
}

int GetNumListItems(int panel, int control, int* count) {
    int status = 0;
    Control* c = listControl(panel, control, &status);
    if (c) *count = static_cast<int>(c->items.size());
    return status;
}

int GetLabelFromIndex(int panel, int control, int index, std::string* label) {
    int status = 0;
    Control* c = listControl(panel, control, &status);
    if (!c) return status;
    if (index < 0 || index >= static_cast<int>(c->items.size())) return UIE_BadIndex;
    *label = c->items[index].label;
    return UIE_NoError;
}

int GetValueFromIndex(int panel, int control, int index, double* value) {
    int status = 0;
    Control* c = listControl(panel, control, &status);
    if (!c) return status;
    if (index < 0 || index >= static_cast<int>(c->items.size())) return UIE_BadIndex;
    *value = numberOf(c->items[index].value);
    return UIE_NoError;
}

int GetValueFromIndex(int panel, int control, int index, int* value) {
    double wide = 0;
    const int status = GetValueFromIndex(panel, control, index, &wide);
    if (status == 0) *value = static_cast<int>(std::lround(wide));
    return status;
}

int ResetTextBox(int panel, int control, const char* text) {
    int status = 0;
    Control* c = textBox(panel, control, &status);
    if (!c) return status;
    c->lines.clear();
    if (text && *text) appendText(*c, text);
    model().controlChanged(panel, control);
    return UIE_NoError;
}

int InsertTextBoxLine(int panel, int control, int index, const char* line) {
    int status = 0;
    Control* c = textBox(panel, control, &status);
    if (!c) return status;
    const int count = static_cast<int>(c->lines.size());
    if (index < -1 || index > count) return UIE_BadIndex;
    c->lines.insert(index == -1 ? c->lines.end() : c->lines.begin() + index, line ? line : "");
    model().controlChanged(panel, control);
    return UIE_NoError;
}

int GetTextBoxLine(int panel, int control, int index, std::string* line) {
    int status = 0;
    Control* c = textBox(panel, control, &status);
    if (!c) return status;
    if (index < 0 || index >= static_cast<int>(c->lines.size())) return UIE_BadIndex;
    *line = c->lines[index];
    return UIE_NoError;
}

int GetNumTextBoxLines(int panel, int control, int* count) {
    int status = 0;
    Control* c = textBox(panel, control, &status);
    if (c) *count = static_cast<int>(c->lines.size());
    return status;
}
