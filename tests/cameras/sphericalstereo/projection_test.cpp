// The Spherical Stereo projection on its own: the pole merge, the layouts'
// eye images and their boundaries, and the directions against the Panoramic
// camera's (the eyes' circle and convergence are tested through the host).
#include <gtest/gtest.h>

#include <cmath>

#include "cameras/panoramic/projection.h"
#include "cameras/sphericalstereo/projection.h"

using namespace lentara;
using namespace SphericalStereoCam;

namespace {
const double W = 0.036, H = 0.018;
const Pose kPose = {{1.0, 2.0, -3.0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
SphericalStereoParams Params(EyeLayout layout) { return {2 * kPi, kPi, 0.065, 10.0, 10.0, 0.0, layout}; }
double Length(Vec3 v) { return std::sqrt(Dot(v, v)); }
} // namespace

TEST(SphericalStereoProjection, PoleMergeKeepsTheEyesApartThenBlendsThemTogether) {
    EXPECT_EQ(PoleMerge(-1.0, 1.0, 1.5), 1.0);
    EXPECT_NEAR(PoleMerge(1.25, 1.0, 1.5), 0.5, 1e-15);
    EXPECT_NEAR(PoleMerge(-1.1, 1.0, 1.5), 0.5 + 0.5 * std::cos(kPi * 0.2), 1e-15);
    EXPECT_EQ(PoleMerge(1.5, 1.0, 1.5), 0.0);
    // To at or below From: a step at From.
    for (double to : {1.0, 0.5}) {
        EXPECT_EQ(PoleMerge(0.999, 1.0, to), 1.0);
        EXPECT_EQ(PoleMerge(-1.0, 1.0, to), 0.0);
    }
}

// Each layout's eye of a film point (boundaries go to the right eye), and
// each eye image's centre looking along F; the images' edges reach the
// poles and look backward.
TEST(SphericalStereoProjection, LayoutsSplitTheFilmIntoEyeImages) {
    const struct {
        EyeLayout layout;
        double x, y, eye;
        bool centre;
    } cases[] = {
        {EyeLayout::OverUnder, 0.0, 0.25 * H, -1, true},   {EyeLayout::OverUnder, 0.0, -0.25 * H, 1, true},
        {EyeLayout::OverUnder, 0.001, 1e-9, -1, false},    {EyeLayout::OverUnder, 0.001, 0.0, 1, false},
        {EyeLayout::SideBySide, -0.25 * W, 0.0, -1, true}, {EyeLayout::SideBySide, 0.25 * W, 0.0, 1, true},
        {EyeLayout::SideBySide, -1e-9, 0.001, -1, false},  {EyeLayout::SideBySide, 0.0, 0.001, 1, false},
        {EyeLayout::LeftOnly, 0.0, 0.0, -1, true},         {EyeLayout::RightOnly, 0.0, 0.0, 1, true},
    };
    for (const auto &c : cases) {
        const SphericalStereoRay r = Evaluate(Params(c.layout), kPose, W, H, c.x, c.y);
        // the eye's offset along the view's rightward axis (cos a, 0, -sin a)
        const Vec3 rightward = Normalize(Vec3{r.direction.z, 0.0, -r.direction.x});
        EXPECT_NEAR(Dot(r.origin - kPose.position, rightward), c.eye * 0.0325, 1e-12) << int(c.layout) << " " << c.y;
        if (c.centre) {
            EXPECT_NEAR(Length(r.direction - kPose.forward), 0.0, 1e-15) << int(c.layout);
        }
    }
    EXPECT_NEAR(Evaluate(Params(EyeLayout::OverUnder), kPose, W, H, 0.0, 0.5 * H).direction.y, 1.0, 1e-15);
    EXPECT_NEAR(Evaluate(Params(EyeLayout::OverUnder), kPose, W, H, 0.0, 1e-12).direction.y, -1.0, 1e-9);
    EXPECT_NEAR(Evaluate(Params(EyeLayout::SideBySide), kPose, W, H, -1e-12, 0.0).direction.z, -1.0, 1e-9);
}

// Without convergence each eye looks along the Panoramic camera's direction
// for the same angles (its default band, opened to the whole sphere).
TEST(SphericalStereoProjection, EyesLookAlongThePanoramicCamerasDirections) {
    const PanoramicCam::PanoramaParams pano = {2 * kPi, kPi / 2, -kPi / 2};
    for (EyeLayout layout : {EyeLayout::LeftOnly, EyeLayout::RightOnly})
        for (double x : {-0.017, 0.0, 0.009})
            for (double y : {-0.008, 0.0035, 0.0089}) {
                const Vec3 d = WorldDirectionNormalised(kPose, PanoramicCam::CameraDirection(pano, x, y, W, H));
                EXPECT_NEAR(Length(Evaluate(Params(layout), kPose, W, H, x, y).direction - d), 0.0, 1e-15);
            }
}
