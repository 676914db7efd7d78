// The Perspective family, SuperPano and Cylinder camera types through the
// built module in the stand-in host: server rows, panels and hints, scene
// blocks, copy, flags, describe and rays.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "standin/host.h"

using namespace standin;

namespace {

const char *const kPerspectiveServers[] = {"VantorPerspectiveCam", "VantorPerspectiveNoDOFCam",
                                           "VantorPerspectiveNoDOFNoMBCam"};
const double kPi = 3.14159265358979323846;
const double kDeg10 = 0.17453292519943295;

struct V3 {
    double x, y, z;
};
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator*(double s, V3 a) { return {s * a.x, s * a.y, s * a.z}; }
double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(V3 a) { return std::sqrt(Dot(a, a)); }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 FromArray(const double v[3]) { return {v[0], v[1], v[2]}; }

bool SameRay(const LWCameraRay &a, const LWCameraRay &b) {
    return std::memcmp(a.rayPos, b.rayPos, sizeof a.rayPos) == 0 &&
           std::memcmp(a.rayDir, b.rayDir, sizeof a.rayDir) == 0 &&
           std::memcmp(a.filmNorm, b.filmNorm, sizeof a.filmNorm) == 0;
}

// A hint entry as text: tag, then its fixed arguments (functions as "fn"),
// then "|" and the id list when the tag carries one.
std::string HintText(const HintEntry &e) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%08X", e.tag);
    std::string s = buf;
    for (std::size_t i = 0; i < e.args.size(); ++i) {
        const bool fn = (e.tag == XPTAG_DRAWCBFUNC && i == 1) || (e.tag == XPTAG_POPFUNCS && i >= 1);
        if (fn)
            s += e.args[i] ? " fn" : " null";
        else
            s += " " + std::to_string(static_cast<long long>(static_cast<std::intptr_t>(e.args[i])));
    }
    if (e.tag & 0x80u) {
        s += " |";
        for (std::uintptr_t id : e.ids) s += " " + std::to_string(id);
    }
    return s;
}

std::string Hint(unsigned int tag, std::vector<long long> args, const char *fnArgs = "") {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%08X", tag);
    std::string s = buf;
    for (long long a : args) s += " " + std::to_string(a);
    s += fnArgs;
    if (tag & 0x80u) s += " |";
    return s;
}

std::string Controls(const PanelRecord &r) {
    std::string s;
    for (const PanelControl &c : r.controls)
        s += std::to_string(c.cid) + " \"" + c.label + "\" " + c.ctrlclass + "\n";
    return s;
}
std::string Data(const PanelRecord &r) {
    std::string s;
    for (const PanelDataDesc &d : r.data) s += std::to_string(d.vid) + " \"" + d.name + "\" " + d.datatype + "\n";
    return s;
}

class ProjectionCameras : public ::testing::Test {
protected:
    void SetUp() override {
        module = &host.loadModule(LENTARA_MODULE_PATH);
        ASSERT_TRUE(module->ok()) << module->error();
        cam = host.scene().addCamera("Camera");
        host.scene().setPosition(cam, 1.0, 2.0, -3.0);
        host.scene().setRotation(cam, 0.6, -0.35, 0.25);
    }

    std::unique_ptr<CameraInstance> Make(const std::string &server, LWItemID item = nullptr) {
        auto ci = std::make_unique<CameraInstance>(host, *module, server, item ? item : cam);
        EXPECT_TRUE(ci->ok()) << ci->error();
        return ci;
    }

    LWXPanelID Panel(const CameraInstance &ci) {
        LWInterface ui{};
        EXPECT_EQ(ci.activateInterface(ui), AFUNC_OK);
        EXPECT_NE(ui.panel, nullptr);
        return ui.panel;
    }

    LWVParmID Env(LWXPanelID panel, unsigned int vid) {
        return static_cast<LWVParmID>(host.panels().get(panel, vid));
    }

    std::string Channel(LWVParmID vp) {
        EnvelopeInfo info;
        if (!vp || !host.envelopes().info(vp, info)) return "(none)";
        return info.channelName + "@" + info.pluginName;
    }

