#pragma once
// The program's look: a calm grey instrument panel with readable type, framed groups and
// solid buttons; graphs bring their own dark plot area.

#include <QColor>

class QApplication;

namespace trelvanix::qt {

// The grey of a dimmed control's text and the background of its field.
inline QColor dimmedText() {
    return QColor(0x8c, 0x94, 0x9c);
}
inline QColor dimmedField() {
    return QColor(0xe2, 0xe5, 0xe9);
}

void applyLabLook(QApplication& app);

}  // namespace trelvanix::qt
