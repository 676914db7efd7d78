// The Dual camera through the built module in the stand-in host: dispatch
// onto the halves, panel and hints.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/support/composite_fixture.h"

using namespace testsupport;

namespace {

TEST_F(Composite, DualDispatchOntoTheHalves) {
    CameraInstance *cam = Apply(cams[0], kMulti);
    LWXPanelID p = Panel(cam);
    Pick(p, 0x8006, 1); // left: B
    Pick(p, 0x8007, 2); // right: C
    StartFrame(cam);
    struct Case {
        double fx, fy;
        int cam;
        double tx;
    } cases[] = {
        {0.0, 0.01, 1, 0.25 * W},           {-W / 2, -H / 2, 1, -W / 4},         {W / 2, H / 2, 2, W / 4},
        {1e-9, 0.0, 2, 1e-9 - 0.25 * W},    {-W, 0.0, 1, -W + 0.25 * W},         {2 * W, 0.0, 2, 2 * W - 0.25 * W},
    };
    for (const Case &c : cases) {
        Ray r;
        ASSERT_EQ(Eval(cam, c.fx, c.fy, &r, 0.3, -0.2, 0.5), 1);
        ExpectSameRay(r, Direct(cams[c.cam], c.tx, c.fy, 0.3, -0.2, 0.5));
    }
}

TEST_F(Composite, DualBothHalvesMayShowOneCamera) {
    CameraInstance *cam = Apply(cams[0], kMulti);
    LWXPanelID p = Panel(cam);
    Pick(p, 0x8006, 1);
    Pick(p, 0x8007, 1);
    EXPECT_EQ(host.liveEvaluators(), 2);
    StartFrame(cam);
    Ray left, right;
    Eval(cam, -W / 4, 0, &left);
    Eval(cam, W / 4, 0, &right);
    ExpectSameRay(left, right); // both ask B for its film centre
    ExpectSameRay(left, Direct(cams[1], 0, 0));
}

TEST_F(Composite, DualPanelAndHints) {
    CameraInstance *cam = Apply(cams[0], kMulti);
    EXPECT_EQ(cam->describe(), "VantorMultiCam Dec 11 2010 10:02:21");
    EXPECT_EQ(cam->flags(), 1u);
    LWXPanelID p = Panel(cam);
    const PanelRecord *rec = host.panels().record(p);
    ASSERT_NE(rec, nullptr);
    ASSERT_EQ(rec->controls.size(), 4u);
    EXPECT_EQ(rec->controls[2].label, "Cam 1 (Left Side of Frame)");
    EXPECT_EQ(rec->controls[3].label, "Cam 2 (Right Side of Frame)");
    EXPECT_STREQ(static_cast<const char *>(host.panels().get(p, 0x8002)), "v1.5 Dec 11 2010");
    EXPECT_EQ(host.panels().get(p, 0x8003), nullptr);
    ASSERT_EQ(rec->hints.size(), 1u);
    const auto &e = rec->hints[0].entries;
    std::vector<unsigned int> tags;
    for (const HintEntry &h : e) tags.push_back(h.tag);
    EXPECT_EQ(tags, (std::vector<unsigned int>{XPTAG_FOCUS, XPTAG_CTRLCFG, XPTAG_DRAWCBFUNC, XPTAG_POPFUNCS,
                                               XPTAG_POPFUNCS, XPTAG_DIVADD, XPTAG_ENABLE, XPTAG_ENABLE}));
    EXPECT_EQ(e[6].args, (std::vector<std::uintptr_t>{0x8006, 0, 0, 0}));
    EXPECT_TRUE(e[6].ids.empty());
}

} // namespace
