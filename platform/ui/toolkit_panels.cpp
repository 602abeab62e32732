// Panels and menu bars.

#include <algorithm>

#include "platform/ui/toolkit_internal.h"

using namespace trelvanix::ui;
using namespace trelvanix::ui::detail;

int DisplayPanel(int panel) {
    Panel* p = model().panel(panel);
    if (!p) return UIE_BadPanelHandle;
    p->visible = true;
    model().panelChanged(panel);
    return UIE_NoError;
}

int HidePanel(int panel) {
    Panel* p = model().panel(panel);
    if (!p) return UIE_BadPanelHandle;
    p->visible = false;
    model().panelChanged(panel);
    return UIE_NoError;
}

int GetPanelAttribute(int panel, int attribute, int* value) {
    Panel* p = model().panel(panel);
    if (!p) return UIE_BadPanelHandle;
    switch (attribute) {
        case ATTR_VISIBLE:
            *value = p->visible;
            break;
        case ATTR_LEFT:
            *value = p->rect.left;
            break;
        case ATTR_TOP:
            *value = p->rect.top;
            break;
        case ATTR_WIDTH:
            *value = p->rect.width;
            break;
        case ATTR_HEIGHT:
            *value = p->rect.height;
            break;
        case ATTR_SIZABLE:
            *value = p->sizable;
            break;
        case ATTR_SCALE_CONTENTS_ON_RESIZE:
            *value = p->scaleContentsOnResize;
            break;
        case ATTR_RESOURCE_ID:
            *value = p->resourceId;
            break;
        default:
            return UIE_BadAttribute;
    }
    return UIE_NoError;
}

int GetPanelAttribute(int panel, int attribute, std::string* value) {
    Panel* p = model().panel(panel);
    if (!p) return UIE_BadPanelHandle;
    switch (attribute) {
        case ATTR_TITLE:
            *value = p->title;
            break;
        case ATTR_CONSTANT_NAME:
            *value = p->constantName;
            break;
        default:
            return UIE_BadAttribute;
    }
    return UIE_NoError;
}

int SetPanelAttribute(int panel, int attribute, int value) {
    Panel* p = model().panel(panel);
    if (!p) return UIE_BadPanelHandle;
    switch (attribute) {
        case ATTR_VISIBLE:
            p->visible = value != 0;
            break;
        case ATTR_LEFT:
            p->rect.left = value;
            break;
        case ATTR_TOP:
            p->rect.top = value;
            break;
        case ATTR_WIDTH:
            p->rect.width = std::max(1, value);
            break;
        case ATTR_HEIGHT:
            p->rect.height = std::max(1, value);
            break;
        case ATTR_SIZABLE:
            p->sizable = value != 0;
            break;
        case ATTR_SCALE_CONTENTS_ON_RESIZE:
            p->scaleContentsOnResize = value != 0;
            break;
        default:
            return UIE_BadAttribute;
    }
    model().panelChanged(panel);
    return UIE_NoError;
}

int SetPanelAttribute(int panel, int attribute, const char* value) {
    Panel* p = model().panel(panel);
    if (!p) return UIE_BadPanelHandle;
    if (attribute != ATTR_TITLE) return UIE_BadAttribute;
    p->title = value ? value : "";
    model().panelChanged(panel);
    return UIE_NoError;
}

int GetPanelMenuBar(int panel) {
    Panel* p = model().panel(panel);
    if (!p) return UIE_BadPanelHandle;
    return p->menuBar ? p->menuBar : UIE_BadMenuBar;
}

int SetMenuBarAttribute(int menuBar, int menuItem, int attribute, int value) {
    int status = 0;
    MenuItem* item = findMenuItem(menuBar, menuItem, &status);
    if (!item) return status;
    switch (attribute) {
        case ATTR_CHECKED:
            item->checked = value != 0;
            break;
        case ATTR_DIMMED:
            item->dimmed = value != 0;
            break;
        case ATTR_VISIBLE:
            item->visible = value != 0;
            break;
        default:
            return UIE_BadAttribute;
    }
    model().menuChanged(menuBar);
    return UIE_NoError;
}

int SetMenuBarAttribute(int menuBar, int menuItem, int attribute, const char* value) {
    int status = 0;
    MenuItem* item = findMenuItem(menuBar, menuItem, &status);
    if (!item) return status;
    if (attribute != ATTR_ITEM_NAME) return UIE_BadAttribute;
    if (!value) return UIE_BadAttributeValue;
    item->label = value;
    model().menuChanged(menuBar);
    return UIE_NoError;
}

int GetMenuBarAttribute(int menuBar, int menuItem, int attribute, int* value) {
    int status = 0;
    MenuItem* item = findMenuItem(menuBar, menuItem, &status);
    if (!item) return status;
    switch (attribute) {
        case ATTR_CHECKED:
            *value = item->checked;
            break;
        case ATTR_DIMMED:
            *value = item->dimmed;
            break;
        case ATTR_VISIBLE:
            *value = item->visible;
            break;
        default:
            return UIE_BadAttribute;
    }
    return UIE_NoError;
}

int GetMenuBarAttribute(int menuBar, int menuItem, int attribute, std::string* value) {
    int status = 0;
    MenuItem* item = findMenuItem(menuBar, menuItem, &status);
    if (!item) return status;
    if (attribute != ATTR_ITEM_NAME) return UIE_BadAttribute;
    *value = item->label;
    return UIE_NoError;
}
