// Reads the panel resource file (resources/trelvanix.uir): one declaration per line, checked
// as it is read, so the first problem is reported with its line. The format is described at
// the top of resources/trelvanix.uir.

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "platform/ui/resource.h"
#include "platform/ui/resource_controls.h"
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
        if (auto v = keys.take("callback")) {
            declareCallback(*v, "control");
            control.callbackName = *v;
        }
        if (control.kind == ControlKind::Button) control.shortcut = takeShortcut(keys);
        applyKindKeys(control, keys);
        keys.rejectRest("a " + kindName(control.kind) + " control");
        panel.controls.push_back(std::move(control));
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
