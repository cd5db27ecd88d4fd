// The ring slice outline: when its corners are rounded and by how much, that
// the outline is one connected loop inside the ring, and that the menu's wedge
// sits where the drawing says.
#include "core/menu/annular_sector_shape.h"
#include "core/menu/radial_menu_layout.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

using namespace vx;

namespace {

constexpr double pi = std::numbers::pi;

int arcCount(const Path& path) {
    int n = 0;
    for (const auto& e : path)
        n += std::holds_alternative<ArcTo>(e) ? 1 : 0;
    return n;
}

double distance(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Every point where a segment starts or ends.
std::vector<Point> vertices(const Path& path) {
    std::vector<Point> out;
    for (const auto& e : path) {
        if (auto m = std::get_if<MoveTo>(&e))
            out.push_back(m->to);
        else if (auto l = std::get_if<LineTo>(&e))
            out.push_back(l->to);
        else if (auto a = std::get_if<ArcTo>(&e)) {
            out.push_back(arcStart(*a));
            out.push_back(arcEnd(*a));
        }
    }
    return out;
}

// The longest straight stretch an arc adds to join the point before it.
double longestImplicitJoin(const Path& path) {
    Point current;
    double longest = 0;
    for (const auto& e : path) {
        if (auto m = std::get_if<MoveTo>(&e))
            current = m->to;
        else if (auto l = std::get_if<LineTo>(&e))
            current = l->to;
        else if (auto a = std::get_if<ArcTo>(&e)) {
            longest = std::max(longest, distance(current, arcStart(*a)));
            current = arcEnd(*a);
        }
    }
    return longest;
}

} // namespace

TEST(AnnularSectorShape, FallsBackToSharpCornersWhenRoundingCannotFit) {
    struct Case {
        const char* what;
        AnnularSectorShape shape;
    };
    const std::vector<Case> cases = {
        {"span exactly 0.04", {0, 0.04, 40, 100, 6}},
        {"span below 0.04", {1, 1.03, 40, 100, 6}},
        {"empty span", {1, 1, 40, 100, 6}},
        {"reversed span", {1, 0.5, 40, 100, 6}},
        {"ring exactly 2 thick", {0, 1, 40, 42, 6}},
        {"ring thinner than 2", {0, 1, 40, 41, 6}},
        {"no rounding asked", {0, 1, 40, 100, 0}},
        {"negative rounding", {0, 1, 40, 100, -4}},
        {"not a number", {0, 1, 40, 100, std::nan("")}},
        {"cut below 0.75 on a small ring", {0, 0.045, 20, 40, 6}},
        {"cut below 0.75 by the span", {0, 0.05, 2, 4.6, 6}},
        {"corners would meet", {0, 0.1, 20, 100, 14}},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.shape.effectiveCornerRadius()) << c.what;
        const Path path = c.shape.path({0, 0, 220, 220});
        EXPECT_EQ(arcCount(path), 2) << c.what;
        EXPECT_EQ(path.size(), 5u) << c.what;
    }
}

TEST(AnnularSectorShape, RoundsTheMenuWedgeAndCapsLargeCorners) {
    const AnnularSectorShape menuWedge = RadialMenuLayout{}.wedge(90);
    EXPECT_NEAR(menuWedge.endAngleRadians - menuWedge.startAngleRadians, 0.7454, 1e-4);
    EXPECT_EQ(menuWedge.effectiveCornerRadius(), 6.0);
    EXPECT_EQ(arcCount(menuWedge.path({0, 0, 220, 220})), 6);

    const AnnularSectorShape wide{0, pi / 2, 40, 200, 20};
    EXPECT_EQ(wide.effectiveCornerRadius(), 14.0);

    // The thickness limit: (ro − ri) × 0.48.
    const AnnularSectorShape thin{0, pi / 2, 40, 50, 20};
    EXPECT_NEAR(*thin.effectiveCornerRadius(), 4.8, 1e-12);
}

