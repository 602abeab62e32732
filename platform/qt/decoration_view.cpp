// Decorations: a frame drawn behind a group of controls, with the group's title on it.

#include <QFrame>
#include <QLabel>

#include "platform/qt/colours.h"
#include "platform/qt/control_view.h"

namespace trelvanix::qt {

namespace {

class DecorationView final : public ControlView {
  public:
    DecorationView(const PanelContext& context, const ui::Control& control, QWidget* canvas)
        : ControlView(context, control, new QFrame(canvas), LabelPlace::None) {
        body()->setProperty("decoration", true);
        title_ = new QLabel(body());
        title_->setObjectName("groupTitle");
        title_->move(8, 3);
        // Frames lie behind the controls they group.
        body()->lower();
    }

  private:
    void syncValue(const ui::Control& c) override {
        title_->setText(QString::fromStdString(c.label));
        title_->adjustSize();
        title_->setVisible(!c.label.empty());
        QPalette palette = title_->palette();
        palette.setColor(QPalette::WindowText, toQColor(c.labelColor));
        title_->setPalette(palette);
        body()->lower();
    }

    QLabel* title_;
};

}  // namespace

std::unique_ptr<ControlView> makeDecorationView(const PanelContext& context,
                                                const ui::Control& control, QWidget* canvas) {
    return std::make_unique<DecorationView>(context, control, canvas);
}

}  // namespace trelvanix::qt
