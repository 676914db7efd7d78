#include "standin/host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

using namespace standin;

namespace {

const double kPi = 3.14159265358979323846;

void expectVec(const double *v, double x, double y, double z, const char *what) {
    EXPECT_NEAR(v[0], x, 1e-12) << what;
    EXPECT_NEAR(v[1], y, 1e-12) << what;
    EXPECT_NEAR(v[2], z, 1e-12) << what;
}

struct SceneTest : ::testing::Test {
    Host host;
    LWItemInfo *info = static_cast<LWItemInfo *>(host.lookup(LWITEMINFO_GLOBAL, 0));
    LWCameraInfo *cam = static_cast<LWCameraInfo *>(host.lookup(LWCAMERAINFO_GLOBAL, 0));
};

}  // namespace

TEST_F(SceneTest, AxesFollowHeadingPitchBank) {
    LWItemID c = host.scene().addCamera("Camera");
    double v[3];
    host.scene().setRotation(c, kPi / 2, 0, 0);  // heading turns forward toward +X
    info->param(c, LWIP_FORWARD, 0, v);
    expectVec(v, 1, 0, 0, "forward, h=90");
    info->param(c, LWIP_RIGHT, 0, v);
    expectVec(v, 0, 0, -1, "right, h=90");
    host.scene().setRotation(c, 0, kPi / 2, 0);  // positive pitch looks down
    info->param(c, LWIP_FORWARD, 0, v);
    expectVec(v, 0, -1, 0, "forward, p=90");
    info->param(c, LWIP_UP, 0, v);
    expectVec(v, 0, 0, 1, "up, p=90");
    host.scene().setRotation(c, 0, 0, kPi / 2);  // bank leaves forward alone
    info->param(c, LWIP_FORWARD, 0, v);
    expectVec(v, 0, 0, 1, "forward, b=90");
    info->param(c, LWIP_RIGHT, 0, v);
    expectVec(v, 0, 1, 0, "right, b=90");

    // Any rotation: orthonormal, forward matches the closed form, and the
    // world axes in item coordinates are the transpose.
    const double h = 0.7, p = -0.4, b = 1.9;
    host.scene().setRotation(c, h, p, b);
    double r[3], u[3], f[3];
    info->param(c, LWIP_RIGHT, 0, r);
    info->param(c, LWIP_UP, 0, u);
    info->param(c, LWIP_FORWARD, 0, f);
    expectVec(f, std::sin(h) * std::cos(p), -std::sin(p), std::cos(h) * std::cos(p), "forward formula");
    EXPECT_NEAR(r[0] * u[0] + r[1] * u[1] + r[2] * u[2], 0.0, 1e-12);
    double cross[3] = {r[1] * u[2] - r[2] * u[1], r[2] * u[0] - r[0] * u[2], r[0] * u[1] - r[1] * u[0]};
    expectVec(cross, f[0], f[1], f[2], "right x up = forward (proper rotation)");
    double wr[3], wf[3];
    info->param(c, LWIP_W_RIGHT, 0, wr);
    info->param(c, LWIP_W_FORWARD, 0, wf);
    expectVec(wr, r[0], u[0], f[0], "W_RIGHT");
    expectVec(wf, r[2], u[2], f[2], "W_FORWARD");
    info->param(c, LWIP_SCALING, 0, v);
    expectVec(v, 1, 1, 1, "scale");
}

TEST_F(SceneTest, MotionKeysInterpolateAndHold) {
    LWItemID c = host.scene().addCamera("Camera");
    host.scene().setMotionKeys(c, Motion::X, {{0.0, 0.0}, {1.0, 4.0}});
    host.scene().setMotionKeys(c, Motion::Heading, {{1.0, 1.0}});
    double v[3];
    info->param(c, LWIP_W_POSITION, 0.25, v);
    EXPECT_DOUBLE_EQ(v[0], 1.0);
    info->param(c, LWIP_POSITION, 5.0, v);
    EXPECT_DOUBLE_EQ(v[0], 4.0);
    info->param(c, LWIP_ROTATION, -3.0, v);
    EXPECT_DOUBLE_EQ(v[0], 1.0);
    info->param(nullptr, LWIP_POSITION, 0, v);
    expectVec(v, 0, 0, 0, "unknown item");
}

