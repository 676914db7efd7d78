// The Perspective family (Perspective, No DoF, No DoF No MB) through the built
// module in the stand-in host: one panel and class, scene block, zoom, focus
// and f-stop, copy, rays of a moving camera and motion samples.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/camera_fixture.h"

using namespace testsupport;

namespace {
const char *const kPerspectiveServers[] = {"VantorPerspectiveCam", "VantorPerspectiveNoDOFCam",
                                           "VantorPerspectiveNoDOFNoMBCam"};
} // namespace

TEST_F(ProjectionCameras, PerspectiveServersShareOnePanelAndClassAndDifferInFlagsOnly) {
    const unsigned int expectedFlags[] = {1, 0, 0};
    // A moving camera: "No MB" samples the motion exactly as the other two do.
    host.scene().setMotionKeys(cam, Motion::X, {{0.0, 0.0}, {1.0, 3.0}});
    host.scene().setMotionKeys(cam, Motion::Heading, {{0.0, 0.0}, {1.0, 2.0}});
    host.render().motionSteps = 3;
    std::vector<std::unique_ptr<CameraInstance>> cams;
    for (int i = 0; i < 3; ++i) {
        cams.push_back(Make(kPerspectiveServers[i]));
        CameraInstance &ci = *cams.back();
        EXPECT_EQ(ci.flags(), expectedFlags[i]) << kPerspectiveServers[i];
        EXPECT_EQ(ci.describe(), "VantorPerspectiveCam Dec 11 2010 10:02:17");

        const LWXPanelID panel = Panel(ci);
        const PanelRecord *rec = host.panels().record(panel);
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->type, LWXP_VIEW);
        EXPECT_EQ(Controls(*rec), "32773 \"Logo\" dThumbnail\n32769 \"Version\" sInfo\n"
                                  "32768 \"ZoomFactor\" zoomfactor-env\n");
        EXPECT_EQ(Data(*rec), "32769 \"Version\" string\n32768 \"ZoomFactor\" float\n");
        std::vector<std::string> hints = kCommonHead;
        hints.push_back(Hint(XPTAG_DIVADD, {0x8001}));
        EXPECT_EQ(Hints(panel), hints);

        EXPECT_EQ(Channel(Env(panel, 0x8000)), "ZoomFactor@VantorPerspectiveCam");
        EXPECT_STREQ(static_cast<const char *>(host.panels().get(panel, 0x8001)), "v1.5 Dec 11 2010");
        for (unsigned int vid : {0x8002u, 0x8005u, 0x8006u, 0x9000u}) EXPECT_EQ(host.panels().get(panel, vid), nullptr);
        int v = 3;
        EXPECT_EQ(host.panels().set(panel, 0x8000, &v), 1);
        EXPECT_EQ(host.panels().set(panel, 0x8123, &v), 1);
    }

    // One instance class: any of the three copies into any other, and the
    // lens sample is applied alike, even where no depth of field is reported.
    EXPECT_EQ(cams[1]->copyFrom(*cams[0]), "");
    EXPECT_EQ(cams[2]->copyFrom(*cams[1]), "");
    for (auto &ci : cams) {
        ASSERT_EQ(ci->newTime(0, 0.0), "");
        ASSERT_EQ(ci->newFrame(0), "");
    }
    for (double frac : {0.0, 0.25, 1.0})
        for (double fx : {-0.01, 0.0, 0.013})
            for (double lx : {0.0, -0.7, 1.0}) {
                const LWCameraRay a = Ray(*cams[0], fx, 0.004, lx, 0.3, frac);
                EXPECT_TRUE(SameRay(a, Ray(*cams[1], fx, 0.004, lx, 0.3, frac)));
                EXPECT_TRUE(SameRay(a, Ray(*cams[2], fx, 0.004, lx, 0.3, frac)));
            }
    // The exposure moved the camera: fraction 1 starts elsewhere than fraction 0.
    const LWCameraRay begin = Ray(*cams[2], 0, 0, 0, 0, 0.0), end = Ray(*cams[2], 0, 0, 0, 0, 1.0);
    EXPECT_GT(Length(FromArray(end.rayPos) - FromArray(begin.rayPos)), 1e-3);
}

