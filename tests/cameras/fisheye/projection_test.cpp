// The Fisheye projection on its own, and the thin lens it shares with the
// Stereo camera at extreme settings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "cameras/fisheye/projection.h"
#include "cameras/stereo/projection.h"
#include "framework/lens.h"
#include "tests/support/pose.h"

using namespace lentara;
using namespace testsupport;

namespace {
FisheyeCam::FisheyeParams Fisheye(double power, double scale, double zoom = 3.2) {
    return {zoom, power, scale, 0.0, 10.0, true};
}
} // namespace

TEST(FisheyeProjection, CentreLooksForwardForEveryPositivePower) {
    for (double p : {0.25, 0.5, 1.0, 2.0})
        for (const Pose &pose : {kIdentity, Turned(0.4, -0.3, 0.2, {1, 2, 3})}) {
            FisheyeCam::FisheyeRay r;
            ASSERT_TRUE(FisheyeCam::Evaluate(Fisheye(p, 1.7), pose, H, 0, 0, 0, 0, r));
            ExpectVec(r.direction, pose.forward, 1e-14);
            ExpectVec(r.origin, pose.position, 0);
        }
}

TEST(FisheyeProjection, PowerZeroLeansTheCentreTowardTheRightAxis) {
    // 0^0 = 1: the centre radius is s at angle 0.
    FisheyeCam::FisheyeRay r;
    ASSERT_TRUE(FisheyeCam::Evaluate(Fisheye(0.0, 0.01), kIdentity, H, 0, 0, 0, 0, r));
    const double d = 3.2 * H * 0.5;
    ExpectVec(r.direction, Normalize({0.01, 0, d}), 1e-15);
}

TEST(FisheyeProjection, UnitPowerAndScaleIsAPinholeWithHalfFieldAtanOneOverZoom) {
    for (double zoom : {1.0, 3.2, 6.0}) {
        FisheyeCam::FisheyeRay r;
        ASSERT_TRUE(FisheyeCam::Evaluate(Fisheye(1.0, 1.0, zoom), kIdentity, H, 0, H / 2, 0, 0, r));
        EXPECT_NEAR(Angle(r.direction, {0, 0, 1}), std::atan(1.0 / zoom), 1e-14);
        EXPECT_GT(r.direction.y, 0.0);
    }
}

TEST(FisheyeProjection, MirroredFilmPointsGiveMirroredRays) {
    for (double p : {0.5, 1.0, 1.5})
        for (double x : {0.002, 0.009, 0.018})
            for (double y : {-0.012, -0.004, 0.0, 0.007}) {
                FisheyeCam::FisheyeRay a, b, c;
                ASSERT_TRUE(FisheyeCam::Evaluate(Fisheye(p, 2.0), kIdentity, H, x, y, 0, 0, a));
                ASSERT_TRUE(FisheyeCam::Evaluate(Fisheye(p, 2.0), kIdentity, H, -x, y, 0, 0, b));
                ASSERT_TRUE(FisheyeCam::Evaluate(Fisheye(p, 2.0), kIdentity, H, x, -y, 0, 0, c));
                ExpectVec(b.direction, {-a.direction.x, a.direction.y, a.direction.z}, 1e-15);
                ExpectVec(c.direction, {a.direction.x, -a.direction.y, a.direction.z}, 1e-15);
            }
}

