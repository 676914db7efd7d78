// The Panoramic camera through the stand-in host: lifecycle, envelopes, scene
// block, panel and rays.
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "tests/support/module_fixture.h"
#include "tests/support/module_records.h"

namespace {

const double kPi = 3.14159265358979323846;
const char *const kServer = "VantorPanoramicCam";

struct Panoramic : ModuleFixture {
    void SetUp() override {
        ModuleFixture::SetUp();
        cam = Make(kServer);
    }
    void TearDown() override {
        cam.reset();
        ModuleFixture::TearDown();
    }
    LWVParmID Envelope(const std::string &channel) {
        return host->envelopes().find(host->scene().chanGroup(camera), channel);
    }
    void Frame(int frame) {
        ASSERT_EQ(cam->newTime(frame, frame / host->render().fps), "");
        ASSERT_EQ(cam->newFrame(frame), "");
    }
    // Ray through film point (fx, fy); fails the test when there is none.
    LWCameraRay Ray(double fx, double fy, double frac = 0.0) {
        LWCameraRay r{};
        EXPECT_EQ(cam->evaluate(fx, fy, 0, 0, frac, &r), 1);
        return r;
    }
    std::unique_ptr<standin::CameraInstance> cam;
    const double W = 0.036, H = 0.024;
};

void ExpectDir(const LWCameraRay &r, double x, double y, double z, double tol = 1e-12) {
    EXPECT_NEAR(r.rayDir[0], x, tol);
    EXPECT_NEAR(r.rayDir[1], y, tol);
    EXPECT_NEAR(r.rayDir[2], z, tol);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(r.filmNorm[c], r.rayDir[c]);
}

} // namespace

TEST_F(Panoramic, InstanceBasics) {
    EXPECT_EQ(cam->describe(), "VantorPanoramicCam Dec 11 2010 10:02:20");
    EXPECT_EQ(cam->flags(), 0u);
    double m[4][4];
    for (auto &row : m)
        for (double &v : row) v = 42;
    EXPECT_EQ(cam->preview(0, 0, m), 0);
    EXPECT_EQ(m[2][3], 42); // untouched
    EXPECT_EQ(cam->initRender(LWINIT_RENDER), "");
    cam->cleanUp();

    // Copying to or from nothing is refused.
    EXPECT_STREQ(cam->handler().inst->copy(nullptr, cam->instance()), "Could not copy");
    EXPECT_STREQ(cam->handler().inst->copy(cam->instance(), nullptr), "Could not copy");
}

TEST_F(Panoramic, EnvelopesAreMadeInTheItemsGroupAndReleasedWithTheInstance) {
    const int before = host->envelopes().liveEnvelopes();
    host->scene().setCamera(camera, standin::CamProp::ZoomFactor, 2.5);
    auto other = Make(kServer);
    EXPECT_EQ(host->envelopes().liveEnvelopes(), before + 4);

    struct Expect {
        const char *channel;
        double value;
    } expected[] = {{"ZoomFactor", 3.2}, // the first instance was made before the zoom changed
                    {"HorizontalFOVradians", 2 * kPi},
                    {"MaxVerticalFOVradians", kPi / 4},
                    {"MinVerticalFOVradians", -kPi / 4}};
    for (const Expect &e : expected) {
        LWVParmID env = Envelope(e.channel);
        ASSERT_NE(env, nullptr) << e.channel;
        standin::EnvelopeInfo info;
        ASSERT_TRUE(host->envelopes().info(env, info));
        EXPECT_EQ(info.envType, LWVP_FLOAT);
        EXPECT_EQ(info.pluginName, kServer);
        EXPECT_TRUE(info.setupCalled);
        EXPECT_DOUBLE_EQ(host->envelopes().value(env, 0), e.value) << e.channel;
    }
    other.reset();
    EXPECT_EQ(host->envelopes().liveEnvelopes(), before);
}