TEST_F(ProjectionCameras, PerspectiveSceneBlockHoldsSizeAxisAndItsChoice) {
    host.scene().setCamera(cam, CamProp::ZoomFactor, 2.5);
    auto ci = Make("VantorPerspectiveCam");
    MemorySaveState fresh(LWIO_ASCII);
    ASSERT_EQ(ci->save(fresh), "");
    // The "SizeAxis" envelope (no keys, created at the zoom factor), then the
    // choice 1; the zoom envelope is not written.
    EXPECT_EQ(fresh.lines(), (std::vector<std::string>{"0", "2.5", "1"}));

    const std::string stored = "2\n1.5\n0 1.25\n1 4.5\n5\n";
    for (int mode : {LWIO_ASCII, LWIO_BINARY}) {
        auto from = Make("VantorPerspectiveNoDOFCam");
        MemoryLoadState text(stored, LWIO_ASCII);
        ASSERT_EQ(from->load(text), "");
        MemorySaveState out(mode);
        ASSERT_EQ(from->save(out), "");
        auto to = Make("VantorPerspectiveCam");
        MemoryLoadState in(out);
        ASSERT_EQ(to->load(in), "");
        EXPECT_TRUE(in.atEnd());
        MemorySaveState again(LWIO_ASCII);
        ASSERT_EQ(to->save(again), "");
        EXPECT_EQ(again.bytes(), stored) << mode;
    }
}

TEST_F(ProjectionCameras, PerspectiveFollowsItsZoomEnvelopeAndTheHostFocusAndFStop) {
    const double H0 = 0.024;
    host.scene().setCamera(cam, CamProp::ZoomFactor, 3.2);
    host.scene().setCamera(cam, CamProp::FStop, 2.0);
    host.scene().setCamera(cam, CamProp::FocalDistance, 4.0);
    auto ci = Make("VantorPerspectiveCam");
    const LWXPanelID panel = Panel(*ci);
    const LWVParmID zoom = Env(panel, 0x8000);
    ASSERT_NE(zoom, nullptr);

    auto check = [&](double z, int frame) {
        const V3 F = FromArray(ci->access().toWorld[2]), R = FromArray(ci->access().toWorld[0]);
        const LWCameraRay top = Ray(*ci, 0.0, H0 / 2);
        EXPECT_NEAR(std::acos(Dot(FromArray(top.rayDir), F)), std::atan(1.0 / z), 1e-6) << frame;
        // The lens radius follows the film distance: z * H0 * 0.5 * 0.5 / f-stop.
        const LWCameraRay edge = Ray(*ci, 0.0, 0.0, 1.0, 0.0);
        const V3 offset = FromArray(edge.rayPos) - FromArray(Ray(*ci, 0.0, 0.0).rayPos);
        EXPECT_NEAR(Dot(offset, R), z * H0 * 0.25 / 2.0, 1e-7) << frame;
    };
    ASSERT_EQ(ci->newFrame(0), "");
    check(3.2, 0);
    ASSERT_TRUE(host.envelopes().setKeys(zoom, {{0.0, 2.0}, {1.0, 4.0}}));
    ASSERT_EQ(ci->newTime(15, 0.5), "");
    check(3.0, 15);
    ASSERT_EQ(ci->newFrame(30), ""); // frame start 1.0 s
    check(4.0, 30);

    // Focus distance is read at every new frame, even an unchanged one.
    auto meetsAt = [&](double focus) {
        const V3 P = FromArray(ci->access().worldPos);
        const LWCameraRay pin = Ray(*ci, 0.005, -0.003);
        const V3 pFocus = P + focus * FromArray(pin.rayDir);
        const LWCameraRay r = Ray(*ci, 0.005, -0.003, 0.8, -0.6);
        const V3 toFocus = pFocus - FromArray(r.rayPos);
        return Length(Cross(toFocus, FromArray(r.rayDir))) / Length(toFocus);
    };
    EXPECT_LT(meetsAt(4.0), 2e-6);
    host.scene().setCamera(cam, CamProp::FocalDistance, 9.0);
    ASSERT_EQ(ci->newFrame(30), "");
    EXPECT_LT(meetsAt(9.0), 2e-6);
    EXPECT_GT(meetsAt(4.0), 1e-4);

    // No usable focus distance: the pinhole direction, never a NaN.
    for (double focus : {0.0, -1.0}) {
        host.scene().setCamera(cam, CamProp::FocalDistance, focus);
        ASSERT_EQ(ci->newFrame(30), "");
        const LWCameraRay pin = Ray(*ci, 0.004, 0.002);
        const LWCameraRay lensed = Ray(*ci, 0.004, 0.002, 1.0, 1.0);
        EXPECT_NEAR(Dot(FromArray(pin.rayDir), FromArray(lensed.rayDir)), 1.0, 1e-7);
        EXPECT_NEAR(Length(FromArray(lensed.rayDir)), 1.0, 1e-6);
    }

    // An f-stop of 0 at creation gives a pinhole: every lens sample starts at P.
    host.scene().setCamera(cam, CamProp::FStop, 0.0);
    host.scene().setCamera(cam, CamProp::FocalDistance, 4.0);
    auto pinhole = Make("VantorPerspectiveCam");
    ASSERT_EQ(pinhole->newFrame(0), "");
    const LWCameraRay a = Ray(*pinhole, 0.002, 0.001), b = Ray(*pinhole, 0.002, 0.001, -1.0, 0.5);
    EXPECT_TRUE(SameRay(a, b));
}

