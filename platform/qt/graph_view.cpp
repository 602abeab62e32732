// Graphs: a QCustomPlot whose axes follow the model's axes and whose plots are drawn straight
// from the model. Repaints are merged: any number of plot changes within one repaint period
// cost one redraw, made as soon as the program is idle once a period has passed since the last. A graph whose plots only grow (a sweep being drawn) keeps its axes in a
// paint buffer of their own and draws just the new plots over its last drawing, beneath them:
// the picture is the one a full redraw makes. While the program lets the operator inspect the
// graph, the wheel zooms (Ctrl: the vertical axis), a drag pans or moves a cursor, and a
// double-click shows the axes again; all of it goes through the toolkit's operator actions, so the
// view and the cursors live in the model.

#include <qcustomplot.h>

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

#include "platform/qt/colours.h"
#include "platform/qt/control_view.h"
#include "platform/qt/division_ticker.h"
#include "platform/qt/model_plots.h"

namespace trelvanix::qt {

namespace {

constexpr int kRepaintMilliseconds = 40;  // 25 repaints a second at most
// A press that moves further than this (pixels) is a drag, not a click.
constexpr int kDragThreshold = 3;
// One notch of a mouse wheel.
constexpr double kWheelNotch = 120.0;
// The least room (pixels) one tick label of an autoscaled axis gets, so labels never run
// together however narrow the graph.
constexpr int kLabelRoomAcross = 70;
constexpr int kLabelRoomUp = 32;
const QColor kCursorColours[2] = {QColor(0xE0, 0x60, 0x00), QColor(0xA0, 0x00, 0xC0)};

// Hands the mouse and wheel events of the plot widget to a function; it keeps its normal
// handling unless the function says it took the event.
class MouseHook : public QObject {
  public:
    MouseHook(QObject* parent, std::function<bool(QEvent*)> handler)
        : QObject(parent), handler_(std::move(handler)) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override { return handler_(event); }

  private:
    std::function<bool(QEvent*)> handler_;
};

class PlotWidget final : public QCustomPlot {
  public:
    explicit PlotWidget(QWidget* parent) : QCustomPlot(parent) {}
    using QCustomPlot::updateLayout;

    // The paint buffer of the layers beneath the axes, while the axes have one of their own
    // and both still hold the last replot; null otherwise.
    QCPAbstractPaintBuffer* bufferBeneathAxes() {
        if (mPaintBuffers.size() != 2 || hasInvalidatedPaintBuffers()) return nullptr;
        return mPaintBuffers.first().data();
    }
};

class GraphView final : public ControlView {
  public:
    GraphView(const PanelContext& context, const ui::Control& control, QWidget* canvas)
        : ControlView(context, control, new PlotWidget(canvas), LabelPlace::Above) {
        setUpLook();
        const int panel = context.panel, id = control.id;
        plots_ = new ModelPlots(plot()->xAxis, plot()->yAxis, [panel, id]() -> const ui::Graph* {
            const ui::Control* c = ui::Model::instance().control(panel, id);
            return c && c->graph ? &*c->graph : nullptr;
        });
        repaintTimer_ = new QTimer(plot());
        repaintTimer_->setSingleShot(true);
        QObject::connect(repaintTimer_, &QTimer::timeout, plot(), [this] { flush(); });
        for (int i = 0; i < 2; ++i) {
            cursors_[i] = new QCPItemStraightLine(plot());
            cursors_[i]->setPen(QPen(kCursorColours[i], 1, Qt::DashLine));
            cursorTags_[i] = new QCPItemText(plot());
            cursorTags_[i]->setText(QString::number(i + 1));
            cursorTags_[i]->setColor(Qt::white);
            cursorTags_[i]->setBrush(kCursorColours[i]);
            cursorTags_[i]->setPadding(QMargins(3, 0, 3, 0));
            cursorTags_[i]->setPositionAlignment(Qt::AlignHCenter | Qt::AlignTop);
            cursorTags_[i]->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
            cursorTags_[i]->setClipToAxisRect(true);
        }
        plot()->setMouseTracking(true);
        mouseHook_ = new MouseHook(plot(), [this](QEvent* event) { return mouseEvent(event); });
        plot()->installEventFilter(mouseHook_);
    }

