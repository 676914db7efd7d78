// The Fisheye camera type through the built module in the stand-in host:
// panel and hints, automatic scale, rays and gizmo drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/camera_fixture.h"

using namespace testsupport;

TEST_F(Cameras, FisheyePanelTablesAndHints) {
    auto ci = Make("VantorFisheyeCam");
    const LWXPanelID panel = Panel(*ci);
    const PanelRecord *rec = host.panels().record(panel);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(Controls(*rec),
              "32775 \"Logo\" dThumbnail\n32771 \"Version\" sInfo\n32768 \"ZoomFactor\" zoomfactor-env\n"
              "32769 \"Distortion Power\" float-env\n32778 \"Auto Distortion Scale\" iBoolean\n"
              "32770 \"Distortion Scale\" float-env\n32779 \"Parallel Film Normals\" iBoolean\n"
              "32776 \"Preview in Camera View\" iBoolean\n");
    EXPECT_EQ(Data(*rec), "32771 \"Version\" string\n32768 \"ZoomFactor\" float\n32769 \"Distortion Power\" float\n"
                          "32778 \"Auto Distortion Scale\" integer\n32770 \"Distortion Scale\" float\n"
                          "32779 \"Parallel Film Normals\" integer\n32776 \"Preview in Camera View\" integer\n");
    const std::vector<std::string> hints = {
        Hint(XPTAG_FOCUS, {-1}),
        Hint(XPTAG_POPFUNCS, {0x8009}, " fn fn"),
        Hint(XPTAG_CTRLCFG, {0x8007, 0, 0x80000001LL}),
        Hint(XPTAG_DRAWCBFUNC, {0x8007}, " fn"),
        Hint(XPTAG_DIVADD, {0x8003}, " |"),
        Hint(XPTAG_DIVADD, {0x8000}, " |"),
        Hint(XPTAG_DIVADD, {0x8002}, " |"),
        Hint(XPTAG_DIVADD, {0x800b}, " |"),
        Hint(XPTAG_SENS, {0x8001, 1}),
        Hint(XPTAG_SENS, {0x8002, 1}),
        Hint(XPTAG_ENABLE, {0x800b}, " null 0 null |"),
        Hint(XPTAG_ENABLE, {0x800a}, " ptr 0 ptr | 32770"),
        Hint(XPTAG_ENABLE, {0x8008}, " null 0 null | 32777"),
    };
    EXPECT_EQ(Hints(panel), hints);
    // the enable map and the message of the automatic scale
    std::vector<HintEntry> entries = host.panels().hintEntries(panel);
    for (const HintEntry &e : entries)
        if (e.tag == XPTAG_ENABLE && e.args[0] == 0x800a) {
            EXPECT_STREQ(reinterpret_cast<const char *>(e.args[1]),
                         "Turn 'Auto Distortion Scale' off\nto set manually.");
            const int *map = reinterpret_cast<const int *>(e.args[3]);
            EXPECT_EQ(map[0], 1);
            EXPECT_EQ(map[1], 0);
        }
    EXPECT_EQ(host.panels().popupChoices(panel, 0x8009),
              (std::vector<std::string>{"Ray Tracing Grid", "Line Matching Grid"}));
    EXPECT_EQ(host.panels().popupName(panel, 0x8009, 2), "");

    EXPECT_STREQ(static_cast<const char *>(host.panels().get(panel, 0x8003)), "v1.5 Dec 11 2010");
    EXPECT_EQ(Channel(Env(panel, 0x8000)), "ZoomFactor@VantorFisheyeCam");
    EXPECT_EQ(Channel(Env(panel, 0x8001)), "FisheyePower@VantorFisheyeCam");
    EXPECT_EQ(Channel(Env(panel, 0x8002)), "FisheyeScale@VantorFisheyeCam");
    const int expected[][2] = {{0x800a, 1}, {0x800b, 1}, {0x8008, 0}, {0x8009, 1}};
    for (const auto &e : expected) {
        ASSERT_NE(Setting(panel, e[0]), nullptr);
        EXPECT_EQ(*Setting(panel, e[0]), e[1]) << e[0];
        Set(panel, e[0], 7);
        EXPECT_EQ(*Setting(panel, e[0]), 7);
    }
    for (unsigned int vid : {0x8004u, 0x8007u, 0x800cu, 0x9000u})
        EXPECT_EQ(host.panels().get(panel, vid), nullptr);
    Set(panel, 0x8123, 3);
}

