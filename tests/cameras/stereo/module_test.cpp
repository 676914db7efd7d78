// The Stereo camera type through the built module in the stand-in host:
// panel and object popup, toe-in, convergence and gizmo drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/support/camera_fixture.h"

using namespace testsupport;

TEST_F(Cameras, StereoPanelTablesHintsAndObjectPopup) {
    host.scene().addObject("Ball");
    host.scene().addObject("Cube");
    auto ci = Make("VantorStereoCam");
    const LWXPanelID panel = Panel(*ci);
    const PanelRecord *rec = host.panels().record(panel);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(Controls(*rec),
              "32780 \"Logo\" dThumbnail\n32776 \"Version\" sInfo\n32769 \"ZoomFactor\" zoomfactor-env\n"
              "32772 \"Eye Separation\" distance-env\n32770 \"Convergence Item\" iPopChoice\n"
              "32773 \"Convergence Limit\" distance-env\n32771 \"Show Convergence Plane\" iBoolean\n");
    EXPECT_EQ(Data(*rec), "32776 \"Version\" string\n32769 \"ZoomFactor\" float\n32772 \"Eye Separation\" float\n"
                          "32770 \"Convergence Item\" integer\n32773 \"Convergence Limit\" float\n"
                          "32771 \"Show Convergence Plane\" integer\n");
    const std::vector<std::string> hints = {
        Hint(XPTAG_FOCUS, {-1}),
        Hint(XPTAG_POPFUNCS, {0x8002}, " fn fn"),
        Hint(XPTAG_CTRLCFG, {0x800c, 0, 0x80000001LL}),
        Hint(XPTAG_DRAWCBFUNC, {0x800c}, " fn"),
        Hint(XPTAG_DIVADD, {0x8008}, " |"),
        Hint(XPTAG_DIVADD, {0x8004}, " |"),
        Hint(XPTAG_DIVADD, {0x8001}, " |"),
        Hint(XPTAG_DIVADD, {0x8007}, " |"),
        Hint(XPTAG_SENS, {0x8005, 1}),
        Hint(XPTAG_SENS, {0x8006, 1}),
        Hint(XPTAG_SENS, {0x8007, 1}),
        Hint(XPTAG_ENABLE, {0x8002}, " null 0 null | 32773 32771"),
    };
    EXPECT_EQ(Hints(panel), hints);
    EXPECT_EQ(host.panels().popupChoices(panel, 0x8002), (std::vector<std::string>{"(none)", "Ball", "Cube"}));
    EXPECT_EQ(host.panels().popupName(panel, 0x8002, -1), "(none)");
    EXPECT_EQ(host.panels().popupName(panel, 0x8002, 3), "(none)");

    EXPECT_STREQ(static_cast<const char *>(host.panels().get(panel, 0x8008)), "v1.5 Dec 11 2010");
    const std::pair<unsigned int, const char *> envs[] = {{0x8001, "ZoomFactor"},
                                                          {0x8004, "EyeSeparation"},
                                                          {0x8005, "ConvergenceLimit"},
                                                          {0x8006, "HorizontalScale"},
                                                          {0x8007, "HorizontalShiftFactor"}};
    for (const auto &e : envs)
        EXPECT_EQ(Channel(Env(panel, e.first)), std::string(e.second) + "@VantorStereoCam");
    // defaults: the host camera's separation, limit 10, scales 1
    EXPECT_DOUBLE_EQ(host.envelopes().value(Env(panel, 0x8004), 0.0),
                     host.scene().camera(cam, CamProp::Separation, 0.0));
    EXPECT_EQ(host.envelopes().value(Env(panel, 0x8005), 0.0), 10.0);
    EXPECT_EQ(host.envelopes().value(Env(panel, 0x8006), 0.0), 1.0);
    EXPECT_EQ(host.envelopes().value(Env(panel, 0x8007), 0.0), 1.0);
    for (unsigned int vid : {0x8002u, 0x8003u}) {
        ASSERT_NE(Setting(panel, vid), nullptr);
        EXPECT_EQ(*Setting(panel, vid), 0);
        Set(panel, vid, 2);
        EXPECT_EQ(*Setting(panel, vid), 2);
    }
    for (unsigned int vid : {0x8000u, 0x8009u, 0x800cu})
        EXPECT_EQ(host.panels().get(panel, vid), nullptr);

    // An activation that fails for want of the item service keeps the
    // services of the running instance: its popup still lists the objects.
    const std::vector<std::string> choices = host.panels().popupChoices(panel, 0x8002);
    ASSERT_GT(choices.size(), 1u);
    host.setServiceMissing(LWITEMINFO_GLOBAL);
    CameraInstance other(host, *module, "VantorStereoCam", cam);
    EXPECT_FALSE(other.ok());
    EXPECT_EQ(host.panels().popupChoices(panel, 0x8002), choices);
    host.setServiceMissing(LWITEMINFO_GLOBAL, false);
}

