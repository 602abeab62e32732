// Tables: rows of text cells under column headings, filled by the program; and the clipboard.

#include <algorithm>

#include "platform/ui/front_end.h"
#include "platform/ui/toolkit_internal.h"

using namespace trelvanix::ui;
using namespace trelvanix::ui::detail;

namespace {

Control* tableControl(int panel, int control, int* status) {
    Control* c = findControl(panel, control, status);
    if (c && c->kind != ControlKind::Table) {
        *status = UIE_NotSupported;
        return nullptr;
    }
    return c;
}

}  // namespace

int SetTableColumns(int panel, int control, const std::vector<std::string>& headings) {
    int status = 0;
    Control* c = tableControl(panel, control, &status);
    if (!c) return status;
    c->columns = headings;
    for (auto& row : c->cells) row.resize(headings.size());
    model().controlChanged(panel, control);
    return UIE_NoError;
}

int InsertTableRow(int panel, int control, int index, const std::vector<std::string>& cells) {
    int status = 0;
    Control* c = tableControl(panel, control, &status);
    if (!c) return status;
    const int rows = static_cast<int>(c->cells.size());
    if (index < -1 || index > rows) return UIE_BadIndex;
    std::vector<std::string> row = cells;
    row.resize(c->columns.size());
    c->cells.insert(c->cells.begin() + (index == -1 ? rows : index), std::move(row));
    model().controlChanged(panel, control);
    return UIE_NoError;
}

int DeleteTableRows(int panel, int control, int index, int count) {
    int status = 0;
    Control* c = tableControl(panel, control, &status);
    if (!c) return status;
    const int rows = static_cast<int>(c->cells.size());
    if (index < 0 || index > rows || count < -1) return UIE_BadIndex;
    const int end = count == -1 ? rows : std::min(rows, index + count);
    c->cells.erase(c->cells.begin() + index, c->cells.begin() + end);
    model().controlChanged(panel, control);
    return UIE_NoError;
}

int GetNumTableRows(int panel, int control, int* rows) {
    int status = 0;
    Control* c = tableControl(panel, control, &status);
    if (!c) return status;
    *rows = static_cast<int>(c->cells.size());
    return UIE_NoError;
}

int GetTableCellVal(int panel, int control, int column, int row, std::string* text) {
    int status = 0;
    Control* c = tableControl(panel, control, &status);
    if (!c) return status;
    if (row < 0 || row >= static_cast<int>(c->cells.size()) || column < 0 ||
        column >= static_cast<int>(c->columns.size()))
        return UIE_BadIndex;
    *text = c->cells[row][column];
    return UIE_NoError;
}

int ClipboardPutText(const char* text) {
    if (!text) return UIE_BadArgument;
    model().clipboard = text;
    if (FrontEnd* frontEnd = model().frontEnd()) frontEnd->putOnClipboard(model().clipboard);
    return UIE_NoError;
}

int ClipboardGetText(std::string* text) {
    *text = model().clipboard;
    return UIE_NoError;
}
