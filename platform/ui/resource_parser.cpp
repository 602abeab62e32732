// Reads the panel resource file (resources/trelvanix.uir): one declaration per line, checked
// as it is read, so the first problem is reported with its line. The format is described at
// the top of resources/trelvanix.uir.

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "platform/ui/resource.h"
#include "platform/ui/resource_words.h"
#include "platform/ui/text_words.h"

namespace trelvanix::ui {

const Panel* ResourceFile::panelByResourceId(int resourceId) const {
    for (const Panel& panel : panels)
        if (panel.resourceId == resourceId) return &panel;
    return nullptr;
}

const MenuBar* ResourceFile::menuBarByConstantName(const std::string& name) const {
    for (const MenuBar& bar : menuBars)
        if (bar.constantName == name) return &bar;
    return nullptr;
}

const MenuBar* ResourceFile::menuBarOf(const Panel& panel) const {
    if (panel.menuBar <= 0 || panel.menuBar > static_cast<int>(menuBars.size())) return nullptr;
    return &menuBars[panel.menuBar - 1];
}

namespace {

using namespace uir;

// Where a name was declared, to point at the first use when it is declared again.
struct Declared {
    int line = 0;
};

class Parser {
  public:
    ResourceFile file;

    void parseLine(const std::string& text, int line) {
        line_ = line;
        SplitLine split = splitWords(text);
        if (!split.error.empty()) fail(split.error);
        const std::vector<std::string>& words = split.words;
        if (words.empty()) return;
        const std::string& what = words[0];
        if (what == "panel") return parsePanel(words);
        if (what == "control") return parseControl(words);
        if (what == "menubar") return parseMenuBar(words);
        if (what == "menu") return parseMenu(words);
        if (what == "item") return parseItem(words, false);
        if (what == "separator") return parseItem(words, true);
        fail("unknown declaration \"" + what + "\"");
    }

    // Checks what only the whole file can tell, and gives out identifiers not written.
    void finish() {
        assignPanelResources();
        for (std::size_t i = 0; i < file.panels.size(); ++i) {
            Panel& panel = file.panels[i];
            assignIds(panel.controls);
            const auto& [barName, line] = panelMenuBars_[i];
            if (barName.empty()) continue;
            const auto found = menuBarIndex_.find(barName);
            if (found == menuBarIndex_.end()) {
                line_ = line;
                fail("panel " + panel.constantName + " names menu bar \"" + barName +
                     "\" that is never declared");
            }
            panel.menuBar = static_cast<int>(found->second) + 1;
        }
        for (std::size_t b = 0; b < file.menuBars.size(); ++b) assignMenuIds(b);
    }

    int line() const { return line_; }

  private:
    int line_ = 0;
    std::map<std::string, Declared> constants_;
    std::map<std::string, std::size_t> panelIndex_;
    std::map<std::string, std::size_t> menuBarIndex_;
    std::vector<std::pair<std::string, int>> panelMenuBars_;  // by panel: name and its line
    std::vector<int> panelExplicitResource_;                  // 0 when assigned
    std::map<std::string, std::pair<std::string, int>> callbackRoles_;  // name: role, line
    std::map<std::string, int> shortcuts_;  // key: the line that gave it first
    // Per menu bar: the menu name of each item, and the order menus (true) and items (false)
    // were declared in, which is the order identifiers are given out.
    std::vector<std::vector<std::string>> itemMenus_;
    std::vector<std::vector<bool>> menuOrder_;

    void declareConstant(const std::string& name) {
        // Checked whole: two good names joined by "_" may still make a keyword (char8_t).
        if (std::string problem = cppNameProblem(name); !problem.empty())
            fail("constant name " + name + " " + problem);
        const auto [it, inserted] = constants_.emplace(name, Declared{line_});
        if (!inserted)
            fail("duplicate constant name " + name + " (first declared on line " +
                 std::to_string(it->second.line) + ")");
    }

    void requireIdentifier(const std::string& name, const std::string& what) {
        if (!isIdentifier(name)) fail("bad " + what + " name \"" + name + "\"");
        if (std::string problem = cppNameProblem(name); !problem.empty())
            fail(what + " name \"" + name + "\" " + problem);
    }

