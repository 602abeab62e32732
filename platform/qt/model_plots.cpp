#include "platform/qt/model_plots.h"

#include <algorithm>
#include <cmath>

#include "platform/qt/colours.h"
#include "platform/qt/sample_summary.h"

namespace trelvanix::qt {

namespace {

// Screen coordinates far outside the widget are pinned, so huge values cannot overflow the
// painter's integer arithmetic; the clip rectangle hides the pinned part anyway.
constexpr double kFarOutside = 1e5;
// How many of the latest waveform ends a new waveform may continue: one per channel of a
// sweep is plenty, and the search stays short however many plots the graph holds.
constexpr std::size_t kOpenEndsSearched = 32;

}  // namespace

struct ModelPlots::Mapping {
    double keyPixel0, keyScale, keyLower;
    double valuePixel0, valueScale, valueLower;
    QRect clip;

    double x(double key) const {
        return std::clamp(keyPixel0 + (key - keyLower) * keyScale, -kFarOutside, kFarOutside);
    }
    double y(double value) const {
        return std::clamp(valuePixel0 + (value - valueLower) * valueScale, -kFarOutside,
                          kFarOutside);
    }
    bool operator==(const Mapping&) const = default;
};

// What is kept of one plot between repaints: the summary of its samples, and its envelope
// as last drawn, valid while the mapping and the value it was joined to are the same.
struct ModelPlots::PlotCache {
    int handle = 0;
    const double* samples = nullptr;
    std::size_t count = 0;
    SampleSummary summary;
    bool envelopeDrawn = false;
    bool joined = false;
    double joinedTo = 0.0;
    std::vector<QLineF> envelope;

