// The Dome camera's lens models on their own: hand-derived angles, the
// image circle's edge and the clamped field of view.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "cameras/dome/projection.h"

using namespace DomeCam;
using lentara::Vec3;

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
// A 4:3 film whose half diagonal is exact.
const double W = 4.0, H = 3.0;

double OffAxis(Vec3 d) { return std::acos(std::fmax(-1.0, std::fmin(1.0, d.z))); }

Vec3 Dir(const DomeParams &p, double x, double y, double w = W, double h = H) {
    Vec3 d{kNaN, kNaN, kNaN};
    EXPECT_TRUE(DomeDirection(p, x, y, w, h, d)) << x << ", " << y;
    EXPECT_NEAR(lentara::Dot(d, d), 1.0, 1e-15);
    return d;
}
} // namespace

TEST(DomeProjection, CentreLooksAlongTheAxisAndTiltTurnsItUp) {
    for (int lens = 0; lens < kLensCount; ++lens)
        for (int fit = 0; fit < kFitCount; ++fit) {
            const Vec3 d = Dir({kPi, 0.0, lens, fit}, 0.0, 0.0);
            EXPECT_EQ(d.x, 0.0);
            EXPECT_EQ(d.y, 0.0);
            EXPECT_EQ(d.z, 1.0);
            const Vec3 t = Dir({kPi, 0.3, lens, fit}, 0.0, 0.0);
            EXPECT_NEAR(t.y, std::sin(0.3), 1e-16);
            EXPECT_NEAR(t.z, std::cos(0.3), 1e-16);
        }
    // A tilted ray keeps its angle to the tilted axis.
    const Vec3 a = Dir({kPi, 0.0, kEquidistant, kFitHeight}, 0.4, -0.7);
    const Vec3 b = Dir({kPi, -0.5, kEquidistant, kFitHeight}, 0.4, -0.7);
    EXPECT_DOUBLE_EQ(a.x, b.x);
    EXPECT_NEAR(b.y, a.y * std::cos(0.5) - a.z * std::sin(0.5), 1e-15);
}

TEST(DomeProjection, LensModelsHitTheirAnglesHalfwayAndAtTheEdge) {
    // 180 degrees, rho = 0.5 (fit height: R0 = 1.5), film point to the upper left
    const double x = -0.75 * std::cos(0.6), y = 0.75 * std::sin(0.6);
    const double expected[kLensCount] = {kPi / 4, 2 * std::asin(0.5 * std::sin(kPi / 4)), 2 * std::atan(0.5),
                                         kPi / 6};
    for (int lens = 0; lens < kLensCount; ++lens) {
        const Vec3 d = Dir({kPi, 0.0, lens, kFitHeight}, x, y);
        EXPECT_NEAR(OffAxis(d), expected[lens], 1e-14) << lens;
        EXPECT_NEAR(std::atan2(d.y, d.x), std::atan2(y, x), 1e-14) << lens;
        // with 180 degrees the circle's edge is 90 degrees off the axis
        for (double psi : {0.0, 1.0, 2.5, -2.0}) {
            const Vec3 e = Dir({kPi, 0.0, lens, kFitHeight}, 1.5 * std::cos(psi), 1.5 * std::sin(psi));
            EXPECT_NEAR(e.z, 0.0, 1e-15) << lens << " " << psi;
        }
    }
}

TEST(DomeProjection, CircleEdgeBelongsToTheImageAndEachFitHasItsOwnRadius) {
    const DomeParams p{kPi, 0.0, kEquidistant, kFitHeight};
    Vec3 d;
    Dir(p, 0.0, 1.5);                                             // the edge itself
    EXPECT_FALSE(DomeDirection(p, 0.0, std::nextafter(1.5, 2.0), W, H, d));
    EXPECT_FALSE(DomeDirection(p, 2.0, 1.5, W, H, d));           // a corner of the 4:3 frame
    EXPECT_FALSE(DomeDirection(p, -1.6, 0.0, W, H, d));
    Dir({kPi, 0.0, kEquidistant, kFitWidth}, -2.0, 0.0);
    EXPECT_FALSE(DomeDirection({kPi, 0.0, kEquidistant, kFitWidth}, 1.5, 1.5, W, H, d));
    const Vec3 corner = Dir({kPi, 0.0, kEquidistant, kFitCorners}, 2.0, -1.5);
    EXPECT_NEAR(corner.z, 0.0, 1e-15);
    // 360 degrees equidistant: the edge looks backward
    const Vec3 back = Dir({2 * kPi, 0.0, kEquidistant, kFitHeight}, 1.5, 0.0);
    EXPECT_NEAR(back.z, -1.0, 1e-15);
}

TEST(DomeProjection, FieldOfViewIsClampedToEachLensRange) {
    const double x = 0.9, y = -0.6; // rho ~ 0.72
    auto same = [&](DomeParams a, DomeParams b) {
        const Vec3 da = Dir(a, x, y), db = Dir(b, x, y);
        EXPECT_EQ(da.x, db.x);
        EXPECT_EQ(da.y, db.y);
        EXPECT_EQ(da.z, db.z);
    };
    same({9.0, 0.0, kEquidistant, 0}, {2 * kPi, 0.0, kEquidistant, 0});
    same({2 * kPi, 0.0, kOrthographic, 0}, {kPi, 0.0, kOrthographic, 0});
    // nothing at or below zero: every ray along the axis
    for (double fov : {0.0, -1.0, -5.0}) EXPECT_EQ(Dir({fov, 0.0, kEquisolid, 0}, x, y).z, 1.0) << fov;
    // the stereographic edge stays finite at 360 degrees and beyond
    const Vec3 s = Dir({7.0, 0.0, kStereographic, kFitHeight}, 0.0, 1.5);
    EXPECT_NEAR(s.z, -1.0, 1e-12);
}

TEST(DomeProjection, UnusableInputGivesNoRay) {
    Vec3 d;
    for (double v : {kNaN, kInf, -kInf}) {
        EXPECT_FALSE(DomeDirection({v, 0.0, 0, 0}, 0.1, 0.1, W, H, d)) << v;
        EXPECT_FALSE(DomeDirection({kPi, v, 0, 0}, 0.1, 0.1, W, H, d)) << v;
        EXPECT_FALSE(DomeDirection({kPi, 0.0, 0, 0}, v, 0.1, W, H, d)) << v;
        EXPECT_FALSE(DomeDirection({kPi, 0.0, 0, 0}, 0.1, v, W, H, d)) << v;
        EXPECT_FALSE(DomeDirection({kPi, 0.0, 0, 0}, 0.0, 0.0, v, H, d)) << v;
        EXPECT_FALSE(DomeDirection({kPi, 0.0, 0, 2}, 0.0, 0.0, W, v, d)) << v;
    }
    EXPECT_FALSE(DomeDirection({kPi, 0.0, 0, 0}, 0.0, 0.0, W, 0.0, d));
    EXPECT_FALSE(DomeDirection({kPi, 0.0, 0, 1}, 0.0, 0.0, 0.0, H, d));
    // settings out of range fall back to the first choice
    const Vec3 a = Dir({kPi, 0.0, 77, -3}, 0.5, 0.5), b = Dir({kPi, 0.0, 0, 0}, 0.5, 0.5);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.z, b.z);
}