TEST(FisheyeProjection, AutomaticScaleKeepsTheCornerRadius) {
    double s = 1.0;
    ASSERT_TRUE(FisheyeCam::AutomaticScale(36, 24, 0.5, s));
    EXPECT_NEAR(std::sqrt(468.0), 21.6333, 1e-4);
    EXPECT_NEAR(s, 4.65116, 1e-5);
    // The corner (18, 12) lands where the undistorted camera puts it.
    FisheyeCam::FisheyeRay bent, pinhole;
    ASSERT_TRUE(FisheyeCam::Evaluate(Fisheye(0.5, s), kIdentity, 24, 18, 12, 0, 0, bent));
    ASSERT_TRUE(FisheyeCam::Evaluate(Fisheye(1.0, 1.0), kIdentity, 24, 18, 12, 0, 0, pinhole));
    ExpectVec(bent.direction, pinhole.direction, 1e-14);
    // Points inside the corner bend outward with p < 1.
    ASSERT_TRUE(FisheyeCam::Evaluate(Fisheye(0.5, s), kIdentity, 24, 9, 6, 0, 0, bent));
    ASSERT_TRUE(FisheyeCam::Evaluate(Fisheye(1.0, 1.0), kIdentity, 24, 9, 6, 0, 0, pinhole));
    EXPECT_GT(Angle(bent.direction, {0, 0, 1}), Angle(pinhole.direction, {0, 0, 1}));
}

TEST(FisheyeProjection, AutomaticScaleNeedsAKnownFilmAndAFiniteResult) {
    for (auto film :
         std::vector<std::pair<double, double>>{{0, 24}, {36, 0}, {0, 0}, {-36, 24}, {kNaN, 24}, {36, kInf}}) {
        double s = 1.25;
        EXPECT_FALSE(FisheyeCam::AutomaticScale(film.first, film.second, 0.5, s));
        EXPECT_EQ(s, 1.25);
    }
    double s = 1.25;
    EXPECT_FALSE(FisheyeCam::AutomaticScale(36, 24, -400.0, s)); // R^401 overflows
    EXPECT_FALSE(FisheyeCam::AutomaticScale(36, 24, kNaN, s));
    EXPECT_EQ(s, 1.25);
}

TEST(FisheyeProjection, NoRayWhereTheRadiusOrInputsAreNotFinite) {
    FisheyeCam::FisheyeRay r;
    EXPECT_FALSE(FisheyeCam::Evaluate(Fisheye(-0.5, 1.0), kIdentity, H, 0, 0, 0, 0, r)); // infinite at the centre
    EXPECT_TRUE(FisheyeCam::Evaluate(Fisheye(-0.5, 1.0), kIdentity, H, 0.01, 0, 0, 0, r));
    EXPECT_FALSE(FisheyeCam::Evaluate(Fisheye(1.0, 1.0), kIdentity, H, kNaN, 0, 0, 0, r));
    FisheyeCam::FisheyeParams lens = Fisheye(1.0, 1.0);
    lens.lens.lensFactor = 0.125;
    EXPECT_FALSE(FisheyeCam::Evaluate(lens, kIdentity, H, 0.01, 0, kInf, 0, r));
    // A film of no height has no film distance: the centre has no direction.
    EXPECT_FALSE(FisheyeCam::Evaluate(Fisheye(1.0, 1.0), kIdentity, 0.0, 0, 0, 0, 0, r));
}

TEST(FisheyeProjection, LensOffsetLiesInTheLensPlaneAndRaysMeetAtTheFocus) {
    for (const Pose &pose : {kIdentity, Turned(0.7, 0.5, -0.4, {2, -1, 4})}) {
        FisheyeCam::FisheyeParams p = Fisheye(0.8, 1.3);
        p.lens.lensFactor = 0.125;
        p.lens.focusDistance = 7.0;
        FisheyeCam::FisheyeRay pin;
        ASSERT_TRUE(FisheyeCam::Evaluate(p, pose, H, 0.006, -0.004, 0, 0, pin));
        const Vec3 pFocus = pose.position + 7.0 * pin.direction;
        for (double a : {-1.0, 0.3, 1.0})
            for (double b : {-0.6, 0.0, 0.9}) {
                FisheyeCam::FisheyeRay r;
                ASSERT_TRUE(FisheyeCam::Evaluate(p, pose, H, 0.006, -0.004, a, b, r));
                const Vec3 offset = r.origin - pose.position;
                EXPECT_NEAR(Dot(offset, pose.forward), 0.0, 1e-15); // in the lens plane
                const double radius = 3.2 * H * 0.5 * 0.125;
                EXPECT_NEAR(Dot(offset, pose.right), a * radius, 1e-15);
                EXPECT_NEAR(Dot(offset, pose.up), b * radius, 1e-15);
                // the ray passes through the in-focus point
                const Vec3 toFocus = pFocus - r.origin;
                EXPECT_NEAR(Angle(r.direction, toFocus), 0.0, 1e-7);
            }
    }
}