TEST_F(Cameras, StereoToeInAtTheLimitAndJustBeyond) {
    // An unturned camera at the origin with eyes 0.5 apart; the object 5 from
    // the left eye, off its axis.
    host.scene().setPosition(cam, 0, 0, 0);
    host.scene().setRotation(cam, 0, 0, 0);
    host.scene().setCamera(cam, CamProp::Separation, 0.5);
    host.scene().setCamera(cam, CamProp::FStop, 1e9); // practically a pinhole
    const LWItemID ball = host.scene().addObject("Ball");
    host.scene().setPosition(ball, 2.75, 0.0, 4.0);
    auto ci = Make("VantorStereoCam");
    const LWXPanelID panel = Panel(*ci);
    Set(panel, 0x8002, 1);
    const LWVParmID limit = Env(panel, 0x8005);
    const double W = ci->access().filmSize[0];

    host.envelopes().setValue(limit, 5.0);
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->newFrame(0), "");
    LWCameraRay left{}, right{};
    ASSERT_EQ(ci->evaluate(-W / 4, 0, 0, 0, 0, &left), 1);
    ExpectNear(FromArray(left.rayPos), {-0.25, 0, 0}, 1e-15);
    ExpectNear(FromArray(left.rayDir), {0.6, 0.0, 0.8}, 1e-12);
    // the right eye is nearer (4.6): it turns too
    ASSERT_EQ(ci->evaluate(W / 4, 0, 0, 0, 0, &right), 1);
    EXPECT_NEAR(Angle(FromArray(right.rayDir), V3{2.5, 0, 4}), 0.0, 1e-12);
    ExpectNear(FromArray(left.filmNorm), {0, 0, 1}, 0);

    host.envelopes().setValue(limit, 5.0 - 1e-9);
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->evaluate(-W / 4, 0, 0, 0, 0, &left), 1);
    ExpectNear(FromArray(left.rayDir), {0, 0, 1}, 1e-12);
    ASSERT_EQ(ci->evaluate(W / 4, 0, 0, 0, 0, &right), 1);
    EXPECT_NEAR(Angle(FromArray(right.rayDir), V3{2.5, 0, 4}), 0.0, 1e-12);

    // "(none)": parallel axes whatever the limit
    Set(panel, 0x8002, 0);
    host.envelopes().setValue(limit, 1e6);
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->newFrame(0), "");
    ASSERT_EQ(ci->evaluate(W / 4, 0, 0, 0, 0, &right), 1);
    ExpectNear(FromArray(right.rayDir), {0, 0, 1}, 1e-15);
    // a position past the object list names nothing either
    Set(panel, 0x8002, 5);
    ASSERT_EQ(ci->newFrame(0), "");
    ASSERT_EQ(ci->evaluate(W / 4, 0, 0, 0, 0, &right), 1);
    ExpectNear(FromArray(right.rayDir), {0, 0, 1}, 1e-15);
}

