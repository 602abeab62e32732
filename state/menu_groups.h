#pragma once
// The main menu's radio groups (sampling rate, stretch length, stretches per sweep): the
// program keeps one item of a group checked.

#include <span>

namespace trelvanix {

// Checks the item `checkedId` of the group `itemIds` on the main menu bar and unchecks the
// others; a checkedId that is not in the group leaves every item unchecked.
void CheckOnlyMenuItem(std::span<const int> itemIds, int checkedId);
// Whether the main menu bar's item is checked.
bool MenuItemChecked(int itemId);

}  // namespace trelvanix