TEST(FisheyeProjection, FilmNormalIsTheForwardAxisOrTheRay) {
    const Pose pose = Turned(0.2, 0.1, 0.0, {0, 0, 0});
    FisheyeCam::FisheyeParams p = Fisheye(0.7, 1.1);
    FisheyeCam::FisheyeRay r;
    ASSERT_TRUE(FisheyeCam::Evaluate(p, pose, H, 0.01, 0.005, 0, 0, r));
    ExpectVec(r.filmNormal, pose.forward, 0);
    p.parallelFilmNormals = false;
    ASSERT_TRUE(FisheyeCam::Evaluate(p, pose, H, 0.01, 0.005, 0, 0, r));
    ExpectVec(r.filmNormal, r.direction, 0);
}

// Lens settings that are extreme but finite: a focus so far that the way to
// the point in focus overflows when squared, so near that its square is
// subnormal or zero at the lens centre, or a lens factor whose product with
// the film distance rounds to infinity. Each gives a unit ray equal bit for
// bit to the pinhole ray of the same camera (focus 0, or lens factor 0), from
// both cameras, where before there was a zero, non-unit or NaN direction (no
// ray, a black frame).
TEST(ThinLens, ExtremeFocusAndLensRadiusGiveThePinholeRay) {
    struct Case {
        const char *what;
        double zoom, lensFactor, focus;
        double pinholeLensFactor, pinholeFocus; // the setting it must match
        std::vector<std::pair<double, double>> lens;
    };
    const double hugeFactor = LensFactorFor(1e-307); // 5e306, finite
    const std::vector<Case> cases = {
        {"far focus", 3.2, 0.125, 1e155, 0.125, 0.0, {{0, 0}, {0.6, -0.8}, {-1.0, 0.3}}},
        {"near focus", 3.2, 0.125, 1e-160, 0.125, 0.0, {{0, 0}}},
        {"nearer focus", 3.2, 0.125, 1e-200, 0.125, 0.0, {{0, 0}}},
        {"overflowing radius", 3200.0, hugeFactor, 10.0, 0.0, 10.0, {{0, 0}, {0.6, -0.8}}},
    };
    ASSERT_TRUE(std::isfinite(hugeFactor));
    ASSERT_FALSE(std::isfinite(3200.0 * H * 0.5 * hugeFactor)); // the radius itself overflows
    const Pose pose = Turned(0.4, -0.3, 0.2, {1, 2, 3});
    auto expectUnitAndSame = [](const Vec3 &got, const Vec3 &want, const std::string &what) {
        EXPECT_NEAR(Dot(got, got), 1.0, 1e-15) << what;
        EXPECT_EQ(got.x, want.x) << what;
        EXPECT_EQ(got.y, want.y) << what;
        EXPECT_EQ(got.z, want.z) << what;
    };
    for (const Case &c : cases)
        for (const auto &ab : c.lens)
            for (double x : {0.0, 0.006, -0.011})
                for (double y : {0.0, -0.004}) {
                    const std::string what = std::string(c.what) + " film " + std::to_string(x) + "," +
                                             std::to_string(y) + " lens " + std::to_string(ab.first) + "," +
                                             std::to_string(ab.second);
                    FisheyeCam::FisheyeParams fp = Fisheye(0.8, 1.3, c.zoom), fpin = fp;
                    fp.lens.lensFactor = c.lensFactor;
                    fp.lens.focusDistance = c.focus;
                    fpin.lens.lensFactor = c.pinholeLensFactor;
                    fpin.lens.focusDistance = c.pinholeFocus;
                    FisheyeCam::FisheyeRay f, fref;
                    ASSERT_TRUE(FisheyeCam::Evaluate(fpin, pose, H, x, y, ab.first, ab.second, fref)) << what;
                    ASSERT_TRUE(FisheyeCam::Evaluate(fp, pose, H, x, y, ab.first, ab.second, f)) << "fisheye " << what;
                    expectUnitAndSame(f.direction, fref.direction, "fisheye " + what);
                    EXPECT_EQ(std::memcmp(&f.origin, &fref.origin, sizeof f.origin), 0) << "fisheye origin " << what;

                    StereoCam::StereoParams sp = {c.zoom, 0.06, 10.0, c.lensFactor, c.focus, false}, spin = sp;
                    spin.lens.lensFactor = c.pinholeLensFactor;
                    spin.lens.focusDistance = c.pinholeFocus;
                    StereoCam::StereoRay s, sref;
                    ASSERT_TRUE(StereoCam::Evaluate(spin, pose, {}, W, H, x, y, ab.first, ab.second, sref)) << what;
                    ASSERT_TRUE(StereoCam::Evaluate(sp, pose, {}, W, H, x, y, ab.first, ab.second, s))
                        << "stereo " << what;
                    expectUnitAndSame(s.direction, sref.direction, "stereo " + what);
                    EXPECT_EQ(std::memcmp(&s.origin, &sref.origin, sizeof s.origin), 0) << "stereo origin " << what;
                }
}