TEST_F(Cameras, StereoGizmoDrawsThePlaneAndTheEyes) {
    host.scene().setCamera(cam, CamProp::Separation, 0.2);
    host.scene().addObject("Other");
    const LWItemID ball = host.scene().addObject("Ball");
    host.scene().setPosition(ball, 0.5, 1.5, 6.0);
    auto ci = Make("VantorStereoCam");
    const LWXPanelID panel = Panel(*ci);
    Set(panel, 0x8002, 2);
    Set(panel, 0x8003, 1);
    EXPECT_TRUE(Draw(*ci).empty()); // no frame set up yet
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->newFrame(0), "");

    const std::vector<DrawCall> calls = Draw(*ci);
    const char *ops[] = {"setCSysItem", "setColor", "quad",   "setColor", "quad",
                         "setCSysItem", "circle",   "circle", "circle",   "circle"};
    ASSERT_EQ(calls.size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(calls[i].op, ops[i]) << i;
    EXPECT_EQ(calls[0].item, ball);
    ExpectColour(calls[1], 0.3f);
    ExpectColour(calls[3], 1.0f);
    EXPECT_EQ(calls[2].values, calls[4].values);
    EXPECT_EQ(calls[5].item, cam);

    Axes ax = host.scene().axes(cam, host.frameInfo(0).start);
    const V3 R = FromArray(ax.right), U = FromArray(ax.up);
    double p[3];
    host.scene().position(cam, host.frameInfo(0).start, p);
    const V3 P = FromArray(p), C = {0.5, 1.5, 6.0};
    const V3 corners[4] = {C + R + 0.5 * U, C - R + 0.5 * U, C - R - 0.5 * U, C + R - 0.5 * U};
    for (int k = 0; k < 4; ++k)
        ExpectNear(FromArray(&calls[2].values[3 * k]), corners[k], 1e-12, "corner");
    const V3 eyes[4] = {P - 0.1 * R, P + 0.1 * R, P - 0.1 * R, P + 0.1 * R};
    const double radii[4] = {0.03, 0.03, 0.01, 0.01};
    for (int k = 0; k < 4; ++k) {
        const DrawCall &c = calls[6 + k];
        ASSERT_EQ(c.values.size(), 4u);
        ExpectNear(FromArray(&c.values[0]), eyes[k], 1e-12, "eye");
        EXPECT_EQ(c.values[3], radii[k]);
        EXPECT_EQ(c.csys, LWCSYS_WORLD);
    }

    Set(panel, 0x8003, 0);
    EXPECT_TRUE(Draw(*ci).empty());
    Set(panel, 0x8003, 1);
    Set(panel, 0x8002, 0);
    ASSERT_EQ(ci->newFrame(0), ""); // the choice counts from the next frame set-up
    EXPECT_TRUE(Draw(*ci).empty());
}

TEST_F(Cameras, StereoConvergenceMovesWithTheExposureFraction) {
    // A still camera and a ball moving away along Z during the exposure: the
    // left eye's centre ray follows the ball at every fraction.
    host.scene().setPosition(cam, 0, 0, 0);
    host.scene().setRotation(cam, 0, 0, 0);
    host.scene().setCamera(cam, CamProp::Separation, 0.4);
    host.scene().setCamera(cam, CamProp::FStop, 1e9);
    const LWItemID ball = host.scene().addObject("Ball");
    host.scene().setMotionKeys(ball, Motion::X, {{0.0, 1.0}, {1.0, 1.0}});
    host.scene().setMotionKeys(ball, Motion::Z, {{0.0, 3.0}, {1.0, 9.0}});
    host.render().motionSteps = 4;
    auto ci = Make("VantorStereoCam");
    const LWXPanelID panel = Panel(*ci);
    Set(panel, 0x8002, 1);
    ASSERT_EQ(ci->newTime(3, 0.1), "");
    ASSERT_EQ(ci->newFrame(3), "");
    const LWFrameInfo &fi = ci->frameInfo();
    const double W = ci->access().filmSize[0];
    for (double f : {0.0, 0.2, 0.5, 0.9, 1.0}) {
        const double t = fi.start + f * fi.duration;
        LWCameraRay r{};
        ASSERT_EQ(ci->evaluate(-W / 4, 0, 0, 0, f, &r), 1);
        EXPECT_NEAR(Angle(FromArray(r.rayDir), V3{1.2, 0, 3.0 + 6.0 * t}), 0.0, 1e-12) << f;
    }
    // A fraction that is not a number takes the exposure's start.
    LWCameraRay start{}, nan{};
    ASSERT_EQ(ci->evaluate(-W / 4, 0, 0, 0, 0.0, &start), 1);
    ASSERT_EQ(ci->evaluate(-W / 4, 0, 0, 0, std::nan(""), &nan), 1);
    EXPECT_TRUE(SameRay(start, nan));
    // A copy holds no convergence until its next frame set-up.
    auto copy = Make("VantorStereoCam");
    ASSERT_EQ(copy->copyFrom(*ci), "");
    LWCameraRay parallel{};
    ASSERT_EQ(copy->evaluate(-W / 4, 0, 0, 0, 0.5, &parallel), 1);
    ExpectNear(FromArray(parallel.rayDir), {0, 0, 1}, 1e-15);
    ASSERT_EQ(copy->newFrame(3), "");
    ASSERT_EQ(copy->evaluate(-W / 4, 0, 0, 0, 0.0, &parallel), 1);
    EXPECT_TRUE(SameRay(parallel, start));
}

