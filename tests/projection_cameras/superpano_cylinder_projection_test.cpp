// The SuperPano and Cylinder projections on their own.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "cameras/cylinder/projection.h"
#include "cameras/panoramic/projection.h"
#include "cameras/superpano/projection.h"

using namespace lentara;

namespace {

const double kPi = 3.14159265358979323846;
const double kDeg10 = 0.17453292519943295;
const double W = 0.036, H = 0.024;

const Pose kIdentity = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

Pose Turned(double h, Vec3 pos) {
    return {pos, {std::cos(h), 0, -std::sin(h)}, {0, 1, 0}, {std::sin(h), 0, std::cos(h)}};
}

bool SameBits(Vec3 a, Vec3 b) { return std::memcmp(&a, &b, sizeof a) == 0; }
double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }

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
                const Vec3 a = AdvPanCam::WorldDirection(pose, AdvPanCam::CameraDirection(sp, fx, fy, W, H));
                const Vec3 b =
                    PanoramicCam::WorldDirection(pose, PanoramicCam::CameraDirection(pp, fx, fy, W, H));
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
            const Vec3 d = AdvPanCam::WorldDirection(pose, AdvPanCam::CameraDirection(p, fx, fy, W, H));
            EXPECT_NEAR(Dot(d, pose.forward), 1.0, 1e-12) << fx << " " << fy;
        }
    // Film x = 0 without shift has no right component, whatever the scales.
    p = {kPi, kPi / 4, -kPi / 4, 4.0, 2.0, -3.0, 0.5, 0.0, 0.3};
    for (double fy : {-0.01, 0.0, 0.007}) EXPECT_EQ(AdvPanCam::CameraDirection(p, 0.0, fy, W, H).x, 0.0);
}

TEST(CylinderProjection, UprightDefaults) {
    const CylinderCam::CylinderParams p = {1.0, kDeg10, -kDeg10, 1};
    const Pose pose = Turned(0.6, {4, 5, 6});
    const CylinderCam::CylinderRay c = CylinderCam::CylinderRayAt(p, pose, 0, 0, W, H);
    EXPECT_TRUE(SameBits(c.origin, pose.position));
    EXPECT_NEAR(Dot(c.direction, pose.forward), 1.0, 1e-15);

    const CylinderCam::CylinderRay top = CylinderCam::CylinderRayAt(p, pose, 0, H / 2, W, H);
    EXPECT_NEAR(Length(top.origin - (pose.position + 0.5 * pose.up)), 0.0, 1e-15);
    EXPECT_NEAR(Dot(top.direction, pose.forward), 1.0, 1e-15);

    const CylinderCam::CylinderRay side = CylinderCam::CylinderRayAt(p, pose, W / 2, 0, W, H);
    EXPECT_TRUE(SameBits(side.origin, pose.position));
    EXPECT_NEAR(std::atan2(Dot(side.direction, pose.right), Dot(side.direction, pose.forward)), kDeg10, 1e-15);
    EXPECT_NEAR(Dot(side.direction, pose.up), 0.0, 1e-15);

    // Rows slide along the up axis and keep their direction.
    for (double fx : {-0.01, 0.005})
        for (double fy : {-0.012, 0.003}) {
            const CylinderCam::CylinderRay r = CylinderCam::CylinderRayAt(p, pose, fx, fy, W, H);
            const CylinderCam::CylinderRay r0 = CylinderCam::CylinderRayAt(p, pose, fx, 0, W, H);
            EXPECT_TRUE(SameBits(r.direction, r0.direction));
            EXPECT_NEAR(Dot(r.origin - pose.position, pose.up), fy / H, 1e-15);
        }
}

TEST(CylinderProjection, HorizontalAxisExtentIsLengthTimesAspect) {
    const Pose pose = Turned(-0.4, {1, 0, 0});
    for (double w : {0.048, 0.036, 0.024, 0.012}) {
        const CylinderCam::CylinderParams p = {1.5, kDeg10, -kDeg10, 0};
        const CylinderCam::CylinderRay l = CylinderCam::CylinderRayAt(p, pose, -w / 2, 0, w, H);
        const CylinderCam::CylinderRay r = CylinderCam::CylinderRayAt(p, pose, w / 2, 0, w, H);
        EXPECT_NEAR(Dot(r.origin - l.origin, pose.right), 1.5 * w / H, 1e-12) << w;
        EXPECT_NEAR(Length(r.origin - l.origin), 1.5 * w / H, 1e-12);
        EXPECT_TRUE(SameBits(l.direction, r.direction));
        // The angle runs along the film height toward the up axis.
        const CylinderCam::CylinderRay t = CylinderCam::CylinderRayAt(p, pose, 0, H / 2, w, H);
        EXPECT_NEAR(std::atan2(Dot(t.direction, pose.up), Dot(t.direction, pose.forward)), kDeg10, 1e-15);
        EXPECT_NEAR(Dot(t.direction, pose.right), 0.0, 1e-15);
    }
    // Frame twice as wide as high: the ends lie at -+ length along R.
    const CylinderCam::CylinderParams p = {0.75, kDeg10, -kDeg10, 0};
    const CylinderCam::CylinderRay l = CylinderCam::CylinderRayAt(p, kIdentity, -H, 0, 2 * H, H);
    EXPECT_NEAR(l.origin.x, -0.75, 1e-15);
}

TEST(CylinderProjection, EqualAnglesGiveParallelRaysAndOtherModesActUpright) {
    const CylinderCam::CylinderParams flat = {1.0, 0.3, 0.3, 1};
    const Vec3 d0 = CylinderCam::CylinderRayAt(flat, kIdentity, 0, 0, W, H).direction;
    for (double fx : {-W / 2, 0.004, W / 2})
        for (double fy : {-H / 2, 0.001}) {
            const Vec3 d = CylinderCam::CylinderRayAt(flat, kIdentity, fx, fy, W, H).direction;
            EXPECT_NEAR(Dot(d, d0), 1.0, 1e-15);
        }

    const Pose pose = Turned(2.0, {0, 3, 0});
    for (int mode : {2, 7, -1, 0x7fffffff}) {
        const CylinderCam::CylinderParams odd = {1.0, 0.4, -0.1, mode};
        const CylinderCam::CylinderParams upright = {1.0, 0.4, -0.1, 1};
        for (double fx : {-0.01, 0.009}) {
            const CylinderCam::CylinderRay a = CylinderCam::CylinderRayAt(odd, pose, fx, 0.005, W, H);
            const CylinderCam::CylinderRay b = CylinderCam::CylinderRayAt(upright, pose, fx, 0.005, W, H);
            EXPECT_TRUE(SameBits(a.origin, b.origin) && SameBits(a.direction, b.direction)) << mode;
        }
    }
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
