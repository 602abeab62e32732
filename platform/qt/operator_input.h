#pragma once
// The one path from the operator to the program: widgets carry out what the operator did
// through the toolkit's operator actions (platform/ui/operator_actions.h) or post menu and
// panel events here; either way the events go into the toolkit's queue and any wait for
// input wakes up. Program callbacks run only when the program dispatches the queue, never
// from inside a Qt signal.

#include <vector>

#include "platform/ui/model.h"

class QEventLoop;

namespace trelvanix::qt {

class OperatorInput {
  public:
    void post(const ui::Event& event);
    // An operator action has queued its events: waits end so they are dispatched.
    void wake();

    // Waits in progress (nested waits stack up); a posted event ends all of them.
    void beginWait(QEventLoop* loop) { waits_.push_back(loop); }
    void endWait() { waits_.pop_back(); }

  private:
    std::vector<QEventLoop*> waits_;
};

}  // namespace trelvanix::qt
