// The Stereo Rig projection on its own: where each mode's eyes converge, the
// eye images of the layouts and the thin lens of each eye.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "cameras/stereorig/projection.h"

using namespace lentara;
using namespace StereoRigCam;

namespace {
const double W = 0.036, H = 0.024;
const double kSeparation = 0.065, kConvergence = 3.0;
// A camera turned by heading -0.4 and pitch 0.25, away from the origin.
const Pose kPose = [] {
    const double ch = std::cos(-0.4), sh = std::sin(-0.4), cp = std::cos(0.25), sp = std::sin(0.25);
    return Pose{{-2.0, 1.0, 5.0}, {ch, 0.0, -sh}, {sh * sp, cp, ch * sp}, {sh * cp, -sp, ch * cp}};
}();
const RigMode kModes[] = {RigMode::OffAxis, RigMode::Parallel, RigMode::ToeIn};

StereoRig Rig(RigMode mode, EyeLayout layout, double separation = kSeparation, double convergence = kConvergence,
              double lensFactor = 0.0, double focus = 0.0) {
    return MakeRig({1.5, separation, convergence, mode, layout, lensFactor, focus});
}
StereoRigRay Ray(const StereoRig &rig, double x, double y, double a = 0.0, double b = 0.0) {
    StereoRigRay r{};
    EXPECT_TRUE(Evaluate(rig, kPose, W, H, x, y, a, b, r) && IsFinite(r.origin) && IsFinite(r.direction) &&
                IsFinite(r.filmNormal))
        << x << ", " << y;
    return r;
}
double Length(Vec3 v) { return std::sqrt(Dot(v, v)); }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
// Where ray r reaches depth z along the camera's forward axis.
Vec3 AtDepth(const StereoRigRay &r, double z) {
    const double t = (z - Dot(r.origin - kPose.position, kPose.forward)) / Dot(r.direction, kPose.forward);
    return r.origin + t * r.direction;
}
void ExpectSame(Vec3 a, Vec3 b, double tol) { EXPECT_NEAR(Length(a - b), 0.0, tol); }
} // namespace

// Off-axis: both eyes' rays of any film point meet at depth C (zero parallax
// there), the centre rays at P + C F; parallel eyes' rays never meet.
TEST(StereoRigProjection, OffAxisEyesMeetAtTheConvergenceDepthAndParallelEyesNever) {
    for (double x : {0.0, -0.0071, 0.0089})
        for (double y : {0.0, 0.005, -0.0119}) {
            const StereoRigRay L = Ray(Rig(RigMode::OffAxis, EyeLayout::LeftOnly), x, y);
            const StereoRigRay R = Ray(Rig(RigMode::OffAxis, EyeLayout::RightOnly), x, y);
            ExpectSame(AtDepth(L, kConvergence), AtDepth(R, kConvergence), 1e-13);
            if (x == 0.0 && y == 0.0) {
                ExpectSame(AtDepth(L, kConvergence), kPose.position + kConvergence * kPose.forward, 1e-13);
            }
            ExpectSame(L.filmNormal, kPose.forward, 0.0);

            const StereoRigRay PL = Ray(Rig(RigMode::Parallel, EyeLayout::LeftOnly), x, y);
            const StereoRigRay PR = Ray(Rig(RigMode::Parallel, EyeLayout::RightOnly), x, y);
            ExpectSame(PL.direction, PR.direction, 1e-15);
            ExpectSame(PR.origin - PL.origin, kSeparation * kPose.right, 1e-15);
        }
}