TEST_F(ProjectionCameras, PerspectiveRendersAtExtremeFiniteFStopAndFocus) {
    // Settings whose single-precision steps overflow or underflow still give
    // a frame: an f-stop whose lens radius does not fit a float is a pinhole,
    // and a focus too far or too near to aim at keeps the pinhole direction.
    host.scene().setCamera(cam, CamProp::FStop, 1e-42);
    host.scene().setCamera(cam, CamProp::FocalDistance, 4.0);
    auto tiny = Make("VantorPerspectiveCam");
    ASSERT_EQ(tiny->newFrame(0), "");
    for (double lx : {0.0, 1.0, -0.5})
        EXPECT_TRUE(SameRay(Ray(*tiny, 0.006, -0.002, lx, 0.5), Ray(*tiny, 0.006, -0.002))) << lx;

    host.scene().setCamera(cam, CamProp::FStop, 2.0);
    auto ci = Make("VantorPerspectiveCam");
    for (double focus : {1e20, 1e300, 1e-300}) {
        host.scene().setCamera(cam, CamProp::FocalDistance, focus);
        ASSERT_EQ(ci->newFrame(0), "");
        const LWCameraRay pin = Ray(*ci, 0.006, -0.002);
        for (double lx : {0.0, 1.0, -0.5}) {
            const LWCameraRay r = Ray(*ci, 0.006, -0.002, lx, 0.5);
            EXPECT_TRUE(std::memcmp(r.rayDir, pin.rayDir, sizeof r.rayDir) == 0) << focus << " " << lx;
            EXPECT_NEAR(Length(FromArray(r.rayDir)), 1.0, 1e-6) << focus;
        }
    }
}

TEST_F(ProjectionCameras, PerspectiveCopyCarriesTheLensAndBothEnvelopes) {
    host.scene().setCamera(cam, CamProp::FStop, 2.0);
    host.scene().setCamera(cam, CamProp::ZoomFactor, 2.0);
    auto from = Make("VantorPerspectiveCam");
    const LWXPanelID pFrom = Panel(*from);
    ASSERT_TRUE(host.envelopes().setKeys(Env(pFrom, 0x8000), {{0.0, 1.5}, {2.0, 5.5}}));
    ASSERT_EQ(from->newTime(30, 1.0), "");

    // The destination was made for another lens; after the copy it has the source's.
    host.scene().setCamera(cam, CamProp::FStop, 8.0);
    host.scene().setCamera(cam, CamProp::ZoomFactor, 6.0);
    auto to = Make("VantorPerspectiveNoDOFCam");
    ASSERT_EQ(to->copyFrom(*from), "");
    ASSERT_EQ(from->newFrame(30), "");
    ASSERT_EQ(to->newFrame(30), "");
    const LWXPanelID pTo = Panel(*to);
    EXPECT_NE(Env(pTo, 0x8000), Env(pFrom, 0x8000));
    EXPECT_EQ(host.envelopes().value(Env(pTo, 0x8000), 1.0), 3.5);
    for (double lx : {0.0, 1.0, -0.4})
        EXPECT_TRUE(SameRay(Ray(*from, 0.006, 0.01, lx, 0.5), Ray(*to, 0.006, 0.01, lx, 0.5))) << lx;
    MemorySaveState a(LWIO_ASCII), b(LWIO_ASCII);
    ASSERT_EQ(from->save(a), "");
    ASSERT_EQ(to->save(b), "");
    EXPECT_EQ(a.bytes(), b.bytes());
}