TEST_F(Panoramic, ParameterEditsReachTheRaysAtTheNextNewTimeOrNewFrame) {
    Frame(0);
    const LWCameraRay edge = Ray(W / 4, 0); // azimuth 90 degrees with the defaults
    ExpectDir(edge, 1, 0, 0);

    host->envelopes().setValue(Envelope("HorizontalFOVradians"), kPi);
    ExpectDir(Ray(W / 4, 0), 1, 0, 0); // unchanged until the values are refreshed
    ASSERT_EQ(cam->newTime(0, 0.0), "");
    ExpectDir(Ray(W / 4, 0), std::sin(kPi / 4), 0, std::cos(kPi / 4));

    // An animated envelope is read at the frame's start time.
    host->envelopes().setKeys(Envelope("HorizontalFOVradians"), {{0.0, kPi}, {1.0, 2 * kPi}});
    Frame(15); // t = 0.5 s: 1.5 pi across the film
    ExpectDir(Ray(W / 2, 0), std::sin(0.75 * kPi), 0, std::cos(0.75 * kPi));
}

TEST_F(Panoramic, RaysOnTheEdgesOfTheBand) {
    Frame(0);
    ExpectDir(Ray(0, 0), 0, 0, 1);
    ExpectDir(Ray(W / 2, 0), 0, 0, -1);
    ExpectDir(Ray(-W / 4, 0), -1, 0, 0);
    const LWCameraRay top = Ray(0, H / 2);
    ExpectDir(top, 0, std::sin(kPi / 4), std::cos(kPi / 4));
    const LWCameraRay low = Ray(0, -H / 2);
    ExpectDir(low, 0, -std::sin(kPi / 4), std::cos(kPi / 4));
    for (int c = 0; c < 3; ++c) EXPECT_EQ(top.rayPos[c], 0);
}

TEST_F(Panoramic, RotatedAndMovingCamera) {
    // Heading 90 degrees: the film centre looks along world +X.
    host->scene().setRotation(camera, kPi / 2, 0, 0);
    host->scene().setMotionKeys(camera, standin::Motion::Z, {{0.0, 0.0}, {1.0, 30.0}});
    host->render().motionSteps = 0; // two samples
    Frame(0);
    const LWCameraRay centre = Ray(0, 0, 0.0);
    ExpectDir(centre, 1, 0, 0);
    // The samples span the whole exposure: 0.5 / 30 s of motion at 30 units/s.
    const double end = 30.0 * host->frameInfo(0).duration;
    EXPECT_NEAR(Ray(0, 0, 0.0).rayPos[2], 0.0, 1e-12);
    EXPECT_NEAR(Ray(0, 0, 1.0).rayPos[2], end, 1e-12);
    EXPECT_NEAR(Ray(0, 0, 0.5).rayPos[2], end / 2, 1e-12);
    EXPECT_NEAR(Ray(0, 0, -3.0).rayPos[2], 0.0, 1e-12);
    EXPECT_NEAR(Ray(0, 0, std::numeric_limits<double>::quiet_NaN()).rayPos[2], 0.0, 1e-12);

    // Four samples: fraction 0.5 is halfway between the middle two.
    host->render().motionSteps = 4;
    Frame(1);
    const double start = 30.0 * host->frameInfo(1).start;
    EXPECT_NEAR(Ray(0, 0, 0.5).rayPos[2], start + end / 2, 1e-12);
    EXPECT_NEAR(Ray(0, 0, 1.0).rayPos[2], start + end, 1e-12);
}