// Toe-in: each eye's axis (its film normal and its centre ray) passes through
// P + C F, and its film is square to that axis.
TEST(StereoRigProjection, ToedInAxesMeetAtTheConvergencePoint) {
    const Vec3 target = kPose.position + kConvergence * kPose.forward;
    for (EyeLayout layout : {EyeLayout::LeftOnly, EyeLayout::RightOnly}) {
        const StereoRigRay c = Ray(Rig(RigMode::ToeIn, layout), 0.0, 0.0);
        EXPECT_NEAR(Length(Cross(target - c.origin, c.filmNormal)), 0.0, 1e-15);
        EXPECT_GT(Dot(target - c.origin, c.filmNormal), 0.0);
        ExpectSame(c.direction, c.filmNormal, 1e-15);
        // a film point off the centre along x moves the ray in the eye's own right axis
        const StereoRigRay o = Ray(Rig(RigMode::ToeIn, layout), 0.006, 0.0);
        EXPECT_NEAR(Dot(Cross(c.direction, o.direction), kPose.up) * Dot(Cross(kPose.forward, kPose.right), kPose.up),
                    Length(Cross(c.direction, o.direction)), 1e-15);
    }
}

// No separation, or no usable convergence distance, gives parallel eyes, and
// with no separation both eyes are the same camera.
TEST(StereoRigProjection, NoSeparationOrNoConvergenceGivesParallelEyes) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    for (RigMode mode : kModes)
        for (double x : {0.0, 0.011}) {
            const StereoRigRay L = Ray(Rig(mode, EyeLayout::LeftOnly, 0.0), x, -0.003, 0.4, -0.2);
            const StereoRigRay R = Ray(Rig(mode, EyeLayout::RightOnly, 0.0), x, -0.003, 0.4, -0.2);
            ExpectSame(L.origin, R.origin, 0.0);
            ExpectSame(L.direction, R.direction, 0.0);
            ExpectSame(L.filmNormal, R.filmNormal, 0.0);
            for (double C : {0.0, -2.0, inf, nan}) {
                const StereoRigRay p = Ray(Rig(RigMode::Parallel, EyeLayout::LeftOnly), x, 0.004);
                const StereoRigRay m = Ray(Rig(mode, EyeLayout::LeftOnly, kSeparation, C), x, 0.004);
                ExpectSame(m.origin, p.origin, 0.0);
                ExpectSame(m.direction, p.direction, 0.0);
            }
        }
}

// Each layout's eye images: the eye of a film point, the half-frame
// boundaries (they belong to the right eye), and a film distance from the
// eye image's height.
TEST(StereoRigProjection, LayoutsGiveEachEyeItsImage) {
    const double h = 0.5 * kSeparation;
    auto eyeOf = [&](EyeLayout layout, double x, double y) {
        return Dot(Ray(Rig(RigMode::Parallel, layout), x, y).origin - kPose.position, kPose.right) / h;
    };
    EXPECT_NEAR(eyeOf(EyeLayout::SideBySide, -1e-9, 0.0), -1.0, 1e-12);
    EXPECT_NEAR(eyeOf(EyeLayout::SideBySide, 0.0, 0.0), 1.0, 1e-12);
    EXPECT_NEAR(eyeOf(EyeLayout::OverUnder, 0.0, 1e-9), -1.0, 1e-12);
    EXPECT_NEAR(eyeOf(EyeLayout::OverUnder, 0.0, 0.0), 1.0, 1e-12);
    EXPECT_NEAR(eyeOf(EyeLayout::LeftOnly, 0.01, -0.01), -1.0, 1e-12);
    EXPECT_NEAR(eyeOf(EyeLayout::RightOnly, -0.01, 0.01), 1.0, 1e-12);
    // An eye image's centre looks ahead; its top edge atan(1 / zoom) up.
    const struct {
        EyeLayout layout;
        double cx, cy, halfHeight;
    } images[] = {{EyeLayout::SideBySide, -0.25 * W, 0.0, 0.5 * H}, {EyeLayout::SideBySide, 0.25 * W, 0.0, 0.5 * H},
                  {EyeLayout::OverUnder, 0.0, 0.25 * H, 0.25 * H}, {EyeLayout::OverUnder, 0.0, -0.25 * H, 0.25 * H}};
    for (const auto &im : images) {
        const StereoRig rig = Rig(RigMode::Parallel, im.layout);
        ExpectSame(Ray(rig, im.cx, im.cy).direction, kPose.forward, 1e-15);
        const Vec3 top = Ray(rig, im.cx, im.cy + im.halfHeight - 1e-15).direction;
        EXPECT_NEAR(std::atan2(Dot(top, kPose.up), Dot(top, kPose.forward)), std::atan(1.0 / 1.5), 1e-12);
    }
}

