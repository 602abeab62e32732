#include "platform/qt/model_plots.h"

#include <algorithm>
#include <cmath>

#include "platform/qt/colours.h"

namespace trelvanix::qt {

namespace {

// Screen coordinates far outside the widget are pinned, so huge values cannot overflow the
// painter's integer arithmetic; the clip rectangle hides the pinned part anyway.
constexpr double kFarOutside = 1e5;
// How many of the latest waveform ends a new waveform may continue: one per channel of a
// sweep is plenty, and the search stays short however many plots the graph holds.
constexpr std::size_t kOpenEndsSearched = 32;

// Lowest and highest of y[begin, end), end > begin. Later NaN samples are passed over; a NaN
// at `begin` gives a NaN result, which callers skip.
void minMax(const double* y, std::size_t begin, std::size_t end, double& lo, double& hi) {
    // Four independent running extremes: the loop is bound by throughput, not by the latency
    // of one long chain of comparisons, and the compiler can pair them up in vector registers.
    double a[4] = {y[begin], y[begin], y[begin], y[begin]};
    double b[4] = {y[begin], y[begin], y[begin], y[begin]};
    std::size_t i = begin + 1;
    for (; i + 4 <= end; i += 4) {
        for (int k = 0; k < 4; ++k) {
            const double v = y[i + k];
            a[k] = v < a[k] ? v : a[k];
            b[k] = v > b[k] ? v : b[k];
        }
    }
    for (; i < end; ++i) {
        a[0] = y[i] < a[0] ? y[i] : a[0];
        b[0] = y[i] > b[0] ? y[i] : b[0];
    }
    lo = std::min({a[0], a[1], a[2], a[3]});
    hi = std::max({b[0], b[1], b[2], b[3]});
}

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
};

ModelPlots::ModelPlots(QCPAxis* keyAxis, QCPAxis* valueAxis,
                       std::function<const ui::Graph*()> graph)
    : QCPAbstractPlottable(keyAxis, valueAxis), graph_(std::move(graph)) {
    setAntialiased(false);
}

void ModelPlots::draw(QCPPainter* painter) {
    const ui::Graph* graph = graph_();
    QCPAxis* keyAxis = mKeyAxis.data();
    QCPAxis* valueAxis = mValueAxis.data();
    if (!graph || !keyAxis || !valueAxis) return;
    const QCPRange keys = keyAxis->range();
    const QCPRange values = valueAxis->range();
    if (keys.size() <= 0 || values.size() <= 0) return;
    Mapping map;
    map.keyLower = keys.lower;
    map.keyPixel0 = keyAxis->coordToPixel(keys.lower);
    map.keyScale = (keyAxis->coordToPixel(keys.upper) - map.keyPixel0) / keys.size();
    map.valueLower = values.lower;
    map.valuePixel0 = valueAxis->coordToPixel(values.lower);
    map.valueScale = (valueAxis->coordToPixel(values.upper) - map.valuePixel0) / values.size();
    map.clip = clipRect();

    applyDefaultAntialiasingHint(painter);
    openEnds_.clear();
    for (const ui::Plot& plot : graph->plots) {
        if (plot.y.empty()) continue;
        painter->setPen(QPen(toQColor(plot.color), 0));
        if (plot.isWaveform)
            drawWaveform(painter, plot, map, joinValue(plot));
        else
            drawPairs(painter, plot, map);
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

void ModelPlots::drawWaveform(QCPPainter* painter, const ui::Plot& plot, const Mapping& map,
                              const double* join) {
    const double firstPixel = map.keyPixel0 + (plot.initialX - map.keyLower) * map.keyScale;
    const double pixelsPerSample = plot.xIncrement * map.keyScale;
    const auto n = static_cast<std::ptrdiff_t>(plot.y.size());
    if (pixelsPerSample > 0 && pixelsPerSample * kEnvelopeThreshold < 1.0) {
        drawEnvelope(painter, plot, map, firstPixel, pixelsPerSample, join);
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
    // Zoomed in far enough, each sample is marked, so the operator sees what was measured.
    if (pixelsPerSample >= kMarkerSpacing) {
        const QBrush fill(painter->pen().color());
        for (const QPointF& point : polyline_)
            painter->fillRect(QRectF(point.x() - 1.5, point.y() - 1.5, 3.0, 3.0), fill);
    }
}

void ModelPlots::drawEnvelope(QCPPainter* painter, const ui::Plot& plot, const Mapping& map,
                              double firstPixel, double pixelsPerSample, const double* join) {
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
    lines_.clear();
    std::ptrdiff_t begin = firstIndexOf(fromColumn);
    // Each column also reaches the last sample of the one before, so the trace has no gaps.
    // The first column reaches the waveform this one continues, when drawn from its start.
    bool haveBefore = begin > 0 || join;
    double before = begin > 0 ? y[begin - 1] : join ? *join : 0.0;
    for (int column = fromColumn; column <= toColumn; ++column) {
        const std::ptrdiff_t end = firstIndexOf(column + 1);
        if (end <= begin) continue;
        double lo, hi;
        minMax(y, std::size_t(begin), std::size_t(end), lo, hi);
        if (haveBefore) {
            lo = std::min(lo, before);
            hi = std::max(hi, before);
        }
        before = y[end - 1];
        haveBefore = true;
        begin = end;
        if (!std::isfinite(lo) || !std::isfinite(hi)) continue;
        const double x = column + 0.5;
        lines_.emplace_back(x, map.y(lo), x, map.y(hi));
    }
    painter->drawLines(lines_.data(), int(lines_.size()));
}

void ModelPlots::drawPairs(QCPPainter* painter, const ui::Plot& plot, const Mapping& map) {
    const std::size_t n = std::min(plot.x.size(), plot.y.size());
    polyline_.resize(qsizetype(n));
    for (std::size_t i = 0; i < n; ++i) polyline_[i] = QPointF(map.x(plot.x[i]), map.y(plot.y[i]));
    painter->drawPolyline(polyline_.constData(), int(n));
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
        for (const ui::Plot& p : graph->plots) {
            if (p.y.empty()) continue;
            double a, b;
            minMax(p.y.data(), 0, p.y.size(), a, b);
            lo = std::min(lo, a);
            hi = std::max(hi, b);
        }
    }
    foundRange = lo <= hi;
    return foundRange ? QCPRange(lo, hi) : QCPRange();
}

}  // namespace trelvanix::qt
