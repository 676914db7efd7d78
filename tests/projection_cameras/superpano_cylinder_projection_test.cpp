// The SuperPano and Cylinder projections on their own.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

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

namespace {
// The Cylinder ray written out step by step as the camera is defined, in
// double precision, for comparison bit for bit.
CylinderCam::CylinderRay LiteralCylinderRay(const CylinderCam::CylinderParams &p, const Pose &pose, double x,
                                            double y, double W, double H) {
    const double mid = (p.minAngle + p.maxAngle) * 0.5;
    const double span = p.maxAngle - p.minAngle;
    const Vec3 &P = pose.position, &R = pose.right, &U = pose.up, &F = pose.forward;
    Vec3 o, d;
    if (p.sizeMode != 0) {
        const double b = mid + span * (x / (0.5 * W)) * 0.5;
        const double s = (y / (0.5 * H)) * p.length * 0.5;
        o = {P.x + s * U.x, P.y + s * U.y, P.z + s * U.z};
        d = {std::sin(b) * R.x + std::cos(b) * F.x, std::sin(b) * R.y + std::cos(b) * F.y,
             std::sin(b) * R.z + std::cos(b) * F.z};
    } else {
        const double b = mid + span * (y / (0.5 * H)) * 0.5;
        const double s = (x / (0.5 * H)) * p.length * 0.5;
        o = {P.x + s * R.x, P.y + s * R.y, P.z + s * R.z};
        d = {std::sin(b) * U.x + std::cos(b) * F.x, std::sin(b) * U.y + std::cos(b) * F.y,
             std::sin(b) * U.z + std::cos(b) * F.z};
    }
    const double len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    return {o, {d.x / len, d.y / len, d.z / len}};
}

const CylinderCam::CylinderParams kCylinderSpans[] = {
    {1.0, kDeg10, -kDeg10, 1}, {0.5, 0.3, -0.3, 1}, {2.0, 1.2, -0.4, 1}, {1.0, 0.7, 0.2, 1},
    {1.5, 0.1, -1.3, 0},       {0.8, kDeg10, -kDeg10, 0}, {1.0, 2.9, -2.9, 0}, {3.0, -0.05, -0.6, 0}};
} // namespace

TEST(CylinderProjection, RaysFollowTheAngleFormulaBitForBit) {
    const Pose pose = Turned(0.9, {-2, 0.5, 7});
    int points = 0;
    for (const CylinderCam::CylinderParams &p : kCylinderSpans)
        for (double w : {0.036, 0.0359, 0.048, 0.024, 1.0 / 3.0, 0.0123})
            for (double h : {0.024, 0.02025, 0.017})
                for (int i = -7; i <= 7; ++i)
                    for (int j = -5; j <= 5; ++j) {
                        const double x = w * 0.5 * i / 7.0 + 1e-5 * j, y = h * 0.5 * j / 5.0 - 3e-6 * i;
                        const CylinderCam::CylinderRay r = CylinderCam::CylinderRayAt(p, pose, x, y, w, h);
                        const CylinderCam::CylinderRay e = LiteralCylinderRay(p, pose, x, y, w, h);
                        EXPECT_TRUE(SameBits(r.origin, e.origin)) << x << " " << y << " " << w << " " << h;
                        EXPECT_TRUE(SameBits(r.direction, e.direction)) << x << " " << y << " " << w << " " << h;
                        ++points;
                    }
    EXPECT_GT(points, 10000);
}

TEST(CylinderProjection, TheFilmEdgeGivesExactlyTheEndAngles) {
    // At film x = +-W/2 (film y = +-H/2 lying) the angle is mid +- span / 2
    // exactly, whatever the film size; for a symmetric span that is exactly
    // the upper and lower angle.
    for (const CylinderCam::CylinderParams &p : kCylinderSpans) {
        const double mid = (p.minAngle + p.maxAngle) * 0.5, span = p.maxAngle - p.minAngle;
        const double upper = mid + span * 0.5, lower = mid + span * -0.5;
        if (p.minAngle == -p.maxAngle) {
            ASSERT_EQ(upper, p.maxAngle);
            ASSERT_EQ(lower, p.minAngle);
        }
        for (int k = 0; k < 400; ++k) {
            const double size = 0.001 + 0.00037 * k + 1e-9 * k * k; // 0.001 .. about 0.15
            const bool upright = p.sizeMode != 0;
            const double W = upright ? size : 0.036, H = upright ? 0.024 : size;
            const double edge = 0.5 * size;
            const CylinderCam::CylinderFilm hi =
                CylinderCam::CylinderFilmAt(p, upright ? edge : 0.0, upright ? 0.0 : edge, W, H);
            const CylinderCam::CylinderFilm lo =
                CylinderCam::CylinderFilmAt(p, upright ? -edge : 0.0, upright ? 0.0 : -edge, W, H);
            EXPECT_EQ(hi.sinB, std::sin(upper)) << size << " " << p.maxAngle;
            EXPECT_EQ(hi.cosB, std::cos(upper)) << size << " " << p.maxAngle;
            EXPECT_EQ(lo.sinB, std::sin(lower)) << size << " " << p.minAngle;
            EXPECT_EQ(lo.cosB, std::cos(lower)) << size << " " << p.minAngle;
        }
    }
}

TEST(CylinderProjection, ASubnormalFilmSizeGivesTheMiddleAngleAtTheCentre) {
    // span / W is infinite for these sizes; the film centre must still give
    // the ray at the middle angle, a defined ray.
    const Pose pose = Turned(-0.7, {1, 2, 3});
    for (const CylinderCam::CylinderParams &p : kCylinderSpans) {
        const double mid = (p.minAngle + p.maxAngle) * 0.5;
        for (double tiny : {1e-310, 4 * std::numeric_limits<double>::denorm_min(), 2e-320}) {
            const bool upright = p.sizeMode != 0;
            const double W = upright ? tiny : 0.036, H = upright ? 0.024 : tiny;
            // The linear axis: film y in half heights (lying: film x, also in half heights).
            const double fy = upright ? 0.003 : 0.0, fx = 0.0;
            const CylinderCam::CylinderFilm f = CylinderCam::CylinderFilmAt(p, fx, fy, W, H);
            EXPECT_EQ(f.sinB, std::sin(mid)) << tiny;
            EXPECT_EQ(f.cosB, std::cos(mid)) << tiny;
            const CylinderCam::CylinderRay r = CylinderCam::CylinderRayAt(p, pose, fx, fy, W, H);
            EXPECT_TRUE(IsFinite(r.origin) && IsFinite(r.direction)) << tiny;
            const Vec3 axis = upright ? pose.right : pose.up;
            EXPECT_NEAR(std::atan2(Dot(r.direction, axis), Dot(r.direction, pose.forward)), mid, 1e-15) << tiny;
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
