#pragma once
// Panels built by hand for toolkit tests, so they do not depend on the resource file.

#include <string>
#include <vector>

#include "platform/ui/model.h"

namespace trelvanix::ui::testing {

enum TestControl { kNumber = 1, kText = 2, kList = 3, kButton = 4, kGraph = 5, kTimer = 6 };
enum TestMenuItem { kItemSave = 10, kItemRate = 11 };

// A panel with a double numeric (0..10), a text box, a float list, a button, a graph
// (400 x 300) and a disabled 0.5 s timer, plus a menu bar with two checkable items.
int loadTestPanel();

// Everything dispatched to the test callbacks, as "CONTROL:EVENT" lines.
std::vector<std::string>& dispatched();

// Fresh model, simulated clock at 0, empty log.
void resetToolkit();

}  // namespace trelvanix::ui::testing
