// The Skybox camera type through the built module in the stand-in host:
// service needs, the layout diagram and the rays of the cube.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/camera_fixture.h"

using namespace testsupport;

TEST_F(Cameras, SkyboxNeedsTheEvaluationServiceButNotEnvelopes) {
    host.setServiceMissing(LWVPARMFUNCS_GLOBAL);
    EXPECT_TRUE(CameraInstance(host, *module, "VantorSkyboxCam", cam).ok());
    EXPECT_EQ(CameraInstance(host, *module, "VantorFisheyeCam", cam).activationResult(), AFUNC_BADGLOBAL);
    EXPECT_EQ(CameraInstance(host, *module, "VantorStereoCam", cam).activationResult(), AFUNC_BADGLOBAL);
    host.setServiceMissing(LWVPARMFUNCS_GLOBAL, false);
    host.setServiceMissing(LWCAMERAEVALUATIONFUNCS_GLOBAL);
    EXPECT_EQ(CameraInstance(host, *module, "VantorSkyboxCam", cam).activationResult(), AFUNC_BADGLOBAL);
    EXPECT_TRUE(CameraInstance(host, *module, "VantorFisheyeCam", cam).ok());
}

TEST_F(Cameras, SkyboxPanelDiagramFollowsOnlyPanelChanges) {
    auto ci = Make("VantorSkyboxCam");
    const LWXPanelID panel = Panel(*ci);
    const PanelRecord *rec = host.panels().record(panel);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(Controls(*rec), "32768 \"Logo\" dThumbnail\n32770 \"Version\" sInfo\n32786 \"Logo\" dThumbnail\n"
                              "32774 \"Skybox Type\" iPopChoice\n");
    EXPECT_EQ(Data(*rec), "32770 \"Version\" string\n32774 \"Skybox Type\" integer\n");
    const std::vector<std::string> hints = {
        Hint(XPTAG_FOCUS, {-1}),
        Hint(XPTAG_CTRLCFG, {0x8000, 0, 0x80000001LL}),
        Hint(XPTAG_DRAWCBFUNC, {0x8000}, " fn"),
        Hint(XPTAG_CTRLCFG, {0x8012, 0, 0x80000008LL}),
        Hint(XPTAG_DRAWCBFUNC, {0x8012}, " fn"),
        Hint(XPTAG_POPFUNCS, {0x8006}, " fn fn"),
        Hint(XPTAG_DIVADD, {0x8002}, " |"),
        Hint(XPTAG_ENABLE, {0x8006}, " null 0 null |"),
    };
    EXPECT_EQ(Hints(panel), hints);
    EXPECT_EQ(host.panels().popupChoices(panel, 0x8006),
              (std::vector<std::string>{"Unfolded to Cross Shape", "Unfolded to Alternate Shape"}));
    EXPECT_STREQ(static_cast<const char *>(host.panels().get(panel, 0x8002)), "v1.5 Dec 11 2010");
    EXPECT_EQ(host.panels().get(panel, 0x8000), nullptr);
    EXPECT_EQ(host.panels().get(panel, 0x8012), nullptr);

    auto grey = [](const Raster &r, int x, int y) { return r.pixel(x, y)[0]; };
    auto drawn = [&]() {
        Raster r;
        EXPECT_TRUE(host.panels().draw(panel, 0x8012, 300, 150, r));
        return r;
    };
    auto expectCross = [&](const Raster &r, bool cross) {
        // the middle row and the bottom cell in both layouts
        for (int x : {100, 140, 180, 220})
            EXPECT_EQ(grey(r, x, 74), 150) << x;
        EXPECT_EQ(grey(r, 140, 114), 150);
        EXPECT_EQ(grey(r, 100, 114), 0);
        // the top cell and the lines along its edges
        EXPECT_EQ(grey(r, 140, 30), cross ? 150 : 0);
        EXPECT_EQ(grey(r, 220, 30), cross ? 0 : 150);
        EXPECT_EQ(grey(r, 140, 53), cross ? 128 : 0); // (160,53)-(119,53)
        EXPECT_EQ(grey(r, 230, 53), cross ? 0 : 128); // (199,53)-(240,53)
        EXPECT_EQ(grey(r, 199, 70), 128);             // both
        EXPECT_EQ(grey(r, 119, 60), 128);
        EXPECT_EQ(grey(r, 5, 5), 0);
        EXPECT_EQ(grey(r, 260, 140), 0);
    };

    Set(panel, 0x8006, 0);
    expectCross(drawn(), true);
    Set(panel, 0x8006, 1);
    EXPECT_EQ(*Setting(panel, 0x8006), 1);
    expectCross(drawn(), false);

    // A loaded scene sets the type and refreshes the panel, not the diagram.
    Set(panel, 0x8006, 0);
    MemoryLoadState alt(std::string("1\n"), LWIO_ASCII);
    ASSERT_EQ(ci->load(alt), "");
    EXPECT_EQ(*Setting(panel, 0x8006), 1);
    expectCross(drawn(), true);
    EXPECT_EQ(host.panels().record(panel)->userData, ci->instance());
    // Other ids change nothing.
    Set(panel, 0x8002, 1);
    expectCross(drawn(), true);
}

