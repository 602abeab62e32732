#include "platform/qt/panel_window.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QVBoxLayout>

#include "platform/qt/anchoring.h"
#include "platform/qt/menu_view.h"

namespace trelvanix::qt {

namespace {

// The controls' area asks for the panel's size from the resource file.
class Canvas final : public QWidget {
  public:
    explicit Canvas(QWidget* parent) : QWidget(parent) {}
    void setPreferredSize(QSize size) {
        preferred_ = size;
        updateGeometry();
    }
    QSize sizeHint() const override { return preferred_; }

  private:
    QSize preferred_;
};

QRect toQRect(const ui::Rect& r) {
    return QRect(r.left, r.top, r.width, r.height);
}

}  // namespace

PanelWindow::PanelWindow(int panel, OperatorInput& input)
    : context_{panel, &input}, canvas_(new Canvas(this)) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    const ui::Panel* model = ui::Model::instance().panel(panel);
    design_ = model->rect;
    setObjectName(QString::fromStdString(model->constantName));
    canvas_->setObjectName("canvas");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (model->menuBar) {
        menu_ = std::make_unique<MenuView>(model->menuBar, input, this);
        layout->setMenuBar(menu_->widget());
    }
    layout->addWidget(canvas_);

    growing_ = growingControl(*model);
    // Frames first, so that they lie behind what they group.
    for (bool decorations : {true, false}) {
        for (const ui::Control& c : model->controls) {
            if ((c.kind == ui::ControlKind::Decoration) != decorations) continue;
            if (auto view = makeControlView(context_, c, canvas_)) views_[c.id] = std::move(view);
        }
    }
    for (auto& [id, view] : views_) view->sync(*context_.control(id));
    chooseLabelSides();

    if (model->rect.left > 0 || model->rect.top > 0) move(model->rect.left, model->rect.top);
    onEvent(canvas_, QEvent::Resize, [this] { canvasResized(); });
    syncPanel();
}

PanelWindow::~PanelWindow() {
    views_.clear();
}

ControlView* PanelWindow::view(int control) const {
    auto it = views_.find(control);
    return it == views_.end() ? nullptr : it->second.get();
}

void PanelWindow::syncPanel() {
    const ui::Panel* model = ui::Model::instance().panel(panel());
    if (!model) return;
    setWindowTitle(QString::fromStdString(model->title));
    const QSize wanted(std::max(1, model->rect.width), std::max(1, model->rect.height));
    static_cast<Canvas*>(canvas_)->setPreferredSize(wanted);
    const int menuHeight = menu_ ? menu_->widget()->sizeHint().height() : 0;
    const QSize window(wanted.width(), wanted.height() + menuHeight);
    if (model->sizable) {
        setMinimumSize(QSize(std::min(design_.width, wanted.width()),
                             std::min(design_.height, wanted.height()) + menuHeight));
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (canvas_->size() != wanted) resize(window);
    } else {
        setFixedSize(window);
    }
    // A hidden window lays out only when shown; the controls need their places now, so that
    // graphs report their plot areas and screenshots of hidden panels come out right.
    layout()->activate();
    layOutControls();
    if (model->visible && !isVisible())
        show();
    else if (!model->visible && isVisible())
        hide();
}

void PanelWindow::syncControl(int control) {
    ControlView* v = view(control);
    const ui::Control* c = context_.control(control);
    if (!v || !c) return;
    v->sync(*c);
    // Only the graph that takes the extra room moves the others.
    if (control == growing_)
        layOutControls();
    else
        placeControl(control, *v);
}

void PanelWindow::plotsChanged(int control) {
    if (ControlView* v = view(control)) v->plotsChanged();
}

void PanelWindow::syncMenu() {
    if (menu_) menu_->sync();
}

void PanelWindow::flush() {
    layout()->activate();
    layOutControls();
    for (auto& [id, view] : views_) view->flush();
}

void PanelWindow::closeEvent(QCloseEvent* event) {
    // The program decides whether the window goes: closing is an event for its callback.
    event->ignore();
    context_.input->post(ui::Event{ui::Event::Target::Panel, panel(), 0, EVENT_CLOSE, 0, 0});
}

void PanelWindow::canvasResized() {
    layOutControls();
    ui::Panel* model = ui::Model::instance().panel(panel());
    if (!model) return;
    const QSize size = canvas_->size();
    if (size.width() == model->rect.width && size.height() == model->rect.height) return;
    model->rect.width = size.width();
    model->rect.height = size.height();
    if (isVisible())
        context_.input->post(
            ui::Event{ui::Event::Target::Panel, panel(), 0, EVENT_PANEL_SIZE, 0, 0});
}

// Labels go above their controls, unless the panel is laid out with no room for them there
// (some label above would cover another control): then its labels go on the left, provided
// all of those that lack room fit there.
void PanelWindow::chooseLabelSides() {
    const ui::Panel* model = ui::Model::instance().panel(panel());
    std::vector<QRect> bodies;
    for (const ui::Control& c : model->controls)
        if (c.kind != ui::ControlKind::Decoration && c.kind != ui::ControlKind::Timer)
            bodies.push_back(toQRect(c.rect));
    const QRect panelArea(0, 0, design_.width, design_.height);
    auto covers = [&](const QRect& label, const QRect& own) {
        for (const QRect& body : bodies)
            if (body != own && body.intersects(label)) return true;
        return false;
    };
    bool crowded = false, leftFits = true;
    for (const auto& [id, view] : views_) {
        const QRect own = toQRect(context_.control(id)->rect);
        const QRect above = view->labelAbove(own);
        if (above.isEmpty() || (above.top() >= 0 && !covers(above, own))) continue;
        crowded = true;
        const QRect left = view->labelLeft(own);
        leftFits = leftFits && panelArea.contains(left) && !covers(left, own);
    }
    if (!crowded || !leftFits) return;
    for (auto& [id, view] : views_) {
        const QRect own = toQRect(context_.control(id)->rect);
        const QRect left = view->labelLeft(own);
        view->setLabelOnLeft(!left.isEmpty() && panelArea.contains(left) && !covers(left, own));
    }
}

void PanelWindow::layOutControls() {
    for (auto& [id, view] : views_) placeControl(id, *view);
}

void PanelWindow::placeControl(int control, ControlView& view) {
    const ui::Control* c = context_.control(control);
    if (!c) return;
    const ui::Control* growing = growing_ ? context_.control(growing_) : nullptr;
    const int dx = canvas_->width() - design_.width;
    const int dy = canvas_->height() - design_.height;
    const QRect rect = toQRect(growing ? anchoredRect(c->rect, growing->rect, dx, dy) : c->rect);
    if (view.body()->geometry() != rect) view.place(rect);
}

}  // namespace trelvanix::qt