    // The hook calls into this view: it goes first, before the widget's last events.
    ~GraphView() override { delete mouseHook_.data(); }

    void place(const QRect& rect) override {
        ControlView::place(rect);
        plot()->setViewport(QRect(QPoint(0, 0), rect.size()));
        plot()->updateLayout();
        reportPlotArea();
        redrawAll_ = true;
        scheduleRepaint();
    }

    void plotsChanged() override { scheduleRepaint(); }

    void flush() override {
        repaintTimer_->stop();
        if (!dirty_) return;
        dirty_ = false;
        sinceFlush_.start();
        if (!redrawAll_ && drawAddedPlots()) return;
        // Plots that only grow keep the axes in a buffer of their own, so that the next ones
        // can be drawn beneath them; plots replaced or changed are cheaper with one buffer.
        const ModelPlots::Change change = plots_->change();
        redrawAll_ = false;
        if (change != ModelPlots::Change::None)
            plot()
                ->layer(QStringLiteral("axes"))
                ->setMode(change == ModelPlots::Change::Added ? QCPLayer::lmBuffered
                                                              : QCPLayer::lmLogical);
        autoscale();
        fitAutoscaledTicks();
        plot()->replot(QCustomPlot::rpRefreshHint);
        reportPlotArea();
    }

  private:
    PlotWidget* plot() const { return static_cast<PlotWidget*>(body()); }

    void setUpLook() {
        QCustomPlot* p = plot();
        p->setBackground(p->palette().window());
        // The plot fills all of itself with that background: what lies beneath it need not be
        // painted first (a repainted strip of a sweep costs only its own pixels).
        p->setAttribute(Qt::WA_OpaquePaintEvent);
        p->setNotAntialiasedElements(QCP::aeAll);
        // The overlay holds nothing: one paint buffer to clear and blend per repaint, not two.
        // The axes go above it (the legend and overlay draw nothing), so that they alone can
        // have a buffer of their own.
        p->layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
        p->moveLayer(p->layer(QStringLiteral("axes")), p->layer(QStringLiteral("overlay")),
                     QCustomPlot::limAbove);
        p->setAntialiasedElement(QCP::aeAxes, false);
        xTicker_.reset(new DivisionTicker);
        yTicker_.reset(new DivisionTicker);
        p->xAxis->setTicker(xTicker_);
        p->yAxis->setTicker(yTicker_);
        QFont labelFont = p->font();
        labelFont.setBold(true);
        for (QCPAxis* axis : {p->xAxis, p->yAxis}) {
            axis->grid()->setPen(QPen(QColor(200, 200, 200, 110), 0, Qt::DotLine));
            axis->grid()->setZeroLinePen(QPen(QColor(200, 200, 200, 110), 0, Qt::DotLine));
            axis->grid()->setSubGridVisible(false);
            axis->setSubTicks(false);
            axis->setTickLengthIn(4);
            axis->setTickLengthOut(0);
            axis->setLabelFont(labelFont);
            axis->setLabelPadding(3);
            axis->setTickLabelPadding(4);
        }
        // The far axes only close the frame around the plot area.
        for (QCPAxis* axis : {p->xAxis2, p->yAxis2}) {
            axis->setVisible(true);
            axis->setTicks(false);
            axis->setTickLabels(false);
        }
    }

