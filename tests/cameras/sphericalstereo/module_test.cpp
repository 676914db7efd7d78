// The Spherical Stereo camera through the built module in the stand-in host:
// its panel, defaults and scene block, rays bit for bit equal to the pure
// projection on the frame pose, and the eyes' edge cases.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "cameras/sphericalstereo/projection.h"
#include "cameras/sphericalstereo/sphericalstereo.h"
#include "tests/support/xr_fixture.h"

using namespace standin;
using lentara::Vec3;

namespace {
using namespace SphericalStereoCam; // panel ids
} // namespace

using SphericalStereoCamera = testsupport::XrCameraTest;

TEST_F(SphericalStereoCamera, DescriptionPanelDefaultsAndSceneBlock) {
    host.scene().setCamera(cam, CamProp::Separation, 0.07);
    auto ci = Make("VantorSphericalStereoCam");
    const LWXPanelID panel = DescribedPanel(*ci);
    EXPECT_EQ(Tables(panel), "32768 Logo dThumbnail\n32769 Version sInfo\n32776 Layout iPopChoice\n"
                             "32770 Horizontal FOV angle-env\n32771 Vertical FOV angle-env\n"
                             "32772 Eye Separation distance-env\n32773 Pole Merge From angle-env\n"
                             "32774 Pole Merge To angle-env\n32775 Convergence Distance distance-env\n"
                             "32769 Version string\n32776 Layout integer\n32770 Horizontal FOV float\n"
                             "32771 Vertical FOV float\n32772 Eye Separation float\n32773 Pole Merge From float\n"
                             "32774 Pole Merge To float\n32775 Convergence Distance float\n");
    EXPECT_EQ(host.panels().popupChoices(panel, ID_LAYOUT),
              (std::vector<std::string>{"Over-under, left eye on top", "Side by side, left eye left", "Left eye only",
                                        "Right eye only"}));
    const struct {
        unsigned int id;
        const char *channel;
        double value;
    } envs[] = {{ID_HFOV, "HorizontalFOVradians", 2 * kPi},       {ID_VFOV, "VerticalFOVradians", kPi},
                {ID_EYE_SEPARATION, "EyeSeparation", 0.07},         {ID_MERGE_FROM, "PoleMergeFrom", kPi / 3},
                {ID_MERGE_TO, "PoleMergeTo", 5 * kPi / 12},         {ID_CONVERGENCE, "ConvergenceDistance", 0.0}};
    for (const auto &e : envs) ExpectEnvelope(panel, e.id, e.channel, "VantorSphericalStereoCam", e.value);
    EXPECT_EQ(*static_cast<int *>(host.panels().get(panel, ID_LAYOUT)), 0);

    // the block: the six envelopes in order, then the layout
    host.envelopes().setValue(Env(panel, ID_CONVERGENCE), 2.5);
    Set(panel, ID_LAYOUT, 3);
    for (int mode : {LWIO_BINARY, LWIO_ASCII}) {
        const std::string block = Block(*ci, mode);
        const std::string layout = mode == LWIO_BINARY ? std::string("\0\0\0\3", 4) : std::string("3\n");
        const std::string envelopes = EnvelopeRecords(
            panel, {ID_HFOV, ID_VFOV, ID_EYE_SEPARATION, ID_MERGE_FROM, ID_MERGE_TO, ID_CONVERGENCE}, mode);
        EXPECT_EQ(block, envelopes + layout);
        ExpectBlockReloads("VantorSphericalStereoCam", block, mode);
    }
}

