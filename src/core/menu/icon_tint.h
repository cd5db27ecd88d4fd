// The wedge colour taken from an application's icon: the icon is shrunk to a
// 24 × 24 premultiplied sample, its colourful pixels vote in coarse colour
// buckets, and the most vivid popular bucket wins.
#pragma once

#include "core/base/image.h"
#include "core/menu/color.h"

#include <optional>

namespace vx {

// The saturated blue used when an icon gives no usable colour.
const Color& defaultHighlightTint();

// `image` drawn over a transparent n × n bitmap, stretched to fill it: the result
// holds premultiplied RGBA, rows top to bottom. Absent for an invalid image or n < 1.
std::optional<Image> renderIconBitmap(const Image& image, int pixelSize);

// The vote over an already rendered premultiplied sample (any size).
std::optional<Color> dominantSampleColor(const Image& premultiplied);

// The vote over `icon` rendered at 24 × 24; absent when no pixel is colourful enough.
std::optional<Color> dominantIconColor(const Image& icon);

// Lifts dull colours so the wedge stays visible on the ring.
Color adjustedHighlightTint(const Color& color);

} // namespace vx
