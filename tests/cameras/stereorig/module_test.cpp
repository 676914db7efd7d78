// The Stereo Rig camera through the built module in the stand-in host: its
// panel, defaults from the host camera and scene block, rays bit for bit
// equal to the pure projection with the host camera's lens, and where the
// eyes converge.
#include <cmath>
#include <cstring>
#include <string>

#include "cameras/stereorig/projection.h"
#include "cameras/stereorig/stereorig.h"
#include "tests/support/xr_fixture.h"

using namespace standin;
using lentara::Vec3;

namespace {
using namespace StereoRigCam; // panel ids
} // namespace

class StereoRigCamera : public testsupport::XrCameraTest {
protected:
    // The ray for a film and lens point at the start of the exposure.
    LWCameraRay Ray(const CameraInstance &ci, double x, double y, double a = 0.0, double b = 0.0) {
        LWCameraRay ray{};
        EXPECT_EQ(ci.handler().evaluate(ci.instance(), x, y, a, b, 0.0, &ray, &ci.access()), 1) << x << " " << y;
        return ray;
    }
};

TEST_F(StereoRigCamera, DescriptionPanelDefaultsFromTheHostCameraAndSceneBlock) {
    host.scene().setCamera(cam, CamProp::ZoomFactor, 2.5);
    host.scene().setCamera(cam, CamProp::Separation, 0.07);
    host.scene().setCamera(cam, CamProp::FocalDistance, 6.0);
    auto ci = Make("VantorStereoRigCam");
    EXPECT_EQ(ci->describe(), "VantorStereoRigCam v2.0");
    EXPECT_EQ(ci->flags(), 1u);
    const LWXPanelID panel = Panel(*ci);
    EXPECT_EQ(Tables(panel), "32768 Logo dThumbnail\n32769 Version sInfo\n32773 Mode iPopChoice\n"
                             "32774 Layout iPopChoice\n32770 Zoom Factor zoomfactor-env\n"
                             "32771 Eye Separation distance-env\n32772 Convergence Distance distance-env\n"
                             "32769 Version string\n32773 Mode integer\n32774 Layout integer\n"
                             "32770 Zoom Factor float\n32771 Eye Separation float\n32772 Convergence Distance float\n");
    EXPECT_STREQ(static_cast<const char *>(host.panels().get(panel, ID_VERSION)), "v2.0");
    EXPECT_EQ(host.panels().popupChoices(panel, ID_MODE), (std::vector<std::string>{"Off-axis", "Parallel", "Toe-in"}));
    EXPECT_EQ(host.panels().popupChoices(panel, ID_LAYOUT),
              (std::vector<std::string>{"Side by side, left eye left", "Over-under, left eye on top", "Left eye only",
                                        "Right eye only"}));
    const struct {
        unsigned int id;
        const char *channel;
        double value;
    } envs[] = {{ID_ZOOM, "ZoomFactor", 2.5},
                {ID_EYE_SEPARATION, "EyeSeparation", 0.07},
                {ID_CONVERGENCE, "ConvergenceDistance", 6.0}};
    for (const auto &e : envs) ExpectEnvelope(panel, e.id, e.channel, "VantorStereoRigCam", e.value);
    for (unsigned int id : {ID_MODE, ID_LAYOUT}) EXPECT_EQ(*static_cast<int *>(host.panels().get(panel, id)), 0);

    // the block: the three envelopes in order, then mode and layout
    Set(panel, ID_MODE, 2);
    Set(panel, ID_LAYOUT, 1);
    for (int mode : {LWIO_BINARY, LWIO_ASCII}) {
        const std::string block = Block(*ci, mode);
        const std::string settings = mode == LWIO_BINARY ? std::string("\0\0\0\2\0\0\0\1", 8) : std::string("2\n1\n");
        EXPECT_EQ(block, EnvelopeRecords(panel, {ID_ZOOM, ID_EYE_SEPARATION, ID_CONVERGENCE}, mode) + settings);
        ExpectBlockReloads("VantorStereoRigCam", block, mode);
    }
}

