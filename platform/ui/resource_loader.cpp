// LoadPanel and the registries behind it: resource texts by file name (parsed once, on first
// use) and callback functions by the names the resource file gives them.

#include <cstdio>
#include <map>

#include "platform/ui/resource.h"

namespace trelvanix::ui {

namespace {

struct Registry {
    std::map<std::string, std::string> texts;
    std::map<std::string, std::variant<ResourceFile, ResourceError>> parsed;
    std::map<std::string, CtrlCallbackPtr> controlCallbacks;
    std::map<std::string, PanelCallbackPtr> panelCallbacks;
    std::map<std::string, MenuCallbackPtr> menuCallbacks;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

// The registered name a caller's file name stands for: the name itself, or its last path
// component ("resources/trelvanix.uir" finds "trelvanix.uir").
const std::string* registeredName(const std::string& fileName) {
    Registry& r = registry();
    if (auto it = r.texts.find(fileName); it != r.texts.end()) return &it->first;
    const auto slash = fileName.find_last_of("/\\");
    if (slash == std::string::npos) return nullptr;
    auto it = r.texts.find(fileName.substr(slash + 1));
    return it == r.texts.end() ? nullptr : &it->first;
}

const std::variant<ResourceFile, ResourceError>& parsedFile(const std::string& name) {
    Registry& r = registry();
    auto it = r.parsed.find(name);
    if (it == r.parsed.end()) it = r.parsed.emplace(name, parseResource(r.texts.at(name))).first;
    return it->second;
}

template <typename Callback>
bool bind(const std::map<std::string, Callback>& callbacks, const std::string& name, Callback* out,
          const std::string& file, int line) {
    if (name.empty()) return true;
    const auto it = callbacks.find(name);
    if (it == callbacks.end()) {
        ErrorPrintf("%s:%d: unknown callback \"%s\"", file.c_str(), line, name.c_str());
        return false;
    }
    *out = it->second;
    return true;
}

}  // namespace

void registerResourceText(const std::string& fileName, std::string text) {
    Registry& r = registry();
    r.texts[fileName] = std::move(text);
    r.parsed.erase(fileName);
}

const ResourceFile* registeredResource(const std::string& fileName) {
    const std::string* name = registeredName(fileName);
    if (!name) return nullptr;
    return std::get_if<ResourceFile>(&parsedFile(*name));
}

void registerControlCallback(const std::string& name, CtrlCallbackPtr callback) {
    registry().controlCallbacks[name] = callback;
}

void registerPanelCallback(const std::string& name, PanelCallbackPtr callback) {
    registry().panelCallbacks[name] = callback;
}

void registerMenuCallback(const std::string& name, MenuCallbackPtr callback) {
    registry().menuCallbacks[name] = callback;
}

}  // namespace trelvanix::ui

using namespace trelvanix::ui;

int LoadPanel(int parentPanel, const char* resourceFile, int resourceId) {
    const std::string requested = resourceFile ? resourceFile : "";
    const std::string* name = registeredName(requested);
    if (!name) {
        ErrorPrintf("%s: no such resource file", requested.c_str());
        return UIE_ResourceLoadFailed;
    }
    const auto& parsed = parsedFile(*name);
    if (const auto* error = std::get_if<ResourceError>(&parsed)) {
        ErrorPrintf("%s:%d: %s", name->c_str(), error->line, error->message.c_str());
        return UIE_ResourceLoadFailed;
    }
    const ResourceFile& file = std::get<ResourceFile>(parsed);
    const Panel* found = file.panelByResourceId(resourceId);
    if (!found) {
        ErrorPrintf("%s: no panel has resource number %d", name->c_str(), resourceId);
        return UIE_BadResourceNumber;
    }
    if (parentPanel != 0 && !Model::instance().panel(parentPanel)) {
        ErrorPrintf("%s: panel %s cannot be loaded into unknown parent panel %d", name->c_str(),
                    found->constantName.c_str(), parentPanel);
        return UIE_BadPanelHandle;
    }

    const Registry& r = registry();
    Panel panel = *found;
    panel.parent = parentPanel;
    panel.menuBar = 0;
    bool bound =
        bind(r.panelCallbacks, panel.callbackName, &panel.callback, *name, panel.sourceLine);
    for (Control& control : panel.controls)
        bound = bound && bind(r.controlCallbacks, control.callbackName, &control.callback, *name,
                              control.sourceLine);
    std::optional<MenuBar> menuBar;
    if (const MenuBar* bar = file.menuBarOf(*found)) {
        menuBar = *bar;
        for (MenuItem& item : menuBar->items)
            bound = bound && bind(r.menuCallbacks, item.callbackName, &item.callback, *name,
                                  item.sourceLine);
    }
    if (!bound) return UIE_ResourceLoadFailed;
    return Model::instance().addPanel(std::move(panel), std::move(menuBar));
}

int DiscardPanel(int panel) {
    if (!Model::instance().panel(panel)) return UIE_BadPanelHandle;
    Model::instance().removePanel(panel);
    return UIE_NoError;
}