// The frame rendered again with the camera unchanged: an item picked or moved
// since the last frame call is where the eyes converge, not where the item
// (or the world origin, for no item) stood before.
TEST_F(Cameras, StereoConvergesOnTheItemOfTheLatestFrameCall) {
    host.scene().setPosition(cam, 2, 0, 0);
    host.scene().setRotation(cam, 0, 0, 0);
    host.scene().setCamera(cam, CamProp::Separation, 0.4);
    host.scene().setCamera(cam, CamProp::FStop, 1e9);
    const LWItemID a = host.scene().addObject("A");
    host.scene().setPosition(a, 2, 0, 5);
    const LWItemID b = host.scene().addObject("B");
    host.scene().setPosition(b, 3, 0, 4);
    host.render().motionSteps = 4;
    auto ci = Make("VantorStereoCam");
    const LWXPanelID panel = Panel(*ci);
    ASSERT_EQ(ci->newTime(3, 0.1), "");
    ASSERT_EQ(ci->newFrame(3), "");
    const double W = ci->access().filmSize[0];
    auto leftCentre = [&] {
        LWCameraRay r{};
        EXPECT_EQ(ci->evaluate(-W / 4, 0, 0, 0, 0.5, &r), 1);
        return r;
    };
    ExpectNear(FromArray(leftCentre().rayDir), {0, 0, 1}, 1e-15); // no item: parallel eyes
    const V3 leftEye{1.8, 0, 0};
    for (const auto &[choice, item] : {std::pair<int, LWItemID>{1, a}, {2, b}}) {
        Set(panel, 0x8002, choice);
        ASSERT_EQ(ci->newFrame(3), "");
        double p[3];
        host.scene().param(item, LWIP_W_POSITION, ci->frameInfo().start, p);
        const LWCameraRay r = leftCentre();
        EXPECT_NEAR(Angle(FromArray(r.rayDir), V3{p[0] - leftEye.x, p[1], p[2]}), 0.0, 1e-12) << choice;
    }
    host.scene().setPosition(b, 1, 0, 6);
    ASSERT_EQ(ci->newFrame(3), "");
    EXPECT_NEAR(Angle(FromArray(leftCentre().rayDir), V3{1 - leftEye.x, 0, 6}), 0.0, 1e-12);
}

// The Stereo film normal is the normalised forward row of the call's access
// record; the frame's own record's normal is kept from the frame set-up, so
// another record (even one differing only in the sign of a zero) must not get it.
TEST_F(Cameras, StereoFilmNormalFollowsTheCallsAccessRecord) {
    host.scene().setRotation(cam, 0.3, 0.0, 0.0);
    auto ci = Make("VantorStereoCam");
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->newFrame(0), "");
    const LWCameraAccess frame = ci->access();
    const V3 F = FromArray(frame.toWorld[2]);
    auto normalOf = [&](const LWCameraAccess &a) {
        LWCameraRay ray{};
        EXPECT_EQ(ci->handler().evaluate(ci->instance(), 0.001, 0.0, 0, 0, 0, &ray, &a), 1);
        return FromArray(ray.filmNorm);
    };
    ExpectNear(normalOf(frame), (1.0 / Length(F)) * F, 1e-15);

    LWCameraAccess other = frame;
    other.toWorld[2][0] = 0.0, other.toWorld[2][1] = 2.0, other.toWorld[2][2] = 0.0;
    ExpectNear(normalOf(other), {0, 1, 0}, 0);
    ExpectNear(normalOf(frame), (1.0 / Length(F)) * F, 1e-15); // back to the frame's record

    // Only the sign of a zero differs: the normal keeps that sign.
    host.scene().setRotation(cam, 0.0, 0.0, 0.0);
    ASSERT_EQ(ci->newFrame(1), "");
    LWCameraAccess flat = ci->access();
    ASSERT_EQ(flat.toWorld[2][0], 0.0);
    flat.toWorld[2][0] = std::signbit(flat.toWorld[2][0]) ? 0.0 : -0.0;
    LWCameraRay ray{};
    ASSERT_EQ(ci->handler().evaluate(ci->instance(), 0.001, 0.0, 0, 0, 0, &ray, &flat), 1);
    EXPECT_EQ(std::signbit(ray.filmNorm[0]), std::signbit(flat.toWorld[2][0]));
}
