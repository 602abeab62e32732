// Tables: declared with their headings in the resource file, filled row by row by the
// program, read back as text; and the clipboard.

#include <gtest/gtest.h>

#include "platform/ui/model.h"
#include "platform/ui/resource.h"
#include "platform/ui/toolkit.h"
#include "tests/platform/ui/test_panels.h"

using namespace trelvanix::ui;

namespace {

TEST(ToolkitTables, RowsFollowTheColumnsAndReadBackAsText) {
    trelvanix::ui::testing::resetToolkit();
    auto parsed = parseResource(
        "panel P resource=3\ncontrol P ROWS kind=table columns=\"Row|File|Vss (mV)\"\n");
    ASSERT_TRUE(std::holds_alternative<ResourceFile>(parsed));
    Panel panel = std::get<ResourceFile>(parsed).panels[0];
    ASSERT_EQ(panel.controls[0].kind, ControlKind::Table);
    const int p = Model::instance().addPanel(panel, std::nullopt);
    const int rows = panel.controls[0].id;

    // Rows are cut or padded to the columns; an index past the end is refused.
    EXPECT_EQ(InsertTableRow(p, rows, -1, {"1", "a.vnx", "-65.1", "extra"}), 0);
    EXPECT_EQ(InsertTableRow(p, rows, 0, {"0"}), 0);
    EXPECT_EQ(InsertTableRow(p, rows, 5, {"9"}), UIE_BadIndex);
    std::string text;
    GetCtrlVal(p, rows, &text);
    EXPECT_EQ(text, "Row\tFile\tVss (mV)\n0\t\t\n1\ta.vnx\t-65.1");
    EXPECT_EQ(GetTableCellVal(p, rows, 2, 1, &text), 0);
    EXPECT_EQ(text, "-65.1");
    EXPECT_EQ(GetTableCellVal(p, rows, 3, 1, &text), UIE_BadIndex);

    EXPECT_EQ(SetTableColumns(p, rows, {"Row", "File"}), 0);
    EXPECT_EQ(DeleteTableRows(p, rows, 0, 1), 0);
    GetCtrlVal(p, rows, &text);
    EXPECT_EQ(text, "Row\tFile\n1\ta.vnx");
    EXPECT_EQ(DeleteTableRows(p, rows, 0, -1), 0);
    int count = -1;
    GetNumTableRows(p, rows, &count);
    EXPECT_EQ(count, 0);
    // The operator only reads a table; the program fills it through the table operations.
    EXPECT_EQ(SetCtrlVal(p, rows, "x"), UIE_NotSupported);

    // A table takes no value keys.
    EXPECT_TRUE(std::holds_alternative<ResourceError>(
        parseResource("panel P resource=3\ncontrol P ROWS kind=table default=1\n")));
}

TEST(ToolkitTables, TheClipboardHoldsWhatWasPutThereLast) {
    trelvanix::ui::testing::resetToolkit();
    ClipboardPutText("a\tb\n");
    std::string text;
    ClipboardGetText(&text);
    EXPECT_EQ(text, "a\tb\n");
    EXPECT_EQ(ClipboardPutText(nullptr), UIE_BadArgument);
}

}  // namespace