TEST(AnnularSectorShape, OutlineIsOneClosedLoopInsideTheRing) {
    const Rect rect{10, 20, 220, 220};
    const Point c = rect.mid();
    for (const AnnularSectorShape& shape :
         {RadialMenuLayout{}.wedge(0), RadialMenuLayout{}.wedge(-45), RadialMenuLayout{}.wedge(585),
          AnnularSectorShape{0.3, 2.0, 30, 90, 12}, AnnularSectorShape{0, 0.7, 40, 100, 0}}) {
        const Path path = shape.path(rect);
        ASSERT_TRUE(std::holds_alternative<MoveTo>(path.front()));
        ASSERT_TRUE(std::holds_alternative<ClosePath>(path.back()));
        const auto points = vertices(path);
        // Pieces meet: the sides are explicit lines; an arc may add only a
        // sliver of a line where a corner ends near, not on, its ray.
        EXPECT_LT(longestImplicitJoin(path), 0.05 * shape.cornerRadius + 1e-9);
        for (const Point p : points) {
            const double r = distance(p, c);
            EXPECT_GE(r, shape.innerRadius - 1e-9);
            EXPECT_LE(r, shape.outerRadius + 1e-9);
            // Every vertex lies within the slice's angles (screen y up).
            double theta = std::atan2(c.y - p.y, p.x - c.x);
            while (theta < shape.startAngleRadians - 1e-9)
                theta += 2 * pi;
            EXPECT_LE(theta, shape.endAngleRadians + 1e-9);
        }
        // Every arc turns less than the slice spans: no corner loops round.
        for (const auto& e : path)
            if (auto a = std::get_if<ArcTo>(&e)) {
                EXPECT_LE(std::abs(sweep(*a)),
                          shape.endAngleRadians - shape.startAngleRadians + pi / 2);
            }
    }
}

TEST(AnnularSectorShape, TopWedgeIsDrawnAboveTheCentre) {
    const Path path = RadialMenuLayout{}.wedge(90).path({0, 0, 220, 220});
    for (const Point p : vertices(path))
        EXPECT_LT(p.y, 110 - 39.5 * std::cos(pi / 8) + 1e-9);
    // The wedge runs counter-clockwise on screen: along the outer edge first.
    const auto& outer = std::get<ArcTo>(path[1]);
    EXPECT_DOUBLE_EQ(outer.radius, 98.5);
    EXPECT_LT(sweep(outer), 0);
    EXPECT_GT(arcStart(outer).x, arcEnd(outer).x); // right end to left end
}

TEST(AnnularSectorShape, InterpolationMovesTheSliceRigidly) {
    const RadialMenuLayout layout;
    const AnnularSectorShape from = layout.wedge(315), to = layout.wedge(360);
    const AnnularSectorShape half = AnnularSectorShape::interpolated(from, to, 0.5);
    EXPECT_NEAR(half.startAngleRadians, layout.wedge(337.5).startAngleRadians, 1e-12);
    EXPECT_NEAR(half.endAngleRadians - half.startAngleRadians,
                to.endAngleRadians - to.startAngleRadians, 1e-12);
    EXPECT_EQ(half.innerRadius, 39.5);
    EXPECT_EQ(half.outerRadius, 98.5);

    // The path turned by the angle: every vertex rotated about the centre.
    const Rect rect{0, 0, 220, 220};
    const auto a = vertices(layout.wedge(0).path(rect));
    const auto b = vertices(layout.wedge(30).path(rect));
    ASSERT_EQ(a.size(), b.size());
    const double t = pi / 6;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double x = a[i].x - 110, y = 110 - a[i].y;
        const Point rotated{110 + x * std::cos(t) - y * std::sin(t),
                            110 - (x * std::sin(t) + y * std::cos(t))};
        EXPECT_NEAR(distance(rotated, b[i]), 0, 1e-9) << i;
    }
}

TEST(RadialMenuLayout, WedgeHubAndLeanMeasures) {
    const RadialMenuLayout layout;
    const auto wedge = layout.wedge(0);
    EXPECT_NEAR(wedge.endAngleRadians, pi / 8 - 0.02, 1e-12); // 0.02 short of the boundary
    EXPECT_EQ(wedge.innerRadius, 39.5);
    EXPECT_EQ(wedge.outerRadius, 98.5);
    EXPECT_EQ(layout.hubDiameter(), 66);
    EXPECT_NEAR(layout.iconSize(), 38.28, 1e-12);

    // Anywhere within the 66-point hub circle, icon margin included, is the hub.
    EXPECT_TRUE(layout.isInHub({110, 110}));
    EXPECT_TRUE(layout.isInHub({110 + 33, 110}));
    EXPECT_TRUE(layout.isInHub({110 - 23, 110 + 23}));
    EXPECT_FALSE(layout.isInHub({110 + 34, 110}));
    EXPECT_FALSE(layout.isInHub({110, 110 - 60})); // on the ring
}
