// Controls follow the model, and what the operator does comes back as toolkit events.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest/QTest>
#include <array>
#include <utility>

#include "platform/qt/colours.h"
#include "platform/ui/script_runner.h"
#include "platform/ui/toolkit.h"
#include "qt_test_panel.h"

namespace trelvanix::qt::testing {
namespace {

using Events = std::vector<int>;

TEST(QtControls, NumericShowsProgramValueAndCommitsAnEditOnce) {
    Session s;
    auto* box = qobject_cast<QDoubleSpinBox*>(s.widget(kNumber));
    ASSERT_NE(box, nullptr);
    SetCtrlVal(s.panel, kNumber, 3.25);
    EXPECT_DOUBLE_EQ(box->value(), 3.25);
    EXPECT_EQ(box->decimals(), 2);
    EXPECT_DOUBLE_EQ(box->maximum(), 10.0);

    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, "7.5");
    s.dispatchAll();
    EXPECT_TRUE(eventsOf(kNumber).empty()) << "no commit while the operator is typing";
    QTest::keyClick(box, Qt::Key_Return);
    s.widget(kText)->setFocus();  // leaving the field after Enter is the same edit
    s.dispatchAll();
    EXPECT_EQ(eventsOf(kNumber), (Events{EVENT_VAL_CHANGED, EVENT_COMMIT}));
    double value = 0;
    GetCtrlVal(s.panel, kNumber, &value);
    EXPECT_DOUBLE_EQ(value, 7.5);
}

TEST(QtControls, TypedValuesAndPressesCommitAlikeFromTheWindowAndFromAScript) {
    Session s;
    auto runScript = [](const std::string& text) {
        ui::ScriptRunner runner(std::get<ui::Script>(ui::parseScript(text, "test")));
        runner.setEnding([](int) {});
        ui::Model::instance().setScript(&runner);
        ProcessSystemEvents();
        ui::Model::instance().setScript(nullptr);
    };
    auto typeInWindow = [&](const char* text) {
        auto* box = qobject_cast<QDoubleSpinBox*>(s.widget(kNumber));
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        s.dispatchAll();
    };
    auto committed = [&] {
        double value = 0;
        GetCtrlVal(s.panel, kNumber, &value);
        std::vector<std::array<int, 3>> seen;
        for (const Logged& l : log()) seen.push_back({l.control, l.event, l.data1});
        log().clear();
        return std::pair{value, seen};
    };
    typeInWindow("7.5");
    const auto byWindow = committed();
    SetCtrlVal(s.panel, kNumber, 1.0);
    runScript("set PANEL C" + std::to_string(kNumber) + " 7.5\n");
    EXPECT_EQ(committed(), byWindow);

    QTest::mouseClick(s.widget(kButton), Qt::LeftButton, {}, QPoint(5, 7));
    s.dispatchAll();
    const auto pressed = committed().second;
    runScript("click PANEL C" + std::to_string(kButton) + " 5 7\npress PANEL C" +
              std::to_string(kButton) + "\n");
    EXPECT_EQ(committed().second, pressed) << "a click in the window is a left click and a press";

    // Dimmed, neither reaches the program.
    SetCtrlAttribute(s.panel, kNumber, ATTR_DIMMED, 1);
    typeInWindow("2");
    runScript("set PANEL C" + std::to_string(kNumber) + " 2\n");
    EXPECT_EQ(committed(), (std::pair{7.5, std::vector<std::array<int, 3>>{}}));
}

TEST(QtControls, IntegerNumericKeepsWholeNumbers) {
    Session s;
    auto* box = qobject_cast<QDoubleSpinBox*>(s.widget(kInteger));
    EXPECT_EQ(box->decimals(), 0);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Up);  // one step is one edit
    s.dispatchAll();
    EXPECT_EQ(eventsOf(kInteger), (Events{EVENT_VAL_CHANGED, EVENT_COMMIT}));
    int value = 0;
    GetCtrlVal(s.panel, kInteger, &value);
    EXPECT_EQ(value, 11);
}

TEST(QtControls, StringAndTextBoxCommitOnlyWhenChanged) {
    Session s;
    auto* line = qobject_cast<QLineEdit*>(s.widget(kText));
    EXPECT_EQ(line->text(), "cell1");
    line->setFocus();
    QTest::keyClick(line, Qt::Key_Return);  // unchanged: nothing to commit
    QTest::keyClicks(line, "b");
    QTest::keyClick(line, Qt::Key_Return);
    s.dispatchAll();
    EXPECT_EQ(eventsOf(kText), (Events{EVENT_VAL_CHANGED, EVENT_COMMIT}));
    std::string text;
    GetCtrlVal(s.panel, kText, &text);
    EXPECT_EQ(text, "cell1b");

    ResetTextBox(s.panel, kTextBox, "first");
    InsertTextBoxLine(s.panel, kTextBox, -1, "second");
    auto* box = qobject_cast<QPlainTextEdit*>(s.widget(kTextBox));
    EXPECT_EQ(box->toPlainText(), "first\nsecond");
    box->setFocus();
    box->moveCursor(QTextCursor::End);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, "third");
    s.dispatchAll();
    EXPECT_TRUE(eventsOf(kTextBox).empty()) << "a text box commits when the operator leaves it";
    line->setFocus();
    s.dispatchAll();
    EXPECT_EQ(eventsOf(kTextBox), (Events{EVENT_VAL_CHANGED, EVENT_COMMIT}));
    int lines = 0;
    GetNumTextBoxLines(s.panel, kTextBox, &lines);
    EXPECT_EQ(lines, 3);
}

