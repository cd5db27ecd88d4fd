// Conversions between the RGB and HSB views of a colour.
#include "core/menu/color.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {
double clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}
} // namespace

HSB Color::hsb() const {
    const double r = clamp01(red), g = clamp01(green), b = clamp01(blue);
    const double maxC = std::max({r, g, b});
    const double minC = std::min({r, g, b});
    const double chroma = maxC - minC;
    HSB out;
    out.brightness = maxC;
    out.saturation = maxC > 0 ? chroma / maxC : 0;
    out.alpha = alpha;
    if (chroma > 0) {
        double h;
        if (maxC == r)
            h = (g - b) / chroma;
        else if (maxC == g)
            h = (b - r) / chroma + 2;
        else
            h = (r - g) / chroma + 4;
        h /= 6;
        if (h < 0)
            h += 1;
        out.hue = h;
    }
    return out;
}

Color Color::fromHSB(const HSB& in) {
    double h = in.hue - std::floor(in.hue); // wrap into [0, 1)
    const double s = clamp01(in.saturation);
    const double v = clamp01(in.brightness);
    const double sector = h * 6;
    const int i = static_cast<int>(std::floor(sector)) % 6;
    const double f = sector - std::floor(sector);
    const double p = v * (1 - s);
    const double q = v * (1 - s * f);
    const double t = v * (1 - s * (1 - f));
    switch (i) {
    case 0:
        return {v, t, p, in.alpha};
    case 1:
        return {q, v, p, in.alpha};
    case 2:
        return {p, v, t, in.alpha};
    case 3:
        return {p, q, v, in.alpha};
    case 4:
        return {t, p, v, in.alpha};
    default:
        return {v, p, q, in.alpha};
    }
}

} // namespace vx
