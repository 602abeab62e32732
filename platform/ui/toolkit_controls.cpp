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
            return UIE_NotSupported;
        default:
            c->value = coerce(*c, value);
    }
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
    } else {
        *out = c->value;
    }
    return UIE_NoError;
}

int setAttribute(int panel, int control, int attribute, const Value& v) {
    int status = 0;
    Control* c = findControl(panel, control, &status);
    if (!c) return status;
    const double n = numberOf(v);
    const int i = static_cast<int>(std::lround(n));
    Axis* y = c->graph ? &c->graph->yAxis : nullptr;
    Axis* x = c->graph ? &c->graph->xAxis : nullptr;
    switch (attribute) {
        case ATTR_DIMMED:
            c->dimmed = i != 0;
            break;
        case ATTR_VISIBLE:
            c->visible = i != 0;
            break;
        case ATTR_LABEL_TEXT:
            c->label = textOf(v);
            break;
        case ATTR_TEXT_COLOR:
            c->textColor = i;
            break;
        case ATTR_LABEL_COLOR:
            c->labelColor = i;
            break;
        case ATTR_FRAME_COLOR:
            c->frameColor = i;
            break;
        case ATTR_ON_COLOR:
            c->onColor = i;
            break;
        case ATTR_OFF_COLOR:
            c->offColor = i;
            break;
        case ATTR_BLINK:
            c->blink = i != 0;
            break;
        case ATTR_MIN_VALUE:
            c->minValue = n;
            c->value = coerce(*c, c->value);
            break;
        case ATTR_MAX_VALUE:
            c->maxValue = n;
            c->value = coerce(*c, c->value);
            break;
        case ATTR_INCR_VALUE:
            c->increment = n;
            break;
        case ATTR_PRECISION:
            c->precision = std::clamp(i, 0, 15);
            break;
        case ATTR_DATA_TYPE:
            if (i < VAL_INTEGER || i > VAL_STRING) return UIE_BadAttributeValue;
            c->dataType = i;
            c->value = convertValue(c->value, i);
            for (ListItem& item : c->items) item.value = convertValue(item.value, i);
            break;
        case ATTR_INTERVAL:
            if (!(n > 0)) return UIE_BadAttributeValue;
            c->interval = n;
            c->nextTick = trelvanix::programClock().seconds() + n;
            break;
        case ATTR_ENABLED:
            if (!c->enabled && i) c->nextTick = trelvanix::programClock().seconds() + c->interval;
            c->enabled = i != 0;
            break;
        case ATTR_LEFT:
            c->rect.left = i;
            break;
        case ATTR_TOP:
            c->rect.top = i;
            break;
        case ATTR_WIDTH:
            c->rect.width = std::max(0, i);
            break;
        case ATTR_HEIGHT:
            c->rect.height = std::max(0, i);
            break;
        case ATTR_CTRL_INDEX:
            return SetCtrlIndex(panel, control, i);
        default:
            if (!c->graph) return UIE_BadAttribute;
            switch (attribute) {
                case ATTR_XDIVISIONS:
                    x->divisions = std::max(1, i);
                    break;
                case ATTR_YDIVISIONS:
                    y->divisions = std::max(1, i);
                    break;
                case ATTR_YAXIS_GAIN:
                    y->labelGain = n;
                    break;
                case ATTR_YAXIS_OFFSET:
                    y->labelOffset = n;
                    break;
                case ATTR_XNAME:
                    x->name = textOf(v);
                    break;
                case ATTR_YNAME:
                    y->name = textOf(v);
                    break;
                case ATTR_YNAME_COLOR:
                    y->nameColor = i;
                    break;
                case ATTR_YLABEL_COLOR:
                    y->labelColor = i;
                    break;
                case ATTR_PLOT_BGCOLOR:
                    c->graph->plotBackground = i;
                    break;
                default:
                    return UIE_BadAttribute;
            }
    }
    model().controlChanged(panel, control);
    return UIE_NoError;
}

int getAttribute(int panel, int control, int attribute, Value* out) {
    int status = 0;
    Control* c = findControl(panel, control, &status);
    if (!c) return status;
    switch (attribute) {
        case ATTR_DIMMED:
            *out = c->dimmed ? 1 : 0;
            return 0;
        case ATTR_VISIBLE:
            *out = c->visible ? 1 : 0;
            return 0;
        case ATTR_LABEL_TEXT:
            *out = c->label;
            return 0;
        case ATTR_TEXT_COLOR:
            *out = c->textColor;
            return 0;
        case ATTR_LABEL_COLOR:
            *out = c->labelColor;
            return 0;
        case ATTR_FRAME_COLOR:
            *out = c->frameColor;
            return 0;
        case ATTR_ON_COLOR:
            *out = c->onColor;
            return 0;
        case ATTR_OFF_COLOR:
            *out = c->offColor;
            return 0;
        case ATTR_BLINK:
            *out = c->blink ? 1 : 0;
            return 0;
        case ATTR_MIN_VALUE:
            *out = c->minValue;
            return 0;
        case ATTR_MAX_VALUE:
            *out = c->maxValue;
            return 0;
        case ATTR_INCR_VALUE:
            *out = c->increment;
            return 0;
        case ATTR_PRECISION:
            *out = c->precision;
            return 0;
        case ATTR_DATA_TYPE:
            *out = c->dataType;
            return 0;
        case ATTR_CONSTANT_NAME:
            *out = c->constantName;
            return 0;
        case ATTR_CTRL_INDEX:
            *out = c->index;
            return 0;
        case ATTR_INTERVAL:
            *out = c->interval;
            return 0;
        case ATTR_ENABLED:
            *out = c->enabled ? 1 : 0;
            return 0;
        case ATTR_LEFT:
            *out = c->rect.left;
            return 0;
        case ATTR_TOP:
            *out = c->rect.top;
            return 0;
        case ATTR_WIDTH:
            *out = c->rect.width;
            return 0;
        case ATTR_HEIGHT:
            *out = c->rect.height;
            return 0;
        default:
            break;
    }
    if (!c->graph) return UIE_BadAttribute;
    const Graph& g = *c->graph;
    switch (attribute) {
        case ATTR_XDIVISIONS:
            *out = g.xAxis.divisions;
            return 0;
        case ATTR_YDIVISIONS:
            *out = g.yAxis.divisions;
            return 0;
        case ATTR_YAXIS_GAIN:
            *out = g.yAxis.labelGain;
            return 0;
        case ATTR_YAXIS_OFFSET:
            *out = g.yAxis.labelOffset;
            return 0;
        case ATTR_XNAME:
            *out = g.xAxis.name;
            return 0;
        case ATTR_YNAME:
            *out = g.yAxis.name;
            return 0;
        case ATTR_YNAME_COLOR:
            *out = g.yAxis.nameColor;
            return 0;
        case ATTR_YLABEL_COLOR:
            *out = g.yAxis.labelColor;
            return 0;
        case ATTR_PLOT_AREA_TOP:
            *out = g.plotArea.top;
            return 0;
        case ATTR_PLOT_AREA_LEFT:
            *out = g.plotArea.left;
            return 0;
        case ATTR_PLOT_AREA_HEIGHT:
            *out = g.plotArea.height;
            return 0;
        case ATTR_PLOT_AREA_WIDTH:
            *out = g.plotArea.width;
            return 0;
        case ATTR_PLOT_BGCOLOR:
            *out = g.plotBackground;
            return 0;
        case ATTR_NUM_PLOTS:
            *out = static_cast<int>(g.plots.size());
            return 0;
        default:
            return UIE_BadAttribute;
    }
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
