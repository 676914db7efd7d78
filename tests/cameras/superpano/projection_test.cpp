// The SuperPano projection on its own, against the Panoramic camera it
// extends.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "cameras/panoramic/projection.h"
#include "cameras/superpano/projection.h"

using namespace lentara;

namespace {

const double kPi = 3.14159265358979323846;
const double W = 0.036, H = 0.024;

Pose Turned(double h, Vec3 pos) {
    return {pos, {std::cos(h), 0, -std::sin(h)}, {0, 1, 0}, {std::sin(h), 0, std::cos(h)}};
}

bool SameBits(Vec3 a, Vec3 b) { return std::memcmp(&a, &b, sizeof a) == 0; }

AdvPanCam::SuperPanoParams Unit(double hfov, double vmax, double vmin) {
    return {hfov, vmax, vmin, 1.0, 1.0, 1.0, 1.0, 0.0, 0.0};
}

} // namespace

TEST(SuperPanoProjection, UnitScalesAndNoShiftGiveThePanoramicRaysExactly) {
    const Pose pose = Turned(0.8, {1, 2, 3});
    for (const PanoramicCam::PanoramaParams &pp :
         {PanoramicCam::PanoramaParams{2 * kPi, kPi / 4, -kPi / 4}, PanoramicCam::PanoramaParams{1.3, 0.9, -0.2},
          PanoramicCam::PanoramaParams{7.5, -0.3, 0.4}})
        for (double fx : {-W / 2, -0.011, 0.0, 0.004, W / 2})
            for (double fy : {-H / 2, -0.003, 0.0, 0.01, H / 2}) {
                const AdvPanCam::SuperPanoParams sp = Unit(pp.horizontalFov, pp.maxVerticalFov, pp.minVerticalFov);
                const Vec3 a = AdvPanCam::WorldDirectionNormalised(pose, AdvPanCam::CameraDirection(sp, fx, fy, W, H));
                const Vec3 b =
                    PanoramicCam::WorldDirectionNormalised(pose, PanoramicCam::CameraDirection(pp, fx, fy, W, H));
                EXPECT_TRUE(SameBits(a, b)) << fx << " " << fy;
            }
}

TEST(SuperPanoProjection, ShiftMovesTheCentreToTheEdgeAzimuth) {
    AdvPanCam::SuperPanoParams p = Unit(2.0, kPi / 4, -kPi / 4);
    const Vec3 edge = AdvPanCam::CameraDirection(p, W / 2, 0, W, H);
    p.hShift = 1.0;
    const Vec3 shifted = AdvPanCam::CameraDirection(p, 0, 0, W, H);
    EXPECT_NEAR(std::atan2(shifted.x, shifted.z), 1.0, 1e-12);
    EXPECT_NEAR(shifted.x, edge.x, 1e-15);
    EXPECT_NEAR(shifted.z, edge.z, 1e-15);

    p.hShift = 0.0;
    p.vShift = -1.0;
    const Vec3 low = AdvPanCam::CameraDirection(p, 0, 0, W, H);
    EXPECT_NEAR(std::asin(low.y), -kPi / 4, 1e-12);
}

TEST(SuperPanoProjection, ScalesActOnTheirOwnHalfOnly) {
    AdvPanCam::SuperPanoParams p = Unit(kPi, kPi / 3, -kPi / 3);
    const Vec3 right0 = AdvPanCam::CameraDirection(p, W / 4, H / 4, W, H);
    const Vec3 left0 = AdvPanCam::CameraDirection(p, -W / 4, -H / 4, W, H);
    p.hScalePos = 2.0;
    p.vScalePos = 3.0;
    const Vec3 right = AdvPanCam::CameraDirection(p, W / 4, H / 4, W, H);
    const Vec3 left = AdvPanCam::CameraDirection(p, -W / 4, -H / 4, W, H);
    EXPECT_DOUBLE_EQ(right.x, 2.0 * right0.x);
    EXPECT_DOUBLE_EQ(right.y, 3.0 * right0.y);
    EXPECT_TRUE(SameBits(left, left0));

    // Negative scales mirror their half.
    p = Unit(kPi, kPi / 3, -kPi / 3);
    p.hScaleNeg = -1.0;
    const Vec3 mirrored = AdvPanCam::CameraDirection(p, -W / 4, 0, W, H);
    const Vec3 rightRef = AdvPanCam::CameraDirection(p, W / 4, 0, W, H);
    EXPECT_NEAR(mirrored.x, rightRef.x, 1e-15);
    EXPECT_NEAR(mirrored.z, rightRef.z, 1e-15);
}