    // One callback name serves one kind of callback: the generated prototypes must agree.
    void declareCallback(const std::string& name, const std::string& role) {
        requireIdentifier(name, "callback");
        const auto [it, inserted] = callbackRoles_.emplace(name, std::make_pair(role, line_));
        if (!inserted && it->second.first != role)
            fail("callback " + name + " is a " + role + " callback here but a " + it->second.first +
                 " callback on line " + std::to_string(it->second.second));
    }

    // A key chooses one thing in the whole program: a second use would make it do nothing.
    std::string takeShortcut(Keys& keys) {
        const auto v = keys.take("shortcut");
        if (!v) return {};
        const std::string key = parseShortcut("shortcut", *v);
        const auto [it, inserted] = shortcuts_.emplace(key, line_);
        if (!inserted)
            fail("shortcut " + key + " is already used on line " + std::to_string(it->second));
        return key;
    }

    void expectWords(const std::vector<std::string>& words, std::size_t names,
                     const std::string& usage) {
        if (words.size() < names + 1) fail("expected " + usage);
    }

    void parsePanel(const std::vector<std::string>& words) {
        expectWords(words, 1, "panel NAME key=value ...");
        Panel panel;
        panel.constantName = words[1];
        panel.sourceLine = line_;
        panel.rect = Rect{0, 0, 400, 300};
        requireIdentifier(panel.constantName, "panel");
        declareConstant(panel.constantName);
        Keys keys(words, 2);
        int resource = 0;
        if (auto v = keys.take("resource")) {
            resource = parseInt("resource", *v);
            if (resource <= 0) fail("resource number must be positive, not " + *v);
            for (std::size_t i = 0; i < file.panels.size(); ++i)
                if (panelExplicitResource_[i] == resource)
                    fail("duplicate resource number " + *v + " (first used on line " +
                         std::to_string(file.panels[i].sourceLine) + ")");
        }
        if (auto v = keys.take("title")) {
            if (v->find_first_of("\r\n") != std::string::npos)
                fail("the title of panel " + panel.constantName + " holds a line break");
            panel.title = *v;
        }
        if (auto v = keys.take("left")) panel.rect.left = parseInt("left", *v);
        if (auto v = keys.take("top")) panel.rect.top = parseInt("top", *v);
        if (auto v = keys.take("width")) panel.rect.width = parseSize("width", *v);
        if (auto v = keys.take("height")) panel.rect.height = parseSize("height", *v);
        if (auto v = keys.take("sizable")) panel.sizable = parseFlag("sizable", *v);
        if (auto v = keys.take("scaletoresize"))
            panel.scaleContentsOnResize = parseFlag("scaletoresize", *v);
        if (auto v = keys.take("callback")) {
            declareCallback(*v, "panel");
            panel.callbackName = *v;
        }
        std::string menuBar;
        if (auto v = keys.take("menubar")) {
            requireIdentifier(*v, "menu bar");
            menuBar = *v;
        }
        keys.rejectRest("a panel");
        panelIndex_[panel.constantName] = file.panels.size();
        panelMenuBars_.emplace_back(menuBar, line_);
        panelExplicitResource_.push_back(resource);
        panel.resourceId = resource;
        file.panels.push_back(std::move(panel));
    }

    int parseSize(const std::string& key, const std::string& text) {
        const int size = parseInt(key, text);
        if (size < 0) fail(key + " must not be negative, not " + text);
        return size;
    }

    void parseControl(const std::vector<std::string>& words) {
        expectWords(words, 2, "control PANEL NAME kind=KIND key=value ...");
        const auto panelIt = panelIndex_.find(words[1]);
        if (panelIt == panelIndex_.end()) fail("control for undeclared panel \"" + words[1] + "\"");
        Panel& panel = file.panels[panelIt->second];
        Control control;
        control.name = words[2];
        requireIdentifier(control.name, "control");
        control.constantName = panel.constantName + "_" + control.name;
        control.sourceLine = line_;
        declareConstant(control.constantName);

        Keys keys(words, 3);
        const auto kindText = keys.take("kind");
        if (!kindText) fail("control " + control.name + " needs kind=KIND");
        const auto kind = kindNames().find(*kindText);
        if (kind == kindNames().end()) fail("unknown control kind \"" + *kindText + "\"");
        control.kind = kind->second;
        applyKindDefaults(control);
        if (auto v = keys.take("type")) setDataType(control, parseDataType(*v));
        if (auto v = keys.take("id")) {
            control.id = parseInt("id", *v);
            if (control.id <= 0) fail("control identifier must be positive, not " + *v);
            for (const Control& other : panel.controls)
                if (other.id == control.id)
                    fail("duplicate control identifier " + *v + " in panel " + panel.constantName +
                         " (first used by " + other.name + " on line " +
                         std::to_string(other.sourceLine) + ")");
        }
        applyCommonControlKeys(control, keys);
        applyKindKeys(control, keys);
        keys.rejectRest("a " + kindName(control.kind) + " control");
        panel.controls.push_back(std::move(control));
    }