    std::vector<std::string> Hints(LWXPanelID panel) {
        std::vector<std::string> out;
        for (const HintEntry &e : host.panels().hintEntries(panel)) out.push_back(HintText(e));
        return out;
    }

    LWCameraRay Ray(CameraInstance &ci, double fx, double fy, double lx = 0, double ly = 0, double frac = 0) {
        LWCameraRay ray{};
        EXPECT_EQ(ci.evaluate(fx, fy, lx, ly, frac, &ray), 1) << fx << " " << fy << " " << lx << " " << ly;
        return ray;
    }

    Host host;
    Module *module = nullptr;
    LWItemID cam = nullptr;
};

const std::vector<std::string> kCommonHead = {
    Hint(XPTAG_FOCUS, {-1}),
    Hint(XPTAG_CTRLCFG, {0x8005, 0, 0x80000001LL}),
    Hint(XPTAG_DRAWCBFUNC, {0x8005}, " fn"),
};

} // namespace

TEST_F(ProjectionCameras, ServerRowsComeInTableOrderWithTheirUserNames) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"VantorPanoramicCam", "Vantor Panoramic Camera"},
        {"VantorCylinderCam", "Vantor Cylinder Camera"},
        {"VantorPerspectiveCam", "Vantor Perspective"},
        {"VantorFisheyeCam", ""},
        {"VantorPerspectiveNoDOFCam", "Vantor No DoF"},
        {"VantorPerspectiveNoDOFNoMBCam", "Vantor No DoF No MB"},
        {"VantorAdvPanCam", "Vantor SuperPano Camera"},
        {"VantorOverscanCam", ""},
    };
    const std::vector<ServerInfo> &servers = module->servers();
    std::size_t last = 0;
    for (const auto &row : rows) {
        std::size_t at = servers.size();
        for (std::size_t i = 0; i < servers.size(); ++i)
            if (servers[i].name == row.first) {
                at = i;
                break;
            }
        if (row.second.empty() && at == servers.size()) continue; // another type, not built yet
        ASSERT_LT(at + 2, servers.size()) << row.first;
        EXPECT_GE(at, last) << row.first << " is out of order";
        last = at;
        EXPECT_EQ(servers[at].className, LWCAMERA_HCLASS);
        EXPECT_EQ(servers[at + 1].className, LWCAMERA_ICLASS);
        EXPECT_EQ(servers[at + 2].className, LWCAMERA_GCLASS);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(servers[at + k].name, row.first);
            if (row.second.empty()) continue;
            EXPECT_EQ(servers[at + k].tag(SRVTAG_USERNAME | LANGID_USENGLISH), row.second);
            EXPECT_EQ(servers[at + k].tag(SRVTAG_USERNAME | LANGID_UKENGLISH), row.second);
        }
    }
}