TEST(QtControls, RingListAndCheckBoxReportTheOperatorsChoice) {
    Session s;
    auto* ring = qobject_cast<QComboBox*>(s.widget(kRing));
    SetCtrlIndex(s.panel, kRing, 2);
    EXPECT_EQ(ring->currentIndex(), 2);
    EXPECT_EQ(ring->currentText(), "Ramp");
    ring->setFocus();
    QTest::keyClick(ring, Qt::Key_Up);
    s.dispatchAll();
    EXPECT_EQ(eventsOf(kRing), (Events{EVENT_VAL_CHANGED, EVENT_COMMIT}));
    int kind = 99;
    GetCtrlVal(s.panel, kRing, &kind);
    EXPECT_EQ(kind, 0);

    auto* list = qobject_cast<QListWidget*>(s.widget(kList));
    const QRect third = list->visualItemRect(list->item(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
    s.dispatchAll();
    EXPECT_EQ(eventsOf(kList), (Events{EVENT_LEFT_CLICK, EVENT_VAL_CHANGED, EVENT_COMMIT}));
    double range = 0;
    GetCtrlVal(s.panel, kList, &range);
    EXPECT_DOUBLE_EQ(range, 1.0);
    ClearListCtrl(s.panel, kList);
    EXPECT_EQ(list->count(), 0);

    auto* check = qobject_cast<QCheckBox*>(s.widget(kCheck));
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, 10));
    s.dispatchAll();
    EXPECT_EQ(eventsOf(kCheck), (Events{EVENT_LEFT_CLICK, EVENT_VAL_CHANGED, EVENT_COMMIT}));
    int on = 0;
    GetCtrlVal(s.panel, kCheck, &on);
    EXPECT_EQ(on, 1);
    SetCtrlVal(s.panel, kCheck, 0);
    EXPECT_FALSE(check->isChecked());
}

TEST(QtControls, DimmedControlIgnoresClicksAndHiddenOneIsNotShown) {
    Session s;
    auto* button = qobject_cast<QPushButton*>(s.widget(kButton));
    SetCtrlAttribute(s.panel, kButton, ATTR_DIMMED, 1);
    EXPECT_FALSE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 12));
    s.dispatchAll();
    EXPECT_TRUE(eventsOf(kButton).empty());

    SetCtrlAttribute(s.panel, kButton, ATTR_DIMMED, 0);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 12));
    s.dispatchAll();
    ASSERT_EQ(eventsOf(kButton), (Events{EVENT_LEFT_CLICK, EVENT_COMMIT}));
    EXPECT_EQ(log()[0].data1, 12);  // y first, then x
    EXPECT_EQ(log()[0].data2, 20);

    SetCtrlAttribute(s.panel, kNumber, ATTR_VISIBLE, 0);
    EXPECT_FALSE(s.widget(kNumber)->isVisible());
    SetCtrlAttribute(s.panel, kNumber, ATTR_VISIBLE, 1);
    EXPECT_TRUE(s.widget(kNumber)->isVisible());
}

// Pixels of a widget's picture darker than the lab look's dimmed grey: its text, when live.
int darkPixels(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += qGray(image.pixel(x, y)) < 0x60;
    return count;
}

TEST(QtControls, ADimmedControlLooksGreyedWhateverItsTextColour) {
    Session s;
    for (int control : {kCheck, kButton, kText, kNumber}) {
        SetCtrlAttribute(s.panel, control, ATTR_TEXT_COLOR, VAL_BLACK);
        s.frontEnd->flush();
        const int live = darkPixels(s.widget(control));
        SetCtrlAttribute(s.panel, control, ATTR_DIMMED, 1);
        s.frontEnd->flush();
        EXPECT_GT(live, 10) << control;
        EXPECT_LT(darkPixels(s.widget(control)), live / 10) << control << " does not look dimmed";
    }
}

TEST(QtControls, LabelsColoursAndTextMessagesFollowTheModel) {
    Session s;
    auto* message = qobject_cast<QLabel*>(s.widget(kMessage));
    EXPECT_EQ(message->text(), "Unit: V") << "a message without text shows its label";
    SetCtrlVal(s.panel, kMessage, "Unit: mV");
    EXPECT_EQ(message->text(), "Unit: mV");
    auto* button = qobject_cast<QPushButton*>(s.widget(kButton));
    SetCtrlAttribute(s.panel, kButton, ATTR_LABEL_TEXT, "Start");
    EXPECT_EQ(button->text(), "Start");
    SetCtrlAttribute(s.panel, kNumber, ATTR_TEXT_COLOR, VAL_RED);
    EXPECT_EQ(s.widget(kNumber)->palette().color(QPalette::Text), QColor(Qt::red));
}