TEST(SuperPanoProjection, ZeroScalesFlattenEveryRayWithinNinetyDegreesOntoForward) {
    AdvPanCam::SuperPanoParams p = {kPi, kPi / 2, -kPi / 2, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    const Pose pose = Turned(-1.2, {0, 0, 0});
    for (double fx : {-0.017, -0.005, 0.0, 0.008, 0.0179})
        for (double fy : {-0.0119, -0.002, 0.0, 0.011}) {
            const Vec3 d = AdvPanCam::WorldDirectionNormalised(pose, AdvPanCam::CameraDirection(p, fx, fy, W, H));
            EXPECT_NEAR(Dot(d, pose.forward), 1.0, 1e-12) << fx << " " << fy;
        }
    // Film x = 0 without shift has no right component, whatever the scales.
    p = {kPi, kPi / 4, -kPi / 4, 4.0, 2.0, -3.0, 0.5, 0.0, 0.3};
    for (double fy : {-0.01, 0.0, 0.007}) EXPECT_EQ(AdvPanCam::CameraDirection(p, 0.0, fy, W, H).x, 0.0);
}

// Panoramic and SuperPano keep the elevation's sine and cosine per thread:
// along a scanline, across rows, back to an earlier row and at signed-zero
// elevations the directions equal those computed afresh, bit for bit.
TEST(ElevationMemo, ScanlinesGiveTheFreshDirections) {
    AdvPanCam::SuperPanoParams sp = Unit(2 * kPi, kPi / 4, -kPi / 4);
    sp.vScalePos = 0.7, sp.hScaleNeg = 1.3, sp.vShift = 0.1;
    const PanoramicCam::PanoramaParams pano = {2 * kPi, kPi / 3, -kPi / 4};
    const PanoramicCam::PanoramaParams symmetric = {2 * kPi, kPi / 4, -kPi / 4}; // elevation +0 or -0 at mid film
    SinCosMemo mSp, mPano, mSym;
    auto same = [](Vec3 a, Vec3 b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    const double rows[] = {0.0, -0.0, H * 0.25, H * 0.25, -H * 0.5, 0.0, H * 0.25, -0.0};
    for (double fy : rows)
        for (double fx : {-W / 2, -0.003, 0.0, 0.011, W / 2}) {
            EXPECT_TRUE(same(AdvPanCam::CameraDirection(sp, fx, fy, W, H, mSp),
                             AdvPanCam::CameraDirection(sp, fx, fy, W, H)))
                << fx << " " << fy;
            EXPECT_TRUE(same(PanoramicCam::CameraDirection(pano, fx, fy, W, H, mPano),
                             PanoramicCam::CameraDirection(pano, fx, fy, W, H)))
                << fx << " " << fy;
            const Vec3 a = PanoramicCam::CameraDirection(symmetric, fx, fy, W, H, mSym);
            const Vec3 b = PanoramicCam::CameraDirection(symmetric, fx, fy, W, H);
            EXPECT_TRUE(same(a, b)) << fx << " " << fy;
            EXPECT_EQ(std::signbit(a.y), std::signbit(b.y));
        }
    // A memo shared by two cameras with different elevations still answers each one.
    SinCosMemo shared;
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(same(PanoramicCam::CameraDirection(pano, 0.004, 0.005, W, H, shared),
                         PanoramicCam::CameraDirection(pano, 0.004, 0.005, W, H)));
        EXPECT_TRUE(same(AdvPanCam::CameraDirection(sp, 0.004, 0.005, W, H, shared),
                         AdvPanCam::CameraDirection(sp, 0.004, 0.005, W, H)));
    }
}