TEST_F(ProjectionCameras, PerspectiveRaysOfARotatedMovingCamera) {
    host.scene().setCamera(cam, CamProp::FStop, 1.4);
    host.scene().setCamera(cam, CamProp::FocalDistance, 6.0);
    host.scene().setMotionKeys(cam, Motion::X, {{0.0, 0.0}, {1.0, 30.0}});
    host.scene().setMotionKeys(cam, Motion::Heading, {{0.0, 0.4}, {1.0, 1.4}});
    host.render().fps = 30.0;
    host.render().shutter = 0.5;
    host.render().motionSteps = 5;
    auto ci = Make("VantorPerspectiveCam");
    ASSERT_EQ(ci->newTime(3, 0.1), "");
    ASSERT_EQ(ci->newFrame(3), "");
    const LWFrameInfo fi = ci->frameInfo();

    for (double frac : {0.0, 0.5, 1.0}) {
        // The pose at the fraction, in single precision.
        const double t = fi.start + frac * fi.duration;
        double pos[3];
        host.scene().position(cam, t, pos);
        const Axes ax = host.scene().axes(cam, t);
        const V3 P = FromArray(pos), R = FromArray(ax.right), U = FromArray(ax.up), F = FromArray(ax.forward);
        const LWCameraRay pin = Ray(*ci, 0.003, -0.002, 0, 0, frac);
        EXPECT_NEAR(Length(FromArray(pin.rayPos) - P), 0.0, 1e-5 * (1 + Length(P))) << frac;
        EXPECT_NEAR(Length(FromArray(pin.filmNorm) - F), 0.0, frac == 0.5 ? 1e-2 : 1e-6) << frac;
        if (frac == 0.5) continue; // between samples the axes are interpolated, not rotated

        const V3 pFocus = P + 6.0 * FromArray(pin.rayDir);
        const double lensRadius = 3.2 * 0.024 * 0.5 * 0.5 / 1.4;
        for (double lx : {-1.0, 0.4})
            for (double ly : {-0.5, 1.0}) {
                const LWCameraRay r = Ray(*ci, 0.003, -0.002, lx, ly, frac);
                const V3 o = FromArray(r.rayPos) - P;
                EXPECT_NEAR(Dot(o, F), 0.0, 1e-5) << frac;
                EXPECT_NEAR(Dot(o, R), lx * lensRadius, 1e-5);
                EXPECT_NEAR(Dot(o, U), ly * lensRadius, 1e-5);
                const V3 toFocus = pFocus - FromArray(r.rayPos);
                EXPECT_LT(Length(Cross(toFocus, FromArray(r.rayDir))) / Length(toFocus), 5e-6);
            }
    }

    // Bad fractions give the frame-start pose; bad film or lens points no ray.
    const LWCameraRay start = Ray(*ci, 0.001, 0.001, 0, 0, 0.0);
    EXPECT_TRUE(SameRay(start, Ray(*ci, 0.001, 0.001, 0, 0, -0.5)));
    EXPECT_TRUE(SameRay(start, Ray(*ci, 0.001, 0.001, 0, 0, std::nan(""))));
    LWCameraRay ray{};
    EXPECT_EQ(ci->evaluate(std::nan(""), 0, 0, 0, 0.2, &ray), 0);
    EXPECT_EQ(ci->evaluate(0, 0, HUGE_VAL, 0, 0.2, &ray), 0);
}

