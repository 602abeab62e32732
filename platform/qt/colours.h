#pragma once
// Toolkit colours are 0xRRGGBB ints; Qt wants QColor.

#include <QColor>
#include <QPalette>
#include <algorithm>
#include <cmath>

namespace trelvanix::qt {

inline QColor toQColor(int rgb) {
    return QColor::fromRgb(QRgb(0xFF000000u | unsigned(rgb)));
}
inline int fromQColor(const QColor& c) {
    return int(c.rgb() & 0xFFFFFFu);
}

// How much a colour stands out against another: the ratio of their relative luminances
// (WCAG), 1 for the same colour up to 21 for black on white.
inline double contrastRatio(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A text colour too pale for its background is drawn darker, keeping its hue, until it reads
// well; a grey one (a light grey trace colour) nearly black, or it would look like a dimmed
// control.
inline QColor readableOn(const QColor& text, const QColor& background) {
    const double readable = text.hsvSaturation() < 64 ? 7.0 : 3.0;
    QColor colour = text;
    for (int step = 0; step < 20 && contrastRatio(colour, background) < readable; ++step)
        colour = colour.darker(115);
    return colour;
}

// Sets a program colour for the enabled states only: a dimmed control keeps the lab look's
// grey, so the operator sees at a glance that it does not respond. Text stays readable.
inline void setLiveColour(QPalette& palette, QPalette::ColorRole role, const QColor& colour) {
    const QPalette::ColorRole background = role == QPalette::Text         ? QPalette::Base
                                           : role == QPalette::ButtonText ? QPalette::Button
                                                                          : QPalette::Window;
    const bool isText =
        role == QPalette::Text || role == QPalette::ButtonText || role == QPalette::WindowText;
    const QColor shown = isText ? readableOn(colour, palette.color(background)) : colour;
    palette.setColor(QPalette::Active, role, shown);
    palette.setColor(QPalette::Inactive, role, shown);
}

}  // namespace trelvanix::qt
