// Colour controls: a swatch that opens a colour dialog; the chosen colour is the new value.
// The dialog is not modal to the program, so acquisition keeps drawing while it is open.

#include <QColorDialog>
#include <QPainter>
#include <QPointer>
#include <QPushButton>

#include "platform/qt/colours.h"
#include "platform/qt/control_view.h"

namespace trelvanix::qt {

namespace {

class SwatchButton final : public QPushButton {
  public:
    explicit SwatchButton(QWidget* parent) : QPushButton(parent) {}
    void setColour(QColor colour) {
        colour_ = colour;
        update();
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPushButton::paintEvent(event);
        QPainter p(this);
        const QRect swatch = rect().adjusted(5, 5, -5, -5);
        p.setPen(QColor(40, 40, 40));
        p.setBrush(isEnabled() ? colour_ : colour_.darker(160));
        p.drawRect(swatch);
    }

  private:
    QColor colour_;
};

class ColourView final : public ControlView {
  public:
    ColourView(const PanelContext& context, const ui::Control& control, QWidget* canvas)
        : ControlView(context, control, new SwatchButton(canvas), LabelPlace::Above) {
        QObject::connect(swatch(), &QPushButton::clicked, swatch(), [this] { choose(); });
    }
    ~ColourView() override { delete dialog_.data(); }

  private:
    SwatchButton* swatch() const { return static_cast<SwatchButton*>(body()); }

    void syncValue(const ui::Control& c) override {
        swatch()->setColour(toQColor(int(ui::numberOf(c.value))));
    }

    void choose() {
        const ui::Control* c = model();
        if (!c || c->dimmed || c->indicator) return;
        if (!dialog_) {
            dialog_ = new QColorDialog(swatch()->window());
            dialog_->setWindowTitle(QString::fromStdString(c->label.empty() ? "Colour" : c->label));
            QObject::connect(dialog_, &QColorDialog::colorSelected, swatch(),
                             [this](const QColor& colour) { chosen(colour); });
        }
        dialog_->setCurrentColor(toQColor(int(ui::numberOf(c->value))));
        dialog_->open();
    }

    void chosen(const QColor& colour) {
        ui::Control* c = model();
        if (!c || !colour.isValid() || int(ui::numberOf(c->value)) == fromQColor(colour)) return;
        swatch()->setColour(colour);
        act(ui::enterValue, ui::Value(fromQColor(colour)));
    }

    QPointer<QColorDialog> dialog_;
};

}  // namespace

std::unique_ptr<ControlView> makeColourView(const PanelContext& context, const ui::Control& control,
                                            QWidget* canvas) {
    return std::make_unique<ColourView>(context, control, canvas);
}

}  // namespace trelvanix::qt
