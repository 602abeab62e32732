#pragma once
// The one path from the operator to the program: widgets report what the operator did here,
// it goes into the toolkit's event queue, and any wait for input wakes up. Program callbacks
// run only when the program dispatches the queue, never from inside a Qt signal.

#include <vector>

#include "platform/ui/model.h"

class QEventLoop;

namespace trelvanix::qt {

class OperatorInput {
  public:
    void post(const ui::Event& event);
    void postControl(int panel, int control, int type, int data1 = 0, int data2 = 0);

    // Waits in progress (nested waits stack up); a posted event ends all of them.
    void beginWait(QEventLoop* loop) { waits_.push_back(loop); }
    void endWait() { waits_.pop_back(); }

  private:
    std::vector<QEventLoop*> waits_;
};

}  // namespace trelvanix::qt
