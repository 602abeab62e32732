// Tables: the program's rows of text under column headings, shown read-only; the newest row
// is scrolled into view when rows are added.

#include <QHeaderView>
#include <QTableWidget>

#include "platform/qt/control_view.h"

namespace trelvanix::qt {

namespace {

class TableView final : public ControlView {
  public:
    TableView(const PanelContext& context, const ui::Control& control, QWidget* canvas)
        : ControlView(context, control, new QTableWidget(canvas), LabelPlace::Above) {
        table()->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table()->setSelectionBehavior(QAbstractItemView::SelectRows);
        table()->verticalHeader()->setVisible(false);
        table()->verticalHeader()->setDefaultSectionSize(20);
        table()->horizontalHeader()->setStretchLastSection(true);
    }

  private:
    QTableWidget* table() const { return static_cast<QTableWidget*>(body()); }

    void syncValue(const ui::Control& c) override {
        QStringList headings;
        for (const std::string& h : c.columns) headings << QString::fromStdString(h);
        if (headings != headings_) {
            table()->setColumnCount(int(headings.size()));
            table()->setHorizontalHeaderLabels(headings);
            headings_ = headings;
        }
        const int before = table()->rowCount();
        table()->setRowCount(int(c.cells.size()));
        for (int row = 0; row < int(c.cells.size()); ++row) {
            for (int column = 0; column < int(c.cells[row].size()); ++column) {
                const QString text = QString::fromStdString(c.cells[row][column]);
                QTableWidgetItem* item = table()->item(row, column);
                if (!item) {
                    table()->setItem(row, column, new QTableWidgetItem(text));
                } else if (item->text() != text) {
                    item->setText(text);
                }
            }
        }
        if (table()->rowCount() > before) {
            table()->resizeColumnsToContents();
            table()->scrollToBottom();
        }
    }

    QStringList headings_;
};

}  // namespace

std::unique_ptr<ControlView> makeTableView(const PanelContext& context, const ui::Control& control,
                                           QWidget* canvas) {
    return std::make_unique<TableView>(context, control, canvas);
}

}  // namespace trelvanix::qt