TEST_F(Cameras, SkyboxRefusesFilmPointsThatAreNotFiniteInEveryCell) {
    auto ci = Make("VantorSkyboxCam");
    const LWXPanelID panel = Panel(*ci);
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->newFrame(0), "");
    const double W = ci->access().filmSize[0], H = ci->access().filmSize[1];
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    // Each bad coordinate beside a good one from every column and row, so the
    // bad point is sent to every cell that has a view.
    std::vector<std::pair<double, double>> points;
    for (double bad : {nan, -nan, inf, -inf}) {
        for (double x : {-3 * W / 8, -W / 8, W / 8, 3 * W / 8}) points.push_back({x, bad});
        for (double y : {-H / 3, 0.0, H / 3}) points.push_back({bad, y});
        points.push_back({bad, bad});
    }
    for (int type : {0, 1}) {
        Set(panel, 0x8006, type);
        for (const auto &p : points) {
            // The host sets the filter itself; the camera's part is the rest.
            LWCameraRay r, before;
            std::memset(&r, 0x5a, sizeof r);
            before = r;
            EXPECT_EQ(ci->evaluate(p.first, p.second, 0, 0, 0, &r), 0) << type << " " << p.first << " " << p.second;
            EXPECT_EQ(std::memcmp(&r, &before, offsetof(LWCameraRay, filter)), 0)
                << type << " " << p.first << " " << p.second;
        }
        // A finite point far off the film still gets a defined answer.
        LWCameraRay far{};
        if (ci->evaluate(1e300, 1e300, 0, 0, 0, &far)) {
            for (int k = 0; k < 3; ++k) EXPECT_TRUE(std::isfinite(far.rayDir[k]));
        }
    }
}

TEST_F(Cameras, SkyboxTurnedCameraRaysFormOneSeamlessCube) {
    host.scene().setCamera(cam, CamProp::FilmWidth, 0.032);
    host.scene().setCamera(cam, CamProp::FilmHeight, 0.024);
    auto ci = Make("VantorSkyboxCam");
    const LWXPanelID panel = Panel(*ci);
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->newFrame(0), "");
    const LWCameraAccess &a = ci->access();
    const double W = a.filmSize[0], H = a.filmSize[1];
    const V3 R = FromArray(a.toWorld[0]), U = FromArray(a.toWorld[1]), F = FromArray(a.toWorld[2]);
    const double seam = 2.0 * (std::atan(1.0) - std::atan((1.0 / 6.0) / 0.1685));

    auto ray = [&](double x, double y, double lx = 0, double ly = 0, double frac = 0) {
        LWCameraRay r{};
        EXPECT_EQ(ci->evaluate(x, y, lx, ly, frac, &r), 1) << x << " " << y;
        return r;
    };
    // film point of view (col, row) at offset (u, v) in half cells from its centre
    auto at = [&](int col, int row, double u, double v) {
        return V3{-W / 2 + W / 8 + col * W / 4 + u * W / 8, -H / 2 + H / 6 + row * H / 3 + v * H / 6, 0};
    };
    auto dir = [&](V3 f) { return FromArray(ray(f.x, f.y).rayDir); };

    for (int type : {0, 1}) {
        Set(panel, 0x8006, type);
        const int upCol = type == 0 ? 1 : 3;
        // view centres look along the turned axes
        ExpectNear(dir(at(0, 1, 0, 0)), -1.0 * R, 1e-12, "left");
        ExpectNear(dir(at(1, 1, 0, 0)), F, 1e-12, "front");
        ExpectNear(dir(at(2, 1, 0, 0)), R, 1e-12, "right");
        ExpectNear(dir(at(3, 1, 0, 0)), -1.0 * F, 1e-12, "back");
        ExpectNear(dir(at(1, 0, 0, 0)), -1.0 * U, 1e-12, "down");
        ExpectNear(dir(at(upCol, 2, 0, 0)), U, 1e-12, "up");
        // film neighbours meet along their shared edges, within the seam
        struct Edge {
            int colA, rowA, colB, rowB;
        } edges[] = {{0, 1, 1, 1}, {1, 1, 2, 1}, {2, 1, 3, 1}, {1, 0, 1, 1}, {upCol, 1, upCol, 2}};
        for (const Edge &e : edges)
            for (double t = -0.95; t <= 0.96; t += 0.19) {
                const bool horizontal = e.rowA == e.rowB;
                const V3 pa = horizontal ? at(e.colA, e.rowA, 0.99999, t) : at(e.colA, e.rowA, t, 0.99999);
                const V3 pb = horizontal ? at(e.colB, e.rowB, -0.99999, t) : at(e.colB, e.rowB, t, -0.99999);
                EXPECT_LT(Angle(dir(pa), dir(pb)), seam * 1.01) << e.colA << e.rowA << "/" << e.colB << e.rowB;
            }
        // the back view's right edge wraps onto the left view's left edge
        for (double t : {-0.5, 0.0, 0.5})
            EXPECT_LT(Angle(dir(at(3, 1, 0.99999, t)), dir(at(0, 1, -0.99999, t))), seam * 1.01);
        // empty cells give no ray and leave the record alone
        for (int col = 0; col < 4; ++col)
            for (int row : {0, 2}) {
                if ((row == 0 && col == 1) || (row == 2 && col == upCol))
                    continue;
                const V3 f = at(col, row, 0.3, -0.2);
                LWCameraRay r{};
                r.rayDir[0] = 42;
                EXPECT_EQ(ci->evaluate(f.x, f.y, 0, 0, 0, &r), 0) << col << " " << row;
                EXPECT_EQ(r.rayDir[0], 42);
            }
    }
    // lens samples and fractions change nothing; the origin is the camera
    const LWCameraRay plain = ray(0.003, 0.002);
    EXPECT_TRUE(SameRay(plain, ray(0.003, 0.002, 0.9, -0.4, 0.7)));
    ExpectNear(FromArray(plain.rayPos), FromArray(a.worldPos), 0);
    EXPECT_EQ(std::memcmp(plain.rayDir, plain.filmNorm, sizeof plain.rayDir), 0);
}