TEST_F(ProjectionCameras, PerspectiveServersShareOnePanelAndClassAndDifferInFlagsOnly) {
    const unsigned int expectedFlags[] = {1, 0, 0};
    // A moving camera: "No MB" samples the motion exactly as the other two do.
    host.scene().setMotionKeys(cam, Motion::X, {{0.0, 0.0}, {1.0, 3.0}});
    host.scene().setMotionKeys(cam, Motion::Heading, {{0.0, 0.0}, {1.0, 2.0}});
    host.render().motionSteps = 3;
    std::vector<std::unique_ptr<CameraInstance>> cams;
    for (int i = 0; i < 3; ++i) {
        cams.push_back(Make(kPerspectiveServers[i]));
        CameraInstance &ci = *cams.back();
        EXPECT_EQ(ci.flags(), expectedFlags[i]) << kPerspectiveServers[i];
        EXPECT_EQ(ci.describe(), "VantorPerspectiveCam Dec 11 2010 10:02:17");

        const LWXPanelID panel = Panel(ci);
        const PanelRecord *rec = host.panels().record(panel);
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->type, LWXP_VIEW);
        EXPECT_EQ(Controls(*rec), "32773 \"Logo\" dThumbnail\n32769 \"Version\" sInfo\n"
                                  "32768 \"ZoomFactor\" zoomfactor-env\n");
        EXPECT_EQ(Data(*rec), "32769 \"Version\" string\n32768 \"ZoomFactor\" float\n");
        std::vector<std::string> hints = kCommonHead;
        hints.push_back(Hint(XPTAG_DIVADD, {0x8001}));
        EXPECT_EQ(Hints(panel), hints);

        EXPECT_EQ(Channel(Env(panel, 0x8000)), "ZoomFactor@VantorPerspectiveCam");
        EXPECT_STREQ(static_cast<const char *>(host.panels().get(panel, 0x8001)), "v1.5 Dec 11 2010");
        for (unsigned int vid : {0x8002u, 0x8005u, 0x8006u, 0x9000u}) EXPECT_EQ(host.panels().get(panel, vid), nullptr);
        int v = 3;
        EXPECT_EQ(host.panels().set(panel, 0x8000, &v), 1);
        EXPECT_EQ(host.panels().set(panel, 0x8123, &v), 1);
    }

    // One instance class: any of the three copies into any other, and the
    // lens sample is applied alike, even where no depth of field is reported.
    EXPECT_EQ(cams[1]->copyFrom(*cams[0]), "");
    EXPECT_EQ(cams[2]->copyFrom(*cams[1]), "");
    for (auto &ci : cams) {
        ASSERT_EQ(ci->newTime(0, 0.0), "");
        ASSERT_EQ(ci->newFrame(0), "");
    }
    for (double frac : {0.0, 0.25, 1.0})
        for (double fx : {-0.01, 0.0, 0.013})
            for (double lx : {0.0, -0.7, 1.0}) {
                const LWCameraRay a = Ray(*cams[0], fx, 0.004, lx, 0.3, frac);
                EXPECT_TRUE(SameRay(a, Ray(*cams[1], fx, 0.004, lx, 0.3, frac)));
                EXPECT_TRUE(SameRay(a, Ray(*cams[2], fx, 0.004, lx, 0.3, frac)));
            }
    // The exposure moved the camera: fraction 1 starts elsewhere than fraction 0.
    const LWCameraRay begin = Ray(*cams[2], 0, 0, 0, 0, 0.0), end = Ray(*cams[2], 0, 0, 0, 0, 1.0);
    EXPECT_GT(Length(FromArray(end.rayPos) - FromArray(begin.rayPos)), 1e-3);
}

TEST_F(ProjectionCameras, PerspectiveSceneBlockHoldsSizeAxisAndItsChoice) {
    host.scene().setCamera(cam, CamProp::ZoomFactor, 2.5);
    auto ci = Make("VantorPerspectiveCam");
    MemorySaveState fresh(LWIO_ASCII);
    ASSERT_EQ(ci->save(fresh), "");
    // The "SizeAxis" envelope (no keys, created at the zoom factor), then the
    // choice 1; the zoom envelope is not written.
    EXPECT_EQ(fresh.lines(), (std::vector<std::string>{"0", "2.5", "1"}));

    const std::string stored = "2\n1.5\n0 1.25\n1 4.5\n5\n";
    for (int mode : {LWIO_ASCII, LWIO_BINARY}) {
        auto from = Make("VantorPerspectiveNoDOFCam");
        MemoryLoadState text(stored, LWIO_ASCII);
        ASSERT_EQ(from->load(text), "");
        MemorySaveState out(mode);
        ASSERT_EQ(from->save(out), "");
        auto to = Make("VantorPerspectiveCam");
        MemoryLoadState in(out);
        ASSERT_EQ(to->load(in), "");
        EXPECT_TRUE(in.atEnd());
        MemorySaveState again(LWIO_ASCII);
        ASSERT_EQ(to->save(again), "");
        EXPECT_EQ(again.bytes(), stored) << mode;
    }
}

