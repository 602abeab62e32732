#include <gtest/gtest.h>

#include "platform/ui/front_end.h"
#include "platform/ui/model.h"
#include "platform/ui/toolkit.h"
#include "tests/platform/ui/test_panels.h"

using namespace trelvanix::ui::testing;

class ToolkitControls : public ::testing::Test {
  protected:
    void SetUp() override {
        resetToolkit();
        panel = loadTestPanel();
    }
    int panel = 0;
};

TEST_F(ToolkitControls, NumericValuesAreTypedAndCoercedIntoRange) {
    double d = 0;
    int i = 0;
    EXPECT_EQ(SetCtrlVal(panel, kNumber, 2.75), 0);
    GetCtrlVal(panel, kNumber, &d);
    EXPECT_DOUBLE_EQ(d, 2.75);
    GetCtrlVal(panel, kNumber, &i);
    EXPECT_EQ(i, 3);  // read as int, rounded

    SetCtrlVal(panel, kNumber, 42.0);  // beyond the maximum of 10
    GetCtrlVal(panel, kNumber, &d);
    EXPECT_DOUBLE_EQ(d, 10.0);

    SetCtrlAttribute(panel, kNumber, ATTR_DATA_TYPE, VAL_INTEGER);
    SetCtrlVal(panel, kNumber, 4.4);
    std::string text;
    GetCtrlVal(panel, kNumber, &text);
    EXPECT_EQ(text, "4");

    SetCtrlAttribute(panel, kNumber, ATTR_MAX_VALUE, 3.0);  // a lower limit clamps the value
    GetCtrlVal(panel, kNumber, &i);
    EXPECT_EQ(i, 3);
}

TEST_F(ToolkitControls, AttributesRoundTripAndUnknownOnesFail) {
    int dimmed = 0, color = 0;
    EXPECT_EQ(SetCtrlAttribute(panel, kButton, ATTR_DIMMED, 1), 0);
    GetCtrlAttribute(panel, kButton, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 1);
    SetCtrlAttribute(panel, kButton, ATTR_TEXT_COLOR, 0x00A000);
    GetCtrlAttribute(panel, kButton, ATTR_TEXT_COLOR, &color);
    EXPECT_EQ(color, 0x00A000);
    SetCtrlAttribute(panel, kButton, ATTR_LABEL_TEXT, "Acquire");
    std::string label, constant;
    GetCtrlAttribute(panel, kButton, ATTR_LABEL_TEXT, &label);
    GetCtrlAttribute(panel, kButton, ATTR_CONSTANT_NAME, &constant);
    EXPECT_EQ(label, "Acquire");
    EXPECT_EQ(constant, "TEST_BUTTON");

    EXPECT_EQ(SetCtrlAttribute(panel, kButton, ATTR_YDIVISIONS, 5), UIE_BadAttribute);
    EXPECT_EQ(SetCtrlVal(panel, 99, 1), UIE_BadControlId);
    EXPECT_EQ(SetCtrlVal(99, kButton, 1), UIE_BadPanelHandle);
    int value = 0;
    EXPECT_EQ(GetCtrlAttribute(panel, kButton, ATTR_LABEL_TEXT, &value), UIE_BadAttribute);
}

TEST_F(ToolkitControls, TextBoxesAppendResetAndCountLines) {
    SetCtrlVal(panel, kText, "first");
    SetCtrlVal(panel, kText, " line\nsecond");
    int lines = 0;
    GetNumTextBoxLines(panel, kText, &lines);
    EXPECT_EQ(lines, 2);
    std::string line;
    GetTextBoxLine(panel, kText, 0, &line);
    EXPECT_EQ(line, "first line");
    InsertTextBoxLine(panel, kText, -1, "third");
    std::string all;
    GetCtrlVal(panel, kText, &all);
    EXPECT_EQ(all, "first line\nsecond\nthird");
    EXPECT_EQ(GetTextBoxLine(panel, kText, 3, &line), UIE_BadIndex);

    ResetTextBox(panel, kText, "");
    GetNumTextBoxLines(panel, kText, &lines);
    EXPECT_EQ(lines, 0);
    GetCtrlVal(panel, kText, &all);
    EXPECT_EQ(all, "");
}

