// The Fisheye, Stereo and Skybox projections on their own, and the thin lens
// they share.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "cameras/fisheye/projection.h"
#include "cameras/skybox/projection.h"
#include "cameras/stereo/projection.h"
#include "framework/lens.h"

using namespace lentara;

namespace {
const double kPi = 3.14159265358979323846;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const double W = 0.036, H = 0.024;
const Pose kIdentity = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

double Angle(Vec3 a, Vec3 b) {
    const double c = Dot(a, b) / std::sqrt(Dot(a, a) * Dot(b, b));
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c)));
}
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
void ExpectVec(Vec3 a, Vec3 b, double tol) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

// A turned camera: heading about Y, then pitch about X, then bank about Z,
// built independently of the code under test.
Pose Turned(double h, double p, double b, Vec3 position) {
    auto rotY = [](double a, Vec3 v) {
        return Vec3{std::cos(a) * v.x + std::sin(a) * v.z, v.y, -std::sin(a) * v.x + std::cos(a) * v.z};
    };
    auto rotX = [](double a, Vec3 v) {
        return Vec3{v.x, std::cos(a) * v.y - std::sin(a) * v.z, std::sin(a) * v.y + std::cos(a) * v.z};
    };
    auto rotZ = [](double a, Vec3 v) {
        return Vec3{std::cos(a) * v.x - std::sin(a) * v.y, std::sin(a) * v.x + std::cos(a) * v.y, v.z};
    };
    auto rot = [&](Vec3 v) { return rotY(h, rotX(p, rotZ(b, v))); };
    return {position, rot({1, 0, 0}), rot({0, 1, 0}), rot({0, 0, 1})};
}
} // namespace

// ---- thin lens ---------------------------------------------------------

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

// ---- fisheye -------------------------------------------------------------

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
    lens.lensFactor = 0.125;
    EXPECT_FALSE(FisheyeCam::Evaluate(lens, kIdentity, H, 0.01, 0, kInf, 0, r));
    // A film of no height has no film distance: the centre has no direction.
    EXPECT_FALSE(FisheyeCam::Evaluate(Fisheye(1.0, 1.0), kIdentity, 0.0, 0, 0, 0, 0, r));
}

