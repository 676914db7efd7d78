// The thin lens the lens cameras share.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/lens.h"
#include "tests/support/pose.h"

using namespace lentara;
using namespace testsupport;

TEST(ThinLens, UnusableFStopsAndFocusDistancesGiveAPinhole) {
    EXPECT_DOUBLE_EQ(LensFactorFor(4.0), 0.125);
    for (double f : {0.0, -2.0, kNaN, kInf, -kInf})
        EXPECT_EQ(LensFactorFor(f), 0.0) << f;
    EXPECT_EQ(LensFactorFor(1e-320), 0.0); // 0.5 / f overflows

    const Vec3 v = {0.3, -0.2, 1.0}, offset = {0.01, 0.02, 0.0};
    for (double focus : {0.0, -1.0, kNaN, kInf}) {
        const Vec3 d = FocusedDirection(v, offset, focus);
        ExpectVec(d, Normalize(v), 1e-15);
    }
    // A usable focus distance: the ray from the offset point meets the pinhole
    // ray at the focus distance.
    const Vec3 d = FocusedDirection(v, offset, 5.0);
    const Vec3 pFocus = (5.0 / std::sqrt(Dot(v, v))) * v;
    const Vec3 toFocus = pFocus - offset;
    EXPECT_NEAR(Angle(d, toFocus), 0.0, 1e-7);
    EXPECT_NEAR(Dot(d, d), 1.0, 1e-14);
}

// The point in focus is the unit pinhole direction v / |v| scaled by the
// focus distance, component by component; scaling v by focus / |v| instead
// rounds differently in the last bit for most of these.
TEST(ThinLens, PointInFocusIsTheUnitPinholeDirectionTimesTheDistance) {
    const Vec3 vs[] = {{0.3, -0.2, 1.0}, {0.3, 0.3, 1.0}, {-0.35, 0.45, 0.7}};
    const Vec3 offsets[] = {{0.0, 0.0, 0.0}, {0.01, 0.02, 0.0}};
    for (const Vec3 &v : vs)
        for (const Vec3 &o : offsets)
            for (double focus : {0.7, 3.0, 5.0, 12.5}) {
                const double len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
                const Vec3 unit = {v.x / len, v.y / len, v.z / len};
                const Vec3 g = {unit.x * focus - o.x, unit.y * focus - o.y, unit.z * focus - o.z};
                const double gl = std::sqrt(g.x * g.x + g.y * g.y + g.z * g.z);
                const Vec3 d = FocusedDirection(v, o, focus);
                EXPECT_EQ(d.x, g.x / gl) << v.x << " " << v.y << " " << o.x << " " << focus;
                EXPECT_EQ(d.y, g.y / gl) << v.x << " " << v.y << " " << o.x << " " << focus;
                EXPECT_EQ(d.z, g.z / gl) << v.x << " " << v.y << " " << o.x << " " << focus;
            }
}
