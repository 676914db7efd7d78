// The SuperPano camera type through the built module in the stand-in host:
// panel, hints and scene block, and the Panoramic rays at unit scales.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/camera_fixture.h"

using namespace testsupport;

TEST_F(ProjectionCameras, SuperPanoPanelAndSceneBlock) {
    auto ci = Make("VantorAdvPanCam");
    EXPECT_EQ(ci->flags(), 0u);
    EXPECT_EQ(ci->describe().rfind("VantorAdvPanCam ", 0), 0u);
    const LWXPanelID panel = Panel(*ci);
    const PanelRecord *rec = host.panels().record(panel);
    ASSERT_NE(rec, nullptr);
    const char *controls[][3] = {
        {"32773", "Logo", "dThumbnail"},
        {"32769", "Version", "sInfo"},
        {"32774", "Horizontal FOV angle", "angle-env"},
        {"32775", "Upper Vertical FOV angle", "angle-env"},
        {"32776", "Lower Vertical FOV angle", "angle-env"},
        {"32778", "Right Horizontal Scale", "percent-env"},
        {"32777", "Top Vertical Scale", "percent-env"},
        {"32780", "Left Horizontal Scale", "percent-env"},
        {"32779", "Bottom Vertical Scale", "percent-env"},
        {"32782", "Horizontal Shift", "percent-env"},
        {"32781", "Vertical Shift", "percent-env"},
    };
    std::string c, d = "32769 \"Version\" string\n";
    for (auto &row : controls) {
        c += std::string(row[0]) + " \"" + row[1] + "\" " + row[2] + "\n";
        if (std::string(row[2]).find("-env") != std::string::npos)
            d += std::string(row[0]) + " \"" + row[1] + "\" float\n";
    }
    EXPECT_EQ(Controls(*rec), c);
    EXPECT_EQ(Data(*rec), d);

    std::vector<std::string> hints = kCommonHead;
    for (long long id : {0x8001, 0x8006, 0x8008, 0x800B, 0x800D}) hints.push_back(Hint(XPTAG_DIVADD, {id}));
    for (long long id : {0x8007, 0x8008, 0x8006, 0x800A, 0x8009, 0x800C, 0x800B, 0x800E, 0x800D})
        hints.push_back(Hint(XPTAG_SENS, {id, 1}));
    for (long long pair : {0x800A, 0x800C}) {
        const long long other = pair == 0x800A ? 0x8009 : 0x800B;
        hints.push_back(Hint(XPTAG_MAX, {pair, 5}));
        hints.push_back(Hint(XPTAG_MAX, {other, 5}));
        hints.push_back(Hint(XPTAG_MIN, {pair, -5}));
        hints.push_back(Hint(XPTAG_MIN, {other, -5}));
    }
    EXPECT_EQ(Hints(panel), hints);

    const std::pair<unsigned int, const char *> envs[] = {
        {0x8000, "ZoomFactor"},   {0x8006, "HorizontalFOVradians"}, {0x8007, "MaxVerticalFOVradians"},
        {0x8008, "MinVerticalFOVradians"}, {0x800A, "HScalePos"}, {0x8009, "VScalePos"},
        {0x800C, "HScaleNeg"},    {0x800B, "VScaleNeg"},            {0x800E, "HShift"},
        {0x800D, "VShift"},
    };
    for (auto &e : envs) EXPECT_EQ(Channel(Env(panel, e.first)), std::string(e.second) + "@VantorAdvPanCam");
    EXPECT_EQ(host.panels().get(panel, 0x800F), nullptr);

    // Give each saved envelope its own value; the block lists them in save order.
    const unsigned int saveOrder[] = {0x8006, 0x8007, 0x8008, 0x800A, 0x8009, 0x800E, 0x800D, 0x800C, 0x800B};
    std::vector<std::string> expected;
    for (int i = 0; i < 9; ++i) {
        ASSERT_TRUE(host.envelopes().setValue(Env(panel, saveOrder[i]), 0.125 * (i + 1)));
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.17g", 0.125 * (i + 1));
        expected.push_back("0");
        expected.push_back(buf);
    }
    MemorySaveState text(LWIO_ASCII);
    ASSERT_EQ(ci->save(text), "");
    EXPECT_EQ(text.lines(), expected);

    for (int mode : {LWIO_ASCII, LWIO_BINARY}) {
        MemorySaveState out(mode);
        ASSERT_EQ(ci->save(out), "");
        auto to = Make("VantorAdvPanCam");
        MemoryLoadState in(out);
        ASSERT_EQ(to->load(in), "");
        EXPECT_TRUE(in.atEnd());
        const LWXPanelID p2 = Panel(*to);
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(host.envelopes().value(Env(p2, saveOrder[i]), 0.0), 0.125 * (i + 1)) << mode << " " << i;
    }
}

TEST_F(ProjectionCameras, SuperPanoWithUnitScalesRendersThePanoramicRays) {
    auto pano = Make("VantorPanoramicCam");
    auto adv = Make("VantorAdvPanCam");
    host.render().motionSteps = 4;
    host.scene().setMotionKeys(cam, Motion::Pitch, {{0.0, 0.0}, {1.0, 0.9}});
    for (auto *ci : {pano.get(), adv.get()}) {
        ASSERT_EQ(ci->newTime(2, 2 / 30.0), "");
        ASSERT_EQ(ci->newFrame(2), "");
    }
    int compared = 0;
    for (double fx : {-0.018, -0.006, 0.0, 0.0101, 0.018})
        for (double fy : {-0.012, 0.0, 0.0077})
            for (double frac : {0.0, 0.4, 1.0}) {
                EXPECT_TRUE(SameRay(Ray(*pano, fx, fy, 0, 0, frac), Ray(*adv, fx, fy, 0, 0, frac)));
                ++compared;
            }
    EXPECT_EQ(compared, 45);
}