TEST(FisheyeProjection, LensOffsetLiesInTheLensPlaneAndRaysMeetAtTheFocus) {
    for (const Pose &pose : {kIdentity, Turned(0.7, 0.5, -0.4, {2, -1, 4})}) {
        FisheyeCam::FisheyeParams p = Fisheye(0.8, 1.3);
        p.lensFactor = 0.125;
        p.focusDistance = 7.0;
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

// ---- stereo ----------------------------------------------------------------

namespace {
StereoCam::StereoParams Stereo(double e, double limit = 10.0, bool converge = false) {
    return {3.2, e, limit, 0.0, 10.0, converge};
}
} // namespace

TEST(StereoProjection, EyesSitApartAndEachHalfIsCentredOnItsEye) {
    const Pose pose = Turned(0.3, -0.2, 0.1, {1, 2, 3});
    StereoCam::StereoRay left, right, zero;
    ASSERT_TRUE(StereoCam::Evaluate(Stereo(0.06), pose, {}, W, H, -W / 4, 0, 0, 0, left));
    ASSERT_TRUE(StereoCam::Evaluate(Stereo(0.06), pose, {}, W, H, W / 4, 0, 0, 0, right));
    ExpectVec(left.origin, pose.position - 0.03 * pose.right, 1e-15);
    ExpectVec(right.origin, pose.position + 0.03 * pose.right, 1e-15);
    ExpectVec(left.direction, pose.forward, 1e-15);
    ExpectVec(right.direction, pose.forward, 1e-15);
    // x = 0 belongs to the right eye.
    ASSERT_TRUE(StereoCam::Evaluate(Stereo(0.06), pose, {}, W, H, 0.0, 0, 0, 0, zero));
    ExpectVec(zero.origin, right.origin, 0);
}

TEST(StereoProjection, NoSeparationGivesTwoIdenticalHalves) {
    for (double x : {-0.017, -0.01, -0.002})
        for (double y : {-0.01, 0.0, 0.006}) {
            StereoCam::StereoRay a, b;
            ASSERT_TRUE(StereoCam::Evaluate(Stereo(0.0), kIdentity, {}, W, H, x, y, 0, 0, a));
            ASSERT_TRUE(StereoCam::Evaluate(Stereo(0.0), kIdentity, {}, W, H, x + W / 2, y, 0, 0, b));
            ExpectVec(a.origin, b.origin, 0);
            ExpectVec(a.direction, b.direction, 1e-15);
        }
}

TEST(StereoProjection, EyesToeInTowardTheConvergencePointWithinTheLimit) {
    const Pose pose = Turned(-0.5, 0.2, 0.3, {0.5, 1, -2});
    const Vec3 pC = pose.position + 4.0 * pose.forward + 0.2 * pose.up;
    StereoCam::StereoRay left, right;
    ASSERT_TRUE(StereoCam::Evaluate(Stereo(0.5, 10.0, true), pose, pC, W, H, -W / 4, 0, 0, 0, left));
    ASSERT_TRUE(StereoCam::Evaluate(Stereo(0.5, 10.0, true), pose, pC, W, H, W / 4, 0, 0, 0, right));
    EXPECT_NEAR(Angle(left.direction, pC - left.origin), 0.0, 1e-7);
    EXPECT_NEAR(Angle(right.direction, pC - right.origin), 0.0, 1e-7);
    // the two eyes turn toward each other
    EXPECT_GT(Dot(left.direction, pose.right), 0.0);
    EXPECT_LT(Dot(right.direction, pose.right), 0.0);
    // mirrored film points of the two eyes mirror about the centre line
    const Pose straight = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (double dx : {0.0, 0.002, 0.006})
        for (double y : {-0.005, 0.0, 0.004}) {
            StereoCam::StereoRay a, b;
            ASSERT_TRUE(
                StereoCam::Evaluate(Stereo(0.5, 10.0, true), straight, {0, 0, 3}, W, H, -W / 4 - dx, y, 0, 0, a));
            ASSERT_TRUE(
                StereoCam::Evaluate(Stereo(0.5, 10.0, true), straight, {0, 0, 3}, W, H, W / 4 + dx, y, 0, 0, b));
            ExpectVec(a.origin, {-b.origin.x, b.origin.y, b.origin.z}, 1e-15);
            ExpectVec(a.direction, {-b.direction.x, b.direction.y, b.direction.z}, 1e-15);
        }
}

TEST(StereoProjection, LimitIsMeasuredFromEachRaysOwnOrigin) {
    // Left eye at (-0.25, 0, 0); the convergence point straight ahead of it.
    const Vec3 pC = {-0.25, 0.0, 5.0};
    const double limit = 5.0;
    StereoCam::StereoRay r;
    // Exactly at the limit: the eye turns (its axis points at pC).
    ASSERT_TRUE(StereoCam::Evaluate(Stereo(0.5, limit, true), kIdentity, pC, W, H, -W / 4, 0, 0, 0, r));
    ExpectVec(r.direction, {0, 0, 1}, 1e-15);
    StereoCam::StereoRay toward;
    const Vec3 pSide = {2.75, 0.0, 4.0}; // 5 from the left eye, off its axis
    ASSERT_TRUE(StereoCam::Evaluate(Stereo(0.5, limit, true), kIdentity, pSide, W, H, -W / 4, 0, 0, 0, toward));
    EXPECT_NEAR(Angle(toward.direction, pSide - Vec3{-0.25, 0, 0}), 0.0, 1e-12);
    // Just beyond: the axis stays forward.
    StereoCam::StereoRay beyond;
    ASSERT_TRUE(
        StereoCam::Evaluate(Stereo(0.5, limit * (1 - 1e-12), true), kIdentity, pSide, W, H, -W / 4, 0, 0, 0, beyond));
    ExpectVec(beyond.direction, {0, 0, 1}, 1e-15);
    // A lens offset that moves the origin away from the point takes it beyond
    // the limit, although the eye centre is within it.
    StereoCam::StereoParams lens = Stereo(0.5, limit, true);
    lens.lensFactor = 0.5;
    lens.focusDistance = 0.0; // focused at infinity: the direction is the eye axis
    StereoCam::StereoRay shifted;
    ASSERT_TRUE(StereoCam::Evaluate(lens, kIdentity, pSide, W, H, -W / 4, 0, -1.0, 0, shifted));
    EXPECT_LT(shifted.origin.x, -0.25);
    ExpectVec(shifted.direction, {0, 0, 1}, 1e-15);
    // ... and toward it, within the limit again.
    ASSERT_TRUE(StereoCam::Evaluate(lens, kIdentity, pSide, W, H, -W / 4, 0, 1.0, 0, shifted));
    EXPECT_NEAR(Angle(shifted.direction, pSide - shifted.origin), 0.0, 1e-12);
}

// The toe-in axis is the way to the item divided by its length, component by
// component (scaling by 1 / l instead rounds differently in the last bit for
// these points). At each eye's centre film point with an unturned pose the
// pinhole vector is exactly d times that axis.
TEST(StereoProjection, ToeInAxisIsTheWayToTheItemOverItsLength) {
    const double d = 3.2 * H * 0.5;
    const Vec3 points[] = {{0.3, 0.3, 3.0}, {0.3, -0.2, 5.0}, {0.3, 0.7, 5.0}, {-0.35, 0.45, 7.0}};
    for (const Vec3 &pC : points)
        for (double x : {-W / 4, W / 4}) {
            const Vec3 eye = {x < 0 ? -0.25 : 0.25, 0.0, 0.0};
            const Vec3 t = {pC.x - eye.x, pC.y - eye.y, pC.z - eye.z};
            const double l = std::sqrt(t.x * t.x + t.y * t.y + t.z * t.z);
            const Vec3 axis = {t.x / l, t.y / l, t.z / l};
            const Vec3 want = FocusedDirection({d * axis.x, d * axis.y, d * axis.z}, {0, 0, 0}, 10.0);
            StereoCam::StereoRay r;
            ASSERT_TRUE(StereoCam::Evaluate(Stereo(0.5, 10.0, true), kIdentity, pC, W, H, x, 0, 0, 0, r));
            EXPECT_EQ(r.direction.x, want.x) << pC.x << " " << pC.y << " " << pC.z << " eye " << eye.x;
            EXPECT_EQ(r.direction.y, want.y) << pC.x << " " << pC.y << " " << pC.z << " eye " << eye.x;
            EXPECT_EQ(r.direction.z, want.z) << pC.x << " " << pC.y << " " << pC.z << " eye " << eye.x;
        }
}

TEST(StereoProjection, NoConvergenceMeansParallelAxesWhateverTheLimit) {
    StereoCam::StereoRay a, b;
    ASSERT_TRUE(StereoCam::Evaluate(Stereo(0.5, 1e9, false), kIdentity, {0, 0, 1}, W, H, -W / 4, 0, 0, 0, a));
    ASSERT_TRUE(StereoCam::Evaluate(Stereo(0.5, 1e9, false), kIdentity, {0, 0, 1}, W, H, W / 4, 0, 0, 0, b));
    ExpectVec(a.direction, {0, 0, 1}, 0);
    ExpectVec(b.direction, {0, 0, 1}, 0);
    // A convergence point at the eye itself gives no direction to turn to.
    ASSERT_TRUE(StereoCam::Evaluate(Stereo(0.5, 1.0, true), kIdentity, {-0.25, 0, 0}, W, H, -W / 4, 0, 0, 0, a));
    ExpectVec(a.direction, {0, 0, 1}, 0);
    EXPECT_FALSE(StereoCam::Evaluate(Stereo(0.5), kIdentity, {}, W, H, kNaN, 0, 0, 0, a));
    const double fwd[3] = {0, 0, 2};
    ExpectVec(StereoCam::FilmNormal(fwd), {0, 0, 1}, 0);
}

// ---- thin lens in both cameras ---------------------------------------------

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
                    fp.lensFactor = c.lensFactor;
                    fp.focusDistance = c.focus;
                    fpin.lensFactor = c.pinholeLensFactor;
                    fpin.focusDistance = c.pinholeFocus;
                    FisheyeCam::FisheyeRay f, fref;
                    ASSERT_TRUE(FisheyeCam::Evaluate(fpin, pose, H, x, y, ab.first, ab.second, fref)) << what;
                    ASSERT_TRUE(FisheyeCam::Evaluate(fp, pose, H, x, y, ab.first, ab.second, f)) << "fisheye " << what;
                    expectUnitAndSame(f.direction, fref.direction, "fisheye " + what);
                    EXPECT_EQ(std::memcmp(&f.origin, &fref.origin, sizeof f.origin), 0) << "fisheye origin " << what;

                    StereoCam::StereoParams sp = {c.zoom, 0.06, 10.0, c.lensFactor, c.focus, false}, spin = sp;
                    spin.lensFactor = c.pinholeLensFactor;
                    spin.focusDistance = c.pinholeFocus;
                    StereoCam::StereoRay s, sref;
                    ASSERT_TRUE(StereoCam::Evaluate(spin, pose, {}, W, H, x, y, ab.first, ab.second, sref)) << what;
                    ASSERT_TRUE(StereoCam::Evaluate(sp, pose, {}, W, H, x, y, ab.first, ab.second, s))
                        << "stereo " << what;
                    expectUnitAndSame(s.direction, sref.direction, "stereo " + what);
                    EXPECT_EQ(std::memcmp(&s.origin, &sref.origin, sizeof s.origin), 0) << "stereo origin " << what;
                }
}

