// The generated constants agree with the resource file they come from.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "platform/ui/resource.h"
#include "resources/trelvanix_uir.h"

using namespace trelvanix::ui;

namespace {

ResourceFile realResourceFile() {
    std::ifstream in(TRELVANIX_UIR_PATH);
    if (!in) ADD_FAILURE() << "cannot read " << TRELVANIX_UIR_PATH;
    std::stringstream text;
    text << in.rdbuf();
    auto parsed = parseResource(text.str());
    if (auto* error = std::get_if<ResourceError>(&parsed))
        ADD_FAILURE() << "trelvanix.uir:" << error->line << ": " << error->message;
    return std::get<ResourceFile>(std::move(parsed));
}

TEST(GeneratedConstants, AgreeWithTheResourceFile) {
    const ResourceFile file = realResourceFile();
    std::map<std::string, int> inFile;
    for (const Panel& panel : file.panels) {
        inFile[panel.constantName] = panel.resourceId;
        for (const Control& c : panel.controls) inFile[c.constantName] = c.id;
    }
    for (const MenuBar& bar : file.menuBars)
        for (const MenuItem& item : bar.items)
            if (!item.separator) inFile[item.constantName] = item.id;

    const std::map<std::string, int> generated = {
        {"PANEL", PANEL},
        {"PANEL_GRAPH", PANEL_GRAPH},
        {"PANEL_ACQUIRE", PANEL_ACQUIRE},
        {"PANEL_ACQ_LAMP", PANEL_ACQ_LAMP},
        {"PANEL_SAVE_LAMP", PANEL_SAVE_LAMP},
        {"PANEL_VERSION", PANEL_VERSION},
        {"MENUBAR_FILE_SAVE", MENUBAR_FILE_SAVE},
        {"MENUBAR_FILE_QUIT", MENUBAR_FILE_QUIT},
        {"MENUBAR_HELP_ABOUT", MENUBAR_HELP_ABOUT},
        {"INTERVAL", INTERVAL},
        {"INTERVAL_SAVING", INTERVAL_SAVING},
        {"INTERVAL_PAUSE", INTERVAL_PAUSE},
        {"INTERVAL_OK", INTERVAL_OK},
        {"INTERVAL_CANCEL", INTERVAL_CANCEL},
    };
    for (const auto& [name, value] : generated) {
        ASSERT_TRUE(inFile.count(name)) << name << " is not in trelvanix.uir";
        EXPECT_EQ(inFile.at(name), value) << name;
    }
}

TEST(GeneratedConstants, TheMainPanelHasItsFrame) {
    const ResourceFile file = realResourceFile();
    const Panel* main = file.panelByResourceId(PANEL);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->title, "Trelvanix");
    const MenuBar* bar = file.menuBarOf(*main);
    ASSERT_NE(bar, nullptr);
    bool about = false;
    for (const MenuItem& item : bar->items) about = about || item.callbackName == "About";
    EXPECT_TRUE(about);
}

// A window whose panel has no callback would ignore its title bar's close button.
TEST(GeneratedConstants, EveryWindowAnswersItsCloseButton) {
    for (const Panel& panel : realResourceFile().panels)
        EXPECT_FALSE(panel.callbackName.empty()) << panel.constantName << " has no close callback";
}

}  // namespace
