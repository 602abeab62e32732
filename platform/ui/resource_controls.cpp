// A control's declaration in the panel resource file: the defaults of its kind and the keys
// it may carry, each checked as it is read.

#include "platform/ui/resource_controls.h"

#include <string>
#include <vector>

namespace trelvanix::ui::uir {

namespace {

Value convertDefault(int dataType) {
    if (dataType == VAL_STRING) return std::string();
    if (dataType == VAL_INTEGER) return 0;
    return 0.0;
}

void setDataTypeUnchecked(Control& control, int dataType) {
    control.dataType = dataType;
    control.value = convertDefault(dataType);
}

void applyNumericKeys(Control& control, Keys& keys) {
    if (auto v = keys.take("min")) control.minValue = parseDouble("min", *v);
    if (auto v = keys.take("max")) control.maxValue = parseDouble("max", *v);
    if (control.minValue > control.maxValue) fail("min is greater than max");
    if (auto v = keys.take("incr")) control.increment = parseDouble("incr", *v);
    if (auto v = keys.take("precision")) {
        control.precision = parseInt("precision", *v);
        if (control.precision < 0 || control.precision > 15)
            fail("precision must be 0 to 15, not " + *v);
    }
}

void applyDefault(Control& control, const std::string& text) {
    if (isListKind(control.kind)) {
        const Value wanted = parseValue("default", text, control.dataType);
        for (std::size_t i = 0; i < control.items.size(); ++i) {
            if (control.items[i].value == wanted) {
                control.index = static_cast<int>(i);
                control.value = wanted;
                return;
            }
        }
        fail("default " + text + " is not the value of any item");
    }
    if (control.kind == ControlKind::TextBox) {
        control.lines.clear();
        std::size_t start = 0;
        for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
            control.lines.push_back(text.substr(start, nl - start));
        control.lines.push_back(text.substr(start));
        return;
    }
    if (control.kind == ControlKind::ColorNum) {
        control.value = parseColor("default", text);
        return;
    }
    if (isOnOffKind(control.kind)) {
        control.value = parseFlag("default", text) ? 1 : 0;
        return;
    }
    control.value = parseValue("default", text, control.dataType);
    if (control.kind == ControlKind::Numeric) {
        const double number = numberOf(control.value);
        if (number < control.minValue || number > control.maxValue)
            fail("default " + text + " is outside min..max");
    }
}

// "Row|File|Step": the column headings of a table.
std::vector<std::string> splitColumns(const std::string& text) {
    std::vector<std::string> columns;
    std::size_t start = 0;
    for (std::size_t bar; (bar = text.find('|', start)) != std::string::npos; start = bar + 1)
        columns.push_back(text.substr(start, bar - start));
    columns.push_back(text.substr(start));
    return columns;
}

// "Low:1|High:2": labels with values of the control's type; a label alone takes its
// position (or, for text items, itself) as value.
std::vector<ListItem> parseItems(const std::string& text, int dataType) {
    std::vector<ListItem> items;
    if (text.empty()) return items;
    std::size_t start = 0;
    while (true) {
        const std::size_t bar = text.find('|', start);
        const std::string entry = text.substr(start, bar - start);
        const std::size_t colon = entry.rfind(':');
        ListItem item;
        if (colon == std::string::npos) {
            item.label = entry;
            item.value = dataType == VAL_STRING    ? Value(entry)
                         : dataType == VAL_INTEGER ? Value(static_cast<int>(items.size()))
                                                   : Value(static_cast<double>(items.size()));
        } else {
            item.label = entry.substr(0, colon);
            item.value = parseValue("item " + item.label, entry.substr(colon + 1), dataType);
        }
        items.push_back(std::move(item));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return items;
}

void applyAxisKeys(Axis& axis, const std::string& a, Keys& keys) {
    if (auto v = keys.take(a + "min")) axis.min = parseDouble(a + "min", *v);
    if (auto v = keys.take(a + "max")) axis.max = parseDouble(a + "max", *v);
    if (!(axis.min < axis.max)) fail(a + "min must be less than " + a + "max");
    if (auto v = keys.take(a + "divs")) {
        axis.divisions = parseInt(a + "divs", *v);
        if (axis.divisions <= 0) fail(a + "divs must be positive, not " + *v);
    }
    if (auto v = keys.take(a + "name")) axis.name = *v;
    if (auto v = keys.take(a + "namecolor")) axis.nameColor = parseColor(a + "namecolor", *v);
    if (auto v = keys.take(a + "labelcolor")) axis.labelColor = parseColor(a + "labelcolor", *v);
    if (auto v = keys.take(a + "scaling")) {
        if (*v == "auto")
            axis.scalingMode = VAL_AUTOSCALE;
        else if (*v == "manual")
            axis.scalingMode = VAL_MANUAL;
        else
            fail("bad scaling \"" + *v + "\" for " + a + "scaling (expected auto or manual)");
    }
}

void applyGraphKeys(Graph& graph, Keys& keys) {
    applyAxisKeys(graph.xAxis, "x", keys);
    applyAxisKeys(graph.yAxis, "y", keys);
    if (auto v = keys.take("ygain")) graph.yAxis.labelGain = parseDouble("ygain", *v);
    if (auto v = keys.take("yoffset")) graph.yAxis.labelOffset = parseDouble("yoffset", *v);
    if (auto v = keys.take("plotbg")) graph.plotBackground = parseColor("plotbg", *v);
}

}  // namespace

void applyKindDefaults(Control& control) {
    switch (control.kind) {
        case ControlKind::Numeric:
            setDataTypeUnchecked(control, VAL_DOUBLE);
            break;
        case ControlKind::String:
        case ControlKind::TextBox:
        case ControlKind::TextMsg:
        case ControlKind::Table:
            setDataTypeUnchecked(control, VAL_STRING);
            break;
        default:
            setDataTypeUnchecked(control, VAL_INTEGER);
    }
    control.rect = Rect{0, 0, 100, 24};
    if (control.kind == ControlKind::Graph) {
        control.rect = Rect{0, 0, 400, 200};
        control.graph.emplace();
    } else if (control.kind == ControlKind::TextBox) {
        control.rect = Rect{0, 0, 200, 60};
    } else if (control.kind == ControlKind::Table) {
        control.rect = Rect{0, 0, 400, 200};
    }
}

void setDataType(Control& control, int dataType) {
    const bool allowed = isTextKind(control.kind)               ? dataType == VAL_STRING
                         : control.kind == ControlKind::Numeric ? dataType != VAL_STRING
                         : isListKind(control.kind)             ? true
                                                                : dataType == VAL_INTEGER;
    if (!allowed) fail("a " + kindName(control.kind) + " control cannot hold that data type");
    setDataTypeUnchecked(control, dataType);
}

void applyCommonControlKeys(Control& control, Keys& keys) {
    if (auto v = keys.take("label")) control.label = *v;
    if (auto v = keys.take("tooltip")) control.tooltip = *v;
    if (auto v = keys.take("left")) control.rect.left = parseInt("left", *v);
    if (auto v = keys.take("top")) control.rect.top = parseInt("top", *v);
    if (auto v = keys.take("width")) control.rect.width = parseSize("width", *v);
    if (auto v = keys.take("height")) control.rect.height = parseSize("height", *v);
    if (auto v = keys.take("dimmed")) control.dimmed = parseFlag("dimmed", *v);
    if (auto v = keys.take("visible")) control.visible = parseFlag("visible", *v);
    if (auto v = keys.take("textcolor")) control.textColor = parseColor("textcolor", *v);
    if (auto v = keys.take("labelcolor")) control.labelColor = parseColor("labelcolor", *v);
    if (auto v = keys.take("framecolor")) control.frameColor = parseColor("framecolor", *v);
}

// Keys that belong to some kinds only; a key left over is reported as unknown for the kind.
void applyKindKeys(Control& control, Keys& keys) {
    const ControlKind kind = control.kind;
    const bool holdsValue = kind != ControlKind::Graph && kind != ControlKind::Decoration &&
                            kind != ControlKind::Timer && kind != ControlKind::Button &&
                            kind != ControlKind::Table;
    if (holdsValue && kind != ControlKind::TextMsg) {
        if (auto v = keys.take("indicator")) control.indicator = parseFlag("indicator", *v);
    }
    if (kind == ControlKind::Numeric) applyNumericKeys(control, keys);
    if (kind == ControlKind::Lamp || kind == ControlKind::Toggle) {
        if (auto v = keys.take("oncolor")) control.onColor = parseColor("oncolor", *v);
        if (auto v = keys.take("offcolor")) control.offColor = parseColor("offcolor", *v);
    }
    if (kind == ControlKind::Lamp) {
        if (auto v = keys.take("blink")) control.blink = parseFlag("blink", *v);
    }
    if (isListKind(kind)) {
        if (auto v = keys.take("items")) control.items = parseItems(*v, control.dataType);
        control.index = control.items.empty() ? -1 : 0;
        if (!control.items.empty()) control.value = control.items[0].value;
    }
    if (kind == ControlKind::Timer) {
        if (auto v = keys.take("interval")) {
            control.interval = parseDouble("interval", *v);
            if (!(control.interval > 0)) fail("timer interval must be positive, not " + *v);
        }
        if (auto v = keys.take("enabled")) control.enabled = parseFlag("enabled", *v);
    }
    if (kind == ControlKind::Graph) applyGraphKeys(*control.graph, keys);
    if (kind == ControlKind::Table) {
        if (auto v = keys.take("columns")) control.columns = splitColumns(*v);
    }
    if (holdsValue) {
        if (auto v = keys.take("default")) applyDefault(control, *v);
    }
}

}  // namespace trelvanix::ui::uir