    void syncValue(const ui::Control& c) override {
        if (!c.graph) return;
        const ui::Graph& g = *c.graph;
        QCustomPlot* p = plot();
        p->axisRect()->setBackground(toQColor(g.plotBackground));
        applyAxis(p->xAxis, *xTicker_, g.xAxis);
        applyAxis(p->yAxis, *yTicker_, g.yAxis);
        yTicker_->setLabelScale(g.yAxis.labelGain, g.yAxis.labelOffset);
        const ui::Inspection& i = g.inspection;
        // A zoomed view or an axis spanning the data is labelled in round steps; the
        // divisions of a manual axis are what the operator set.
        xTicker_->setRoundSteps(i.zoomed || g.xAxis.scalingMode == VAL_AUTOSCALE);
        yTicker_->setRoundSteps(i.zoomed || g.yAxis.scalingMode == VAL_AUTOSCALE);
        if (i.zoomed) {
            p->xAxis->setRange(i.x0, i.x1);
            p->yAxis->setRange(i.y0, i.y1);
        }
        for (int k = 0; k < 2; ++k) {
            cursors_[k]->setVisible(i.on);
            cursorTags_[k]->setVisible(i.on);
            cursors_[k]->point1->setCoords(i.cursor[k], 0.0);
            cursors_[k]->point2->setCoords(i.cursor[k], 1.0);
            cursorTags_[k]->position->setCoords(i.cursor[k], 0.0);
        }
        redrawAll_ = true;
        scheduleRepaint();
    }

    static void applyAxis(QCPAxis* axis, DivisionTicker& ticker, const ui::Axis& a) {
        // An autoscaled axis starts from the model's range too, until it has data to span.
        if (a.min < a.max) axis->setRange(a.min, a.max);
        ticker.setDivisions(a.divisions);
        axis->setLabel(QString::fromStdString(a.name));
        axis->setLabelColor(toQColor(a.nameColor));
        axis->setTickLabelColor(toQColor(a.labelColor));
        const QPen line(toQColor(a.labelColor).darker(110), 0);
        axis->setBasePen(line);
        axis->setTickPen(line);
    }

    // Autoscaled axes span the data, as the toolkit reports them.
    void autoscale() {
        const ui::Control* c = model();
        if (!c || !c->graph || c->graph->inspection.zoomed) return;
        bool found = false;
        if (c->graph->xAxis.scalingMode == VAL_AUTOSCALE) {
            const QCPRange keys = plots_->getKeyRange(found, QCP::sdBoth);
            if (found)
                plot()->xAxis->setRange(keys.lower,
                                        keys.upper > keys.lower ? keys.upper : keys.lower + 1);
        }
        if (c->graph->yAxis.scalingMode == VAL_AUTOSCALE) {
            const QCPRange values = plots_->getValueRange(found, QCP::sdBoth, QCPRange());
            if (found)
                plot()->yAxis->setRange(
                    values.lower, values.upper > values.lower ? values.upper : values.lower + 1);
        }
    }

    // An autoscaled axis gets no more round steps than its length has room for labels.
    void fitAutoscaledTicks() {
        const ui::Control* c = model();
        if (!c || !c->graph) return;
        const QRect area = plot()->axisRect()->rect();
        auto fit = [](DivisionTicker& ticker, const ui::Axis& axis, int pixels, int room) {
            if (axis.scalingMode == VAL_AUTOSCALE)
                ticker.setDivisions(std::clamp(pixels / room, 2, std::max(2, axis.divisions)));
        };
        fit(*xTicker_, c->graph->xAxis, area.width(), kLabelRoomAcross);
        fit(*yTicker_, c->graph->yAxis, area.height(), kLabelRoomUp);
    }

    // Only plots were added since the last replot: they are drawn over it, beneath the axes,
    // and only their columns are repainted. False when the graph must be replotted instead:
    // an autoscaled axis that moves, cursors drawn above the plots, no buffer of the axes.
    bool drawAddedPlots() {
        const ui::Control* c = model();
        if (!c || !c->graph || c->graph->inspection.on) return false;
        QCPAbstractPaintBuffer* buffer = plot()->bufferBeneathAxes();
        if (!buffer) return false;
        autoscale();
        QCPPainter* painter = buffer->startPainting();
        QRect touched;
        const bool drawn = plots_->drawAdded(painter, &touched);
        delete painter;
        buffer->donePainting();
        if (drawn && !touched.isEmpty()) plot()->update(touched);
        return drawn;
    }

