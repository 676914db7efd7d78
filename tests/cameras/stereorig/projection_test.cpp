// The Stereo Rig projection on its own: parallel eyes, the fall-back to them,
// each eye's thin lens and extreme values (where the eyes converge, and the
// layouts, are tested through the host).
#include <gtest/gtest.h>

#include <cmath>

#include "cameras/stereorig/projection.h"
#include "tests/support/pose.h"

using namespace lentara;
using namespace StereoRigCam;

namespace {
using testsupport::H;
using testsupport::W;
const Pose kPose = {{-2.0, 1.0, 5.0}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}}; // turned to look along +x
const RigMode kModes[] = {RigMode::OffAxis, RigMode::Parallel, RigMode::ToeIn};

StereoRigRay Ray(const StereoRigParams &p, double x, double y, double a = 0.0, double b = 0.0) {
    StereoRigRay r{};
    EXPECT_TRUE(Evaluate(MakeRig(p), kPose, W, H, x, y, a, b, r) && IsFinite(r.origin) && IsFinite(r.direction) &&
                IsFinite(r.filmNormal))
        << x << ", " << y;
    return r;
}
double Length(Vec3 v) { return std::sqrt(Dot(v, v)); }
using testsupport::Cross;
} // namespace

// Parallel eyes see a film point along one direction from points 2h apart,
// so their rays never meet; a convergence distance that is not positive and
// finite makes every mode parallel.
TEST(StereoRigProjection, ParallelEyesNeverMeetAndUnusableConvergenceIsParallel) {
    for (double x : {0.0, 0.011}) {
        const StereoRigRay l = Ray({1.5, 0.065, 3.0, RigMode::Parallel, EyeLayout::LeftOnly, 0, 0}, x, 0.004);
        const StereoRigRay r = Ray({1.5, 0.065, 3.0, RigMode::Parallel, EyeLayout::RightOnly, 0, 0}, x, 0.004);
        EXPECT_EQ(Length(l.direction - r.direction), 0.0);
        EXPECT_NEAR(Length(r.origin - l.origin - 0.065 * kPose.right), 0.0, 1e-15);
        for (RigMode mode : kModes)
            for (double C : {0.0, -2.0, testsupport::kInf, testsupport::kNaN}) {
                const StereoRigRay m = Ray({1.5, 0.065, C, mode, EyeLayout::LeftOnly, 0, 0}, x, 0.004);
                EXPECT_EQ(Length(m.origin - l.origin), 0.0);
                EXPECT_EQ(Length(m.direction - l.direction), 0.0);
            }
    }
}

// Each eye's lens lies in its own lens plane (square to its film normal)
// with radius d * 0.5 / f-stop, and every lens sample of a film point aims at
// the point at the focus distance along the pinhole ray; no usable f-stop is
// a pinhole, no usable focus keeps the pinhole direction.
TEST(StereoRigProjection, EachEyesLensFocusesAtTheFocusDistance) {
    const double lensFactor = LensFactorFor(2.8), focus = 2.2, d = 1.5 * H * 0.5;
    for (RigMode mode : kModes)
        for (EyeLayout layout : {EyeLayout::LeftOnly, EyeLayout::RightOnly}) {
            const StereoRigParams p = {1.5, 0.065, 3.0, mode, layout, lensFactor, focus};
            const StereoRigRay pin = Ray(p, 0.007, -0.004);
            const Vec3 pFocus = pin.origin + focus * pin.direction;
            const StereoRigRay r = Ray(p, 0.007, -0.004, -0.3, 0.8);
            EXPECT_NEAR(Length(r.origin - pin.origin), d * lensFactor * std::hypot(0.3, 0.8), 1e-15);
            EXPECT_NEAR(Dot(r.origin - pin.origin, pin.filmNormal), 0.0, 1e-15);
            EXPECT_NEAR(Length(Cross(pFocus - r.origin, r.direction)), 0.0, 1e-13);
            const StereoRigRay noLens = Ray({1.5, 0.065, 3.0, mode, layout, LensFactorFor(0.0), focus}, 0.007, -0.004,
                                            -0.3, 0.8);
            EXPECT_EQ(Length(noLens.origin - pin.origin), 0.0);
            const StereoRigRay noFocus =
                Ray({1.5, 0.065, 3.0, mode, layout, lensFactor, -1.0}, 0.007, -0.004, -0.3, 0.8);
            EXPECT_NEAR(Length(noFocus.direction - pin.direction), 0.0, 1e-15);
        }
}

// Extreme but finite zoom, separation, convergence, f-stop and focus still
// give finite unit rays (except where the off-axis film shift itself
// overflows).
TEST(StereoRigProjection, ExtremeFiniteValuesStillGiveRays) {
    const double big = 1e300, small = 1e-300;
    for (RigMode mode : kModes)
        for (double zoom : {small, 1.5, big})
            for (double sep : {small, 0.065, big})
                for (double C : {small, 3.0, big})
                    for (double lensFactor : {0.0, LensFactorFor(small), LensFactorFor(big)})
                        for (double focus : {small, big}) {
                            if (mode == RigMode::OffAxis && sep / C * zoom > 1e280) continue;
                            for (double x : {-0.009, 0.0}) {
                                const StereoRigRay r = Ray(
                                    {zoom, sep, C, mode, EyeLayout::SideBySide, lensFactor, focus}, x, 0.0, 0.6, 0.6);
                                EXPECT_NEAR(Dot(r.direction, r.direction), 1.0, 1e-12);
                            }
                        }
}