TEST_F(ProjectionCameras, PerspectiveFollowsItsZoomEnvelopeAndTheHostFocusAndFStop) {
    const double H0 = 0.024;
    host.scene().setCamera(cam, CamProp::ZoomFactor, 3.2);
    host.scene().setCamera(cam, CamProp::FStop, 2.0);
    host.scene().setCamera(cam, CamProp::FocalDistance, 4.0);
    auto ci = Make("VantorPerspectiveCam");
    const LWXPanelID panel = Panel(*ci);
    const LWVParmID zoom = Env(panel, 0x8000);
    ASSERT_NE(zoom, nullptr);

    auto check = [&](double z, int frame) {
        const V3 F = FromArray(ci->access().toWorld[2]), R = FromArray(ci->access().toWorld[0]);
        const LWCameraRay top = Ray(*ci, 0.0, H0 / 2);
        EXPECT_NEAR(std::acos(Dot(FromArray(top.rayDir), F)), std::atan(1.0 / z), 1e-6) << frame;
        // The lens radius follows the film distance: z * H0 * 0.5 * 0.5 / f-stop.
        const LWCameraRay edge = Ray(*ci, 0.0, 0.0, 1.0, 0.0);
        const V3 offset = FromArray(edge.rayPos) - FromArray(Ray(*ci, 0.0, 0.0).rayPos);
        EXPECT_NEAR(Dot(offset, R), z * H0 * 0.25 / 2.0, 1e-7) << frame;
    };
    ASSERT_EQ(ci->newFrame(0), "");
    check(3.2, 0);
    ASSERT_TRUE(host.envelopes().setKeys(zoom, {{0.0, 2.0}, {1.0, 4.0}}));
    ASSERT_EQ(ci->newTime(15, 0.5), "");
    check(3.0, 15);
    ASSERT_EQ(ci->newFrame(30), ""); // frame start 1.0 s
    check(4.0, 30);

    // Focus distance is read at every new frame, even an unchanged one.
    auto meetsAt = [&](double focus) {
        const V3 P = FromArray(ci->access().worldPos);
        const LWCameraRay pin = Ray(*ci, 0.005, -0.003);
        const V3 pFocus = P + focus * FromArray(pin.rayDir);
        const LWCameraRay r = Ray(*ci, 0.005, -0.003, 0.8, -0.6);
        const V3 toFocus = pFocus - FromArray(r.rayPos);
        return Length(Cross(toFocus, FromArray(r.rayDir))) / Length(toFocus);
    };
    EXPECT_LT(meetsAt(4.0), 2e-6);
    host.scene().setCamera(cam, CamProp::FocalDistance, 9.0);
    ASSERT_EQ(ci->newFrame(30), "");
    EXPECT_LT(meetsAt(9.0), 2e-6);
    EXPECT_GT(meetsAt(4.0), 1e-4);

    // No usable focus distance: the pinhole direction, never a NaN.
    for (double focus : {0.0, -1.0}) {
        host.scene().setCamera(cam, CamProp::FocalDistance, focus);
        ASSERT_EQ(ci->newFrame(30), "");
        const LWCameraRay pin = Ray(*ci, 0.004, 0.002);
        const LWCameraRay lensed = Ray(*ci, 0.004, 0.002, 1.0, 1.0);
        EXPECT_NEAR(Dot(FromArray(pin.rayDir), FromArray(lensed.rayDir)), 1.0, 1e-7);
        EXPECT_NEAR(Length(FromArray(lensed.rayDir)), 1.0, 1e-6);
    }

    // An f-stop of 0 at creation gives a pinhole: every lens sample starts at P.
    host.scene().setCamera(cam, CamProp::FStop, 0.0);
    host.scene().setCamera(cam, CamProp::FocalDistance, 4.0);
    auto pinhole = Make("VantorPerspectiveCam");
    ASSERT_EQ(pinhole->newFrame(0), "");
    const LWCameraRay a = Ray(*pinhole, 0.002, 0.001), b = Ray(*pinhole, 0.002, 0.001, -1.0, 0.5);
    EXPECT_TRUE(SameRay(a, b));
}