// Depth of field in each eye: the lens lies in the eye's own lens plane
// (square to its film normal), with radius d * 0.5 / f-stop, and every lens
// sample of a film point aims at the point at the focus distance along the
// pinhole ray.
TEST(StereoRigProjection, EachEyesLensFocusesAtTheFocusDistance) {
    const double lensFactor = LensFactorFor(2.8), focus = 2.2, d = 1.5 * H * 0.5;
    for (RigMode mode : kModes)
        for (EyeLayout layout : {EyeLayout::LeftOnly, EyeLayout::RightOnly}) {
            const StereoRig rig = Rig(mode, layout, kSeparation, kConvergence, lensFactor, focus);
            const StereoRigRay pin = Ray(rig, 0.007, -0.004);
            const Vec3 pFocus = pin.origin + focus * pin.direction;
            const double samples[][2] = {{1.0, 0.0}, {-0.3, 0.8}};
            for (const auto &s : samples) {
                const StereoRigRay r = Ray(rig, 0.007, -0.004, s[0], s[1]);
                const Vec3 offset = r.origin - pin.origin;
                EXPECT_NEAR(Length(offset), d * lensFactor * std::hypot(s[0], s[1]), 1e-15);
                EXPECT_NEAR(Dot(offset, pin.filmNormal), 0.0, 1e-15);
                EXPECT_NEAR(Length(Cross(pFocus - r.origin, r.direction)), 0.0, 1e-13);
            }
        }
    // Guards: no usable f-stop is a pinhole; no usable focus keeps the
    // pinhole direction from the lens point.
    const StereoRigRay pin = Ray(Rig(RigMode::OffAxis, EyeLayout::SideBySide), 0.004, 0.002);
    const StereoRigRay noLens =
        Ray(Rig(RigMode::OffAxis, EyeLayout::SideBySide, kSeparation, kConvergence, LensFactorFor(0.0), focus), 0.004,
            0.002, 0.5, 0.5);
    ExpectSame(noLens.origin, pin.origin, 0.0);
    ExpectSame(noLens.direction, pin.direction, 1e-15);
    const StereoRigRay noFocus =
        Ray(Rig(RigMode::OffAxis, EyeLayout::SideBySide, kSeparation, kConvergence, lensFactor, -1.0), 0.004, 0.002,
            0.5, 0.5);
    ExpectSame(noFocus.direction, pin.direction, 1e-15);
}

// Extreme but finite zoom, separation, convergence, f-stop and focus still
// give finite unit rays.
TEST(StereoRigProjection, ExtremeFiniteValuesStillGiveRays) {
    const double big = 1e300, small = 1e-300;
    for (RigMode mode : kModes)
        for (double zoom : {small, 1.5, big})
            for (double sep : {small, kSeparation, big})
                for (double C : {small, kConvergence, big})
                    for (double lensFactor : {0.0, LensFactorFor(small), LensFactorFor(big)})
                        for (double focus : {small, big}) {
                            if (mode == RigMode::OffAxis && sep / C * zoom > 1e280) continue; // the film shift itself overflows
                            const StereoRig rig = MakeRig({zoom, sep, C, mode, EyeLayout::SideBySide, lensFactor, focus});
                            for (double x : {-0.009, 0.0}) {
                                const StereoRigRay r = Ray(rig, x, 0.0, 0.6, 0.6);
                                EXPECT_NEAR(Dot(r.direction, r.direction), 1.0, 1e-12);
                            }
                        }
}