    // Where the plot area is, for the program's click arithmetic and GraphHeight.
    void reportPlotArea() {
        ui::Control* c = model();
        if (!c || !c->graph) return;
        const QRect area = plot()->axisRect()->rect();
        c->graph->plotArea = ui::Rect{area.left(), area.top(), area.width(), area.height()};
    }

    // The repaint comes when the program next waits, or a repaint period after the last one:
    // a sweep drawn a stretch at a time is repainted in the wake-up that read the stretch.
    void scheduleRepaint() {
        dirty_ = true;
        if (repaintTimer_->isActive()) return;
        const qint64 since = sinceFlush_.isValid() ? sinceFlush_.elapsed() : kRepaintMilliseconds;
        repaintTimer_->start(int(std::max<qint64>(0, kRepaintMilliseconds - since)));
    }

    bool inspecting() const {
        const ui::Control* c = model();
        return c && c->graph && c->graph->inspection.on && !c->dimmed;
    }

    // Live, a press is a click at once, as it always was. While inspecting, the release
    // tells a click from a drag that pans or moves a cursor.
    void leftPressed(const QPoint& pos) override {
        if (!inspecting()) return ControlView::leftPressed(pos);
        press_ = Press{true, false, pos, pos, ui::graphCursorAt(context_.panel, id(), pos.x())};
    }

    bool mouseEvent(QEvent* event) {
        switch (event->type()) {
            case QEvent::MouseMove: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                mouseMoved(mouse->position().toPoint(), mouse->buttons());
                return false;
            }
            case QEvent::MouseButtonRelease:
                if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
                if (press_.down && !press_.dragging && inspecting())
                    act(ui::clickControl, press_.at.x(), press_.at.y());
                press_ = Press{};
                return false;
            case QEvent::MouseButtonDblClick:
                if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton || !inspecting())
                    return false;
                act(ui::restoreGraphView);
                return true;
            case QEvent::Wheel: {
                if (!inspecting()) return false;
                const auto* wheel = static_cast<QWheelEvent*>(event);
                const QPoint at = wheel->position().toPoint();
                const bool vertical = wheel->modifiers() & Qt::ControlModifier;
                act(ui::turnWheelOnGraph, at.x(), at.y(), wheel->angleDelta().y() / kWheelNotch,
                    vertical);
                return true;
            }
            default:
                return false;
        }
    }

    void mouseMoved(const QPoint& pos, Qt::MouseButtons buttons) {
        if (!inspecting()) {
            plot()->unsetCursor();
            return;
        }
        if (!press_.down || !(buttons & Qt::LeftButton)) {
            // Over a cursor line the pointer shows that it can be dragged sideways.
            if (ui::graphCursorAt(context_.panel, id(), pos.x()))
                plot()->setCursor(Qt::SplitHCursor);
            else
                plot()->unsetCursor();
            return;
        }
        if (!press_.dragging && (pos - press_.at).manhattanLength() <= kDragThreshold) return;
        press_.dragging = true;
        if (press_.cursor)
            act(ui::dragGraphCursor, press_.cursor, pos.x());
        else
            act(ui::panGraph, pos.x() - press_.last.x(), pos.y() - press_.last.y());
        press_.last = pos;
    }

    struct Press {
        bool down = false, dragging = false;
        QPoint at, last;
        int cursor = 0;  // the cursor grabbed, 0 for none
    };

    ModelPlots* plots_;
    QCPItemStraightLine* cursors_[2];
    QCPItemText* cursorTags_[2];
    Press press_;
    QPointer<MouseHook> mouseHook_;
    QSharedPointer<DivisionTicker> xTicker_, yTicker_;
    QTimer* repaintTimer_;
    QElapsedTimer sinceFlush_;  // since the last repaint; invalid before the first
    bool dirty_ = true;
    bool redrawAll_ = true;  // something besides new plots changed since the last replot
};

}  // namespace

std::unique_ptr<ControlView> makeGraphView(const PanelContext& context, const ui::Control& control,
                                           QWidget* canvas) {
    return std::make_unique<GraphView>(context, control, canvas);
}

}  // namespace trelvanix::qt
