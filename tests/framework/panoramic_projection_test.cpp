// The Panoramic camera's projection on its own.
#include <gtest/gtest.h>

#include <cmath>

#include "cameras/panoramic/projection.h"

using namespace lentara;
using PanoramicCam::CameraDirection;
using PanoramicCam::PanoramaParams;
using PanoramicCam::WorldDirectionNormalised;

namespace {
const double kPi = 3.14159265358979323846;
const PanoramaParams kDefaults = {2 * kPi, kPi / 4, -kPi / 4};
const double W = 0.036, H = 0.024;
} // namespace

TEST(PanoramicProjection, DefaultsCoverTheFullBandAroundTheUpAxis) {
    Vec3 c = CameraDirection(kDefaults, 0, 0, W, H);
    EXPECT_NEAR(c.x, 0, 1e-15);
    EXPECT_NEAR(c.y, 0, 1e-15);
    EXPECT_NEAR(c.z, 1, 1e-15);

    Vec3 back = CameraDirection(kDefaults, W / 2, 0, W, H);
    EXPECT_NEAR(back.z, -1, 1e-15);
    EXPECT_NEAR(back.x, 0, 1e-15);

    Vec3 right = CameraDirection(kDefaults, W / 4, 0, W, H);
    EXPECT_NEAR(right.x, 1, 1e-15);

    Vec3 top = CameraDirection(kDefaults, 0, H / 2, W, H);
    EXPECT_NEAR(std::asin(top.y), kPi / 4, 1e-15);
    Vec3 bottom = CameraDirection(kDefaults, 0, -H / 2, W, H);
    EXPECT_NEAR(std::asin(bottom.y), -kPi / 4, 1e-15);
}

TEST(PanoramicProjection, MirroredFilmPointsGiveMirroredRays) {
    for (double fx : {0.001, 0.007, 0.013, 0.018})
        for (double fy : {-0.011, -0.003, 0.0, 0.009}) {
            const Vec3 a = CameraDirection(kDefaults, fx, fy, W, H);
            const Vec3 b = CameraDirection(kDefaults, -fx, fy, W, H);
            EXPECT_NEAR(a.x, -b.x, 1e-15);
            EXPECT_NEAR(a.y, b.y, 1e-15);
            EXPECT_NEAR(a.z, b.z, 1e-15);
            EXPECT_NEAR(Dot(a, a), 1.0, 1e-14);
        }
}

TEST(PanoramicProjection, VerticalRangeEdgeCases) {
    // Equal upper and lower angles: every row shares the elevation.
    const PanoramaParams flat = {2 * kPi, 0.3, 0.3};
    for (double fy : {-H / 2, 0.0, H / 3}) EXPECT_NEAR(CameraDirection(flat, 0.002, fy, W, H).y, std::sin(0.3), 1e-15);
    // Upper below lower: the band is flipped, top row looks down.
    const PanoramaParams flipped = {2 * kPi, -kPi / 4, kPi / 4};
    EXPECT_LT(CameraDirection(flipped, 0, H / 2, W, H).y, 0);
    // More than a full turn repeats the scene across the frame.
    const PanoramaParams twice = {4 * kPi, kPi / 4, -kPi / 4};
    const Vec3 a = CameraDirection(twice, -W / 4, 0, W, H), b = CameraDirection(twice, W / 4, 0, W, H);
    EXPECT_NEAR(a.x, b.x, 1e-15);
    EXPECT_NEAR(a.z, b.z, 1e-15);
}

TEST(PanoramicProjection, WorldDirectionUsesThePoseAxes) {
    // A camera turned 90 degrees to the right: forward is world +X.
    const Pose pose = {{1, 2, 3}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}};
    const Vec3 d = WorldDirectionNormalised(pose, CameraDirection(kDefaults, 0, 0, W, H));
    EXPECT_NEAR(d.x, 1, 1e-15);
    EXPECT_NEAR(d.z, 0, 1e-15);
    // Scaled axes still give a unit direction.
    const Pose scaled = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {0, 0, 2}};
    const Vec3 e = WorldDirectionNormalised(scaled, CameraDirection(kDefaults, 0.005, 0.004, W, H));
    EXPECT_NEAR(Dot(e, e), 1.0, 1e-15);
}
