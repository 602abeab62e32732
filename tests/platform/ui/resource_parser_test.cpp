#include <gtest/gtest.h>

#include "platform/ui/resource.h"

using namespace trelvanix::ui;

namespace {

ResourceFile parsed(const std::string& text) {
    auto result = parseResource(text);
    if (auto* error = std::get_if<ResourceError>(&result))
        ADD_FAILURE() << "line " << error->line << ": " << error->message;
    return std::get<ResourceFile>(std::move(result));
}

ResourceError problem(const std::string& text) {
    auto result = parseResource(text);
    EXPECT_TRUE(std::holds_alternative<ResourceError>(result)) << "parsed without a problem";
    return std::holds_alternative<ResourceError>(result) ? std::get<ResourceError>(result)
                                                         : ResourceError{};
}

const std::string kPanel = "panel P resource=3 title=\"A panel\" width=300 height=200\n";

TEST(ResourceParser, FillsPanelControlsAndMenuBar) {
    const ResourceFile file = parsed(
        "# comment\n\n"
        "panel PANEL resource=1 title=\"Trelvanix main\" callback=close menubar=MB sizable=0\n"
        "control PANEL GAIN kind=numeric min=0.001 max=1000 incr=0.1 precision=3 default=1 "
        "callback=SetGain   # trailing comment\n"
        "control PANEL MODE kind=ring items=\"Low:1|High:2\" default=2\n"
        "control PANEL UNIT kind=ring type=string items=\"mV|pA\"\n"
        "control PANEL LAMP kind=lamp oncolor=0x00FF00 indicator=1 default=1\n"
        "control PANEL NOTE kind=textbox default=\"one\\ntwo\"\n"
        "control PANEL GRAPH kind=graph xmin=0 xmax=5 ymin=-5 ymax=5 ydivs=8 yscaling=auto\n"
        "control PANEL TICK kind=timer interval=0.5 enabled=1\n"
        "menubar MB\n"
        "menu MB FILE label=File\n"
        "item MB FILE SAVE label=\"Save\" checkable=1 checked=1 group=RATE callback=Save\n"
        "separator MB FILE\n");
    ASSERT_EQ(file.panels.size(), 1u);
    const Panel& panel = file.panels[0];
    EXPECT_EQ(panel.resourceId, 1);
    EXPECT_EQ(panel.title, "Trelvanix main");
    EXPECT_EQ(panel.callbackName, "close");
    EXPECT_FALSE(panel.sizable);
    EXPECT_EQ(panel.sourceLine, 3);
    ASSERT_EQ(panel.controls.size(), 7u);

    const Control& gain = panel.controls[0];
    EXPECT_EQ(gain.constantName, "PANEL_GAIN");
    EXPECT_EQ(gain.dataType, VAL_DOUBLE);
    EXPECT_EQ(gain.value, Value(1.0));
    EXPECT_DOUBLE_EQ(gain.minValue, 0.001);
    EXPECT_EQ(gain.precision, 3);
    EXPECT_EQ(gain.callbackName, "SetGain");
    EXPECT_EQ(gain.sourceLine, 4);

    const Control& mode = panel.controls[1];
    ASSERT_EQ(mode.items.size(), 2u);
    EXPECT_EQ(mode.items[1].label, "High");
    EXPECT_EQ(mode.index, 1);
    EXPECT_EQ(mode.value, Value(2));
    const Control& unit = panel.controls[2];
    EXPECT_EQ(unit.items[1].value, Value(std::string("pA")));

    EXPECT_EQ(panel.controls[3].onColor, 0x00FF00);
    EXPECT_TRUE(panel.controls[3].indicator);
    EXPECT_EQ(panel.controls[4].lines, (std::vector<std::string>{"one", "two"}));
    const Control& graph = panel.controls[5];
    ASSERT_TRUE(graph.graph.has_value());
    EXPECT_DOUBLE_EQ(graph.graph->yAxis.min, -5);
    EXPECT_EQ(graph.graph->yAxis.divisions, 8);
    EXPECT_EQ(graph.graph->yAxis.scalingMode, VAL_AUTOSCALE);
    EXPECT_DOUBLE_EQ(panel.controls[6].interval, 0.5);
    EXPECT_TRUE(panel.controls[6].enabled);

    const MenuBar* bar = file.menuBarOf(panel);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->constantName, "MB");
    ASSERT_EQ(bar->items.size(), 2u);
    EXPECT_EQ(bar->items[0].constantName, "MB_FILE_SAVE");
    EXPECT_TRUE(bar->items[0].checked);
    EXPECT_EQ(bar->items[0].group, "RATE");
    EXPECT_EQ(bar->items[0].menuId, bar->menus[0].id);
    EXPECT_TRUE(bar->items[1].separator);
}

TEST(ResourceParser, AssignedIdentifiersNeverCollideWithExplicitOnes) {
    const ResourceFile file = parsed(kPanel +
                                     "control P A kind=button\n"
                                     "control P B kind=button id=1\n"
                                     "control P C kind=button\n"
                                     "control P D kind=button id=3\n"
                                     "panel Q\n"
                                     "panel R resource=1\n");
    std::vector<int> ids;
    for (const Control& c : file.panels[0].controls) ids.push_back(c.id);
    EXPECT_EQ(ids, (std::vector<int>{2, 1, 4, 3}));
    EXPECT_EQ(file.panels[1].resourceId, 2);  // 1 and 3 are taken explicitly
    EXPECT_NE(file.panelByResourceId(1), nullptr);
    EXPECT_EQ(file.panelByResourceId(1)->constantName, "R");
}

