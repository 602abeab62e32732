#pragma once
// The program's look: a calm grey instrument panel with readable type, framed groups and
// solid buttons; graphs bring their own dark plot area.

class QApplication;

namespace trelvanix::qt {

void applyLabLook(QApplication& app);

}  // namespace trelvanix::qt
