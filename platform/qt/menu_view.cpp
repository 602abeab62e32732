#include "platform/qt/menu_view.h"

#include <QActionGroup>
#include <QKeySequence>
#include <QMenuBar>
#include <QSignalBlocker>

namespace trelvanix::qt {

MenuView::MenuView(int menuBar, OperatorInput& input, QWidget* parent)
    : menuBar_(menuBar), input_(input), bar_(new QMenuBar(parent)) {
    const ui::MenuBar* model = ui::Model::instance().menuBar(menuBar);
    if (!model) return;
    std::map<int, QMenu*> menus;
    std::map<int, std::string> menuTips;
    for (const ui::Menu& m : model->menus) {
        menus[m.id] = bar_->addMenu(QString::fromStdString(m.label));
        menus[m.id]->setToolTipsVisible(true);
        menuTips[m.id] = m.tooltip;
    }
    std::map<std::string, QActionGroup*> groups;
    for (const ui::MenuItem& item : model->items) {
        auto menu = menus.find(item.menuId);
        if (menu == menus.end()) continue;
        if (item.separator) {
            menu->second->addSeparator();
            continue;
        }
        QAction* action = menu->second->addAction(QString::fromStdString(item.label));
        action->setCheckable(item.checkable);
        action->setToolTip(
            QString::fromStdString(item.tooltip.empty() ? menuTips[item.menuId] : item.tooltip));
        if (!item.shortcut.empty()) {
            action->setShortcut(QKeySequence(QString::fromStdString(item.shortcut)));
            action->setShortcutContext(Qt::ApplicationShortcut);  // from every window
        }
        if (item.checkable && !item.group.empty()) {
            // Drawn as radio items; at most one checked, and possibly none.
            QActionGroup*& group = groups[item.group];
            if (!group) {
                group = new QActionGroup(bar_);
                group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
            }
            group->addAction(action);
        }
        const int id = item.id;
        QObject::connect(action, &QAction::triggered, bar_, [this, id] { chosen(id); });
        actions_[id] = action;
    }
    sync();
}

QAction* MenuView::action(int item) const {
    auto it = actions_.find(item);
    return it == actions_.end() ? nullptr : it->second;
}

void MenuView::sync() {
    const ui::MenuBar* model = ui::Model::instance().menuBar(menuBar_);
    if (!model) return;
    // Unchecking first keeps a radio group from undoing the check that follows.
    for (bool checkedPass : {false, true}) {
        for (const ui::MenuItem& item : model->items) {
            QAction* a = action(item.id);
            if (!a || item.checked != checkedPass) continue;
            QSignalBlocker quiet(a);
            a->setText(QString::fromStdString(item.label));
            a->setEnabled(!item.dimmed);
            a->setVisible(item.visible);
            if (item.checkable) a->setChecked(item.checked);
        }
    }
}

void MenuView::chosen(int item) {
    // Qt has already flipped the mark; the model decides what it shows.
    sync();
    const ui::MenuBar* model = ui::Model::instance().menuBar(menuBar_);
    const ui::MenuItem* entry = ui::Model::instance().menuItem(menuBar_, item);
    if (!model || !entry || entry->dimmed) return;
    input_.post(ui::Event{ui::Event::Target::Menu, model->panel, item, EVENT_MENU, 0, 0});
}

}  // namespace trelvanix::qt