// ---- skybox -----------------------------------------------------------------

namespace {
using SkyboxCam::Face;
const double SW = 0.032, SH = 0.024; // 4:3, square cells

Face FaceAt(double x, double y, int type) { return SkyboxCam::SkyboxCell(x, y, SW, SH, type).face; }

// World direction of the point (cx, cy) of a face's own view, measured from
// the view's centre.
Vec3 ViewDirection(Face face, double cx, double cy, int type, const double toWorld[3][3]) {
    return SkyboxCam::WorldDirectionUnnormalised(toWorld, SkyboxCam::CameraDirection({face, cx, cy}, SH, type));
}
} // namespace

TEST(SkyboxProjection, GridBoundariesBelongToTheCellLeftAndBelow) {
    EXPECT_EQ(FaceAt(-SW / 4, 0, 0), Face::Left);
    EXPECT_EQ(FaceAt(std::nextafter(-SW / 4, 0.0), 0, 0), Face::Front);
    EXPECT_EQ(FaceAt(0.0, 0, 0), Face::Front);
    EXPECT_EQ(FaceAt(1e-12, 0, 0), Face::Right);
    EXPECT_EQ(FaceAt(SW / 4, 0, 0), Face::Right);
    EXPECT_EQ(FaceAt(std::nextafter(SW / 4, 1.0), 0, 0), Face::Back);
    // the row bounds are the products H * (-1/6) and H * (1/6)
    const double low = SH * (-1.0 / 6.0), high = SH * (1.0 / 6.0);
    EXPECT_EQ(FaceAt(-SW / 8, low, 0), Face::Down);
    EXPECT_EQ(FaceAt(-SW / 8, std::nextafter(low, 0.0), 0), Face::Front);
    EXPECT_EQ(FaceAt(-SW / 8, high, 0), Face::Front);
    EXPECT_EQ(FaceAt(-SW / 8, std::nextafter(high, 1.0), 0), Face::Up);
}

