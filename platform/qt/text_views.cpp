// Text controls: one-line strings, multi-line text boxes and static text messages.

#include <QEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>

#include "platform/qt/colours.h"
#include "platform/qt/control_view.h"

namespace trelvanix::qt {

namespace {

// Text boxes are often one line high (channel labels): anything less than this gets no
// scroll bar and a slim margin so the line stays readable.
constexpr int kSlimTextBoxHeight = 40;

void setTextColour(QWidget* widget, QPalette::ColorRole role, int rgb) {
    QPalette palette = widget->palette();
    setLiveColour(palette, role, toQColor(rgb));
    widget->setPalette(palette);
}

class StringView final : public ControlView {
  public:
    StringView(const PanelContext& context, const ui::Control& control, QWidget* canvas)
        : ControlView(context, control, new QLineEdit(canvas), LabelPlace::Above) {
        QObject::connect(edit(), &QLineEdit::editingFinished, edit(), [this] { finished(); });
    }

  private:
    QLineEdit* edit() const { return static_cast<QLineEdit*>(body()); }

    void syncValue(const ui::Control& c) override {
        const QString text = QString::fromStdString(ui::textOf(c.value));
        if (edit()->text() != text) {
            edit()->setText(text);
            // A shown line longer than its field shows its start, where it says what it is
            // about; a field the operator types in keeps the cursor at the end.
            if (c.indicator) edit()->setCursorPosition(0);
        }
        edit()->setReadOnly(c.indicator);
        setTextColour(edit(), QPalette::Text, c.textColor);
    }

    void finished() {
        ui::Control* c = model();
        const std::string text = edit()->text().toStdString();
        if (!c || c->indicator || ui::textOf(c->value) == text) return;
        act(ui::enterValue, ui::Value(text));
    }
};

// A text box commits when the operator leaves it after changing its text.
class TextBoxView final : public ControlView {
  public:
    TextBoxView(const PanelContext& context, const ui::Control& control, QWidget* canvas)
        : ControlView(context, control, new QPlainTextEdit(canvas), LabelPlace::Above) {
        edit()->setLineWrapMode(QPlainTextEdit::WidgetWidth);  // lines wrap on screen only
        onEvent(edit(), QEvent::FocusOut, [this] { finished(); });
        if (control.rect.height < kSlimTextBoxHeight) {
            edit()->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit()->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit()->document()->setDocumentMargin(1);
        }
        // A text box the program writes is a readout: its columns line up in a fixed font.
        // Lines still wrap at the box's width, so a long message is read whole, not scrolled.
        if (control.indicator) {
            QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            fixed.setPointSizeF(edit()->font().pointSizeF());
            edit()->setFont(fixed);
        }
    }

  private:
    QPlainTextEdit* edit() const { return static_cast<QPlainTextEdit*>(body()); }

    static QString joined(const ui::Control& c) {
        QStringList lines;
        for (const std::string& line : c.lines) lines << QString::fromStdString(line);
        return lines.join('\n');
    }

    void syncValue(const ui::Control& c) override {
        const QString text = joined(c);
        if (edit()->toPlainText() != text) {
            QSignalBlocker quiet(edit());
            edit()->setPlainText(text);
        }
        edit()->setReadOnly(c.indicator);
        setTextColour(edit(), QPalette::Text, c.textColor);
    }

    void finished() {
        ui::Control* c = model();
        if (!c || c->indicator) return;
        const QString text = edit()->toPlainText();
        if (text == joined(*c)) return;
        act(ui::enterValue, ui::Value(text.toStdString()));
    }
};

// A text message shows its text value, or its label while it has none.
class TextMessageView final : public ControlView {
  public:
    TextMessageView(const PanelContext& context, const ui::Control& control, QWidget* canvas)
        : ControlView(context, control, new QLabel(canvas), LabelPlace::None) {
        label()->setObjectName("textMessage");
        label()->setWordWrap(true);
        label()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

  private:
    QLabel* label() const { return static_cast<QLabel*>(body()); }

    void syncValue(const ui::Control& c) override {
        const std::string* text = std::get_if<std::string>(&c.value);
        label()->setText(QString::fromStdString(text && !text->empty() ? *text : c.label));
        setTextColour(label(), QPalette::WindowText, c.textColor);
    }
};

}  // namespace

std::unique_ptr<ControlView> makeTextView(const PanelContext& context, const ui::Control& control,
                                          QWidget* canvas) {
    switch (control.kind) {
        case ui::ControlKind::String:
            return std::make_unique<StringView>(context, control, canvas);
        case ui::ControlKind::TextBox:
            return std::make_unique<TextBoxView>(context, control, canvas);
        default:
            return std::make_unique<TextMessageView>(context, control, canvas);
    }
}

}  // namespace trelvanix::qt