TEST_F(Cameras, FisheyeAutomaticScaleOnA36By24Film) {
    host.scene().setCamera(cam, CamProp::FilmWidth, 36.0);
    host.scene().setCamera(cam, CamProp::FilmHeight, 24.0);
    auto ci = Make("VantorFisheyeCam");
    const LWXPanelID panel = Panel(*ci);
    const LWVParmID power = Env(panel, 0x8001), scale = Env(panel, 0x8002);
    host.envelopes().setValue(power, 0.5);

    // Before any frame the film is unknown: the scale envelope keeps its value
    // (rays take the film of the call's access record).
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    EXPECT_EQ(host.envelopes().value(scale, 0.0), 1.0);
    LWCameraRay ray{};
    EXPECT_EQ(ci->evaluate(0, 0, 0, 0, 0, &ray), 1);

    ASSERT_EQ(ci->newFrame(0), "");
    EXPECT_NEAR(host.envelopes().value(scale, 0.0), 4.65116, 1e-5);
    // The corner keeps its radius: its ray is the pinhole camera's.
    ASSERT_EQ(ci->evaluate(18, 12, 0, 0, 0, &ray), 1);
    const double zoom = host.scene().camera(cam, CamProp::ZoomFactor, 0.0);
    const double d = zoom * 24 * 0.5;
    const V3 F = FromArray(ci->access().toWorld[2]);
    EXPECT_NEAR(Angle(FromArray(ray.rayDir), F), std::atan(std::sqrt(468.0) / d), 1e-12);

    // Switching the automatic scale off keeps the last automatic value.
    Set(panel, 0x800a, 0);
    host.scene().setCamera(cam, CamProp::FilmWidth, 20.0);
    ASSERT_EQ(ci->newTime(1, 1.0 / 30), "");
    ASSERT_EQ(ci->newFrame(1), "");
    EXPECT_NEAR(host.envelopes().value(scale, 0.0), 4.65116, 1e-5);

    // A film of no size leaves the envelope alone and gives no ray.
    Set(panel, 0x800a, 1);
    host.scene().setCamera(cam, CamProp::FilmWidth, 0.0);
    ASSERT_EQ(ci->newTime(2, 2.0 / 30), ""); // still the last frame's 20 x 24 film
    EXPECT_NEAR(host.envelopes().value(scale, 0.0), std::pow(std::sqrt(100.0 + 144.0), 0.5), 1e-12);
    host.envelopes().setValue(scale, 2.0);
    ASSERT_EQ(ci->newFrame(2), "");
    EXPECT_EQ(host.envelopes().value(scale, 0.0), 2.0);
    EXPECT_EQ(ci->evaluate(1, 1, 0, 0, 0, &ray), 0);
}

