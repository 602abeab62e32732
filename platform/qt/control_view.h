#pragma once
// One control of a panel as a widget: the common part (placement, label, dimming,
// visibility, left clicks) lives here; each family of control kinds adds its own widget and
// the way its value shows and comes back from the operator.

#include <QPointer>
#include <QRect>
#include <functional>
#include <memory>

#include "platform/qt/operator_input.h"
#include "platform/ui/model.h"
#include "platform/ui/operator_actions.h"

class QLabel;
class QWidget;

namespace trelvanix::qt {

// What a control view needs of its panel.
struct PanelContext {
    int panel = 0;
    OperatorInput* input = nullptr;
    ui::Control* control(int id) const { return ui::Model::instance().control(panel, id); }
};

class ControlView {
  public:
    // Where the label goes: above the body (or on its left, when the panel has no room
    // above), on its right (lamps), or on the top edge (a frame's title).
    enum class LabelPlace { None, Above, Right, TopEdge };

    ControlView(const PanelContext& context, const ui::Control& control, QWidget* body,
                LabelPlace labelPlace);
    virtual ~ControlView();
    ControlView(const ControlView&) = delete;
    ControlView& operator=(const ControlView&) = delete;

    int id() const { return id_; }
    QWidget* body() const { return body_; }

    // Shows what the model holds now.
    void sync(const ui::Control& control);
    // Puts the control's body at `rect` (panel coordinates) and its label beside it.
    virtual void place(const QRect& rect);
    // Where the label of a body at `rect` would go above it, or on its left; empty when the
    // control has no label there.
    QRect labelAbove(const QRect& rect) const;
    QRect labelLeft(const QRect& rect) const;
    void setLabelOnLeft(bool left) { labelOnLeft_ = left; }
    // The plots changed; views that draw plots repaint on the next merged repaint.
    virtual void plotsChanged() {}
    // Draws what is pending at once (before a screenshot or print).
    virtual void flush() {}

    bool dimmed() const;
    // The operator pressed the left button at `pos` (body coordinates).
    void leftPress(const QPoint& pos, unsigned long timestamp);

  protected:
    virtual void syncValue(const ui::Control& control) = 0;
    // The operator pressed the left button at `pos`: a click (a graph may wait for the
    // release, to tell a click from a drag).
    virtual void leftPressed(const QPoint& pos);

    ui::Control* model() const { return context_.control(id_); }
    // Carries out an operator action on this control (a function of panel and control id
    // from platform/ui/operator_actions.h, with the rest of its arguments).
    template <typename Action, typename... Args>
    ui::ActionResult act(Action action, Args... args) const {
        ui::ActionResult result = action(context_.panel, id_, args...);
        context_.input->wake();
        return result;
    }
    PanelContext context_;

  private:
    void placeLabel(const QRect& rect);

    int id_;
    QPointer<QWidget> body_;
    QPointer<QLabel> label_;
    LabelPlace labelPlace_;
    bool labelOnLeft_ = false;
    unsigned long lastPress_ = ~0ul;
};

// Calls `handler` whenever `widget` receives an event of `type` (it keeps its normal handling).
void onEvent(QWidget* widget, int type, std::function<void()> handler);

// The view of a control of any kind; null for kinds without a widget (timers).
std::unique_ptr<ControlView> makeControlView(const PanelContext& context,
                                             const ui::Control& control, QWidget* canvas);

// One maker per family of control kinds.
std::unique_ptr<ControlView> makeNumericView(const PanelContext&, const ui::Control&, QWidget*);
std::unique_ptr<ControlView> makeTextView(const PanelContext&, const ui::Control&, QWidget*);
std::unique_ptr<ControlView> makeListView(const PanelContext&, const ui::Control&, QWidget*);
std::unique_ptr<ControlView> makeButtonView(const PanelContext&, const ui::Control&, QWidget*);
std::unique_ptr<ControlView> makeLampView(const PanelContext&, const ui::Control&, QWidget*);
std::unique_ptr<ControlView> makeColourView(const PanelContext&, const ui::Control&, QWidget*);
std::unique_ptr<ControlView> makeDecorationView(const PanelContext&, const ui::Control&, QWidget*);
std::unique_ptr<ControlView> makeGraphView(const PanelContext&, const ui::Control&, QWidget*);
std::unique_ptr<ControlView> makeTableView(const PanelContext&, const ui::Control&, QWidget*);

}  // namespace trelvanix::qt