TEST_F(Panoramic, EvaluateBeforeAnyFrameUsesTheAccessRecordOfTheCall) {
    LWCameraAccess access{};
    access.worldPos[1] = 5;
    access.toWorld[0][0] = -1; // turned around: right is -X, forward -Z
    access.toWorld[1][1] = 1;
    access.toWorld[2][2] = -1;
    access.filmSize[0] = W;
    access.filmSize[1] = H;
    LWCameraRay r{};
    ASSERT_EQ(cam->handler().evaluate(cam->instance(), 0, 0, 0, 0, 0.3, &r, &access), 1);
    EXPECT_EQ(r.rayPos[1], 5);
    EXPECT_NEAR(r.rayDir[2], -1, 1e-15);

    // After a copy the destination holds no samples either.
    Frame(0);
    auto copy = Make(kServer);
    ASSERT_EQ(copy->copyFrom(*cam), "");
    LWCameraRay c{};
    ASSERT_EQ(copy->handler().evaluate(copy->instance(), 0, 0, 0, 0, 0.3, &c, &access), 1);
    EXPECT_EQ(c.rayPos[1], 5);
}

TEST_F(Panoramic, BadFilmInputGivesNoRayAndLeavesTheRecordAlone) {
    Frame(0);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    LWCameraRay r;
    std::memset(&r, 0x5A, sizeof r);
    LWCameraRay untouched = r;
    EXPECT_EQ(cam->handler().evaluate(cam->instance(), nan, 0, 0, 0, 0, &r, &cam->access()), 0);
    EXPECT_EQ(cam->handler().evaluate(cam->instance(), 0, inf, 0, 0, 0, &r, &cam->access()), 0);
    LWCameraAccess zero = cam->access();
    zero.filmSize[0] = 0;
    EXPECT_EQ(cam->handler().evaluate(cam->instance(), 0, 0, 0, 0, 0, &r, &zero), 0);
    zero.filmSize[0] = W;
    zero.filmSize[1] = nan;
    EXPECT_EQ(cam->handler().evaluate(cam->instance(), 0, 0, 0, 0, 0, &r, &zero), 0);
    EXPECT_EQ(cam->handler().evaluate(cam->instance(), 0, 0, 0, 0, 0, &r, nullptr), 0);
    EXPECT_EQ(std::memcmp(&r, &untouched, sizeof r), 0);
}

TEST_F(Panoramic, SceneBlockRoundTripInBothModes) {
    host->envelopes().setValue(Envelope("HorizontalFOVradians"), 1.25);
    host->envelopes().setKeys(Envelope("MaxVerticalFOVradians"), {{0.0, 0.5}, {2.0, 1.0}});
    host->envelopes().setValue(Envelope("ZoomFactor"), 123456.5);
    for (int mode : {LWIO_ASCII, LWIO_BINARY}) {
        standin::MemorySaveState saved(mode);
        ASSERT_EQ(cam->save(saved), "");
        auto fresh = Make(kServer);
        standin::MemoryLoadState in(saved);
        ASSERT_EQ(fresh->load(in), "");
        EXPECT_TRUE(in.atEnd()) << mode;
        standin::MemorySaveState again(mode);
        ASSERT_EQ(fresh->save(again), "");
        EXPECT_EQ(saved.bytes(), again.bytes()) << mode;

        // Loaded values take effect at the next new time.
        LWCameraRay before{};
        ASSERT_EQ(fresh->newFrame(0), "");
        ASSERT_EQ(fresh->evaluate(W / 2, 0, 0, 0, 0, &before), 1);
        EXPECT_NEAR(std::atan2(before.rayDir[0], before.rayDir[2]), 0.625, 1e-12);
    }
    // Three envelopes in order; the zoom factor is never stored.
    standin::MemorySaveState text(LWIO_ASCII);
    ASSERT_EQ(cam->save(text), "");
    EXPECT_EQ(text.bytes().find("123456"), std::string::npos) << text.bytes();
    auto fresh = Make(kServer);
    standin::MemoryLoadState in(text);
    ASSERT_EQ(fresh->load(in), "");
    EXPECT_TRUE(in.atEnd());
}

