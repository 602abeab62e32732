#pragma once
// Toolkit colours are 0xRRGGBB ints; Qt wants QColor.

#include <QColor>
#include <QPalette>

namespace trelvanix::qt {

inline QColor toQColor(int rgb) {
    return QColor::fromRgb(QRgb(0xFF000000u | unsigned(rgb)));
}
inline int fromQColor(const QColor& c) {
    return int(c.rgb() & 0xFFFFFFu);
}

// Sets a program colour for the enabled states only: a dimmed control keeps the lab look's
// grey, so the operator sees at a glance that it does not respond.
inline void setLiveColour(QPalette& palette, QPalette::ColorRole role, const QColor& colour) {
    palette.setColor(QPalette::Active, role, colour);
    palette.setColor(QPalette::Inactive, role, colour);
}

}  // namespace trelvanix::qt