// The film angle's cosine and sine come from x / r and y / r (and a power of
// 1 skips pow); the rays must stay within 1e-12 of the atan2 / pow formula
// everywhere, the centre, the axes, signed zeros and extreme radii included.
TEST(FisheyeProjection, AngleShortcutStaysWithinTheFormula) {
    const Pose pose = Turned(0.4, -0.3, 0.2, {1, 2, 3});
    auto formula = [&](double p, double s, double x, double y) {
        const double d = 3.2 * H * 0.5;
        const double theta = std::atan2(y, x);
        const double rho = std::pow(std::sqrt(x * x + y * y), p) * s;
        return Normalize((rho * std::cos(theta)) * pose.right + (rho * std::sin(theta)) * pose.up + d * pose.forward);
    };
    std::vector<double> coords = {0.0, -0.0, 1e-300, -1e-300, 1e-150, 1e-141, 1e-139, 1e-7, -0.004, 0.0123, -0.018};
    for (double p : {0.0, 0.5, 1.0, 1.7})
        for (double x : coords)
            for (double y : coords) {
                FisheyeCam::FisheyeRay r;
                ASSERT_TRUE(FisheyeCam::Evaluate(Fisheye(p, 1.3), pose, H, x, y, 0, 0, r)) << p << " " << x << " " << y;
                const Vec3 want = formula(p, 1.3, x, y);
                ExpectVec(r.direction, want, 1e-12);
            }
    // Radii whose square underflows take the atan2 path, so power 0 still
    // leans the ray at the film point's own angle (here -45 degrees).
    FisheyeCam::FisheyeRay r;
    ASSERT_TRUE(FisheyeCam::Evaluate(Fisheye(0.0, 0.01), kIdentity, H, 1e-160, -1e-160, 0, 0, r));
    const double d = 3.2 * H * 0.5, c = 0.01 * std::sqrt(0.5);
    ExpectVec(r.direction, Normalize({c, -c, d}), 1e-15);
    // A radius whose square overflows has no ray, as before.
    EXPECT_FALSE(FisheyeCam::Evaluate(Fisheye(0.001, 1.0), pose, H, 1e200, -1e200, 0, 0, r));
}
