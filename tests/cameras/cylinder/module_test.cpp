// The Cylinder camera type through the built module in the stand-in host:
// panel, size popup and scene block, rays and copy.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/camera_fixture.h"

using namespace testsupport;

namespace {
const double kDeg10 = 0.17453292519943295;
} // namespace

TEST_F(ProjectionCameras, CylinderPanelPopupAndSceneBlock) {
    auto ci = Make("VantorCylinderCam");
    EXPECT_EQ(ci->flags(), 0u);
    EXPECT_EQ(ci->describe().rfind("VantorCylinderCam ", 0), 0u);
    const LWXPanelID panel = Panel(*ci);
    const PanelRecord *rec = host.panels().record(panel);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(Controls(*rec), "32773 \"Logo\" dThumbnail\n32769 \"Version\" sInfo\n32775 \"Size\" iPopChoice\n"
                              "32774 \"\" distance-env\n32776 \"Maximum FOV Angle\" angle-env\n"
                              "32777 \"Minimum FOV Angle\" angle-env\n");
    EXPECT_EQ(Data(*rec), "32769 \"Version\" string\n32775 \"Size\" integer\n32774 \"\" float\n"
                          "32776 \"Upper FOV Angle\" float\n32777 \"Lower FOV Angle\" float\n");
    const std::vector<std::string> hints = {
        Hint(XPTAG_FOCUS, {-1}),
        Hint(XPTAG_POPFUNCS, {0x8007}, " fn fn"),
        Hint(XPTAG_CTRLCFG, {0x8005, 0, 0x80000001LL}),
        Hint(XPTAG_DRAWCBFUNC, {0x8005}, " fn"),
        Hint(XPTAG_DIVADD, {0x8001}),
        Hint(XPTAG_DIVADD, {0x8006}),
        Hint(XPTAG_DIVADD, {0x8000}),
        Hint(XPTAG_DIVADD, {0x8009}),
        Hint(XPTAG_SENS, {0x8006, 1}),
        Hint(XPTAG_SENS, {0x8008, 1}),
        Hint(XPTAG_SENS, {0x8009, 1}),
        Hint(XPTAG_ENABLE, {0x8007}, " null 0 null"),
    };
    EXPECT_EQ(Hints(panel), hints);
    EXPECT_EQ(host.panels().popupChoices(panel, 0x8007),
              (std::vector<std::string>{"Horizontal Axis", "Vertical Axis"}));
    EXPECT_EQ(host.panels().popupName(panel, 0x8007, 2), "");
    EXPECT_EQ(host.panels().popupName(panel, 0x8007, -1), "");

    EXPECT_EQ(Channel(Env(panel, 0x8000)), "ZoomFactor@VantorCylinderCam");
    EXPECT_EQ(Channel(Env(panel, 0x8006)), "HorizontalFOVradians@VantorCylinderCam");
    EXPECT_EQ(Channel(Env(panel, 0x8008)), "MaxVerticalFOVradians@VantorCylinderCam");
    EXPECT_EQ(Channel(Env(panel, 0x8009)), "MinVerticalFOVradians@VantorCylinderCam");
    const int *size = static_cast<const int *>(host.panels().get(panel, 0x8007));
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(*size, 1);
    int zero = 0;
    EXPECT_EQ(host.panels().set(panel, 0x8007, &zero), 1);
    EXPECT_EQ(*size, 0);
    int other = 9;
    EXPECT_EQ(host.panels().set(panel, 0x8010, &other), 1);
    EXPECT_EQ(*size, 0);

    // The three envelopes, then the size mode as the panel left it.
    MemorySaveState text(LWIO_ASCII);
    ASSERT_EQ(ci->save(text), "");
    EXPECT_EQ(text.lines(), (std::vector<std::string>{"0", "1", "0", "0.17453292519943295", "0",
                                                      "-0.17453292519943295", "0"}));

    // A size mode other than 0 or 1 is kept as read and saved back, in both modes.
    const std::string stored = "0\n2\n0\n0.25\n0\n-0.5\n7\n";
    for (int mode : {LWIO_ASCII, LWIO_BINARY}) {
        auto from = Make("VantorCylinderCam");
        MemoryLoadState in(stored, LWIO_ASCII);
        ASSERT_EQ(from->load(in), "");
        MemorySaveState out(mode);
        ASSERT_EQ(from->save(out), "");
        auto to = Make("VantorCylinderCam");
        MemoryLoadState back(out);
        ASSERT_EQ(to->load(back), "");
        MemorySaveState again(LWIO_ASCII);
        ASSERT_EQ(to->save(again), "");
        EXPECT_EQ(again.bytes(), stored) << mode;
    }
}