TEST(SkyboxProjection, BothLayoutsPlaceSixViewsAndLeaveSixCellsEmpty) {
    // Cell centres, bottom row first; columns left to right.
    const Face N = Face::None;
    const Face cross[3][4] = {
        {N, Face::Down, N, N}, {Face::Left, Face::Front, Face::Right, Face::Back}, {N, Face::Up, N, N}};
    const Face alternate[3][4] = {
        {N, Face::Down, N, N}, {Face::Left, Face::Front, Face::Right, Face::Back}, {N, N, N, Face::Up}};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) {
            const double x = -SW / 2 + SW / 8 + col * SW / 4, y = -SH / 2 + SH / 6 + row * SH / 3;
            EXPECT_EQ(FaceAt(x, y, SkyboxCam::kCrossShape), cross[row][col]) << row << "," << col;
            EXPECT_EQ(FaceAt(x, y, SkyboxCam::kAlternateShape), alternate[row][col]) << row << "," << col;
            // any other type has no view above the middle row
            const Face other = row == 2 ? N : cross[row][col];
            EXPECT_EQ(FaceAt(x, y, 2), other);
            EXPECT_EQ(FaceAt(x, y, -1), other);
            // the point is moved to the centre of its view
            const SkyboxCam::Cell c = SkyboxCam::SkyboxCell(x, y, SW, SH, SkyboxCam::kCrossShape);
            if (c.face != N) {
                EXPECT_NEAR(c.x, 0.0, 1e-15);
                EXPECT_NEAR(c.y, 0.0, 1e-15);
            }
        }
}

