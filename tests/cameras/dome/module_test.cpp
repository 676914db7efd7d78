// The Dome camera through the built module in the stand-in host: its panel,
// scene block and copy, and rays bit for bit equal to the pure lens models
// on the frame pose.
#include <cmath>
#include <limits>
#include <string>

#include "cameras/dome/dome.h"
#include "cameras/dome/projection.h"
#include "tests/support/xr_fixture.h"

using namespace standin;
using lentara::Vec3;

namespace {
using namespace DomeCam; // panel ids

std::string U32(unsigned int v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return std::string(b, 4);
}
} // namespace

using DomeCamera = testsupport::XrCameraTest;

TEST_F(DomeCamera, DescriptionPanelAndDefaults) {
    auto ci = Make("VantorDomeCam");
    const LWXPanelID panel = DescribedPanel(*ci);
    EXPECT_EQ(Tables(panel), "32768 Logo dThumbnail\n32769 Version sInfo\n32770 Field of View angle-env\n"
                             "32771 Dome Tilt angle-env\n32772 Lens iPopChoice\n32773 Fit iPopChoice\n"
                             "32769 Version string\n32770 Field of View float\n32771 Dome Tilt float\n"
                             "32772 Lens integer\n32773 Fit integer\n");
    EXPECT_EQ(host.panels().popupChoices(panel, ID_LENS),
              (std::vector<std::string>{"Equidistant", "Equisolid", "Stereographic", "Orthographic"}));
    EXPECT_EQ(host.panels().popupChoices(panel, ID_FIT),
              (std::vector<std::string>{"Circle in frame height", "Circle in frame width",
                                        "Circle through frame corners"}));
    // envelopes in the camera item's group, owned by the server, with defaults
    EnvelopeInfo info;
    ASSERT_TRUE(host.envelopes().info(Env(panel, ID_FOV), info));
    EXPECT_EQ(info.channelName, "FieldOfView");
    EXPECT_EQ(info.pluginName, "VantorDomeCam");
    EXPECT_NE(info.group, nullptr);
    EXPECT_EQ(host.envelopes().value(Env(panel, ID_FOV), 0.0), DomeCam::kPi);
    ASSERT_TRUE(host.envelopes().info(Env(panel, ID_TILT), info));
    EXPECT_EQ(info.channelName, "DomeTilt");
    EXPECT_EQ(host.envelopes().value(Env(panel, ID_TILT), 0.0), 0.0);
    EXPECT_EQ(*static_cast<int *>(host.panels().get(panel, ID_LENS)), 0);
    EXPECT_EQ(*static_cast<int *>(host.panels().get(panel, ID_FIT)), 0);
    EXPECT_EQ(host.panels().get(panel, 0x8006), nullptr);
}

TEST_F(DomeCamera, SceneBlockIsTheEnvelopesThenTheSettingsAndCopiesCarryEverything) {
    auto a = Make("VantorDomeCam");
    const LWXPanelID pa = Panel(*a);
    host.envelopes().setValue(Env(pa, ID_FOV), 3.5);
    host.envelopes().setValue(Env(pa, ID_TILT), -0.25);
    Set(pa, ID_LENS, 2);
    Set(pa, ID_FIT, 1);
    for (int mode : {LWIO_BINARY, LWIO_ASCII}) {
        const std::string block = Block(*a, mode);
        const std::string settings = mode == LWIO_BINARY ? U32(2) + U32(1) : std::string("2\n1\n");
        EXPECT_EQ(block, EnvelopeRecords(pa, {ID_FOV, ID_TILT}, mode) + settings);
        auto b = Make("VantorDomeCam");
        MemoryLoadState in(block, mode);
        ASSERT_EQ(b->load(in), "");
        EXPECT_TRUE(in.atEnd());
        EXPECT_EQ(Block(*b, mode), block);
    }
    auto c = Make("VantorDomeCam");
    EXPECT_EQ(c->copyFrom(*a), "");
    EXPECT_EQ(Block(*c, LWIO_ASCII), Block(*a, LWIO_ASCII));
    EXPECT_EQ(c->handler().inst->copy(c->instance(), nullptr), std::string("Could not copy"));
}

