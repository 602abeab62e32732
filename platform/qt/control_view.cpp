#include "platform/qt/control_view.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QWidget>

#include "platform/qt/colours.h"

namespace trelvanix::qt {

namespace {

constexpr int kLabelGap = 2;

// Reports left presses on a control's widgets to its view. A press that a child ignores is
// offered to its parent as well; the view drops the repeat by its timestamp.
class ClickWatcher : public QObject {
  public:
    ClickWatcher(ControlView* view, QObject* parent) : QObject(parent), view_(view) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
            type != QEvent::MouseButtonRelease)
            return false;
        // A dimmed control takes no mouse input at all.
        if (view_->dimmed()) return true;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            auto* widget = static_cast<QWidget*>(watched);
            view_->leftPress(widget->mapTo(view_->body(), mouse->position().toPoint()),
                             mouse->timestamp());
        }
        return false;
    }

  private:
    ControlView* view_;
};

class EventHook : public QObject {
  public:
    EventHook(QObject* parent, int type, std::function<void()> handler)
        : QObject(parent), type_(type), handler_(std::move(handler)) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_) handler_();
        return false;
    }

  private:
    int type_;
    std::function<void()> handler_;
};

}  // namespace

void onEvent(QWidget* widget, int type, std::function<void()> handler) {
    widget->installEventFilter(new EventHook(widget, type, std::move(handler)));
}

ControlView::ControlView(const PanelContext& context, const ui::Control& control, QWidget* body,
                         LabelPlace labelPlace)
    : context_(context), id_(control.id), body_(body), labelPlace_(labelPlace) {
    body->setObjectName(QString::fromStdString(control.name));
    // What the control means, with the key that presses it, when the pointer rests on it.
    QString tip = QString::fromStdString(control.tooltip);
    if (!control.shortcut.empty())
        tip += (tip.isEmpty() ? "" : "\n") + QString("Key: ") +
               QString::fromStdString(control.shortcut);
    body->setToolTip(tip);
    if (labelPlace != LabelPlace::None) {
        label_ = new QLabel(body->parentWidget());
        label_->setObjectName(labelPlace == LabelPlace::TopEdge ? "groupTitle" : "controlLabel");
        label_->setToolTip(tip);
    }
    auto* watcher = new ClickWatcher(this, body);
    body->installEventFilter(watcher);
    for (QWidget* child : body->findChildren<QWidget*>()) child->installEventFilter(watcher);
}

ControlView::~ControlView() {
    // The hooks call into the view, which is half gone by now: drop them before the widget
    // goes, since deleting a focused widget still delivers its focus-out.
    if (body_) {
        for (QObject* child : body_->findChildren<QObject*>())
            if (dynamic_cast<EventHook*>(child) || dynamic_cast<ClickWatcher*>(child)) delete child;
    }
    delete label_.data();
    delete body_.data();
}

void ControlView::sync(const ui::Control& control) {
    body_->setEnabled(!control.dimmed);
    if (label_) {
        const QString text = QString::fromStdString(control.label);
        if (label_->text() != text) {
            label_->setText(text);
            label_->ensurePolished();
            placeLabel(body_->geometry());
        }
        QPalette palette = label_->palette();
        setLiveColour(palette, QPalette::WindowText, toQColor(control.labelColor));
        label_->setPalette(palette);
        label_->setEnabled(!control.dimmed);  // a dimmed control's label greys with it
        label_->setVisible(control.visible && !control.label.empty());
    }
    syncValue(control);
    body_->setVisible(control.visible);
}

void ControlView::place(const QRect& rect) {
    body_->setGeometry(rect);
    placeLabel(rect);
}

void ControlView::placeLabel(const QRect& rect) {
    if (!label_) return;
    const QSize hint = label_->sizeHint();
    switch (labelPlace_) {
        case LabelPlace::Right:
            label_->setGeometry(rect.right() + 1 + 2 * kLabelGap,
                                rect.top() + (rect.height() - hint.height()) / 2, hint.width(),
                                hint.height());
            break;
        case LabelPlace::TopEdge:
            label_->setGeometry(rect.left() + 8, std::max(0, rect.top() - hint.height() / 2),
                                hint.width(), hint.height());
            label_->raise();
            break;
        default: {
            QRect where = labelOnLeft_ ? labelLeft(rect) : labelAbove(rect);
            label_->setGeometry(where.translated(0, std::max(0, -where.top())));
        }
    }
}

QRect ControlView::labelAbove(const QRect& rect) const {
    if (labelPlace_ != LabelPlace::Above || !label_ || label_->text().isEmpty()) return {};
    const QSize hint = label_->sizeHint();
    return QRect(rect.left(), rect.top() - hint.height() - kLabelGap,
                 std::max(rect.width(), hint.width()), hint.height());
}

QRect ControlView::labelLeft(const QRect& rect) const {
    if (labelPlace_ != LabelPlace::Above || !label_ || label_->text().isEmpty()) return {};
    const QSize hint = label_->sizeHint();
    return QRect(rect.left() - hint.width() - 3 * kLabelGap,
                 rect.top() + (rect.height() - hint.height()) / 2, hint.width(), hint.height());
}

bool ControlView::dimmed() const {
    const ui::Control* c = model();
    return !c || c->dimmed;
}

void ControlView::leftPress(const QPoint& pos, unsigned long timestamp) {
    ui::Control* c = model();
    if (!c || timestamp == lastPress_) return;
    lastPress_ = timestamp;
    leftPressed(pos);
}

void ControlView::leftPressed(const QPoint& pos) {
    act(ui::clickControl, pos.x(), pos.y());
}

std::unique_ptr<ControlView> makeControlView(const PanelContext& context,
                                             const ui::Control& control, QWidget* canvas) {
    using K = ui::ControlKind;
    switch (control.kind) {
        case K::Numeric:
            return makeNumericView(context, control, canvas);
        case K::String:
        case K::TextBox:
        case K::TextMsg:
            return makeTextView(context, control, canvas);
        case K::Ring:
        case K::ListBox:
            return makeListView(context, control, canvas);
        case K::Button:
        case K::CheckBox:
        case K::Toggle:
            return makeButtonView(context, control, canvas);
        case K::Lamp:
            return makeLampView(context, control, canvas);
        case K::ColorNum:
            return makeColourView(context, control, canvas);
        case K::Decoration:
            return makeDecorationView(context, control, canvas);
        case K::Graph:
            return makeGraphView(context, control, canvas);
        case K::Table:
            return makeTableView(context, control, canvas);
        case K::Timer:
            return nullptr;
    }
    return nullptr;
}

}  // namespace trelvanix::qt