TEST_F(Panoramic, PanelTablesHintsAndBinding) {
    LWInterface ui{};
    ASSERT_EQ(cam->activateInterface(ui), AFUNC_OK);
    ASSERT_NE(ui.panel, nullptr);
    EXPECT_EQ(ui.options, nullptr);
    EXPECT_EQ(ui.command, nullptr);
    const standin::PanelRecord *rec = host->panels().record(ui.panel);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->type, LWXP_VIEW);
    EXPECT_EQ(rec->instance, cam->instance());
    EXPECT_EQ(rec->userData, cam->instance());

    const std::vector<std::tuple<unsigned, std::string, std::string>> controls = {
        {0x8005, "Logo", "dThumbnail"},
        {0x8001, "Version", "sInfo"},
        {0x8006, "Horizontal FOV angle", "angle-env"},
        {0x8007, "Upper Vertical FOV angle", "angle-env"},
        {0x8008, "Lower Vertical FOV angle", "angle-env"}};
    ASSERT_EQ(rec->controls.size(), controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        EXPECT_EQ(rec->controls[i].cid, std::get<0>(controls[i]));
        EXPECT_EQ(rec->controls[i].label, std::get<1>(controls[i]));
        EXPECT_EQ(rec->controls[i].ctrlclass, std::get<2>(controls[i]));
    }
    ASSERT_EQ(rec->data.size(), 4u);
    EXPECT_EQ(rec->data[0].datatype, "string");
    for (int i = 1; i < 4; ++i) EXPECT_EQ(rec->data[i].datatype, "float");

    ASSERT_EQ(rec->hints.size(), 1u);
    EXPECT_EQ(rec->hints[0].id, 0u);
    const std::vector<std::uintptr_t> &w = rec->hints[0].words;
    std::vector<std::uintptr_t> expected = {0x3D001201, static_cast<std::uintptr_t>(-1),
                                            0x3D017403, 0x8005, 0, 0x80000001,
                                            0x3D016502, 0x8005, w.size() > 8 ? w[8] : 0,
                                            0x3D021481, 0x8001, 0,
                                            0x3D021481, 0x8006, 0,
                                            0x3D021481, 0x8000, 0,
                                            0x3D021481, 0x8008, 0,
                                            0x3D014402, 0x8007, 1,
                                            0x3D014402, 0x8008, 1,
                                            0x3D014402, 0x8006, 1,
                                            0x3D014402, 0x8007, 1,
                                            0x3D014402, 0x8008, 1,
                                            0};
    EXPECT_EQ(w, expected);
    EXPECT_NE(w[8], 0u); // the logo's draw function

    // Enveloped controls are described as plain floats; the panel still shows
    // their envelope's value.
    const std::string dump = host->panels().dump(ui.panel, 0.0);
    EXPECT_NE(dump.find("\"Horizontal FOV angle\" [angle-env] = 6.28319 (env)"), std::string::npos) << dump;
    EXPECT_NE(dump.find("\"Version\" [sInfo] = \"v1.5 Dec 11 2010\""), std::string::npos) << dump;

    // Get and set.
    EXPECT_STREQ(static_cast<const char *>(host->panels().get(ui.panel, 0x8001)), "v1.5 Dec 11 2010");
    EXPECT_EQ(host->panels().get(ui.panel, 0x8006), Envelope("HorizontalFOVradians"));
    EXPECT_EQ(host->panels().get(ui.panel, 0x8008), Envelope("MinVerticalFOVradians"));
    EXPECT_EQ(host->panels().get(ui.panel, 0x8000), Envelope("ZoomFactor"));
    EXPECT_EQ(host->panels().get(ui.panel, 0x8005), nullptr);
    EXPECT_EQ(host->panels().get(ui.panel, 0x9999), nullptr);
    int v = 7;
    EXPECT_EQ(host->panels().set(ui.panel, 0x9999, &v), 1);
    EXPECT_EQ(host->panels().set(ui.panel, 0x8006, &v), 1);
    EXPECT_EQ(host->panels().get(ui.panel, 0x8006), Envelope("HorizontalFOVradians"));
}