TEST_F(ProjectionCameras, PerspectiveRendersAtExtremeFiniteFStopAndFocus) {
    // Settings whose single-precision steps overflow or underflow still give
    // a frame: an f-stop whose lens radius does not fit a float is a pinhole,
    // and a focus too far or too near to aim at keeps the pinhole direction.
    host.scene().setCamera(cam, CamProp::FStop, 1e-42);
    host.scene().setCamera(cam, CamProp::FocalDistance, 4.0);
    auto tiny = Make("VantorPerspectiveCam");
    ASSERT_EQ(tiny->newFrame(0), "");
    for (double lx : {0.0, 1.0, -0.5})
        EXPECT_TRUE(SameRay(Ray(*tiny, 0.006, -0.002, lx, 0.5), Ray(*tiny, 0.006, -0.002))) << lx;

    host.scene().setCamera(cam, CamProp::FStop, 2.0);
    auto ci = Make("VantorPerspectiveCam");
    for (double focus : {1e20, 1e300, 1e-300}) {
        host.scene().setCamera(cam, CamProp::FocalDistance, focus);
        ASSERT_EQ(ci->newFrame(0), "");
        const LWCameraRay pin = Ray(*ci, 0.006, -0.002);
        for (double lx : {0.0, 1.0, -0.5}) {
            const LWCameraRay r = Ray(*ci, 0.006, -0.002, lx, 0.5);
            EXPECT_TRUE(std::memcmp(r.rayDir, pin.rayDir, sizeof r.rayDir) == 0) << focus << " " << lx;
            EXPECT_NEAR(Length(FromArray(r.rayDir)), 1.0, 1e-6) << focus;
        }
    }
}

TEST_F(ProjectionCameras, PerspectiveCopyCarriesTheLensAndBothEnvelopes) {
    host.scene().setCamera(cam, CamProp::FStop, 2.0);
    host.scene().setCamera(cam, CamProp::ZoomFactor, 2.0);
    auto from = Make("VantorPerspectiveCam");
    const LWXPanelID pFrom = Panel(*from);
    ASSERT_TRUE(host.envelopes().setKeys(Env(pFrom, 0x8000), {{0.0, 1.5}, {2.0, 5.5}}));
    ASSERT_EQ(from->newTime(30, 1.0), "");

    // The destination was made for another lens; after the copy it has the source's.
    host.scene().setCamera(cam, CamProp::FStop, 8.0);
    host.scene().setCamera(cam, CamProp::ZoomFactor, 6.0);
    auto to = Make("VantorPerspectiveNoDOFCam");
    ASSERT_EQ(to->copyFrom(*from), "");
    ASSERT_EQ(from->newFrame(30), "");
    ASSERT_EQ(to->newFrame(30), "");
    const LWXPanelID pTo = Panel(*to);
    EXPECT_NE(Env(pTo, 0x8000), Env(pFrom, 0x8000));
    EXPECT_EQ(host.envelopes().value(Env(pTo, 0x8000), 1.0), 3.5);
    for (double lx : {0.0, 1.0, -0.4})
        EXPECT_TRUE(SameRay(Ray(*from, 0.006, 0.01, lx, 0.5), Ray(*to, 0.006, 0.01, lx, 0.5))) << lx;
    MemorySaveState a(LWIO_ASCII), b(LWIO_ASCII);
    ASSERT_EQ(from->save(a), "");
    ASSERT_EQ(to->save(b), "");
    EXPECT_EQ(a.bytes(), b.bytes());
}

