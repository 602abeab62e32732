#pragma once
// Every plot of one toolkit graph drawn straight from the model, as one plottable: a sweep is
// hundreds of short waveform plots, far too many to copy into a graph object each. Where a
// plot has more than two samples per pixel it is drawn as one vertical min/max line per pixel
// column, so the cost follows the width of the graph, not the number of samples. A waveform
// that continues another one of its colour (it starts one sample after the other ends, as
// the stretches of a sweep do) is joined to it, so a step between them keeps its edge. Each
// plot's envelope is kept while the axes and the size stay, and its samples are summarised
// in blocks, so a repaint during a sweep computes only the new plots' envelopes; plots added
// since the last drawing can be drawn alone over it, when nothing else changed.

#include <qcustomplot.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/model.h"

namespace trelvanix::qt {

class ModelPlots final : public QCPAbstractPlottable {
  public:
    // `graph` returns the model graph to draw, or null when it is gone.
    ModelPlots(QCPAxis* keyAxis, QCPAxis* valueAxis, std::function<const ui::Graph*()> graph);
    ~ModelPlots() override;

    double selectTest(const QPointF&, bool, QVariant*) const override { return -1; }
    QCPRange getKeyRange(bool& foundRange, QCP::SignDomain domain) const override;
    QCPRange getValueRange(bool& foundRange, QCP::SignDomain domain,
                           const QCPRange& inKeyRange) const override;

    // Draws the plots added since the last drawing over it, with the painter of the paint
    // buffer that holds that drawing, when only plots were added and the axes and size are the
    // same. Returns false, drawing nothing, when the graph must be drawn anew; `touched` gets
    // the pixels drawn over.
    bool drawAdded(QCPPainter* painter, QRect* touched);
    // How the plots changed since the last drawing: not at all, only by plots added, or else.
    enum class Change { None, Added, Other };
    Change change() const;
    bool onlyAdded() const { return change() == Change::Added; }

    // Samples per pixel above which a waveform is drawn as min/max lines.
    static constexpr double kEnvelopeThreshold = 2.0;
    // Pixels per sample from which each sample is marked with a small square.
    static constexpr double kMarkerSpacing = 6.0;

  protected:
    void draw(QCPPainter* painter) override;
    void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override;

  private:
    struct Mapping;  // model coordinates to pixels
    struct PlotCache;
    // Where a waveform ends, for the one that may continue it.
    struct OpenEnd {
        int color;
        double nextKey, xIncrement, lastValue;
    };
    // The last value of the waveform that `plot` continues, if any; records `plot`'s end.
    const double* joinValue(const ui::Plot& plot);
    // One cache per plot of the graph, in the same order; new plots are summarised.
    void syncCaches(const ui::Graph& graph) const;
    // The axes' mapping now; false when an axis is gone or spans nothing.
    bool currentMapping(Mapping* map) const;
    // Draws plot k of the graph, continuing the waveforms drawn before it; widens `touched`,
    // when given, by the pixels it drew.
    void drawPlot(QCPPainter* painter, const ui::Graph& graph, std::size_t k, const Mapping& map,
                  QRectF* touched);
    // Both widen `drawn`, when given, by the pixels they drew.
    void drawWaveform(QCPPainter* painter, const ui::Plot& plot, PlotCache& cache,
                      const Mapping& map, const double* join, QRectF* drawn);
    // The plot's min/max line per pixel column, into its cache.
    void envelopeOf(const ui::Plot& plot, PlotCache& cache, const Mapping& map, double firstPixel,
                    double pixelsPerSample, const double* join);
    void drawPairs(QCPPainter* painter, const ui::Plot& plot, const Mapping& map, QRectF* drawn);

    std::function<const ui::Graph*()> graph_;
    // Kept from one repaint to the next: a repaint with the same axes and size draws the
    // envelopes it drew before, and computes only those of new plots.
    mutable std::vector<PlotCache> caches_;
    std::unique_ptr<Mapping> lastMapping_;
    // Reused from one repaint to the next, so drawing allocates only while it grows.
    QPolygonF polyline_;
    std::vector<OpenEnd> openEnds_;
    double joined_ = 0.0;
    // What the last drawing holds: the graph's first `drawnCount_` plots at `drawnRevision_`.
    bool drawn_ = false;
    std::size_t drawnCount_ = 0;
    unsigned long drawnRevision_ = 0;
};

}  // namespace trelvanix::qt
