// The 4Up camera through the built module in the stand-in host: tiles that
// show other camera types of the collection.
#include <gtest/gtest.h>

#include "tests/support/composite_fixture.h"

using namespace testsupport;

namespace {

TEST_F(Composite, FourUpTilesShowOtherCameraTypesOfTheCollection) {
    ASSERT_NE(Apply(cams[1], "VantorPanoramicCam"), nullptr);
    ASSERT_NE(Apply(cams[2], "VantorFisheyeCam"), nullptr) << host.lastError();
    CameraInstance *cam = Apply(cams[0], kFourUp);
    LWXPanelID p = Panel(cam);
    Pick(p, 0x8006, 1); // Panoramic
    Pick(p, 0x8009, 2); // Fisheye
    StartFrame(cam);
    const double pts[][2] = {{-W / 2, -H / 2}, {-W / 8, -H / 5}, {W / 3, H / 7}, {W / 2, H / 2}};
    for (const auto &pt : pts) {
        Ray r;
        const bool tile0 = pt[0] <= 0;
        if (!tile0 && pt[1] <= 0) continue;
        ASSERT_EQ(Eval(cam, pt[0], pt[1], &r, 0, 0, 0.25), 1);
        const double tx = pt[0] + (tile0 ? 0.25 : -0.25) * W, ty = pt[1] + (tile0 ? 0.25 : -0.25) * H;
        ExpectSameRay(r, Direct(cams[tile0 ? 1 : 2], tx, ty, 0, 0, 0.25));
    }
}

} // namespace
