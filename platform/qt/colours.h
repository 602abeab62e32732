#pragma once
// Toolkit colours are 0xRRGGBB ints; Qt wants QColor.

#include <QColor>

namespace trelvanix::qt {

inline QColor toQColor(int rgb) {
    return QColor::fromRgb(QRgb(0xFF000000u | unsigned(rgb)));
}
inline int fromQColor(const QColor& c) {
    return int(c.rgb() & 0xFFFFFFu);
}

}  // namespace trelvanix::qt
