// The Cubemap camera through the built module in the stand-in host: its
// panel, scene block and copy, and rays bit for bit equal to the pure faces
// on the frame pose, in every layout and face order.
#include <cmath>
#include <limits>
#include <string>

#include "cameras/cubemap/cubemap.h"
#include "cameras/cubemap/projection.h"
#include "tests/support/xr_fixture.h"

using namespace standin;
using lentara::Vec3;

namespace {
using namespace CubemapCam; // panel ids
} // namespace

using CubemapCamera = testsupport::XrCameraTest;

TEST_F(CubemapCamera, DescriptionPanelAndSceneBlock) {
    auto ci = Make("VantorCubemapCam");
    const LWXPanelID panel = DescribedPanel(*ci);
    EXPECT_EQ(Tables(panel), "32768 Logo dThumbnail\n32769 Version sInfo\n32770 Face Overlap angle-env\n"
                             "32771 Layout iPopChoice\n32772 Face Order iPopChoice\n"
                             "32769 Version string\n32770 Face Overlap float\n32771 Layout integer\n"
                             "32772 Face Order integer\n");
    EXPECT_EQ(host.panels().popupChoices(panel, ID_LAYOUT),
              (std::vector<std::string>{"Horizontal cross 4\u00d73", "Vertical cross 3\u00d74", "Strip 6\u00d71",
                                        "Strip 1\u00d76", "Blocks 3\u00d72"}));
    EXPECT_EQ(host.panels().popupChoices(panel, ID_ORDER),
              (std::vector<std::string>{"+X \u2212X +Y \u2212Y +Z \u2212Z", "Front Right Back Left Up Down"}));
    // the face order is enabled by the layouts that use it
    const HintEntry *enable = host.panels().findHint(panel, XPTAG_ENABLE, ID_LAYOUT);
    ASSERT_NE(enable, nullptr);
    ASSERT_EQ(enable->ids.size(), 1u);
    EXPECT_EQ(enable->ids[0], ID_ORDER);
    const int *map = reinterpret_cast<const int *>(enable->args[3]);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(std::vector<int>(map, map + 5), (std::vector<int>{0, 0, 1, 1, 1}));
    EnvelopeInfo info;
    ASSERT_TRUE(host.envelopes().info(Env(panel, ID_OVERLAP), info));
    EXPECT_EQ(info.channelName + "@" + info.pluginName, "FaceOverlap@VantorCubemapCam");
    EXPECT_EQ(host.envelopes().value(Env(panel, ID_OVERLAP), 0.0), 0.0);

    host.envelopes().setValue(Env(panel, ID_OVERLAP), 0.125);
    Set(panel, ID_LAYOUT, 4);
    Set(panel, ID_ORDER, 1);
    EXPECT_EQ(Block(*ci, LWIO_ASCII), EnvelopeRecords(panel, {ID_OVERLAP}, LWIO_ASCII) + "4\n1\n");
    auto other = Make("VantorCubemapCam");
    MemoryLoadState in(Block(*ci, LWIO_BINARY), LWIO_BINARY);
    ASSERT_EQ(other->load(in), "");
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(Block(*other, LWIO_ASCII), Block(*ci, LWIO_ASCII));
    auto copy = Make("VantorCubemapCam");
    EXPECT_EQ(copy->copyFrom(*ci), "");
    EXPECT_EQ(Block(*copy, LWIO_BINARY), Block(*ci, LWIO_BINARY));
    EXPECT_EQ(copy->handler().inst->copy(nullptr, copy->instance()), std::string("Could not copy"));
}

TEST_F(CubemapCamera, RaysAreThePureFacesOnTheFramePose) {
    for (int layout = 0; layout < CubemapCam::kLayoutCount; ++layout)
        for (int order = 0; order < CubemapCam::kFaceOrderCount; ++order)
            for (double overlap : {0.0, 0.15}) {
                auto ci = Make("VantorCubemapCam");
                const LWXPanelID panel = Panel(*ci);
                host.envelopes().setValue(Env(panel, ID_OVERLAP), overlap);
                Set(panel, ID_LAYOUT, layout);
                Set(panel, ID_ORDER, order);
                StartFrame(*ci);
                const CubemapCam::CubemapFrame frame =
                    CubemapCam::PrepareCubemap({overlap, layout, order}, 0.036, 0.027);
                const std::string what = "layout " + std::to_string(layout) + " order " + std::to_string(order);
                EXPECT_GT(ExpectPureRays(*ci, frame, CubemapCam::CubemapRayVector, 13, 13, 1.05, what), 100) << what;
            }
}

TEST_F(CubemapCamera, FaceCentresLookAlongThePoseAxesAndEmptyCellsGiveNoRay) {
    FilmSize(0.032, 0.024); // square cells in the horizontal cross
    auto ci = Make("VantorCubemapCam");
    StartFrame(*ci);
    const lentara::Pose pose = PoseAt(0.25);
    const Vec3 R = lentara::Normalize(pose.right), U = lentara::Normalize(pose.up), F = lentara::Normalize(pose.forward);
    const double cw = 0.008, ch = 0.008;
    // cell centres, rows from the top: (column, row) -> axis
    struct Centre {
        int column, row;
        Vec3 axis;
    } centres[] = {{1, 0, U}, {0, 1, -1.0 * R}, {1, 1, F}, {2, 1, R}, {3, 1, -1.0 * F}, {1, 2, -1.0 * U}};
    LWCameraRay ray;
    for (const Centre &c : centres) {
        const double x = -0.016 + cw * (c.column + 0.5), y = 0.012 - ch * (c.row + 0.5);
        ASSERT_TRUE(Evaluate(*ci, x, y, 0.25, ray)) << c.column << "," << c.row;
        EXPECT_NEAR(lentara::Dot(lentara::Load(ray.rayDir), c.axis), 1.0, 1e-15) << c.column << "," << c.row;
    }
    for (int column : {0, 2, 3})
        for (int row : {0, 2})
            EXPECT_FALSE(Evaluate(*ci, -0.016 + cw * (column + 0.5), 0.012 - ch * (row + 0.5), 0.25, ray));
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double v : {nan, inf, -inf}) {
        EXPECT_FALSE(Evaluate(*ci, v, 0.0, 0.25, ray));
        EXPECT_FALSE(Evaluate(*ci, 0.001, v, 0.25, ray));
    }
    LWCameraAccess access = ci->access();
    for (double size : {0.0, nan, -inf}) {
        access.filmSize[0] = size;
        LWCameraRay r{};
        EXPECT_EQ(ci->handler().evaluate(ci->instance(), 0.001, 0.0, 0.0, 0.0, 0.25, &r, &access), 0) << size;
    }
}