TEST_F(DomeCamera, RaysAreThePureLensModelsOnTheFramePose) {
    for (int lens = 0; lens < DomeCam::kLensCount; ++lens)
        for (int fit = 0; fit < DomeCam::kFitCount; ++fit)
            for (double fov : {DomeCam::kPi, 4.0}) {
                auto ci = Make("VantorDomeCam");
                const LWXPanelID panel = Panel(*ci);
                host.envelopes().setValue(Env(panel, ID_FOV), fov);
                host.envelopes().setValue(Env(panel, ID_TILT), 0.3);
                Set(panel, ID_LENS, lens);
                Set(panel, ID_FIT, fit);
                StartFrame(*ci);
                const DomeCam::DomeFrame frame = DomeCam::PrepareDome({fov, 0.3, lens, fit}, 0.036, 0.027);
                const std::string what = "lens " + std::to_string(lens) + " fit " + std::to_string(fit);
                bool (*vector)(const DomeCam::DomeFrame &, double, double, Vec3 &) = DomeCam::DomeDirection;
                EXPECT_GT(ExpectPureRays(*ci, frame, vector, 11, 9, 1.1, what), 100) << what;
            }
}

TEST_F(DomeCamera, EdgeCasesOnTheFramePose) {
    FilmSize(0.032, 0.024); // 4:3
    auto ci = Make("VantorDomeCam");
    const LWXPanelID panel = Panel(*ci);
    StartFrame(*ci);
    // the start of the exposure: a pose whose axes are exactly the item's
    const lentara::Pose pose = PoseAt(0.0);
    const Vec3 F = lentara::Normalize(pose.forward);
    LWCameraRay ray;
    // the centre looks along the forward axis
    ASSERT_TRUE(Evaluate(*ci, 0.0, 0.0, 0.0, ray));
    EXPECT_NEAR(lentara::Dot(lentara::Load(ray.rayDir), F), 1.0, 1e-15);
    // with the circle in the frame height the corners of a 4:3 film get no ray
    for (double sx : {-1.0, 1.0})
        for (double sy : {-1.0, 1.0}) EXPECT_FALSE(Evaluate(*ci, sx * 0.016, sy * 0.012, 0.0, ray));
    // 180 degrees: the circle's edge is 90 degrees off the axis, for every lens
    for (int lens = 0; lens < DomeCam::kLensCount; ++lens) {
        Set(panel, ID_LENS, lens);
        StartFrame(*ci);
        ASSERT_TRUE(Evaluate(*ci, 0.0, -0.012, 0.0, ray));
        EXPECT_NEAR(lentara::Dot(lentara::Load(ray.rayDir), F), 0.0, 1e-15) << lens;
    }
    // 360 degrees equidistant: the edge looks backward
    Set(panel, ID_LENS, 0);
    host.envelopes().setValue(Env(panel, ID_FOV), 2 * DomeCam::kPi);
    StartFrame(*ci);
    ASSERT_TRUE(Evaluate(*ci, 0.012, 0.0, 0.0, ray));
    EXPECT_NEAR(lentara::Dot(lentara::Load(ray.rayDir), F), -1.0, 1e-15);
    // film points or sizes that are not usable give no ray
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double v : {nan, inf, -inf}) {
        EXPECT_FALSE(Evaluate(*ci, v, 0.0, 0.0, ray));
        EXPECT_FALSE(Evaluate(*ci, 0.0, v, 0.0, ray));
    }
    LWCameraAccess access = ci->access();
    for (double size : {0.0, nan, inf}) {
        access.filmSize[1] = size;
        LWCameraRay r{};
        EXPECT_EQ(ci->handler().evaluate(ci->instance(), 0.0, 0.0, 0.0, 0.0, 0.0, &r, &access), 0) << size;
    }
}
