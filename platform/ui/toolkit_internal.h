#pragma once
// Look-ups shared by the toolkit operations.

#include "platform/ui/model.h"

namespace trelvanix::ui::detail {

inline Model& model() {
    return Model::instance();
}

// The control, or null when the panel or control does not exist (status set accordingly).
inline Control* findControl(int panel, int control, int* status) {
    Panel* p = model().panel(panel);
    if (!p) {
        *status = UIE_BadPanelHandle;
        return nullptr;
    }
    Control* c = p->find(control);
    *status = c ? UIE_NoError : UIE_BadControlId;
    return c;
}

// The menu item, or null when the menu bar or item does not exist (status set accordingly).
inline MenuItem* findMenuItem(int menuBar, int item, int* status) {
    if (!model().menuBar(menuBar)) {
        *status = UIE_BadMenuBar;
        return nullptr;
    }
    MenuItem* found = model().menuItem(menuBar, item);
    *status = found ? UIE_NoError : UIE_BadMenuItem;
    return found;
}

inline bool hasItems(const Control& c) {
    return c.kind == ControlKind::Ring || c.kind == ControlKind::ListBox;
}

// Tells the graph's callback (once per batch) and the front end that what an inspected
// graph shows has changed.
void inspectionChanged(int panel, int control);

}  // namespace trelvanix::ui::detail