TEST_F(SphericalStereoCamera, RaysAreThePureProjectionOnTheFramePose) {
    const double W = 0.036, H = 0.027;
    for (int layout = 0; layout < 4; ++layout)
        for (double convergence : {0.0, 3.0}) {
            auto ci = Make("VantorSphericalStereoCam");
            const LWXPanelID panel = Panel(*ci);
            Set(panel, ID_LAYOUT, layout);
            host.envelopes().setValue(Env(panel, ID_CONVERGENCE), convergence);
            StartFrame(*ci);
            const lentara::EyeLayout layouts[] = {lentara::EyeLayout::OverUnder, lentara::EyeLayout::SideBySide,
                                                  lentara::EyeLayout::LeftOnly, lentara::EyeLayout::RightOnly};
            const SphericalStereoCam::SphericalStereoParams p = {
                2 * kPi, kPi, host.scene().camera(cam, CamProp::Separation, 0.0), kPi / 3, 5 * kPi / 12,
                convergence, layouts[layout]};
            for (double fraction : {0.0, 0.37, 1.0}) {
                const lentara::Pose pose = PoseAt(fraction);
                for (int j = 0; j <= 12; ++j)
                    for (int i = 0; i <= 10; ++i) {
                        const double x = (i / 10.0 - 0.5) * W, y = (j / 12.0 - 0.5) * H;
                        const SphericalStereoCam::SphericalStereoRay want =
                            SphericalStereoCam::Evaluate(p, pose, W, H, x, y);
                        LWCameraRay ray;
                        ASSERT_TRUE(Evaluate(*ci, x, y, fraction, ray)) << x << " " << y;
                        ExpectRay(ray, want.origin, want.direction, "layout " + std::to_string(layout));
                    }
            }
        }
}

// Over-under on the frame pose: the two eyes of one pixel are EyeSeparation
// apart at the horizon and together from PoleMergeTo on, and with a
// convergence distance C both rays pass through P + C d.
TEST_F(SphericalStereoCamera, EyesSplitAtTheHorizonMergeAtThePolesAndConverge) {
    auto ci = Make("VantorSphericalStereoCam");
    const LWXPanelID panel = Panel(*ci);
    host.envelopes().setValue(Env(panel, ID_EYE_SEPARATION), 0.065);
    host.envelopes().setValue(Env(panel, ID_CONVERGENCE), 4.0);
    StartFrame(*ci);
    const lentara::Pose pose = PoseAt(0.0);
    const double H = 0.027, quarter = 0.25 * H;
    LWCameraRay left, right;
    for (double x : {-0.011, 0.0, 0.017}) {
        ASSERT_TRUE(Evaluate(*ci, x, quarter, 0.0, left));
        ASSERT_TRUE(Evaluate(*ci, x, -quarter, 0.0, right));
        const Vec3 l = lentara::Load(left.rayPos), r = lentara::Load(right.rayPos);
        EXPECT_NEAR(std::sqrt(lentara::Dot(r - l, r - l)), 0.065, 1e-12);
        // both through P + C d, d the left eye's direction without convergence
        // on the circle around P in the camera's horizontal plane
        const Vec3 mid = 0.5 * (l + r), toMid = mid - pose.position;
        EXPECT_NEAR(lentara::Dot(toMid, toMid), 0.0, 1e-24);
        EXPECT_NEAR(lentara::Dot(l - pose.position, pose.up), 0.0, 1e-15);
        const Vec3 dl = lentara::Load(left.rayDir), dr = lentara::Load(right.rayDir);
        const Vec3 d = lentara::Normalize(dl + dr), pMeet = pose.position + 4.0 * d;
        for (const auto &[o, dir] : {std::make_pair(l, dl), std::make_pair(r, dr)}) {
            const Vec3 w = pMeet - o;
            const Vec3 off = w - lentara::Dot(w, dir) * dir;
            EXPECT_NEAR(std::sqrt(lentara::Dot(off, off)), 0.0, 1e-12);
        }
        // 80 degrees up: beyond PoleMergeTo, one eye
        const double y80 = quarter + (80.0 / 90.0) * quarter;
        ASSERT_TRUE(Evaluate(*ci, x, y80, 0.0, left));
        ASSERT_TRUE(Evaluate(*ci, x, y80 - 2 * quarter, 0.0, right));
        EXPECT_EQ(std::memcmp(left.rayPos, right.rayPos, sizeof left.rayPos), 0);
    }
    // film points or sizes that are not usable give no ray
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double v : {nan, inf, -inf}) {
        EXPECT_FALSE(Evaluate(*ci, v, 0.0, 0.0, left));
        EXPECT_FALSE(Evaluate(*ci, 0.0, v, 0.0, left));
    }
    LWCameraAccess access = ci->access();
    for (double size : {0.0, nan, inf}) {
        access.filmSize[0] = size;
        LWCameraRay r{};
        EXPECT_EQ(ci->handler().evaluate(ci->instance(), 0.0, 0.0, 0.0, 0.0, 0.0, &r, &access), 0) << size;
    }
}