TEST_F(ToolkitControls, FixedBuffersNeverOverflow) {
    SetCtrlVal(panel, kText, "0123456789");
    char small[8] = "unset";
    EXPECT_LT(GetCtrlVal(panel, kText, small), 0);
    EXPECT_STREQ(small, "unset");
    char enough[11];
    EXPECT_EQ(GetCtrlVal(panel, kText, enough), 0);
    EXPECT_STREQ(enough, "0123456789");
}

TEST_F(ToolkitControls, ListItemsCarryTypedValuesAndSelection) {
    int index = 0, count = 0;
    GetCtrlIndex(panel, kList, &index);
    EXPECT_EQ(index, -1);
    float gain = 0;
    EXPECT_EQ(GetCtrlVal(panel, kList, &gain), UIE_BadIndex);  // nothing to read yet

    InsertListItem(panel, kList, -1, "Do Not Use, Gain = 0.50", 0.5);
    InsertListItem(panel, kList, -1, "-5.00 V to 5.00 V, Gain=1.00", 1.0);
    InsertListItem(panel, kList, -1, "-0.20 V to 0.20 V, Gain=25.00", 25.0);
    InsertListItem(panel, kList, 2, "-1.00 V to 1.00 V, Gain=5.00", 5.0);
    GetNumListItems(panel, kList, &count);
    EXPECT_EQ(count, 4);
    GetCtrlIndex(panel, kList, &index);
    EXPECT_EQ(index, 0);  // the first item inserted became the selection

    SetCtrlIndex(panel, kList, 2);
    GetCtrlVal(panel, kList, &gain);
    EXPECT_FLOAT_EQ(gain, 5.0f);
    std::string label;
    GetLabelFromIndex(panel, kList, 3, &label);
    EXPECT_EQ(label, "-0.20 V to 0.20 V, Gain=25.00");

    EXPECT_EQ(SetCtrlVal(panel, kList, 25.0), 0);  // selects by value
    GetCtrlIndex(panel, kList, &index);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(SetCtrlVal(panel, kList, 7.0), UIE_BadAttributeValue);
    EXPECT_EQ(SetCtrlIndex(panel, kList, 4), UIE_BadIndex);

    ClearListCtrl(panel, kList);
    GetNumListItems(panel, kList, &count);
    GetCtrlIndex(panel, kList, &index);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(index, -1);
}

TEST_F(ToolkitControls, MenuCheckMarksAndDimming) {
    const int bar = GetPanelMenuBar(panel);
    ASSERT_GT(bar, 0);
    int checked = -1;
    GetMenuBarAttribute(bar, kItemSave, ATTR_CHECKED, &checked);
    EXPECT_EQ(checked, 0);
    SetMenuBarAttribute(bar, kItemSave, ATTR_CHECKED, 1);
    SetMenuBarAttribute(bar, kItemRate, ATTR_DIMMED, 1);
    GetMenuBarAttribute(bar, kItemSave, ATTR_CHECKED, &checked);
    EXPECT_EQ(checked, 1);
    int dimmed = 0;
    GetMenuBarAttribute(bar, kItemRate, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 1);
    EXPECT_EQ(SetMenuBarAttribute(bar, 999, ATTR_CHECKED, 1), UIE_BadMenuItem);
    EXPECT_EQ(SetMenuBarAttribute(bar + 7, kItemSave, ATTR_CHECKED, 1), UIE_BadMenuBar);
}

TEST_F(ToolkitControls, PanelsShowHideAndCarryTitles) {
    int visible = 1;
    GetPanelAttribute(panel, ATTR_VISIBLE, &visible);
    EXPECT_EQ(visible, 0);
    DisplayPanel(panel);
    GetPanelAttribute(panel, ATTR_VISIBLE, &visible);
    EXPECT_EQ(visible, 1);
    SetPanelAttribute(panel, ATTR_TITLE, "Trelvanix");
    std::string title;
    GetPanelAttribute(panel, ATTR_TITLE, &title);
    EXPECT_EQ(title, "Trelvanix");
    EXPECT_EQ(DisplayPanel(panel + 1), UIE_BadPanelHandle);
}

