#include "platform/qt/anchoring.h"

#include <algorithm>

namespace trelvanix::qt {

namespace {
constexpr int kSmallestGraph = 60;

bool contains(const ui::Rect& outer, const ui::Rect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top &&
           outer.left + outer.width >= inner.left + inner.width &&
           outer.top + outer.height >= inner.top + inner.height;
}
}  // namespace

int growingControl(const ui::Panel& panel) {
    int best = 0;
    long bestArea = 0;
    for (const ui::Control& c : panel.controls) {
        const long area = long(c.rect.width) * c.rect.height;
        if (c.kind == ui::ControlKind::Graph && area > bestArea) {
            best = c.id;
            bestArea = area;
        }
    }
    return best;
}

ui::Rect anchoredRect(const ui::Rect& r, const ui::Rect& growing, int dx, int dy) {
    ui::Rect out = r;
    if (contains(r, growing)) {
        // The graph itself, or a frame drawn around it: it stretches.
        out.width = std::max(std::min(r.width, kSmallestGraph), r.width + dx);
        out.height = std::max(std::min(r.height, kSmallestGraph), r.height + dy);
        return out;
    }
    if (r.left >= growing.left + growing.width) out.left += dx;
    if (r.top >= growing.top + growing.height) out.top += dy;
    return out;
}

}  // namespace trelvanix::qt