TEST_F(ProjectionCameras, PerspectiveMotionStepsOutsideThreeTo199TakeTwoSamples) {
    host.scene().setMotionKeys(cam, Motion::Heading, {{0.0, 0.0}, {1.0, 20.0}});
    host.render().shutter = 1.0;
    auto raysWith = [&](unsigned int steps) {
        host.render().motionSteps = steps;
        auto ci = Make("VantorPerspectiveNoDOFCam");
        EXPECT_EQ(ci->newFrame(4), "");
        std::vector<LWCameraRay> rays;
        for (double frac : {0.37, 0.8, 1.0, 1.5}) rays.push_back(Ray(*ci, 0.004, -0.002, 0, 0, frac));
        return rays;
    };
    const std::vector<LWCameraRay> two = raysWith(2);
    EXPECT_TRUE(SameRay(two[2], two[3])); // fractions past the end give the last sample
    for (unsigned int steps : {0u, 1u, 200u, 4000u}) {
        const std::vector<LWCameraRay> r = raysWith(steps);
        for (std::size_t i = 0; i < r.size(); ++i) EXPECT_TRUE(SameRay(r[i], two[i])) << steps << " " << i;
    }
    // More samples follow the turn more closely between start and end.
    const std::vector<LWCameraRay> three = raysWith(3), many = raysWith(199);
    EXPECT_FALSE(SameRay(three[0], two[0]));
    EXPECT_FALSE(SameRay(many[0], three[0]));
    EXPECT_TRUE(SameRay(three[2], two[2]));
}

// The family keeps the single-precision pose of a repeated fraction per
// thread: repeats, interleaved instances and a new frame must all give the
// rays computed afresh.
TEST_F(ProjectionCameras, PerspectiveRepeatedFractionsGiveTheFreshRays) {
    host.scene().setMotionKeys(cam, Motion::X, {{0.0, 0.0}, {1.0, 30.0}});
    host.scene().setMotionKeys(cam, Motion::Heading, {{0.0, 0.4}, {1.0, 1.4}});
    LWItemID other = host.scene().addCamera("Other");
    host.scene().setMotionKeys(other, Motion::Y, {{0.0, 5.0}, {1.0, -5.0}});
    host.render().shutter = 1.0;
    auto a = Make("VantorPerspectiveCam");
    auto b = Make("VantorPerspectiveCam", other);
    ASSERT_EQ(a->newFrame(2), "");
    ASSERT_EQ(b->newFrame(2), "");
    const double fracs[] = {0.25, 0.25, 0.25, 0.7, 0.7, 0.25};
    std::vector<LWCameraRay> fresh;
    {
        // Each ray from its own instance, so no cache can serve it.
        for (double f : fracs) {
            auto c = Make("VantorPerspectiveCam");
            EXPECT_EQ(c->newFrame(2), "");
            fresh.push_back(Ray(*c, 0.004, -0.002, 0.3, 0.1, f));
        }
    }
    for (int round = 0; round < 2; ++round)
        for (std::size_t i = 0; i < std::size(fracs); ++i) {
            EXPECT_TRUE(SameRay(Ray(*a, 0.004, -0.002, 0.3, 0.1, fracs[i]), fresh[i])) << round << " " << i;
            const LWCameraRay rb = Ray(*b, 0.004, -0.002, 0.3, 0.1, fracs[i]);
            EXPECT_FALSE(SameRay(rb, fresh[i])) << "the other camera's pose, not a cached one";
        }
    // A later frame moves the camera; the cached pose of frame 2 must not serve it.
    ASSERT_EQ(a->newFrame(7), "");
    auto c = Make("VantorPerspectiveCam");
    ASSERT_EQ(c->newFrame(7), "");
    const LWCameraRay later = Ray(*c, 0.004, -0.002, 0.3, 0.1, 0.25);
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(SameRay(Ray(*a, 0.004, -0.002, 0.3, 0.1, 0.25), later)) << k;
    EXPECT_FALSE(SameRay(later, fresh[0]));
}