TEST_F(Panoramic, LogoKeepsItsBlackBorder) {
    LWInterface ui{};
    ASSERT_EQ(cam->activateInterface(ui), AFUNC_OK);
    standin::Raster img;
    ASSERT_TRUE(host->panels().draw(ui.panel, 0x8005, 340, 90, img));
    auto black = [&](int x, int y) {
        const unsigned char *p = img.pixel(x, y);
        return p[0] == 0 && p[1] == 0 && p[2] == 0;
    };
    long lit = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const bool inside = y >= 1 && y <= 60 && x >= 20 && x <= 299;
            if (!inside) EXPECT_TRUE(black(x, y)) << x << "," << y;
            else if (!black(x, y)) {
                ++lit;
                const unsigned char *p = img.pixel(x, y);
                EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]); // grey
            }
        }
    EXPECT_GT(lit, 1000);
}

TEST_F(Panoramic, WithoutAPanelServiceTheInterfaceStillActivates) {
    host->setServiceMissing("LWXPanel", true);
    LWInterface ui{};
    EXPECT_EQ(cam->activateInterface(ui), AFUNC_OK);
    EXPECT_EQ(ui.panel, nullptr);
}

// A later activation of the server that fails for a missing service leaves
// the running instance its services: the scene block is written whole,
// envelope edits reach the rays, and a new frame places the rays at the
// camera.
TEST_F(Panoramic, AFailedActivationLeavesTheRunningInstanceItsServices) {
    host->scene().setPosition(camera, 5, 6, 7);
    host->envelopes().setValue(Envelope("HorizontalFOVradians"), 1.25);
    standin::MemorySaveState saved(LWIO_BINARY);
    ASSERT_EQ(cam->save(saved), "");
    ASSERT_FALSE(saved.bytes().empty());
    auto reactivateWithout = [&](const char *service) {
        host->setServiceMissing(service, true);
        testsupport::HandlerRecord r;
        const int rc = module->activate(LWCAMERA_HCLASS, kServer, LWCAMERA_VERSION, &r.h);
        host->setServiceMissing(service, false);
        return rc;
    };

    ASSERT_EQ(reactivateWithout("LWVParmFuncs 2"), AFUNC_BADGLOBAL);
    standin::MemorySaveState again(LWIO_BINARY);
    ASSERT_EQ(cam->save(again), "");
    EXPECT_EQ(again.bytes(), saved.bytes());
    host->envelopes().setValue(Envelope("HorizontalFOVradians"), kPi);
    Frame(0);
    ExpectDir(Ray(W / 4, 0), std::sin(kPi / 4), 0, std::cos(kPi / 4));

    ASSERT_EQ(reactivateWithout("LW Item Info 4"), AFUNC_BADGLOBAL);
    Frame(1);
    const LWCameraRay r = Ray(0, 0);
    EXPECT_NEAR(r.rayPos[0], 5, 1e-12);
    EXPECT_NEAR(r.rayPos[1], 6, 1e-12);
    EXPECT_NEAR(r.rayPos[2], 7, 1e-12);
    ExpectDir(r, 0, 0, 1);
}

// An interface activation that finds no panel service builds no panel, and
// the panels built before still draw their logo.
TEST_F(Panoramic, AnInterfaceWithoutThePanelServiceLeavesEarlierPanelsDrawing) {
    LWInterface ui{};
    ASSERT_EQ(cam->activateInterface(ui), AFUNC_OK);
    ASSERT_NE(ui.panel, nullptr);
    host->setServiceMissing("LWXPanel", true);
    LWInterface bare{};
    EXPECT_EQ(cam->activateInterface(bare), AFUNC_OK);
    EXPECT_EQ(bare.panel, nullptr);
    host->setServiceMissing("LWXPanel", false);
    standin::Raster img;
    ASSERT_TRUE(host->panels().draw(ui.panel, 0x8005, 340, 90, img));
    long lit = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const unsigned char *p = img.pixel(x, y);
            if (p[0] || p[1] || p[2]) ++lit;
        }
    EXPECT_GT(lit, 1000);
}

