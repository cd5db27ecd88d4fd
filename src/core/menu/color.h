// The colour type of the menu: sRGB components and alpha as doubles in 0...1,
// with the hue/saturation/brightness view the wedge tint is adjusted in.
#pragma once

#include <ostream>

namespace vx {

struct HSB {
    double hue = 0;        // 0...1, one full turn
    double saturation = 0; // 0...1
    double brightness = 0; // 0...1
    double alpha = 1;
};

struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    friend bool operator==(const Color&, const Color&) = default;

    HSB hsb() const;
    // Components outside 0...1 are clamped; the hue wraps.
    static Color fromHSB(const HSB& hsb);
};

inline std::ostream& operator<<(std::ostream& os, const Color& c) {
    return os << "rgba(" << c.red << ", " << c.green << ", " << c.blue << ", " << c.alpha << ')';
}

} // namespace vx
