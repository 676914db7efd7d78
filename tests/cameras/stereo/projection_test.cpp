// The Stereo projection on its own: eye offsets and toe-in.
#include <gtest/gtest.h>

#include <cmath>

#include "cameras/stereo/projection.h"
#include "tests/support/pose.h"

using namespace lentara;
using namespace testsupport;

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
    lens.lens.lensFactor = 0.5;
    lens.lens.focusDistance = 0.0; // focused at infinity: the direction is the eye axis
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