TEST_F(SceneTest, ItemListsFollowEditsBetweenCalls) {
    LWItemID a = host.scene().addCamera("A");
    LWItemID obj = host.scene().addObject("Ball");
    LWItemID b = host.scene().addCamera("B");
    EXPECT_EQ(info->first(LWI_CAMERA, nullptr), a);
    EXPECT_EQ(info->next(a), b);
    EXPECT_EQ(info->next(b), nullptr);
    EXPECT_EQ(info->first(LWI_OBJECT, nullptr), obj);
    EXPECT_EQ(info->type(obj), LWI_OBJECT);
    EXPECT_STREQ(info->name(b), "B");
    EXPECT_NE(info->chanGroup(a), info->chanGroup(b));
    EXPECT_NE(info->chanGroup(a), nullptr);

    host.scene().moveItem(b, 0);
    EXPECT_EQ(info->first(LWI_CAMERA, nullptr), b);
    EXPECT_EQ(info->next(b), a);
    const LWChanGroupID bGroup = info->chanGroup(b);
    host.removeItem(b);
    EXPECT_EQ(info->first(LWI_CAMERA, nullptr), a);
    EXPECT_EQ(info->next(a), nullptr);
    EXPECT_EQ(info->name(b), nullptr);
    EXPECT_EQ(info->chanGroup(b), nullptr);
    // The removed item is freed: neither its ID nor its channel group comes back.
    for (int i = 0; i < 32; ++i) {
        LWItemID c = host.scene().addCamera("C");
        ASSERT_NE(c, b) << "a removed item's id must not be handed out again";
        ASSERT_NE(info->chanGroup(c), bGroup);
        if (i < 31) host.removeItem(c);
    }

    host.setItemNameNull(true);
    EXPECT_EQ(info->name(a), nullptr);
}

TEST_F(SceneTest, CameraInfoDefaultsAndKnobs) {
    LWItemID c = host.scene().addCamera("Camera");
    EXPECT_DOUBLE_EQ(cam->zoomFactor(c, 0), 3.2);
    EXPECT_DOUBLE_EQ(cam->focalLength(c, 0), 3.2 * 0.024 * 0.5 * 1000.0);
    EXPECT_DOUBLE_EQ(cam->focalDistance(c, 0), 10.0);
    EXPECT_DOUBLE_EQ(cam->fStop(c, 0), 4.0);
    EXPECT_DOUBLE_EQ(cam->separation(c, 0), 0.06);
    double w, h, hf, vf;
    cam->filmSize(c, &w, &h);
    EXPECT_DOUBLE_EQ(w, 0.036);
    EXPECT_DOUBLE_EQ(h, 0.024);
    cam->fovAngles(c, 0, &hf, &vf);
    EXPECT_NEAR(std::tan(vf / 2) * 3.2, 1.0, 1e-12);
    int rw, rh;
    cam->resolution(c, &rw, &rh);
    EXPECT_EQ(rw, 640);
    EXPECT_EQ(rh, 480);
    host.scene().setCameraKeys(c, CamProp::Separation, {{0, 0.1}, {1, 0.2}});
    EXPECT_DOUBLE_EQ(cam->separation(c, 0.5), 0.15);

    host.setCameraInfoZero(true);
    cam->filmSize(c, &w, &h);
    cam->resolution(c, &rw, &rh);
    EXPECT_EQ(w, 0.0);
    EXPECT_EQ(rh, 0);
}

