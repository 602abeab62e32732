// Rings (drop-down choices) and list boxes: the items and the selected index of the model.

#include <QComboBox>
#include <QListWidget>
#include <QSignalBlocker>

#include "platform/qt/colours.h"
#include "platform/qt/control_view.h"

namespace trelvanix::qt {

namespace {

QStringList labelsOf(const ui::Control& c) {
    QStringList labels;
    for (const ui::ListItem& item : c.items) labels << QString::fromStdString(item.label);
    return labels;
}

class RingView final : public ControlView {
  public:
    RingView(const PanelContext& context, const ui::Control& control, QWidget* canvas)
        : ControlView(context, control, new QComboBox(canvas), LabelPlace::Above) {
        QObject::connect(combo(), &QComboBox::activated, combo(), [this](int i) { chosen(i); });
    }

  private:
    QComboBox* combo() const { return static_cast<QComboBox*>(body()); }

    void syncValue(const ui::Control& c) override {
        QSignalBlocker quiet(combo());
        const QStringList labels = labelsOf(c);
        if (labels != shown_) {
            combo()->clear();
            combo()->addItems(labels);
            shown_ = labels;
        }
        combo()->setCurrentIndex(c.index);
        // An indicator ring shows its choice but cannot be opened.
        combo()->setAttribute(Qt::WA_TransparentForMouseEvents, c.indicator);
        combo()->setFocusPolicy(c.indicator ? Qt::NoFocus : Qt::StrongFocus);
    }

    void chosen(int index) {
        ui::Control* c = model();
        if (!c || c->indicator || index < 0 || index >= int(c->items.size())) return;
        if (index == c->index) return;
        act(ui::chooseItem, index);
    }

    QStringList shown_;
};

class ListBoxView final : public ControlView {
  public:
    ListBoxView(const PanelContext& context, const ui::Control& control, QWidget* canvas)
        : ControlView(context, control, new QListWidget(canvas), LabelPlace::Above) {
        list()->setSelectionMode(QAbstractItemView::SingleSelection);
        QObject::connect(list(), &QListWidget::currentRowChanged, list(),
                         [this](int row) { chosen(row); });
    }

  private:
    QListWidget* list() const { return static_cast<QListWidget*>(body()); }

    void syncValue(const ui::Control& c) override {
        QSignalBlocker quiet(list());
        const QStringList labels = labelsOf(c);
        if (labels != shown_) {
            // Items added at the end (a list being filled) are added alone.
            if (labels.size() > shown_.size() && labels.mid(0, shown_.size()) == shown_) {
                list()->addItems(labels.mid(shown_.size()));
            } else {
                list()->clear();
                list()->addItems(labels);
            }
            shown_ = labels;
        }
        // Choosing the row lays the list out again: only when it is not the chosen one yet.
        const QListWidgetItem* current = list()->currentItem();
        if (list()->currentRow() != c.index || (current && !current->isSelected()))
            list()->setCurrentRow(c.index);
        list()->setSelectionMode(c.indicator ? QAbstractItemView::NoSelection
                                             : QAbstractItemView::SingleSelection);
        QPalette palette = list()->palette();
        setLiveColour(palette, QPalette::Text, toQColor(c.textColor));
        list()->setPalette(palette);
    }

    void chosen(int row) {
        ui::Control* c = model();
        if (!c || c->indicator || row < 0 || row >= int(c->items.size()) || row == c->index) return;
        act(ui::chooseItem, row);
    }

    QStringList shown_;
};

}  // namespace

std::unique_ptr<ControlView> makeListView(const PanelContext& context, const ui::Control& control,
                                          QWidget* canvas) {
    if (control.kind == ui::ControlKind::Ring)
        return std::make_unique<RingView>(context, control, canvas);
    return std::make_unique<ListBoxView>(context, control, canvas);
}

}  // namespace trelvanix::qt