TEST_F(ProjectionCameras, PerspectiveRaysOfARotatedMovingCamera) {
    host.scene().setCamera(cam, CamProp::FStop, 1.4);
    host.scene().setCamera(cam, CamProp::FocalDistance, 6.0);
    host.scene().setMotionKeys(cam, Motion::X, {{0.0, 0.0}, {1.0, 30.0}});
    host.scene().setMotionKeys(cam, Motion::Heading, {{0.0, 0.4}, {1.0, 1.4}});
    host.render().fps = 30.0;
    host.render().shutter = 0.5;
    host.render().motionSteps = 5;
    auto ci = Make("VantorPerspectiveCam");
    ASSERT_EQ(ci->newTime(3, 0.1), "");
    ASSERT_EQ(ci->newFrame(3), "");
    const LWFrameInfo fi = ci->frameInfo();

    for (double frac : {0.0, 0.5, 1.0}) {
        // The pose at the fraction, in single precision.
        const double t = fi.start + frac * fi.duration;
        double pos[3];
        host.scene().position(cam, t, pos);
        const Axes ax = host.scene().axes(cam, t);
        const V3 P = FromArray(pos), R = FromArray(ax.right), U = FromArray(ax.up), F = FromArray(ax.forward);
        const LWCameraRay pin = Ray(*ci, 0.003, -0.002, 0, 0, frac);
        EXPECT_NEAR(Length(FromArray(pin.rayPos) - P), 0.0, 1e-5 * (1 + Length(P))) << frac;
        EXPECT_NEAR(Length(FromArray(pin.filmNorm) - F), 0.0, frac == 0.5 ? 1e-2 : 1e-6) << frac;
        if (frac == 0.5) continue; // between samples the axes are interpolated, not rotated

        const V3 pFocus = P + 6.0 * FromArray(pin.rayDir);
        const double lensRadius = 3.2 * 0.024 * 0.5 * 0.5 / 1.4;
        for (double lx : {-1.0, 0.4})
            for (double ly : {-0.5, 1.0}) {
                const LWCameraRay r = Ray(*ci, 0.003, -0.002, lx, ly, frac);
                const V3 o = FromArray(r.rayPos) - P;
                EXPECT_NEAR(Dot(o, F), 0.0, 1e-5) << frac;
                EXPECT_NEAR(Dot(o, R), lx * lensRadius, 1e-5);
                EXPECT_NEAR(Dot(o, U), ly * lensRadius, 1e-5);
                const V3 toFocus = pFocus - FromArray(r.rayPos);
                EXPECT_LT(Length(Cross(toFocus, FromArray(r.rayDir))) / Length(toFocus), 5e-6);
            }
    }

    // Bad fractions give the frame-start pose; bad film or lens points no ray.
    const LWCameraRay start = Ray(*ci, 0.001, 0.001, 0, 0, 0.0);
    EXPECT_TRUE(SameRay(start, Ray(*ci, 0.001, 0.001, 0, 0, -0.5)));
    EXPECT_TRUE(SameRay(start, Ray(*ci, 0.001, 0.001, 0, 0, std::nan(""))));
    LWCameraRay ray{};
    EXPECT_EQ(ci->evaluate(std::nan(""), 0, 0, 0, 0.2, &ray), 0);
    EXPECT_EQ(ci->evaluate(0, 0, HUGE_VAL, 0, 0.2, &ray), 0);
}

TEST_F(ProjectionCameras, PerspectiveMotionStepsOutsideThreeTo199TakeTwoSamples) {
    host.scene().setMotionKeys(cam, Motion::Heading, {{0.0, 0.0}, {1.0, 20.0}});
    host.render().shutter = 1.0;
    auto raysWith = [&](unsigned int steps) {
        host.render().motionSteps = steps;
        auto ci = Make("VantorPerspectiveNoDOFCam");
        EXPECT_EQ(ci->newFrame(4), "");
        std::vector<LWCameraRay> rays;
        for (double frac : {0.37, 0.8, 1.0, 1.5}) rays.push_back(Ray(*ci, 0.004, -0.002, 0, 0, frac));
        return rays;
    };
    const std::vector<LWCameraRay> two = raysWith(2);
    EXPECT_TRUE(SameRay(two[2], two[3])); // fractions past the end give the last sample
    for (unsigned int steps : {0u, 1u, 200u, 4000u}) {
        const std::vector<LWCameraRay> r = raysWith(steps);
        for (std::size_t i = 0; i < r.size(); ++i) EXPECT_TRUE(SameRay(r[i], two[i])) << steps << " " << i;
    }
    // More samples follow the turn more closely between start and end.
    const std::vector<LWCameraRay> three = raysWith(3), many = raysWith(199);
    EXPECT_FALSE(SameRay(three[0], two[0]));
    EXPECT_FALSE(SameRay(many[0], three[0]));
    EXPECT_TRUE(SameRay(three[2], two[2]));
}

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
        Hint(XPTAG_ENABLE, {0x8007, 0, 0, 0}),
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

