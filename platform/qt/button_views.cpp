// Command buttons (a press commits), check boxes and on/off switches (value 0 or 1).

#include <QCheckBox>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>

#include "platform/qt/colours.h"
#include "platform/qt/control_view.h"

namespace trelvanix::qt {

namespace {

void setTextColour(QWidget* widget, int rgb) {
    QPalette palette = widget->palette();
    setLiveColour(palette, QPalette::ButtonText, toQColor(rgb));
    setLiveColour(palette, QPalette::WindowText, toQColor(rgb));
    widget->setPalette(palette);
}

class CommandButtonView final : public ControlView {
  public:
    CommandButtonView(const PanelContext& context, const ui::Control& control, QWidget* canvas)
        : ControlView(context, control, new QPushButton(canvas), LabelPlace::None) {
        QObject::connect(button(), &QPushButton::clicked, button(),
                         [this] { act(ui::pressControl); });
        // The key works from every window of the program, as long as the button is shown and
        // not dimmed.
        if (!control.shortcut.empty()) {
            auto* key = new QShortcut(QKeySequence(QString::fromStdString(control.shortcut)),
                                      button(), nullptr, nullptr, Qt::ApplicationShortcut);
            QObject::connect(key, &QShortcut::activated, button(),
                             [this] { act(ui::pressControl); });
        }
    }

  private:
    QPushButton* button() const { return static_cast<QPushButton*>(body()); }

    void syncValue(const ui::Control& c) override {
        button()->setText(QString::fromStdString(c.label));
        setTextColour(button(), c.textColor);
    }
};

// Check boxes and switches; a switch is a check box drawn as a slider.
class CheckView final : public ControlView {
  public:
    CheckView(const PanelContext& context, const ui::Control& control, QWidget* canvas)
        : ControlView(context, control, new QCheckBox(canvas), LabelPlace::None) {
        if (control.kind == ui::ControlKind::Toggle) box()->setProperty("switch", true);
        QObject::connect(box(), &QCheckBox::clicked, box(), [this](bool on) { toggled(on); });
    }

  private:
    QCheckBox* box() const { return static_cast<QCheckBox*>(body()); }

    void syncValue(const ui::Control& c) override {
        QSignalBlocker quiet(box());
        box()->setText(QString::fromStdString(c.label));
        box()->setChecked(ui::numberOf(c.value) != 0.0);
        box()->setAttribute(Qt::WA_TransparentForMouseEvents, c.indicator);
        box()->setFocusPolicy(c.indicator ? Qt::NoFocus : Qt::StrongFocus);
        setTextColour(box(), c.textColor);
    }

    void toggled(bool on) { act(ui::enterValue, ui::Value(on ? 1 : 0)); }
};

}  // namespace

std::unique_ptr<ControlView> makeButtonView(const PanelContext& context, const ui::Control& control,
                                            QWidget* canvas) {
    if (control.kind == ui::ControlKind::Button)
        return std::make_unique<CommandButtonView>(context, control, canvas);
    return std::make_unique<CheckView>(context, control, canvas);
}

}  // namespace trelvanix::qt