TEST(Services, LookupByExactNameIsLoggedInOrder) {
    Host host;
    EXPECT_EQ(Host::current(), &host);
    GlobalFunc *global = Host::globalFunc();
    for (const char *name : {LWITEMINFO_GLOBAL, LWCAMERAINFO_GLOBAL, LWTIMEINFO_GLOBAL, LWXPANELFUNCS_GLOBAL,
                             LWVPARMFUNCS_GLOBAL, LWMESSAGEFUNCS_GLOBAL, LWCAMERAEVALUATIONFUNCS_GLOBAL})
        EXPECT_NE(global(name, GFUSE_TRANSIENT), nullptr) << name;
    EXPECT_EQ(global("LW Item Info 3", 0), nullptr);
    EXPECT_EQ(global("lwxpanel", 0), nullptr);
    auto log = host.lookupLog();
    ASSERT_EQ(log.size(), 9u);
    EXPECT_EQ(log[0], "LW Item Info 4");
    EXPECT_EQ(log[8], "lwxpanel");
    EXPECT_EQ(host.lookupCount(LWXPANELFUNCS_GLOBAL), 1);

    host.setTime(1.5, 45);
    auto *t = static_cast<LWTimeInfo *>(global(LWTIMEINFO_GLOBAL, 0));
    EXPECT_EQ(t->frame, 45);
    EXPECT_EQ(t->time, 1.5);

    host.setServiceMissing(LWCAMERAINFO_GLOBAL);
    EXPECT_EQ(global(LWCAMERAINFO_GLOBAL, 0), nullptr);

    auto *msg = static_cast<LWMessageFuncs *>(global(LWMESSAGEFUNCS_GLOBAL, 0));
    msg->error("Bad thing", nullptr);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].kind, "error");
    EXPECT_EQ(host.messages()[0].first, "Bad thing");
}

TEST(Services, SystemIdAndRenderNodeWithholding) {
    Host host;
    GlobalFunc *global = Host::globalFunc();
    host.setSystemId(LWSYS_MODELER | 77);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(global(LWSYSTEMID_GLOBAL, 0)), LWSYS_MODELER | 77u);
    EXPECT_NE(global(LWXPANELFUNCS_GLOBAL, 0), nullptr);
    host.setRenderNode(3);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(global(LWSYSTEMID_GLOBAL, 0)), 0x20000003u);
    EXPECT_EQ(global(LWXPANELFUNCS_GLOBAL, 0), nullptr);
    EXPECT_EQ(global(LWVPARMFUNCS_GLOBAL, 0), nullptr);
    EXPECT_EQ(global(LWMESSAGEFUNCS_GLOBAL, 0), nullptr);
    EXPECT_NE(global(LWITEMINFO_GLOBAL, 0), nullptr);
    host.setRenderNodeWithholds(false);
    EXPECT_NE(global(LWXPANELFUNCS_GLOBAL, 0), nullptr);
}

TEST(Services, NoHostMeansNoServices) {
    { Host host; }
    EXPECT_EQ(Host::current(), nullptr);
    EXPECT_EQ(Host::globalFunc()(LWITEMINFO_GLOBAL, 0), nullptr);
}

TEST(Helpers, FilmPointAndDiskSamples) {
    double fx, fy;
    filmPoint(0, 0, 4, 2, 0.036, 0.024, &fx, &fy);
    EXPECT_DOUBLE_EQ(fx, -0.375 * 0.036);
    EXPECT_DOUBLE_EQ(fy, 0.25 * 0.024);
    filmPoint(3, 1, 4, 2, 0.036, 0.024, &fx, &fy);
    EXPECT_DOUBLE_EQ(fx, 0.375 * 0.036);
    EXPECT_DOUBLE_EQ(fy, -0.25 * 0.024);
    double sumX = 0, maxR = 0;
    for (int i = 0; i < 32; ++i)
        for (int j = 0; j < 32; ++j) {
            double x, y;
            unitDiskSample((i + 0.5) / 32, (j + 0.5) / 32, &x, &y);
            maxR = std::max(maxR, std::hypot(x, y));
            sumX += x;
        }
    EXPECT_LE(maxR, 1.0 + 1e-12);
    EXPECT_GT(maxR, 0.95);
    EXPECT_NEAR(sumX, 0.0, 1e-9);
}