    static void applyKindDefaults(Control& control) {
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

    static void setDataTypeUnchecked(Control& control, int dataType) {
        control.dataType = dataType;
        control.value = convertDefault(dataType);
    }

    static Value convertDefault(int dataType) {
        if (dataType == VAL_STRING) return std::string();
        if (dataType == VAL_INTEGER) return 0;
        return 0.0;
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
        if (auto v = keys.take("callback")) {
            declareCallback(*v, "control");
            control.callbackName = *v;
        }
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
        if (kind == ControlKind::Button) control.shortcut = takeShortcut(keys);
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
            const double number = std::holds_alternative<int>(control.value)
                                      ? std::get<int>(control.value)
                                      : std::get<double>(control.value);
            if (number < control.minValue || number > control.maxValue)
                fail("default " + text + " is outside min..max");
        }
    }

    // "Row|File|Step": the column headings of a table.
    static std::vector<std::string> splitColumns(const std::string& text) {
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

    void applyGraphKeys(Graph& graph, Keys& keys) {
        applyAxisKeys(graph.xAxis, "x", keys);
        applyAxisKeys(graph.yAxis, "y", keys);
        if (auto v = keys.take("ygain")) graph.yAxis.labelGain = parseDouble("ygain", *v);
        if (auto v = keys.take("yoffset")) graph.yAxis.labelOffset = parseDouble("yoffset", *v);
        if (auto v = keys.take("plotbg")) graph.plotBackground = parseColor("plotbg", *v);
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
        if (auto v = keys.take(a + "labelcolor"))
            axis.labelColor = parseColor(a + "labelcolor", *v);
        if (auto v = keys.take(a + "scaling")) {
            if (*v == "auto")
                axis.scalingMode = VAL_AUTOSCALE;
            else if (*v == "manual")
                axis.scalingMode = VAL_MANUAL;
            else
                fail("bad scaling \"" + *v + "\" for " + a + "scaling (expected auto or manual)");
        }
    }

    void parseMenuBar(const std::vector<std::string>& words) {
        expectWords(words, 1, "menubar NAME");
        MenuBar bar;
        bar.constantName = words[1];
        requireIdentifier(bar.constantName, "menu bar");
        declareConstant(bar.constantName);
        Keys keys(words, 2);
        keys.rejectRest("a menu bar");
        menuBarIndex_[bar.constantName] = file.menuBars.size();
        file.menuBars.push_back(std::move(bar));
        itemMenus_.emplace_back();
        menuOrder_.emplace_back();
    }

    std::size_t menuBarNamed(const std::string& name) {
        const auto it = menuBarIndex_.find(name);
        if (it == menuBarIndex_.end()) fail("undeclared menu bar \"" + name + "\"");
        return it->second;
    }

    int explicitMenuId(MenuBar& bar, Keys& keys) {
        const auto v = keys.take("id");
        if (!v) return 0;
        const int id = parseInt("id", *v);
        if (id <= 0) fail("menu identifier must be positive, not " + *v);
        for (const Menu& menu : bar.menus)
            if (menu.id == id) fail("duplicate menu identifier " + *v + " in " + bar.constantName);
        for (const MenuItem& item : bar.items)
            if (item.id == id)
                fail("duplicate menu identifier " + *v + " in " + bar.constantName +
                     " (first used on line " + std::to_string(item.sourceLine) + ")");
        return id;
    }

    void parseMenu(const std::vector<std::string>& words) {
        expectWords(words, 2, "menu MENUBAR NAME key=value ...");
        const std::size_t b = menuBarNamed(words[1]);
        MenuBar& bar = file.menuBars[b];
        Menu menu;
        menu.name = words[2];
        requireIdentifier(menu.name, "menu");
        declareConstant(bar.constantName + "_" + menu.name);
        Keys keys(words, 3);
        menu.id = explicitMenuId(bar, keys);
        menu.label = keys.take("label").value_or(menu.name);
        menu.tooltip = keys.take("tooltip").value_or("");
        keys.rejectRest("a menu");
        bar.menus.push_back(std::move(menu));
        menuOrder_[b].push_back(true);
    }

    void parseItem(const std::vector<std::string>& words, bool separator) {
        if (separator)
            expectWords(words, 2, "separator MENUBAR MENU");
        else
            expectWords(words, 3, "item MENUBAR MENU NAME key=value ...");
        const std::size_t b = menuBarNamed(words[1]);
        MenuBar& bar = file.menuBars[b];
        bool menuFound = false;
        for (const Menu& menu : bar.menus) menuFound = menuFound || menu.name == words[2];
        if (!menuFound) fail("undeclared menu \"" + words[2] + "\" in " + bar.constantName);
        MenuItem item;
        item.separator = separator;
        item.sourceLine = line_;
        if (!separator) {
            item.name = words[3];
            requireIdentifier(item.name, "menu item");
            item.constantName = bar.constantName + "_" + words[2] + "_" + item.name;
            declareConstant(item.constantName);
        }
        Keys keys(words, separator ? 3 : 4);
        item.id = explicitMenuId(bar, keys);
        if (!separator) {
            item.label = keys.take("label").value_or(item.name);
            item.shortcut = takeShortcut(keys);
            item.tooltip = keys.take("tooltip").value_or("");
            if (auto v = keys.take("checkable")) item.checkable = parseFlag("checkable", *v);
            if (auto v = keys.take("checked")) item.checked = parseFlag("checked", *v);
            if (item.checked && !item.checkable) fail("checked=1 needs checkable=1");
            if (auto v = keys.take("dimmed")) item.dimmed = parseFlag("dimmed", *v);
            if (auto v = keys.take("visible")) item.visible = parseFlag("visible", *v);
            if (auto v = keys.take("group")) {
                requireIdentifier(*v, "group");
                item.group = *v;
            }
            if (auto v = keys.take("callback")) {
                declareCallback(*v, "menu");
                item.callbackName = *v;
            }
        }
        keys.rejectRest(separator ? "a separator" : "a menu item");
        bar.items.push_back(std::move(item));
        itemMenus_[b].push_back(words[2]);
        menuOrder_[b].push_back(false);
    }

    void assignPanelResources() {
        std::set<int> used(panelExplicitResource_.begin(), panelExplicitResource_.end());
        int next = 1;
        for (Panel& panel : file.panels) {
            if (panel.resourceId != 0) continue;
            while (used.count(next)) ++next;
            panel.resourceId = next;
            used.insert(next);
        }
    }

    static void assignIds(std::vector<Control>& controls) {
        std::set<int> used;
        for (const Control& c : controls) used.insert(c.id);
        int next = 1;
        for (Control& c : controls) {
            if (c.id != 0) continue;
            while (used.count(next)) ++next;
            c.id = next;
            used.insert(next);
        }
    }

    void assignMenuIds(std::size_t b) {
        MenuBar& bar = file.menuBars[b];
        std::set<int> used;
        for (const Menu& m : bar.menus) used.insert(m.id);
        for (const MenuItem& i : bar.items) used.insert(i.id);
        int next = 1;
        auto assign = [&](int& id) {
            if (id != 0) return;
            while (used.count(next)) ++next;
            id = next;
            used.insert(next);
        };
        std::size_t menu = 0, item = 0;
        for (bool isMenu : menuOrder_[b])
            assign(isMenu ? bar.menus[menu++].id : bar.items[item++].id);
        for (std::size_t i = 0; i < bar.items.size(); ++i)
            for (const Menu& m : bar.menus)
                if (m.name == itemMenus_[b][i]) bar.items[i].menuId = m.id;
    }
};

}  // namespace

std::variant<ResourceFile, ResourceError> parseResource(std::string_view text) {
    Parser parser;
    int line = 0;
    try {
        std::size_t start = 0;
        while (start <= text.size()) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            parser.parseLine(std::string(text.substr(start, end - start)), ++line);
            start = end + 1;
        }
        parser.finish();
    } catch (const uir::Problem& problem) {
        return ResourceError{parser.line(), problem.message};
    }
    return std::move(parser.file);
}

}  // namespace trelvanix::ui