TEST_F(Panoramic, NullEnvelopesKeepTheDefaults) {
    host->setEnvelopeCreateFails(true);
    auto bare = Make(kServer);
    host->setEnvelopeCreateFails(false);
    ASSERT_EQ(bare->newTime(0, 0), "");
    ASSERT_EQ(bare->newFrame(0), "");
    LWCameraRay r{};
    ASSERT_EQ(bare->evaluate(W / 2, 0, 0, 0, 0, &r), 1);
    EXPECT_NEAR(r.rayDir[2], -1, 1e-12);
    standin::MemorySaveState s(LWIO_ASCII);
    EXPECT_EQ(bare->save(s), "");
    standin::MemoryLoadState in(s);
    EXPECT_EQ(bare->load(in), "");
    auto full = Make(kServer);
    EXPECT_EQ(full->copyFrom(*bare), "");
    EXPECT_EQ(bare->copyFrom(*full), "");
}

TEST_F(Panoramic, ConcurrentEvaluateMatchesOneThreadAndNeverAllocates) {
    host->scene().setMotionKeys(camera, standin::Motion::Heading, {{0.0, 0.0}, {1.0, 6.0}});
    host->scene().setMotionKeys(camera, standin::Motion::X, {{0.0, 0.0}, {1.0, 12.0}});
    host->render().motionSteps = 7;
    Frame(3);

    struct Sample {
        double fx, fy, frac;
    };
    std::vector<Sample> samples;
    for (int k = 0; k < 4000; ++k)
        samples.push_back({((k * 7919) % 360 / 359.0 - 0.5) * W, ((k * 104729) % 240 / 239.0 - 0.5) * H,
                           (k % 3 == 0) ? 0.25 : (k % 17) / 16.0});
    auto run = [&](std::vector<LWCameraRay> &out) {
        out.resize(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i)
            cam->handler().evaluate(cam->instance(), samples[i].fx, samples[i].fy, 0, 0, samples[i].frac, &out[i],
                                    &cam->access());
    };
    std::vector<LWCameraRay> single;
    single.reserve(samples.size());
    const long allocBefore = AllocationCount();
    run(single);
    EXPECT_EQ(AllocationCount(), allocBefore) << "evaluate allocated";

    std::vector<LWCameraRay> a, b;
    a.reserve(samples.size());
    b.reserve(samples.size());
    std::thread t1(run, std::ref(a)), t2(run, std::ref(b));
    t1.join();
    t2.join();
    ASSERT_EQ(a.size(), single.size());
    EXPECT_EQ(std::memcmp(a.data(), single.data(), single.size() * sizeof(LWCameraRay)), 0);
    EXPECT_EQ(std::memcmp(b.data(), single.data(), single.size() * sizeof(LWCameraRay)), 0);
}

TEST_F(Panoramic, UnchangedFrameKeepsSamplesAndValues) {
    host->render().motionSteps = 5;
    Frame(2);
    const LWCameraRay first = Ray(0.004, 0.002, 0.6);
    // Change the envelope but not the frame: the second NewFrame is a no-op.
    host->envelopes().setValue(Envelope("HorizontalFOVradians"), 1.0);
    ASSERT_EQ(cam->newFrame(2), "");
    const LWCameraRay second = Ray(0.004, 0.002, 0.6);
    EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0);
}

TEST_F(Panoramic, TheInterfacePanelGoesWithItsInstance) {
    auto other = Make(kServer);
    LWInterface ui{};
    ASSERT_EQ(other->activateInterface(ui), AFUNC_OK);
    const int live = host->panels().livePanels();
    other.reset();
    EXPECT_EQ(host->panels().livePanels(), live - 1);
    EXPECT_EQ(host->panels().record(ui.panel), nullptr);
}