TEST(SkyboxProjection, ViewCentresLookAlongTheTurnedAxes) {
    const Pose pose = Turned(0.6, -0.4, 0.25, {0, 0, 0});
    const double toWorld[3][3] = {{pose.right.x, pose.right.y, pose.right.z},
                                  {pose.up.x, pose.up.y, pose.up.z},
                                  {pose.forward.x, pose.forward.y, pose.forward.z}};
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    struct Expect {
        Face face;
        int type;
        Vec3 camera;
    } cases[] = {{Face::Left, 0, {-1, 0, 0}}, {Face::Front, 0, {0, 0, 1}}, {Face::Right, 0, {1, 0, 0}},
                 {Face::Back, 0, {0, 0, -1}}, {Face::Down, 0, {0, -1, 0}}, {Face::Up, 0, {0, 1, 0}},
                 {Face::Up, 1, {0, 1, 0}}};
    for (const Expect &e : cases) {
        ExpectVec(ViewDirection(e.face, 0, 0, e.type, identity), e.camera, 1e-15);
        const Vec3 world = e.camera.x * pose.right + e.camera.y * pose.up + e.camera.z * pose.forward;
        ExpectVec(ViewDirection(e.face, 0, 0, e.type, toWorld), world, 1e-15);
    }
}

TEST(SkyboxProjection, TurnedCameraGivesOneSeamlessCube) {
    // Each view spans 2 atan((1/6) / 0.1685) of the 90 degrees of a face, so
    // neighbouring edges lie a fixed hair apart: ~0.63 degrees.
    const double seam = 2.0 * (kPi / 4 - std::atan((1.0 / 6.0) / 0.1685));
    const double e = SH / 6; // half a cell
    for (const Pose &pose :
         {kIdentity, Turned(0.5, 0.0, 0.0, {}), Turned(0.3, 0.7, -0.45, {}), Turned(-2.0, -1.1, 2.5, {})}) {
        const double M[3][3] = {{pose.right.x, pose.right.y, pose.right.z},
                                {pose.up.x, pose.up.y, pose.up.z},
                                {pose.forward.x, pose.forward.y, pose.forward.z}};
        for (int type : {0, 1}) {
            // Views side by side on the film meet along the same edge points.
            struct Pair {
                Face a, b;
                bool horizontal; // b to the right of a, else b above a
            };
            std::vector<Pair> pairs = {{Face::Left, Face::Front, true},
                                       {Face::Front, Face::Right, true},
                                       {Face::Right, Face::Back, true},
                                       {Face::Back, Face::Left, true},
                                       {Face::Down, Face::Front, false}};
            pairs.push_back(type == 0 ? Pair{Face::Front, Face::Up, false} : Pair{Face::Back, Face::Up, false});
            for (const Pair &p : pairs)
                for (double t = -1.0; t <= 1.0; t += 0.25) {
                    const Vec3 a =
                        p.horizontal ? ViewDirection(p.a, e, t * e, type, M) : ViewDirection(p.a, t * e, e, type, M);
                    const Vec3 b =
                        p.horizontal ? ViewDirection(p.b, -e, t * e, type, M) : ViewDirection(p.b, t * e, -e, type, M);
                    EXPECT_LT(Angle(a, b), seam * 1.0001) << int(p.a) << "/" << int(p.b) << " t " << t;
                    // the seam crosses the edge, it does not run along it
                    EXPECT_GT(Dot(Cross(a, b), Cross(a, b)), 0.0);
                }
            // Every edge of every view has a partner edge of another view.
            const Face faces[] = {Face::Left, Face::Front, Face::Right, Face::Back, Face::Down, Face::Up};
            std::vector<std::pair<Face, Vec3>> edges;
            for (Face f : faces)
                for (double t = -1.0; t <= 1.0; t += 0.5) {
                    edges.push_back({f, ViewDirection(f, e, t * e, type, M)});
                    edges.push_back({f, ViewDirection(f, -e, t * e, type, M)});
                    edges.push_back({f, ViewDirection(f, t * e, e, type, M)});
                    edges.push_back({f, ViewDirection(f, t * e, -e, type, M)});
                }
            for (const auto &a : edges) {
                double nearest = 10.0;
                for (const auto &b : edges)
                    if (b.first != a.first)
                        nearest = std::fmin(nearest, Angle(a.second, b.second));
                EXPECT_LT(nearest, seam * 1.0001);
            }
        }
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