TEST_F(ProjectionCameras, CylinderRaysAndCopy) {
    host.scene().setCamera(cam, CamProp::FilmWidth, 0.048);
    host.scene().setCamera(cam, CamProp::FilmHeight, 0.024);
    auto ci = Make("VantorCylinderCam");
    const LWXPanelID panel = Panel(*ci);
    ASSERT_EQ(ci->newFrame(0), "");
    const V3 P = FromArray(ci->access().worldPos), R = FromArray(ci->access().toWorld[0]),
             U = FromArray(ci->access().toWorld[1]), F = FromArray(ci->access().toWorld[2]);

    // Upright: the top edge slides half the length up, the right edge turns 10 degrees.
    const LWCameraRay top = Ray(*ci, 0.0, 0.012);
    EXPECT_NEAR(Length(FromArray(top.rayPos) - (P + 0.5 * U)), 0.0, 1e-12);
    EXPECT_NEAR(Dot(FromArray(top.rayDir), F), 1.0, 1e-12);
    const LWCameraRay side = Ray(*ci, 0.024, 0.0);
    EXPECT_NEAR(std::atan2(Dot(FromArray(side.rayDir), R), Dot(FromArray(side.rayDir), F)), kDeg10, 1e-12);
    EXPECT_TRUE(std::memcmp(side.rayDir, side.filmNorm, sizeof side.rayDir) == 0);

    // Lying: the linear extent is length * W / H = 2 * length.
    int lying = 0;
    host.panels().set(panel, 0x8007, &lying);
    host.envelopes().setValue(Env(panel, 0x8006), 0.8);
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    const LWCameraRay l = Ray(*ci, -0.024, 0.0), r = Ray(*ci, 0.024, 0.0);
    EXPECT_NEAR(Dot(FromArray(r.rayPos) - FromArray(l.rayPos), R), 0.8 * 2.0, 1e-12);
    EXPECT_NEAR(Length(FromArray(l.rayPos) - (P - 0.8 * R)), 0.0, 1e-12);

    // A copy carries the settings and the envelope contents into its own envelopes.
    auto copy = Make("VantorCylinderCam");
    ASSERT_EQ(copy->copyFrom(*ci), "");
    const LWXPanelID p2 = Panel(*copy);
    EXPECT_NE(Env(p2, 0x8006), Env(panel, 0x8006));
    EXPECT_EQ(host.envelopes().value(Env(p2, 0x8006), 0.0), 0.8);
    EXPECT_EQ(*static_cast<const int *>(host.panels().get(p2, 0x8007)), 0);
    ASSERT_EQ(copy->newFrame(0), "");
    EXPECT_TRUE(SameRay(Ray(*copy, 0.01, -0.004), Ray(*ci, 0.01, -0.004)));

    // A subnormal film width is still a film: the centre column gets the
    // rays at the middle angle (upright again), not a refused NaN ray.
    int upright = 1;
    host.panels().set(panel, 0x8007, &upright);
    host.scene().setCamera(cam, CamProp::FilmWidth, 1e-310);
    ASSERT_EQ(ci->newFrame(2), "");
    const LWCameraRay mid = Ray(*ci, 0.0, 0.006);
    EXPECT_NEAR(Dot(FromArray(mid.rayDir), FromArray(ci->access().toWorld[2])), 1.0, 1e-12);

    // No usable film: no ray.
    host.scene().setCamera(cam, CamProp::FilmHeight, 0.0);
    ASSERT_EQ(ci->newFrame(1), "");
    LWCameraRay ray{};
    EXPECT_EQ(ci->evaluate(0.0, 0.0, 0, 0, 0, &ray), 0);
}