TEST_F(ProjectionCameras, ConcurrentEvaluationMatchesSingleThreaded) {
    host.scene().setMotionKeys(cam, Motion::Z, {{0.0, 0.0}, {1.0, 12.0}});
    host.scene().setMotionKeys(cam, Motion::Bank, {{0.0, 0.0}, {1.0, 0.8}});
    host.render().motionSteps = 7;
    for (const char *server : {"VantorPerspectiveCam", "VantorPerspectiveNoDOFCam", "VantorPerspectiveNoDOFNoMBCam",
                               "VantorAdvPanCam", "VantorCylinderCam"}) {
        auto ci = Make(server);
        ASSERT_EQ(ci->newTime(5, 5 / 30.0), "");
        ASSERT_EQ(ci->newFrame(5), "");
        struct Sample {
            double fx, fy, lx, ly, frac;
        };
        std::vector<Sample> samples;
        for (int i = 0; i < 400; ++i)
            samples.push_back({(i % 20 - 9.5) * 0.0018, (i / 20 - 9.5) * 0.0012, std::sin(i * 1.7),
                               std::cos(i * 2.3), (i % 7) / 6.0});
        std::vector<LWCameraRay> single(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const Sample &s = samples[i];
            ASSERT_EQ(ci->evaluate(s.fx, s.fy, s.lx, s.ly, s.frac, &single[i]), 1);
        }
        const int kThreads = 4;
        std::vector<std::vector<LWCameraRay>> results(kThreads, std::vector<LWCameraRay>(samples.size()));
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                for (int pass = 0; pass < 5; ++pass)
                    for (std::size_t k = 0; k < samples.size(); ++k) {
                        const std::size_t i = (k * (2 * t + 1) + pass * 37) % samples.size();
                        const Sample &s = samples[i];
                        ci->evaluate(s.fx, s.fy, s.lx, s.ly, s.frac, &results[t][i]);
                    }
            });
        for (std::thread &th : threads) th.join();
        int mismatches = 0;
        for (int t = 0; t < kThreads; ++t)
            for (std::size_t i = 0; i < samples.size(); ++i) mismatches += !SameRay(results[t][i], single[i]);
        EXPECT_EQ(mismatches, 0) << server;
    }
}

// The family keeps the single-precision pose of a repeated fraction per
// thread: repeats, interleaved instances and a new frame must all give the
// rays computed afresh.
TEST_F(ProjectionCameras, PerspectiveRepeatedFractionsGiveTheFreshRays) {
    host.scene().setMotionKeys(cam, Motion::X, {{0.0, 0.0}, {1.0, 30.0}});
    host.scene().setMotionKeys(cam, Motion::Heading, {{0.0, 0.4}, {1.0, 1.4}});
    LWItemID other = host.scene().addCamera("Other");
    host.scene().setMotionKeys(other, Motion::Y, {{0.0, 5.0}, {1.0, -5.0}});
    host.render().shutter = 1.0;
    auto a = Make("VantorPerspectiveCam");
    auto b = Make("VantorPerspectiveCam", other);
    ASSERT_EQ(a->newFrame(2), "");
    ASSERT_EQ(b->newFrame(2), "");
    const double fracs[] = {0.25, 0.25, 0.25, 0.7, 0.7, 0.25};
    std::vector<LWCameraRay> fresh;
    {
        // Each ray from its own instance, so no cache can serve it.
        for (double f : fracs) {
            auto c = Make("VantorPerspectiveCam");
            EXPECT_EQ(c->newFrame(2), "");
            fresh.push_back(Ray(*c, 0.004, -0.002, 0.3, 0.1, f));
        }
    }
    for (int round = 0; round < 2; ++round)
        for (std::size_t i = 0; i < std::size(fracs); ++i) {
            EXPECT_TRUE(SameRay(Ray(*a, 0.004, -0.002, 0.3, 0.1, fracs[i]), fresh[i])) << round << " " << i;
            const LWCameraRay rb = Ray(*b, 0.004, -0.002, 0.3, 0.1, fracs[i]);
            EXPECT_FALSE(SameRay(rb, fresh[i])) << "the other camera's pose, not a cached one";
        }
    // A later frame moves the camera; the cached pose of frame 2 must not serve it.
    ASSERT_EQ(a->newFrame(7), "");
    auto c = Make("VantorPerspectiveCam");
    ASSERT_EQ(c->newFrame(7), "");
    const LWCameraRay later = Ray(*c, 0.004, -0.002, 0.3, 0.1, 0.25);
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(SameRay(Ray(*a, 0.004, -0.002, 0.3, 0.1, 0.25), later)) << k;
    EXPECT_FALSE(SameRay(later, fresh[0]));
}
