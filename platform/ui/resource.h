#pragma once
// The panel resource file: its parsed form, the loader's errors, and the registries that let
// LoadPanel find resource texts by file name and bind callback names to functions.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/ui/model.h"

namespace trelvanix::ui {

// Panels and menu bars as the file describes them: callbacks are named, not yet bound.
// A panel's `menuBar` here is the 1-based position of its menu bar in `menuBars` (0: none).
struct ResourceFile {
    std::vector<Panel> panels;
    std::vector<MenuBar> menuBars;
    const Panel* panelByResourceId(int resourceId) const;
    const MenuBar* menuBarByConstantName(const std::string& name) const;
    const MenuBar* menuBarOf(const Panel& panel) const;  // null when the panel has none
};

struct ResourceError {
    int line = 0;  // 1-based; 0 when the problem is not on one line
    std::string message;
};

// Parses resource text; on failure returns the first problem with its line.
std::variant<ResourceFile, ResourceError> parseResource(std::string_view text);

// LoadPanel finds "trelvanix.uir" (or any other name) among the registered texts.
void registerResourceText(const std::string& fileName, std::string text);
// The registered file parsed, as LoadPanel sees it: what each control accepts without loading
// its panel. Null when no such file is registered or it does not parse.
const ResourceFile* registeredResource(const std::string& fileName);

void registerControlCallback(const std::string& name, CtrlCallbackPtr callback);
void registerPanelCallback(const std::string& name, PanelCallbackPtr callback);
void registerMenuCallback(const std::string& name, MenuCallbackPtr callback);

}  // namespace trelvanix::ui