// The keys work from any window of the program, as long as their button may be pressed.
TEST(QtControls, KeysPressButtonsAndChooseMenuItemsFromAnyWindowAndTipsSayWhich) {
    Session s;
    EXPECT_EQ(s.widget(kButton)->toolTip(), "Starts acquiring\nKey: F5");
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QTest::keyClick(&other, Qt::Key_F5);
    QTest::keyClick(&other, Qt::Key_S, Qt::ControlModifier);
    s.dispatchAll();
    EXPECT_EQ(eventsOf(kButton), (Events{EVENT_COMMIT}));
    EXPECT_EQ(eventsOf(kItemSave), (Events{EVENT_MENU}));
    SetCtrlAttribute(s.panel, kButton, ATTR_DIMMED, 1);
    s.frontEnd->flush();
    QTest::keyClick(&other, Qt::Key_F5);
    s.dispatchAll();
    EXPECT_EQ(eventsOf(kButton), (Events{EVENT_COMMIT})) << "a dimmed button ignores its key";
}

// A pale trace colour must not make a control look dimmed: its text is drawn darker.
TEST(QtControls, APaleTextColourIsDrawnDarkEnoughToRead) {
    Session s;
    SetCtrlAttribute(s.panel, kText, ATTR_TEXT_COLOR, 0xA0A0A0);
    s.frontEnd->flush();
    const QPalette palette = s.widget(kText)->palette();
    EXPECT_GE(contrastRatio(palette.color(QPalette::Text), palette.color(QPalette::Base)), 7.0);
    EXPECT_EQ(palette.color(QPalette::Text).saturation(), 0) << "still grey";
}

TEST(QtControls, LampShowsItsOnAndOffColour) {
    Session s;
    auto colourAtCentre = [&] {
        const QImage image = s.widget(kLamp)->grab().toImage();
        return QColor(image.pixel(image.width() / 2 + 3, image.height() / 2 + 3));
    };
    const QColor off = colourAtCentre();
    SetCtrlVal(s.panel, kLamp, 1);
    const QColor on = colourAtCentre();
    EXPECT_GT(on.green(), 200);
    EXPECT_LT(on.red(), 120);
    EXPECT_LT(off.green(), 100);
}

TEST(QtControls, TableShowsTheProgramsRowsAndTheClipboardItsText) {
    Session s;
    auto* table = qobject_cast<QTableWidget*>(s.widget(kTable));
    ASSERT_NE(table, nullptr);
    InsertTableRow(s.panel, kTable, -1, {"1", "a.vnx"});
    InsertTableRow(s.panel, kTable, -1, {"2", "b.vnx"});
    SetTableColumns(s.panel, kTable, {"Row", "File", "Vss (mV)"});
    ASSERT_EQ(table->rowCount(), 2);
    ASSERT_EQ(table->columnCount(), 3);
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "Vss (mV)");
    EXPECT_EQ(table->item(1, 1)->text(), "b.vnx");
    EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    DeleteTableRows(s.panel, kTable, 0, -1);
    EXPECT_EQ(table->rowCount(), 0);

    ClipboardPutText("Row\tFile\n");
    EXPECT_EQ(QApplication::clipboard()->text(), "Row\tFile\n");
}

TEST(QtControls, MenuCheckMarksFollowTheModelNotTheClick) {
    Session s;
    const int bar = GetPanelMenuBar(s.panel);
    QAction* save = nullptr;
    QAction* slow = nullptr;
    QAction* fast = nullptr;
    for (QAction* a : s.window()->findChild<QMenuBar*>()->actions().first()->menu()->actions()) {
        if (a->text() == "Save") save = a;
        if (a->text() == "Slow") slow = a;
        if (a->text() == "Fast") fast = a;
    }
    ASSERT_TRUE(save && slow && fast);
    EXPECT_TRUE(slow->isChecked());
    SetMenuBarAttribute(bar, kItemSave, ATTR_CHECKED, 1);
    EXPECT_TRUE(save->isChecked());

    // The operator chooses Fast: the choice is reported; the marks wait for the program.
    fast->trigger();
    EXPECT_TRUE(slow->isChecked());
    EXPECT_FALSE(fast->isChecked());
    s.dispatchAll();
    EXPECT_EQ(eventsOf(kItemRateFast), (Events{EVENT_MENU}));
    SetMenuBarAttribute(bar, kItemRateSlow, ATTR_CHECKED, 0);
    SetMenuBarAttribute(bar, kItemRateFast, ATTR_CHECKED, 1);
    EXPECT_FALSE(slow->isChecked());
    EXPECT_TRUE(fast->isChecked());
    SetMenuBarAttribute(bar, kItemRateFast, ATTR_CHECKED, 0);
    EXPECT_FALSE(fast->isChecked()) << "a group may have no item checked";

    SetMenuBarAttribute(bar, kItemSave, ATTR_DIMMED, 1);
    EXPECT_FALSE(save->isEnabled());
}

}  // namespace
}  // namespace trelvanix::qt::testing
