// Icon sampling and the colour vote behind the wedge tint.
#include "core/menu/icon_tint.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace vx {

const Color& defaultHighlightTint() {
    static const Color tint{0.18, 0.48, 1.0, 1.0};
    return tint;
}

namespace {

constexpr int sampleSize = 24;

std::size_t offset(int x, int y, int width) {
    return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
            static_cast<std::size_t>(x)) *
           4;
}

std::uint8_t toByte(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

} // namespace

std::optional<Image> renderIconBitmap(const Image& image, int pixelSize) {
    if (!image.isValid() || pixelSize < 1)
        return std::nullopt;
    const int n = pixelSize;
    Image out;
    out.width = n;
    out.height = n;
    out.rgba.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(n) * 4, 0);

    // Area averaging in premultiplied space: each target pixel takes the mean of
    // the source area it covers, so transparent pixels do not darken their
    // neighbours and a shrunk icon keeps its colours.
    const double sx = static_cast<double>(image.width) / n;
    const double sy = static_cast<double>(image.height) / n;
    for (int ty = 0; ty < n; ++ty) {
        const double y0 = ty * sy, y1 = (ty + 1) * sy;
        for (int tx = 0; tx < n; ++tx) {
            const double x0 = tx * sx, x1 = (tx + 1) * sx;
            double acc[4] = {0, 0, 0, 0};
            double area = 0;
            for (int y = static_cast<int>(std::floor(y0));
                 y < std::min(image.height, static_cast<int>(std::ceil(y1))); ++y) {
                const double wy = std::min<double>(y + 1, y1) - std::max<double>(y, y0);
                if (wy <= 0)
                    continue;
                for (int x = static_cast<int>(std::floor(x0));
                     x < std::min(image.width, static_cast<int>(std::ceil(x1))); ++x) {
                    const double wx = std::min<double>(x + 1, x1) - std::max<double>(x, x0);
                    if (wx <= 0)
                        continue;
                    const double w = wx * wy;
                    const auto* p = &image.rgba[offset(x, y, image.width)];
                    const double a = p[3] / 255.0;
                    acc[0] += w * p[0] * a;
                    acc[1] += w * p[1] * a;
                    acc[2] += w * p[2] * a;
                    acc[3] += w * p[3];
                    area += w;
                }
            }
            if (area <= 0)
                continue;
            auto* q = &out.rgba[offset(tx, ty, n)];
            for (int c = 0; c < 4; ++c)
                q[c] = toByte(acc[c] / area);
        }
    }
    return out;
}

std::optional<Color> dominantSampleColor(const Image& sample) {
    if (!sample.isValid())
        return std::nullopt;

    struct Bucket {
        long count = 0;
        long sumR = 0, sumG = 0, sumB = 0;
    };
    // Buckets in the order they were first met, so that among equal scores the
    // one seen first in the scan wins, the same on every run.
    std::vector<Bucket> buckets;
    std::unordered_map<int, std::size_t> index;

    for (int y = 0; y < sample.height; ++y) {
        for (int x = 0; x < sample.width; ++x) {
            const auto* p = &sample.rgba[offset(x, y, sample.width)];
            const int r = p[0], g = p[1], b = p[2], a = p[3];
            if (a < 41)
                continue;
            const int maxC = std::max({r, g, b});
            const int minC = std::min({r, g, b});
            if (maxC < 28)
                continue; // too dark
            if (minC > 235 || maxC - minC < 18)
                continue; // near white or grey
            const int key = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
            auto [it, inserted] = index.try_emplace(key, buckets.size());
            if (inserted)
                buckets.emplace_back();
            auto& bucket = buckets[it->second];
            bucket.count += 1;
            bucket.sumR += r;
            bucket.sumG += g;
            bucket.sumB += b;
        }
    }
    if (buckets.empty())
        return std::nullopt;

    double bestScore = -1;
    Color best;
    for (const auto& bucket : buckets) {
        const double count = static_cast<double>(bucket.count);
        const double r = static_cast<double>(bucket.sumR) / count / 255.0;
        const double g = static_cast<double>(bucket.sumG) / count / 255.0;
        const double b = static_cast<double>(bucket.sumB) / count / 255.0;
        const double maxC = std::max({r, g, b});
        const double minC = std::min({r, g, b});
        const double saturation = maxC > 0 ? (maxC - minC) / maxC : 0;
        const double score = std::pow(saturation, 1.15) * count * (maxC * 0.65 + 0.35);
        if (score > bestScore) {
            bestScore = score;
            best = {r, g, b, 1.0};
        }
    }
    return best;
}

std::optional<Color> dominantIconColor(const Image& icon) {
    const auto sample = renderIconBitmap(icon, sampleSize);
    if (!sample)
        return std::nullopt;
    return dominantSampleColor(*sample);
}

Color adjustedHighlightTint(const Color& color) {
    HSB hsb = color.hsb();
    hsb.saturation = std::min(std::max(hsb.saturation * 1.15, 0.45), 1.0);
    hsb.brightness = std::min(std::max(hsb.brightness, 0.55), 1.0);
    hsb.alpha = 1.0;
    return Color::fromHSB(hsb);
}

} // namespace vx
