#pragma once
// What the operator does to a control, carried out in one place: the script runner and the
// Qt views both call these, so an action from a script and the same action in the window
// leave the model alike and queue the same events.
//
// Graph positions are pixels from the control's top-left corner, mapped to values through
// the plot area the front end reports (or the model's default one when there is none).

#include <string>

#include "platform/ui/model.h"

namespace trelvanix::ui {

// Done, or refused with the reason ("is dimmed") when the operator could not have done it.
struct ActionResult {
    bool done = true;
    std::string refusal;
};

// Types a value into a numeric, string, text box (lines separated by '\n'), check box,
// switch or colour control and commits it: value changed, then commit.
ActionResult enterValue(int panel, int control, const Value& value);
// Picks item `index` of a ring or list box and commits it.
ActionResult chooseItem(int panel, int control, int index);
// Presses a button: commit.
ActionResult pressControl(int panel, int control);
// A left click at (x, y): left click, and on a graph also commit when the click is in the
// plot area and the graph shows its own axes (a click's height means an offset there only).
ActionResult clickControl(int panel, int control, int x, int y);

// Looking closely at an inspected graph.
// Shows [x0, x1] (and [y0, y1] when given y0 < y1) within the axes.
ActionResult zoomGraph(int panel, int control, double x0, double x1, double y0 = 0.0,
                       double y1 = 0.0);
// Back to the graph's own axes (double-click, or the program's Refresh).
ActionResult restoreGraphView(int panel, int control);
// Wheel steps at (x, y): positive steps zoom in around the pointer, negative out; the time
// axis, or the vertical axis when `vertical`.
ActionResult turnWheelOnGraph(int panel, int control, int x, int y, double steps, bool vertical);
// The cursor (1 or 2) drawn within a few pixels of x, 0 when none.
int graphCursorAt(int panel, int control, int x);
// Moves cursor 1 or 2 to pixel column x.
ActionResult dragGraphCursor(int panel, int control, int cursor, int x);
// Moves the view with the pointer by (dx, dy) pixels; it stops at the axes' ends.
ActionResult panGraph(int panel, int control, int dx, int dy);
// A whole drag from (x0, y0) to (x1, y1): a cursor grabbed at x0 follows the pointer,
// otherwise the view pans.
ActionResult dragOnGraph(int panel, int control, int x0, int y0, int x1, int y1);
// Places cursor 1 or 2 at time x.
ActionResult placeGraphCursor(int panel, int control, int cursor, double x);

}  // namespace trelvanix::ui