TEST(ResourceParser, TooltipsKeysAndHiddenItemsAreKeptForTheWindow) {
    const ResourceFile file = parsed(kPanel +
                                     "control P GO kind=button shortcut=F5 tooltip=\"Starts\"\n"
                                     "control P GAIN kind=numeric tooltip=\"Units per division\"\n"
                                     "menubar M\n"
                                     "menu M F label=\"&File\" tooltip=\"Files\"\n"
                                     "item M F SAVE label=\"&Save\" shortcut=Ctrl+S\n"
                                     "item M F LAST visible=0 tooltip=\"The last one\"\n");
    const Panel& panel = file.panels[0];
    EXPECT_EQ(panel.controls[0].shortcut, "F5");
    EXPECT_EQ(panel.controls[0].tooltip, "Starts");
    EXPECT_EQ(panel.controls[1].tooltip, "Units per division");
    const MenuBar& bar = file.menuBars[0];
    EXPECT_EQ(bar.menus[0].label, "&File");
    EXPECT_EQ(bar.menus[0].tooltip, "Files");
    EXPECT_EQ(bar.items[0].shortcut, "Ctrl+S");
    EXPECT_TRUE(bar.items[0].visible);
    EXPECT_FALSE(bar.items[1].visible);
    EXPECT_EQ(bar.items[1].tooltip, "The last one");
}

TEST(ResourceParser, ReportsTheFirstProblemWithItsLine) {
    struct Case {
        std::string text;
        int line;
        std::string says;
    };
    const std::vector<Case> cases = {
        {kPanel + "control P X kind=knob\n", 2, "unknown control kind \"knob\""},
        {kPanel + "control P X kind=button id=4\ncontrol P Y kind=button id=4\n", 3,
         "duplicate control identifier 4"},
        {kPanel + "control P X kind=button\ncontrol P X kind=lamp\n", 3,
         "duplicate constant name P_X"},
        {kPanel + "control P X kind=numeric min=abc\n", 2, "bad number \"abc\""},
        {kPanel + "control P X kind=lamp oncolor=green\n", 2, "bad colour"},
        {kPanel + "control P X kind=button dimmed=yes\n", 2, "bad flag"},
        {kPanel + "control P X kind=numeric min=0 max=10 default=11\n", 2, "outside"},
        {kPanel + "control P X kind=ring items=\"a:1|b:2\" default=3\n", 2, "not the value"},
        {kPanel + "control P X kind=ring items=\"a:x\"\n", 2, "bad number \"x\""},
        {kPanel + "control P X kind=button colour=1\n", 2, "unknown key \"colour\""},
        {kPanel + "control P X kind=ring min=1\n", 2, "unknown key \"min\" for a ring"},
        {kPanel + "control P X kind=string type=int\n", 2, "cannot hold"},
        {kPanel + "control Q X kind=button\n", 2, "undeclared panel \"Q\""},
        {kPanel + "widget P X\n", 2, "unknown declaration \"widget\""},
        {kPanel + "control P X kind=button label=\"open\n", 2, "unterminated"},
        {kPanel + "control P X kind=button width\n", 2, "expected key=value"},
        {kPanel + "control P X kind=button callback=A\npanel S callback=A\n", 3,
         "callback A is a panel callback here but a control callback on line 2"},
        {kPanel + "panel S resource=3\n", 2, "duplicate resource number 3"},
        {"panel S menubar=NOPE\n\nmenubar OTHER\n", 1, "never declared"},
        {"menubar M\nmenu M F\nitem M F A id=2\nitem M F B id=2\n", 4,
         "duplicate menu identifier 2"},
        {"menubar M\nmenu M F\nitem M G A\n", 3, "undeclared menu \"G\""},
        {"menubar M\nmenu M F\nitem M F A checked=1\n", 3, "needs checkable=1"},
        {kPanel + "control P X kind=graph xmin=5 xmax=1\n", 2, "xmin must be less than xmax"},
        {kPanel + "control P X kind=timer interval=0\n", 2, "must be positive"},
        // What cannot be written into the generated C++ as it stands.
        {kPanel + "control P X kind=button callback=delete\n", 2,
         "callback name \"delete\" is a C++ keyword"},
        {"panel class\n", 1, "panel name \"class\" is a C++ keyword"},
        {"menubar M\nmenu M F\nitem M F G callback=xor_eq\n", 3,
         "callback name \"xor_eq\" is a C++ keyword"},
        {"panel char8\ncontrol char8 t kind=button\n", 2, "constant name char8_t is a C++ keyword"},
        {"panel _Panel\n", 1, "panel name \"_Panel\" is reserved in C++"},
        {kPanel + "control P _x kind=button\n", 2, "constant name P__x is reserved in C++"},
        {kPanel + "control P X kind=button callback=on__off\n", 2, "reserved in C++"},
        {kPanel + "control P X kind=button callback=\"a b\"\n", 2, "bad callback name \"a b\""},
        {"\npanel S title=\"two\\nlines\"\n", 2, "the title of panel S holds a line break"},
        // A key that is no key, or one that would press two things.
        {kPanel + "control P X kind=button shortcut=Ctrl+Fx\n", 2, "bad shortcut \"Ctrl+Fx\""},
        {kPanel + "control P X kind=lamp shortcut=F5\n", 2, "unknown key \"shortcut\""},
        {kPanel + "control P X kind=button shortcut=F5\nmenubar M\nmenu M F\n"
                  "item M F A shortcut=F5\n",
         5, "shortcut F5 is already used on line 2"},
    };
    for (const Case& c : cases) {
        const ResourceError error = problem(c.text);
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_NE(error.message.find(c.says), std::string::npos)
            << "message: " << error.message << "\nwanted: " << c.says;
    }
}

}  // namespace
