#pragma once
// How a resized panel shares out its new room: the largest graph (the sweep display) takes
// all of it, and controls to its right or below it move with the right or bottom edge, so
// they keep their place against the window's border. Plain geometry, no widgets.

#include "platform/ui/model.h"

namespace trelvanix::qt {

// The id of the control that grows with the panel: its largest visible-or-not graph;
// 0 when the panel has no graph.
int growingControl(const ui::Panel& panel);

// Where a control with design rect `r` goes when the panel is dx, dy pixels larger than
// designed and `growing` is the design rect of the growing graph.
ui::Rect anchoredRect(const ui::Rect& r, const ui::Rect& growing, int dx, int dy);

}  // namespace trelvanix::qt
