#include "state/menu_groups.h"

#include "state/shared_state.h"
#include "platform/ui/toolkit.h"

namespace trelvanix {

void CheckOnlyMenuItem(std::span<const int> itemIds, int checkedId) {
    const int menuBar = GetPanelMenuBar(panelHandle);
    for (int id : itemIds) SetMenuBarAttribute(menuBar, id, ATTR_CHECKED, id == checkedId ? 1 : 0);
}

bool MenuItemChecked(int itemId) {
    int checked = 0;
    GetMenuBarAttribute(GetPanelMenuBar(panelHandle), itemId, ATTR_CHECKED, &checked);
    return checked != 0;
}

}  // namespace trelvanix
