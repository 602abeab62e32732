// Numeric controls: a spin box that honours the range, increment and precision; indicators
// only show. One commit per edit: the value comes back when the operator presses Enter,
// leaves the field or steps it, never on each keystroke.

#include <QDoubleSpinBox>
#include <QSignalBlocker>
#include <climits>
#include <cmath>

#include "platform/qt/colours.h"
#include "platform/qt/control_view.h"
#include "platform/qt/lab_style.h"

namespace trelvanix::qt {

namespace {

// Open ends of a range still need a finite limit in a spin box.
constexpr double kOpenLimit = 1e12;

double limit(double bound, int dataType) {
    const double open = dataType == VAL_INTEGER ? double(INT_MAX) : kOpenLimit;
    return std::isfinite(bound) ? std::clamp(bound, -open, open) : std::copysign(open, bound);
}

class NumericView final : public ControlView {
  public:
    NumericView(const PanelContext& context, const ui::Control& control, QWidget* canvas)
        : ControlView(context, control, new QDoubleSpinBox(canvas), LabelPlace::Above) {
        box()->setKeyboardTracking(false);
        box()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        box()->setAccelerated(true);
        QObject::connect(box(), &QDoubleSpinBox::valueChanged, box(),
                         [this](double v) { edited(v); });
    }

  private:
    QDoubleSpinBox* box() const { return static_cast<QDoubleSpinBox*>(body()); }

    void syncValue(const ui::Control& c) override {
        QSignalBlocker quiet(box());
        const bool integer = c.dataType == VAL_INTEGER;
        // Each setter below rewrites or repaints the box even when nothing changes, and an
        // indicator is set with every stretch: only changes are applied.
        const int decimals = integer ? 0 : std::clamp(c.precision, 0, 15);
        if (box()->decimals() != decimals) box()->setDecimals(decimals);
        const double low = limit(c.minValue, c.dataType), high = limit(c.maxValue, c.dataType);
        if (box()->minimum() != low || box()->maximum() != high) box()->setRange(low, high);
        box()->setSingleStep(c.increment > 0 ? c.increment : 1.0);
        if (box()->isReadOnly() != c.indicator) box()->setReadOnly(c.indicator);
        box()->setButtonSymbols(c.indicator ? QAbstractSpinBox::NoButtons
                                            : QAbstractSpinBox::UpDownArrows);
        box()->setFocusPolicy(c.indicator ? Qt::NoFocus : Qt::StrongFocus);
        // The application's style sheet styles spin boxes, which makes Qt ignore a palette:
        // the digits take the program's text colour through a style sheet of their own, and
        // the dimmed grey when dimmed.
        const QString sheet =
            QStringLiteral(
                "QDoubleSpinBox { color: %1; } "
                "QDoubleSpinBox:disabled { color: %2; background: %3; }")
                .arg(readableOn(toQColor(c.textColor), box()->palette().color(QPalette::Base))
                         .name(),
                     dimmedText().name(), dimmedField().name());
        // Setting a style sheet repolishes the box even when it is the same: only on a change.
        if (box()->styleSheet() != sheet) box()->setStyleSheet(sheet);
        const double value = ui::numberOf(c.value);
        if (box()->value() != value || box()->text() != box()->textFromValue(value))
            box()->setValue(value);
    }

    void edited(double v) { act(ui::enterValue, ui::Value(v)); }
};

}  // namespace

std::unique_ptr<ControlView> makeNumericView(const PanelContext& context,
                                             const ui::Control& control, QWidget* canvas) {
    return std::make_unique<NumericView>(context, control, canvas);
}

}  // namespace trelvanix::qt