TEST_F(StereoRigCamera, RaysAreThePureProjectionWithTheHostCamerasLens) {
    const double W = 0.036, H = 0.027;
    host.scene().setCamera(cam, CamProp::FStop, 2.0);
    host.scene().setCamera(cam, CamProp::FocalDistance, 3.5);
    const double zoom = host.scene().camera(cam, CamProp::ZoomFactor, 0.0);
    const double separation = host.scene().camera(cam, CamProp::Separation, 0.0);
    const StereoRigCam::RigMode modes[] = {StereoRigCam::RigMode::OffAxis, StereoRigCam::RigMode::Parallel,
                                           StereoRigCam::RigMode::ToeIn};
    const lentara::EyeLayout layouts[] = {lentara::EyeLayout::SideBySide, lentara::EyeLayout::OverUnder,
                                          lentara::EyeLayout::LeftOnly, lentara::EyeLayout::RightOnly};
    for (int mode = 0; mode < 3; ++mode)
        for (int layout = 0; layout < 4; ++layout) {
            auto ci = Make("VantorStereoRigCam");
            const LWXPanelID panel = Panel(*ci);
            Set(panel, ID_MODE, mode);
            Set(panel, ID_LAYOUT, layout);
            StartFrame(*ci);
            const StereoRigCam::StereoRig rig = StereoRigCam::MakeRig(
                {zoom, separation, 3.5, modes[mode], layouts[layout], lentara::LensFactorFor(2.0), 3.5});
            for (double fraction : {0.0, 0.37, 1.0}) {
                const lentara::Pose pose = PoseAt(fraction);
                for (int j = 0; j <= 6; ++j)
                    for (int i = 0; i <= 8; ++i) {
                        const double x = (i / 8.0 - 0.5) * W, y = (j / 6.0 - 0.5) * H;
                        StereoRigCam::StereoRigRay want;
                        ASSERT_TRUE(StereoRigCam::Evaluate(rig, pose, W, H, x, y, 0.3, -0.2, want));
                        LWCameraRay ray;
                        ASSERT_TRUE(Evaluate(*ci, x, y, fraction, ray)) << x << " " << y;
                        const double w[9] = {want.origin.x,    want.origin.y,    want.origin.z,
                                             want.direction.x, want.direction.y, want.direction.z,
                                             want.filmNormal.x, want.filmNormal.y, want.filmNormal.z};
                        EXPECT_EQ(std::memcmp(ray.rayPos, w, 3 * sizeof(double)), 0) << mode << layout;
                        EXPECT_EQ(std::memcmp(ray.rayDir, w + 3, 3 * sizeof(double)), 0) << mode << layout;
                        EXPECT_EQ(std::memcmp(ray.filmNorm, w + 6, 3 * sizeof(double)), 0) << mode << layout;
                    }
            }
        }
}

// Each eye image's film distance comes from its own height: its top edge
// lies atan(1 / zoom) above the axis, side by side and over-under.
TEST_F(StereoRigCamera, FilmDistanceFollowsTheEyeImagesHeight) {
    auto ci = Make("VantorStereoRigCam");
    const LWXPanelID panel = Panel(*ci);
    const double zoom = host.envelopes().value(Env(panel, ID_ZOOM), 0.0), W = 0.036, H = 0.027;
    Set(panel, ID_MODE, 1); // parallel: each eye's axis is F
    for (int layout : {0, 1}) {
        Set(panel, ID_LAYOUT, layout);
        StartFrame(*ci);
        const lentara::Pose pose = PoseAt(0.0);
        const Vec3 d = lentara::Load(Ray(*ci, layout == 0 ? -0.25 * W : 0.0, 0.5 * H - 1e-12).rayDir);
        EXPECT_NEAR(std::atan2(lentara::Dot(d, pose.up), lentara::Dot(d, pose.forward)), std::atan(1.0 / zoom), 1e-9);
    }
}

// Side by side on the frame pose: off-axis centre rays meet at P + C F and
// so do both eyes' rays of any film point at depth C; toed-in axes meet at
// P + C F; with no separation both eyes are one camera.
TEST_F(StereoRigCamera, EyesConvergeAtTheConvergenceDistance) {
    const double W = 0.036, C = 6.0;
    host.scene().setCamera(cam, CamProp::FocalDistance, C);
    auto ci = Make("VantorStereoRigCam");
    const LWXPanelID panel = Panel(*ci);
    StartFrame(*ci);
    const lentara::Pose pose = PoseAt(0.0);
    const Vec3 F = pose.forward, target = pose.position + C * F;
    auto atDepth = [&](const LWCameraRay &r) {
        const Vec3 o = lentara::Load(r.rayPos), d = lentara::Load(r.rayDir);
        return o + ((C - lentara::Dot(o - pose.position, F)) / lentara::Dot(d, F)) * d;
    };
    auto distance = [](Vec3 a, Vec3 b) { return std::sqrt(lentara::Dot(a - b, a - b)); };
    for (double dx : {0.0, 0.004})
        for (double y : {0.0, -0.006}) {
            const Vec3 l = atDepth(Ray(*ci, -0.25 * W + dx, y)), r = atDepth(Ray(*ci, 0.25 * W + dx, y));
            EXPECT_NEAR(distance(l, r), 0.0, 1e-12);
            if (dx == 0.0 && y == 0.0) {
                EXPECT_NEAR(distance(l, target), 0.0, 1e-12);
            }
        }
    Set(panel, ID_MODE, 2);
    StartFrame(*ci);
    for (double x : {-0.25 * W, 0.25 * W}) {
        const LWCameraRay r = Ray(*ci, x, 0.0);
        const Vec3 toTarget = target - lentara::Load(r.rayPos);
        EXPECT_NEAR(lentara::Dot(lentara::Normalize(toTarget), lentara::Load(r.filmNorm)), 1.0, 1e-15);
        EXPECT_NEAR(lentara::Dot(lentara::Normalize(toTarget), lentara::Load(r.rayDir)), 1.0, 1e-15);
    }
    host.envelopes().setValue(Env(panel, ID_EYE_SEPARATION), 0.0);
    for (int mode : {0, 1, 2}) {
        Set(panel, ID_MODE, mode);
        StartFrame(*ci);
        const LWCameraRay l = Ray(*ci, -0.25 * W, 0.002, 0.5, 0.5);
        const LWCameraRay r = Ray(*ci, 0.25 * W, 0.002, 0.5, 0.5);
        EXPECT_EQ(std::memcmp(&l, &r, sizeof l), 0) << mode;
    }
}
