// The settings window's shared look: palette colours as QColor, the label
// colours at their opacities, and the fonts, in device-independent pixels.
#pragma once

#include "core/settings/settings_texts.h"

#include <QColor>
#include <QFont>
#include <QPalette>

namespace vx::qt::style {

inline QColor color(const Rgb& rgb, double opacity = 1.0) {
    return QColor::fromRgbF(static_cast<float>(rgb.red), static_cast<float>(rgb.green),
                            static_cast<float>(rgb.blue), static_cast<float>(opacity));
}

// The theme's text colour at an opacity: fills, borders and the quieter labels.
inline QColor label(const QPalette& palette, double opacity) {
    QColor c = palette.color(QPalette::WindowText);
    c.setAlphaF(static_cast<float>(opacity));
    return c;
}
inline QColor secondaryLabel(const QPalette& palette) {
    return label(palette, 0.62);
}
inline QColor tertiaryLabel(const QPalette& palette) {
    return label(palette, 0.45);
}

inline QFont font(int pixelSize, QFont::Weight weight = QFont::Normal) {
    QFont f;
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    return f;
}
inline QFont captionFont() {
    return font(11);
}

inline constexpr int windowWidth = 312;

} // namespace vx::qt::style
