// Graphs: a QCustomPlot whose axes follow the model's axes and whose plots are drawn straight
// from the model. Repaints are merged: any number of plot changes within one repaint period
// cost one redraw.

#include <qcustomplot.h>

#include <QTimer>

#include "platform/qt/colours.h"
#include "platform/qt/control_view.h"
#include "platform/qt/division_ticker.h"
#include "platform/qt/model_plots.h"

namespace trelvanix::qt {

namespace {

constexpr int kRepaintMilliseconds = 40;  // 25 repaints a second at most

class PlotWidget final : public QCustomPlot {
  public:
    explicit PlotWidget(QWidget* parent) : QCustomPlot(parent) {}
    using QCustomPlot::updateLayout;
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
        repaintTimer_->setInterval(kRepaintMilliseconds);
        QObject::connect(repaintTimer_, &QTimer::timeout, plot(), [this] { flush(); });
    }

    void place(const QRect& rect) override {
        ControlView::place(rect);
        plot()->setViewport(QRect(QPoint(0, 0), rect.size()));
        plot()->updateLayout();
        reportPlotArea();
        scheduleRepaint();
    }

    void plotsChanged() override { scheduleRepaint(); }

    void flush() override {
        repaintTimer_->stop();
        if (!dirty_) return;
        dirty_ = false;
        autoscale();
        plot()->replot(QCustomPlot::rpRefreshHint);
        reportPlotArea();
    }

  private:
    PlotWidget* plot() const { return static_cast<PlotWidget*>(body()); }

    void setUpLook() {
        QCustomPlot* p = plot();
        p->setBackground(p->palette().window());
        p->setNotAntialiasedElements(QCP::aeAll);
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
        if (!c || !c->graph) return;
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

    // Where the plot area is, for the program's click arithmetic and GraphHeight.
    void reportPlotArea() {
        ui::Control* c = model();
        if (!c || !c->graph) return;
        const QRect area = plot()->axisRect()->rect();
        c->graph->plotArea = ui::Rect{area.left(), area.top(), area.width(), area.height()};
    }

    void scheduleRepaint() {
        dirty_ = true;
        if (!repaintTimer_->isActive()) repaintTimer_->start();
    }

    // A click in the plot area is the graph's commit.
    void afterLeftClick(const QPoint& pos) override {
        if (plot()->axisRect()->rect().contains(pos)) post(EVENT_COMMIT, pos.y(), pos.x());
    }

    ModelPlots* plots_;
    QSharedPointer<DivisionTicker> xTicker_, yTicker_;
    QTimer* repaintTimer_;
    bool dirty_ = true;
};

}  // namespace

std::unique_ptr<ControlView> makeGraphView(const PanelContext& context, const ui::Control& control,
                                           QWidget* canvas) {
    return std::make_unique<GraphView>(context, control, canvas);
}

}  // namespace trelvanix::qt
