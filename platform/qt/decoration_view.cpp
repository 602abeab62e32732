// Decorations: a frame drawn behind a group of controls, its title on the top edge.

#include <QFrame>

#include "platform/qt/control_view.h"

namespace trelvanix::qt {

namespace {

class DecorationView final : public ControlView {
  public:
    DecorationView(const PanelContext& context, const ui::Control& control, QWidget* canvas)
        : ControlView(context, control, new QFrame(canvas), LabelPlace::TopEdge) {
        body()->setProperty("decoration", true);
    }

  private:
    // Frames lie behind the controls they group.
    void syncValue(const ui::Control&) override { body()->lower(); }
};

}  // namespace

std::unique_ptr<ControlView> makeDecorationView(const PanelContext& context,
                                                const ui::Control& control, QWidget* canvas) {
    return std::make_unique<DecorationView>(context, control, canvas);
}

}  // namespace trelvanix::qt