TEST_F(Cameras, FisheyeRaysFollowFocusAndFStopAndNeverHoldNaN) {
    host.scene().setCamera(cam, CamProp::FStop, 2.0);
    host.scene().setCamera(cam, CamProp::FocalDistance, 6.0);
    auto ci = Make("VantorFisheyeCam");
    const LWXPanelID panel = Panel(*ci);
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->newFrame(0), "");
    const LWCameraAccess &a = ci->access();
    const V3 P = FromArray(a.worldPos), R = FromArray(a.toWorld[0]), U = FromArray(a.toWorld[1]),
             F = FromArray(a.toWorld[2]);
    LWCameraRay centre{}, lens{};
    ASSERT_EQ(ci->evaluate(0.004, -0.002, 0, 0, 0, &centre), 1);
    ASSERT_EQ(ci->evaluate(0.004, -0.002, 0.8, -0.5, 0, &lens), 1);
    const V3 offset = FromArray(lens.rayPos) - P;
    EXPECT_NEAR(Dot(offset, F), 0.0, 1e-12);
    const double r = host.scene().camera(cam, CamProp::ZoomFactor, 0) * a.filmSize[1] * 0.5 * (0.5 / 2.0);
    EXPECT_NEAR(Dot(offset, R), 0.8 * r, 1e-12);
    EXPECT_NEAR(Dot(offset, U), -0.5 * r, 1e-12);
    const V3 pFocus = P + 6.0 * FromArray(centre.rayDir);
    EXPECT_NEAR(Angle(FromArray(lens.rayDir), pFocus - FromArray(lens.rayPos)), 0.0, 1e-9);
    ExpectNear(FromArray(centre.filmNorm), F, 1e-12);
    Set(panel, 0x800b, 0);
    ASSERT_EQ(ci->evaluate(0.004, -0.002, 0, 0, 0, &centre), 1);
    EXPECT_EQ(std::memcmp(centre.filmNorm, centre.rayDir, sizeof centre.rayDir), 0);

    // focus 0 and f-stop 0: a pinhole; negative power: no ray at the centre
    host.scene().setCamera(cam, CamProp::FStop, 0.0);
    host.scene().setCamera(cam, CamProp::FocalDistance, 0.0);
    ASSERT_EQ(ci->newFrame(0), "");
    LWCameraRay pin{};
    ASSERT_EQ(ci->evaluate(0.004, -0.002, 1, 1, 0, &pin), 1);
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(std::isfinite(pin.rayDir[k]));
        EXPECT_EQ(pin.rayPos[k], a.worldPos[k]);
    }
    host.envelopes().setValue(Env(panel, 0x8001), -0.5);
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    LWCameraRay untouched{};
    untouched.rayDir[0] = 42;
    EXPECT_EQ(ci->evaluate(0, 0, 0, 0, 0, &untouched), 0);
    EXPECT_EQ(untouched.rayDir[0], 42);
    EXPECT_EQ(ci->evaluate(std::nan(""), 0, 0, 0, 0, &untouched), 0);
}

TEST_F(Cameras, FisheyeGizmoDrawsTheRayGridOnlyAfterAFrameAndWhenAskedTo) {
    auto ci = Make("VantorFisheyeCam");
    const LWXPanelID panel = Panel(*ci);
    Set(panel, 0x8008, 1);
    EXPECT_TRUE(Draw(*ci).empty()); // no frame set up yet
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->newFrame(0), "");
    Set(panel, 0x8008, 0);
    EXPECT_TRUE(Draw(*ci).empty());
    Set(panel, 0x8008, 1);

    const std::vector<DrawCall> calls = Draw(*ci);
    ASSERT_EQ(calls.size(), 2u + 100u * 4u);
    EXPECT_EQ(calls[0].op, "setCSysItem");
    EXPECT_EQ(calls[0].item, cam);
    ExpectColour(calls[1], 0.3f);
    const LWCameraAccess &a = ci->access();
    const V3 P = FromArray(a.worldPos), F = FromArray(a.toWorld[0 + 2]);
    for (int cell = 0; cell < 100; ++cell) {
        const DrawCall *c = &calls[2 + 4 * cell];
        ExpectColour(c[0], 0.3f);
        ASSERT_EQ(c[1].op, "quad");
        ExpectColour(c[2], 1.0f);
        ASSERT_EQ(c[3].op, "quad");
        EXPECT_EQ(c[1].values, c[3].values);
        EXPECT_EQ(c[1].csys, LWCSYS_WORLD);
        ASSERT_EQ(c[1].values.size(), 12u);
        // with parallel film normals the grid lies 10 units ahead
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(Dot(FromArray(&c[1].values[3 * k]) - P, F), 10.0, 1e-9);
    }
    // the first quad's first corner is the film's bottom-left corner
    LWCameraRay corner{};
    ASSERT_EQ(ci->evaluate(-a.filmSize[0] / 2, -a.filmSize[1] / 2, 0, 0, 0, &corner), 1);
    EXPECT_NEAR(Angle(FromArray(&calls[3].values[0]) - P, FromArray(corner.rayDir)), 0.0, 1e-6);

    // Changing the grid type changes nothing drawn.
    Set(panel, 0x8009, 0);
    const std::vector<DrawCall> same = Draw(*ci);
    ASSERT_EQ(same.size(), calls.size());
    for (std::size_t i = 0; i < same.size(); ++i)
        EXPECT_EQ(same[i].values, calls[i].values);

    // Without parallel normals the grid lies on the sphere of radius 10.
    Set(panel, 0x800b, 0);
    for (const DrawCall &c : Draw(*ci)) {
        if (c.op != "quad")
            continue;
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(Length(FromArray(&c.values[3 * k]) - P), 10.0, 1e-9);
    }
}