    bool holds(const ui::Plot& plot) const {
        return handle == plot.handle && samples == plot.y.data() && count == plot.y.size();
    }
};

ModelPlots::~ModelPlots() = default;

ModelPlots::ModelPlots(QCPAxis* keyAxis, QCPAxis* valueAxis,
                       std::function<const ui::Graph*()> graph)
    : QCPAbstractPlottable(keyAxis, valueAxis), graph_(std::move(graph)) {
    setAntialiased(false);
}

bool ModelPlots::currentMapping(Mapping* map) const {
    QCPAxis* keyAxis = mKeyAxis.data();
    QCPAxis* valueAxis = mValueAxis.data();
    if (!keyAxis || !valueAxis) return false;
    const QCPRange keys = keyAxis->range();
    const QCPRange values = valueAxis->range();
    if (keys.size() <= 0 || values.size() <= 0) return false;
    map->keyLower = keys.lower;
    map->keyPixel0 = keyAxis->coordToPixel(keys.lower);
    map->keyScale = (keyAxis->coordToPixel(keys.upper) - map->keyPixel0) / keys.size();
    map->valueLower = values.lower;
    map->valuePixel0 = valueAxis->coordToPixel(values.lower);
    map->valueScale = (valueAxis->coordToPixel(values.upper) - map->valuePixel0) / values.size();
    map->clip = clipRect();
    return true;
}

void ModelPlots::draw(QCPPainter* painter) {
    drawn_ = false;
    const ui::Graph* graph = graph_();
    Mapping map;
    if (!graph || !currentMapping(&map)) return;

    applyDefaultAntialiasingHint(painter);
    syncCaches(*graph);
    // Envelopes drawn with other axes or another size are drawn anew.
    if (!lastMapping_ || !(*lastMapping_ == map)) {
        for (PlotCache& cache : caches_) cache.envelopeDrawn = false;
        lastMapping_ = std::make_unique<Mapping>(map);
    }
    openEnds_.clear();
    for (std::size_t k = 0; k < graph->plots.size(); ++k)
        drawPlot(painter, *graph, k, map, nullptr);
    drawn_ = true;
    drawnCount_ = graph->plots.size();
    drawnRevision_ = graph->revision;
}

ModelPlots::Change ModelPlots::change() const {
    const ui::Graph* graph = graph_();
    if (!drawn_ || !graph || graph->revision == drawnRevision_) return Change::None;
    // Every change of the plots moves the revision on by one: when it moved by as many as
    // plots were added, nothing else changed.
    const std::size_t count = graph->plots.size();
    return count > drawnCount_ && graph->revision - drawnRevision_ == count - drawnCount_
               ? Change::Added
               : Change::Other;
}

bool ModelPlots::drawAdded(QCPPainter* painter, QRect* touched) {
    const ui::Graph* graph = graph_();
    Mapping map;
    if (!onlyAdded() || !currentMapping(&map) || !lastMapping_ || !(*lastMapping_ == map))
        return false;
    const std::size_t count = graph->plots.size();
    syncCaches(*graph);
    // As the layer draws its plottables: clipped to the axis rect, with the plots' hint.
    painter->setClipRect(clipRect().translated(0, -1));
    applyDefaultAntialiasingHint(painter);
    QRectF drawn;
    for (std::size_t k = drawnCount_; k < count; ++k) drawPlot(painter, *graph, k, map, &drawn);
    drawnCount_ = count;
    drawnRevision_ = graph->revision;
    // A line's pixels lie within a pixel of its ends; a point's disc reaches a few pixels.
    constexpr int kReach = 5;
    *touched = drawn.isNull() ? QRect()
                              : drawn.toAlignedRect().adjusted(-kReach, -kReach, kReach, kReach) &
                                    map.clip.adjusted(0, -1, 0, 1);
    return true;
}

void ModelPlots::drawPlot(QCPPainter* painter, const ui::Graph& graph, std::size_t k,
                          const Mapping& map, QRectF* touched) {
    const ui::Plot& plot = graph.plots[k];
    if (plot.y.empty()) return;
    painter->setPen(QPen(toQColor(plot.color), 0));
    if (plot.isWaveform)
        drawWaveform(painter, plot, caches_[k], map, joinValue(plot), touched);
    else
        drawPairs(painter, plot, map, touched);
}

void ModelPlots::syncCaches(const ui::Graph& graph) const {
    // Plots are added at the end and rarely deleted one by one: the caches are kept up to
    // the first plot that changed.
    std::size_t same = 0;
    while (same < caches_.size() && same < graph.plots.size() &&
           caches_[same].holds(graph.plots[same]))
        ++same;
    caches_.resize(same);
    for (std::size_t k = same; k < graph.plots.size(); ++k) {
        const ui::Plot& plot = graph.plots[k];
        PlotCache& cache = caches_.emplace_back();
        cache.handle = plot.handle;
        cache.samples = plot.y.data();
        cache.count = plot.y.size();
        cache.summary = SampleSummary(plot.y.data(), plot.y.size());
    }
}

const double* ModelPlots::joinValue(const ui::Plot& plot) {
    const OpenEnd end{plot.color, plot.initialX + plot.xIncrement * double(plot.y.size()),
                      plot.xIncrement, plot.y.back()};
    // Oldest first: channels that share a colour take their stretches in turn, so each
    // stretch continues the earliest one waiting at its start, which is its own channel's.
    const std::size_t from = openEnds_.size() - std::min(openEnds_.size(), kOpenEndsSearched);
    for (std::size_t k = from; k < openEnds_.size(); ++k) {
        OpenEnd& open = openEnds_[k];
        const double tolerance = std::abs(plot.xIncrement) * 1e-3;
        if (open.color == plot.color && std::abs(open.xIncrement - plot.xIncrement) <= tolerance &&
            std::abs(open.nextKey - plot.initialX) <= tolerance) {
            joined_ = open.lastValue;
            open = end;
            return &joined_;
        }
    }
    openEnds_.push_back(end);
    return nullptr;
}

void ModelPlots::drawWaveform(QCPPainter* painter, const ui::Plot& plot, PlotCache& cache,
                              const Mapping& map, const double* join, QRectF* drawn) {
    const double firstPixel = map.keyPixel0 + (plot.initialX - map.keyLower) * map.keyScale;
    const double pixelsPerSample = plot.xIncrement * map.keyScale;
    const auto n = static_cast<std::ptrdiff_t>(plot.y.size());
    if (pixelsPerSample > 0 && pixelsPerSample * kEnvelopeThreshold < 1.0) {
        if (!cache.envelopeDrawn || cache.joined != (join != nullptr) ||
            (join && !(cache.joinedTo == *join))) {
            envelopeOf(plot, cache, map, firstPixel, pixelsPerSample, join);
            cache.envelopeDrawn = true;
            cache.joined = join != nullptr;
            cache.joinedTo = join ? *join : 0.0;
        }
        painter->drawLines(cache.envelope.data(), int(cache.envelope.size()));
        if (drawn)
            for (const QLineF& line : cache.envelope)
                *drawn |= QRectF(line.p1(), line.p2()).normalized().adjusted(0, 0, 1, 1);
        return;
    }
    // Few samples per pixel: the samples themselves, only those in view (plus one each side
    // so the line runs to the edge).
    std::ptrdiff_t first = 0, last = n - 1;
    if (pixelsPerSample > 0) {
        first = std::max<std::ptrdiff_t>(
            0, std::ptrdiff_t(std::floor((map.clip.left() - firstPixel) / pixelsPerSample)) - 1);
        last = std::min<std::ptrdiff_t>(
            n - 1,
            std::ptrdiff_t(std::ceil((map.clip.right() + 1 - firstPixel) / pixelsPerSample)) + 1);
    }
    if (first > last) return;
    // The line starts from the last sample of the waveform this one continues.
    const int joinPoints = join && first == 0 ? 1 : 0;
    polyline_.resize(last - first + 1 + joinPoints);
    if (joinPoints) polyline_[0] = QPointF(map.x(plot.initialX - plot.xIncrement), map.y(*join));
    for (std::ptrdiff_t i = first; i <= last; ++i) {
        const double key = plot.initialX + double(i) * plot.xIncrement;
        polyline_[i - first + joinPoints] = QPointF(map.x(key), map.y(plot.y[i]));
    }
    painter->drawPolyline(polyline_.constData(), int(polyline_.size()));
    if (drawn) *drawn |= polyline_.boundingRect().adjusted(0, 0, 1, 1);
    // Zoomed in far enough, each sample is marked, so the operator sees what was measured.
    if (pixelsPerSample >= kMarkerSpacing) {
        const QBrush fill(painter->pen().color());
        for (const QPointF& point : polyline_)
            painter->fillRect(QRectF(point.x() - 1.5, point.y() - 1.5, 3.0, 3.0), fill);
    }
}

void ModelPlots::envelopeOf(const ui::Plot& plot, PlotCache& cache, const Mapping& map,
                            double firstPixel, double pixelsPerSample, const double* join) {
    std::vector<QLineF>& lines = cache.envelope;
    lines.clear();
    const auto n = static_cast<std::ptrdiff_t>(plot.y.size());
    const double lastPixel = firstPixel + double(n - 1) * pixelsPerSample;
    const int fromColumn = std::max(map.clip.left(), int(std::floor(firstPixel)));
    const int toColumn = std::min(map.clip.right(), int(std::floor(lastPixel)));
    if (fromColumn > toColumn) return;
    // Sample i lies in pixel column floor(firstPixel + i * pixelsPerSample).
    auto firstIndexOf = [&](int column) {
        const double i = std::ceil((column - firstPixel) / pixelsPerSample);
        return std::clamp<std::ptrdiff_t>(std::ptrdiff_t(i), 0, n);
    };
    const double* y = plot.y.data();
    std::ptrdiff_t begin = firstIndexOf(fromColumn);
    // Each column also reaches the last sample of the one before, so the trace has no gaps.
    // The first column reaches the waveform this one continues, when drawn from its start.
    bool haveBefore = begin > 0 || join;
    double before = begin > 0 ? y[begin - 1] : join ? *join : 0.0;
    for (int column = fromColumn; column <= toColumn; ++column) {
        const std::ptrdiff_t end = firstIndexOf(column + 1);
        if (end <= begin) continue;
        double lo, hi;
        cache.summary.extremes(y, std::size_t(begin), std::size_t(end), lo, hi);
        if (haveBefore) {
            lo = std::min(lo, before);
            hi = std::max(hi, before);
        }
        before = y[end - 1];
        haveBefore = true;
        begin = end;
        if (!std::isfinite(lo) || !std::isfinite(hi)) continue;
        const double x = column + 0.5;
        lines.emplace_back(x, map.y(lo), x, map.y(hi));
    }
}

void ModelPlots::drawPairs(QCPPainter* painter, const ui::Plot& plot, const Mapping& map,
                           QRectF* drawn) {
    const std::size_t n = std::min(plot.x.size(), plot.y.size());
    polyline_.resize(qsizetype(n));
    for (std::size_t i = 0; i < n; ++i) polyline_[i] = QPointF(map.x(plot.x[i]), map.y(plot.y[i]));
    if (drawn) *drawn |= polyline_.boundingRect().adjusted(0, 0, 1, 1);
    if (plot.style != VAL_SCATTER) painter->drawPolyline(polyline_.constData(), int(n));
    if (plot.style == VAL_THIN_LINE) return;
    // Points are discs a few pixels wide, drawn smooth whatever the graph's hint.
    const bool smooth = painter->testRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(painter->pen().color());
    for (const QPointF& point : polyline_) painter->drawEllipse(point, 3.5, 3.5);
    painter->setBrush(Qt::NoBrush);
    painter->setRenderHint(QPainter::Antialiasing, smooth);
}

void ModelPlots::drawLegendIcon(QCPPainter* painter, const QRectF& rect) const {
    painter->fillRect(rect, Qt::gray);
}

QCPRange ModelPlots::getKeyRange(bool& foundRange, QCP::SignDomain) const {
    double lo = INFINITY, hi = -INFINITY;
    if (const ui::Graph* graph = graph_()) {
        for (const ui::Plot& p : graph->plots) {
            if (p.y.empty()) continue;
            if (p.isWaveform) {
                const double end = p.initialX + p.xIncrement * double(p.y.size() - 1);
                lo = std::min({lo, p.initialX, end});
                hi = std::max({hi, p.initialX, end});
            } else if (!p.x.empty()) {
                double a, b;
                minMax(p.x.data(), 0, p.x.size(), a, b);
                lo = std::min(lo, a);
                hi = std::max(hi, b);
            }
        }
    }
    foundRange = lo <= hi;
    return foundRange ? QCPRange(lo, hi) : QCPRange();
}

QCPRange ModelPlots::getValueRange(bool& foundRange, QCP::SignDomain, const QCPRange&) const {
    double lo = INFINITY, hi = -INFINITY;
    if (const ui::Graph* graph = graph_()) {
        syncCaches(*graph);
        for (std::size_t k = 0; k < graph->plots.size(); ++k) {
            if (graph->plots[k].y.empty()) continue;
            lo = std::min(lo, caches_[k].summary.lowest());
            hi = std::max(hi, caches_[k].summary.highest());
        }
    }
    foundRange = lo <= hi;
    return foundRange ? QCPRange(lo, hi) : QCPRange();
}

}  // namespace trelvanix::qt