// Every attribute that can be set reads back as set, graph attributes exist on graphs only,
// and read-only attributes refuse a write.
TEST_F(ToolkitControls, AttributesReadBackWhatWasSetAndRefuseWhatTheyCannotHold) {
    for (int attribute : {ATTR_TEXT_COLOR, ATTR_LABEL_COLOR, ATTR_FRAME_COLOR, ATTR_ON_COLOR,
                          ATTR_OFF_COLOR, ATTR_LEFT, ATTR_TOP, ATTR_WIDTH, ATTR_HEIGHT}) {
        int value = 0;
        EXPECT_EQ(SetCtrlAttribute(panel, kButton, attribute, 123), 0) << attribute;
        EXPECT_EQ(GetCtrlAttribute(panel, kButton, attribute, &value), 0) << attribute;
        EXPECT_EQ(value, 123) << attribute;
    }
    for (int attribute : {ATTR_YAXIS_GAIN, ATTR_YAXIS_OFFSET}) {
        double value = 0;
        EXPECT_EQ(SetCtrlAttribute(panel, kGraph, attribute, 2.5), 0) << attribute;
        EXPECT_EQ(GetCtrlAttribute(panel, kGraph, attribute, &value), 0) << attribute;
        EXPECT_DOUBLE_EQ(value, 2.5) << attribute;
        EXPECT_EQ(SetCtrlAttribute(panel, kButton, attribute, 2.5), UIE_BadAttribute);
        EXPECT_EQ(GetCtrlAttribute(panel, kButton, attribute, &value), UIE_BadAttribute);
    }
    std::string name;
    EXPECT_EQ(SetCtrlAttribute(panel, kGraph, ATTR_YNAME, "mV"), 0);
    EXPECT_EQ(GetCtrlAttribute(panel, kGraph, ATTR_YNAME, &name), 0);
    EXPECT_EQ(name, "mV");
    int plots = -1;
    EXPECT_EQ(GetCtrlAttribute(panel, kGraph, ATTR_NUM_PLOTS, &plots), 0);
    EXPECT_EQ(plots, 0);
    EXPECT_EQ(SetCtrlAttribute(panel, kGraph, ATTR_NUM_PLOTS, 3), UIE_BadAttribute);
    EXPECT_EQ(SetCtrlAttribute(panel, kButton, ATTR_CONSTANT_NAME, "X"), UIE_BadAttribute);
    EXPECT_EQ(SetCtrlAttribute(panel, kTimer, ATTR_INTERVAL, 0.0), UIE_BadAttributeValue);
}

// A readout the program sets each stretch tells the front end only when it changes; a
// control the operator types in is shown the program's value again each time.
TEST_F(ToolkitControls, AnIndicatorSetToItsOwnValueIsNotShownAgain) {
    struct Counting : trelvanix::ui::FrontEnd {
        int changes = 0;
        void controlChanged(int, int) override { ++changes; }
        void messagePopup(const std::string&, const std::string&) override {}
        bool confirmPopup(const std::string&, const std::string&) override { return false; }
        int fileSelectPopup(const trelvanix::ui::FileRequest&, std::string*) override { return 0; }
        int directorySelectPopup(const trelvanix::ui::DirectoryRequest&, std::string*) override {
            return 0;
        }
        int printPanel(int, std::string*) override { return 0; }
        int screenshot(int, const std::string&, std::string*) override { return 0; }
        void waitForInput(double) override {}
    } counting;
    auto& model = trelvanix::ui::Model::instance();
    model.setFrontEnd(&counting);
    SetCtrlVal(panel, kNumber, 2.0);
    SetCtrlVal(panel, kNumber, 2.0);
    EXPECT_EQ(counting.changes, 2);
    model.control(panel, kNumber)->indicator = true;
    counting.changes = 0;
    SetCtrlVal(panel, kNumber, 2.0);
    EXPECT_EQ(counting.changes, 0);
    SetCtrlVal(panel, kNumber, 3.0);
    SetCtrlVal(panel, kNumber, 3.0);
    EXPECT_EQ(counting.changes, 1);
    model.setFrontEnd(nullptr);
}
