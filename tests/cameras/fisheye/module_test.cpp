// The Fisheye, Stereo and Skybox camera types through the built module in the
// stand-in host: server rows, panels and hints, the layout diagram, scene
// blocks, gizmo drawing, rays of turned and moving cameras, and concurrent
// evaluation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "standin/host.h"

using namespace standin;

namespace {

struct V3 {
    double x, y, z;
};
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator*(double s, V3 a) { return {s * a.x, s * a.y, s * a.z}; }
double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(V3 a) { return std::sqrt(Dot(a, a)); }
V3 FromArray(const double *v) { return {v[0], v[1], v[2]}; }
double Angle(V3 a, V3 b) {
    const double c = Dot(a, b) / (Length(a) * Length(b));
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c)));
}
void ExpectNear(V3 a, V3 b, double tol, const std::string &what = "") {
    EXPECT_NEAR(a.x, b.x, tol) << what;
    EXPECT_NEAR(a.y, b.y, tol) << what;
    EXPECT_NEAR(a.z, b.z, tol) << what;
}

bool SameRay(const LWCameraRay &a, const LWCameraRay &b) {
    return std::memcmp(a.rayPos, b.rayPos, sizeof a.rayPos) == 0 &&
           std::memcmp(a.rayDir, b.rayDir, sizeof a.rayDir) == 0 &&
           std::memcmp(a.filmNorm, b.filmNorm, sizeof a.filmNorm) == 0;
}

// A hint entry as text: tag, fixed arguments (functions and pointers as "fn"
// or "ptr", null as "null"), then "|" and the id list when the tag has one.
std::string HintText(const HintEntry &e) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%08X", e.tag);
    std::string s = buf;
    for (std::size_t i = 0; i < e.args.size(); ++i) {
        const bool fn = (e.tag == XPTAG_DRAWCBFUNC && i == 1) || (e.tag == XPTAG_POPFUNCS && i >= 1);
        const bool ptr = e.tag == XPTAG_ENABLE && (i == 1 || i == 3);
        if (fn || ptr)
            s += e.args[i] ? (fn ? " fn" : " ptr") : " null";
        else
            s += " " + std::to_string(static_cast<long long>(static_cast<std::intptr_t>(e.args[i])));
    }
    if (e.tag & 0x80u) {
        s += " |";
        for (std::uintptr_t id : e.ids)
            s += " " + std::to_string(id);
    }
    return s;
}

std::string Hint(unsigned int tag, std::vector<long long> args, const char *tail = "") {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%08X", tag);
    std::string s = buf;
    for (long long a : args)
        s += " " + std::to_string(a);
    s += tail;
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
    for (const PanelDataDesc &d : r.data)
        s += std::to_string(d.vid) + " \"" + d.name + "\" " + d.datatype + "\n";
    return s;
}

class Cameras : public ::testing::Test {
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

    LWVParmID Env(LWXPanelID panel, unsigned int vid) { return static_cast<LWVParmID>(host.panels().get(panel, vid)); }
    int *Setting(LWXPanelID panel, unsigned int vid) { return static_cast<int *>(host.panels().get(panel, vid)); }
    void Set(LWXPanelID panel, unsigned int vid, int v) { EXPECT_EQ(host.panels().set(panel, vid, &v), 1); }

    std::string Channel(LWVParmID vp) {
        EnvelopeInfo info;
        if (!vp || !host.envelopes().info(vp, info))
            return "(none)";
        return info.channelName + "@" + info.pluginName;
    }

    std::vector<std::string> Hints(LWXPanelID panel) {
        std::vector<std::string> out;
        for (const HintEntry &e : host.panels().hintEntries(panel))
            out.push_back(HintText(e));
        return out;
    }

    std::vector<DrawCall> Draw(const CameraInstance &ci) {
        LWGizmo g{};
        g.instance = ci.instance();
        EXPECT_EQ(ci.activateGizmo(g), AFUNC_OK);
        DrawRecorder rec;
        if (g.gizmo && g.gizmo->draw)
            g.gizmo->draw(ci.instance(), rec.access());
        return rec.calls();
    }

    Host host;
    Module *module = nullptr;
    LWItemID cam = nullptr;
};

const float kBlue = 0.39453125f, kCyan = 0.59765625f;

void ExpectColour(const DrawCall &c, float alpha) {
    ASSERT_EQ(c.op, "setColor");
    ASSERT_EQ(c.values.size(), 4u);
    EXPECT_EQ(c.values[0], 0.0);
    EXPECT_EQ(c.values[1], kBlue);
    EXPECT_EQ(c.values[2], kCyan);
    EXPECT_EQ(c.values[3], alpha);
}

} // namespace

// ---- registration --------------------------------------------------------

TEST_F(Cameras, ServerRowsFlagsAndDescriptions) {
    struct Row {
        const char *name, *user, *describe;
        unsigned int flags;
    } rows[] = {
        {"VantorStereoCam", "Vantor Stereo Camera", "VantorStereoCam Dec 11 2010 10:02:18", 1},
        {"VantorSkyboxCam", "Vantor Skybox Camera", "VantorSkyboxCam Dec 11 2010 16:09:00", 0},
        {"VantorFisheyeCam", "Vantor Fisheye Camera", "VantorFisheyeCam Dec 11 2010 10:02:19", 1},
    };
    const std::vector<ServerInfo> &servers = module->servers();
    auto indexOf = [&](const std::string &name) {
        for (std::size_t i = 0; i < servers.size(); ++i)
            if (servers[i].name == name)
                return i;
        return servers.size();
    };
    // Stereo and Skybox come right after each other, before the Panoramic
    // camera; the Fisheye after the Perspective camera.
    EXPECT_EQ(indexOf("VantorSkyboxCam"), indexOf("VantorStereoCam") + 3);
    EXPECT_LT(indexOf("VantorSkyboxCam"), indexOf("VantorPanoramicCam"));
    EXPECT_GT(indexOf("VantorFisheyeCam"), indexOf("VantorPerspectiveCam"));
    EXPECT_LT(indexOf("VantorFisheyeCam"), indexOf("VantorPerspectiveNoDOFCam"));
    for (const Row &row : rows) {
        const std::size_t at = indexOf(row.name);
        ASSERT_LT(at + 2, servers.size()) << row.name;
        const char *classes[] = {LWCAMERA_HCLASS, LWCAMERA_ICLASS, LWCAMERA_GCLASS};
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(servers[at + k].className, classes[k]);
            EXPECT_EQ(servers[at + k].name, row.name);
            EXPECT_EQ(servers[at + k].tag(SRVTAG_USERNAME | LANGID_USENGLISH), row.user);
            EXPECT_EQ(servers[at + k].tag(SRVTAG_USERNAME | LANGID_UKENGLISH), row.user);
        }
        auto ci = Make(row.name);
        EXPECT_EQ(ci->describe(), row.describe);
        EXPECT_EQ(ci->flags(), row.flags);
        double m[4][4] = {};
        m[0][0] = 7;
        EXPECT_EQ(ci->preview(0, 0, m), 0);
        EXPECT_EQ(m[0][0], 7);
    }
}

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

// ---- panels --------------------------------------------------------------

TEST_F(Cameras, FisheyePanelTablesAndHints) {
    auto ci = Make("VantorFisheyeCam");
    const LWXPanelID panel = Panel(*ci);
    const PanelRecord *rec = host.panels().record(panel);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(Controls(*rec),
              "32775 \"Logo\" dThumbnail\n32771 \"Version\" sInfo\n32768 \"ZoomFactor\" zoomfactor-env\n"
              "32769 \"Distortion Power\" float-env\n32778 \"Auto Distortion Scale\" iBoolean\n"
              "32770 \"Distortion Scale\" float-env\n32779 \"Parallel Film Normals\" iBoolean\n"
              "32776 \"Preview in Camera View\" iBoolean\n");
    EXPECT_EQ(Data(*rec), "32771 \"Version\" string\n32768 \"ZoomFactor\" float\n32769 \"Distortion Power\" float\n"
                          "32778 \"Auto Distortion Scale\" integer\n32770 \"Distortion Scale\" float\n"
                          "32779 \"Parallel Film Normals\" integer\n32776 \"Preview in Camera View\" integer\n");
    const std::vector<std::string> hints = {
        Hint(XPTAG_FOCUS, {-1}),
        Hint(XPTAG_POPFUNCS, {0x8009}, " fn fn"),
        Hint(XPTAG_CTRLCFG, {0x8007, 0, 0x80000001LL}),
        Hint(XPTAG_DRAWCBFUNC, {0x8007}, " fn"),
        Hint(XPTAG_DIVADD, {0x8003}, " |"),
        Hint(XPTAG_DIVADD, {0x8000}, " |"),
        Hint(XPTAG_DIVADD, {0x8002}, " |"),
        Hint(XPTAG_DIVADD, {0x800b}, " |"),
        Hint(XPTAG_SENS, {0x8001, 1}),
        Hint(XPTAG_SENS, {0x8002, 1}),
        Hint(XPTAG_ENABLE, {0x800b}, " null 0 null |"),
        Hint(XPTAG_ENABLE, {0x800a}, " ptr 0 ptr | 32770"),
        Hint(XPTAG_ENABLE, {0x8008}, " null 0 null | 32777"),
    };
    EXPECT_EQ(Hints(panel), hints);
    // the enable map and the message of the automatic scale
    std::vector<HintEntry> entries = host.panels().hintEntries(panel);
    for (const HintEntry &e : entries)
        if (e.tag == XPTAG_ENABLE && e.args[0] == 0x800a) {
            EXPECT_STREQ(reinterpret_cast<const char *>(e.args[1]),
                         "Turn 'Auto Distortion Scale' off\nto set manually.");
            const int *map = reinterpret_cast<const int *>(e.args[3]);
            EXPECT_EQ(map[0], 1);
            EXPECT_EQ(map[1], 0);
        }
    EXPECT_EQ(host.panels().popupChoices(panel, 0x8009),
              (std::vector<std::string>{"Ray Tracing Grid", "Line Matching Grid"}));
    EXPECT_EQ(host.panels().popupName(panel, 0x8009, 2), "");

    EXPECT_STREQ(static_cast<const char *>(host.panels().get(panel, 0x8003)), "v1.5 Dec 11 2010");
    EXPECT_EQ(Channel(Env(panel, 0x8000)), "ZoomFactor@VantorFisheyeCam");
    EXPECT_EQ(Channel(Env(panel, 0x8001)), "FisheyePower@VantorFisheyeCam");
    EXPECT_EQ(Channel(Env(panel, 0x8002)), "FisheyeScale@VantorFisheyeCam");
    const int expected[][2] = {{0x800a, 1}, {0x800b, 1}, {0x8008, 0}, {0x8009, 1}};
    for (const auto &e : expected) {
        ASSERT_NE(Setting(panel, e[0]), nullptr);
        EXPECT_EQ(*Setting(panel, e[0]), e[1]) << e[0];
        Set(panel, e[0], 7);
        EXPECT_EQ(*Setting(panel, e[0]), 7);
    }
    for (unsigned int vid : {0x8004u, 0x8007u, 0x800cu, 0x9000u})
        EXPECT_EQ(host.panels().get(panel, vid), nullptr);
    Set(panel, 0x8123, 3);
}

TEST_F(Cameras, StereoPanelTablesHintsAndObjectPopup) {
    host.scene().addObject("Ball");
    host.scene().addObject("Cube");
    auto ci = Make("VantorStereoCam");
    const LWXPanelID panel = Panel(*ci);
    const PanelRecord *rec = host.panels().record(panel);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(Controls(*rec),
              "32780 \"Logo\" dThumbnail\n32776 \"Version\" sInfo\n32769 \"ZoomFactor\" zoomfactor-env\n"
              "32772 \"Eye Separation\" distance-env\n32770 \"Convergence Item\" iPopChoice\n"
              "32773 \"Convergence Limit\" distance-env\n32771 \"Show Convergence Plane\" iBoolean\n");
    EXPECT_EQ(Data(*rec), "32776 \"Version\" string\n32769 \"ZoomFactor\" float\n32772 \"Eye Separation\" float\n"
                          "32770 \"Convergence Item\" integer\n32773 \"Convergence Limit\" float\n"
                          "32771 \"Show Convergence Plane\" integer\n");
    const std::vector<std::string> hints = {
        Hint(XPTAG_FOCUS, {-1}),
        Hint(XPTAG_POPFUNCS, {0x8002}, " fn fn"),
        Hint(XPTAG_CTRLCFG, {0x800c, 0, 0x80000001LL}),
        Hint(XPTAG_DRAWCBFUNC, {0x800c}, " fn"),
        Hint(XPTAG_DIVADD, {0x8008}, " |"),
        Hint(XPTAG_DIVADD, {0x8004}, " |"),
        Hint(XPTAG_DIVADD, {0x8001}, " |"),
        Hint(XPTAG_DIVADD, {0x8007}, " |"),
        Hint(XPTAG_SENS, {0x8005, 1}),
        Hint(XPTAG_SENS, {0x8006, 1}),
        Hint(XPTAG_SENS, {0x8007, 1}),
        Hint(XPTAG_ENABLE, {0x8002}, " null 0 null | 32773 32771"),
    };
    EXPECT_EQ(Hints(panel), hints);
    EXPECT_EQ(host.panels().popupChoices(panel, 0x8002), (std::vector<std::string>{"(none)", "Ball", "Cube"}));
    EXPECT_EQ(host.panels().popupName(panel, 0x8002, -1), "(none)");
    EXPECT_EQ(host.panels().popupName(panel, 0x8002, 3), "(none)");

    EXPECT_STREQ(static_cast<const char *>(host.panels().get(panel, 0x8008)), "v1.5 Dec 11 2010");
    const std::pair<unsigned int, const char *> envs[] = {{0x8001, "ZoomFactor"},
                                                          {0x8004, "EyeSeparation"},
                                                          {0x8005, "ConvergenceLimit"},
                                                          {0x8006, "HorizontalScale"},
                                                          {0x8007, "HorizontalShiftFactor"}};
    for (const auto &e : envs)
        EXPECT_EQ(Channel(Env(panel, e.first)), std::string(e.second) + "@VantorStereoCam");
    // defaults: the host camera's separation, limit 10, scales 1
    EXPECT_DOUBLE_EQ(host.envelopes().value(Env(panel, 0x8004), 0.0),
                     host.scene().camera(cam, CamProp::Separation, 0.0));
    EXPECT_EQ(host.envelopes().value(Env(panel, 0x8005), 0.0), 10.0);
    EXPECT_EQ(host.envelopes().value(Env(panel, 0x8006), 0.0), 1.0);
    EXPECT_EQ(host.envelopes().value(Env(panel, 0x8007), 0.0), 1.0);
    for (unsigned int vid : {0x8002u, 0x8003u}) {
        ASSERT_NE(Setting(panel, vid), nullptr);
        EXPECT_EQ(*Setting(panel, vid), 0);
        Set(panel, vid, 2);
        EXPECT_EQ(*Setting(panel, vid), 2);
    }
    for (unsigned int vid : {0x8000u, 0x8009u, 0x800cu})
        EXPECT_EQ(host.panels().get(panel, vid), nullptr);

    // An activation that fails for want of the item service keeps the
    // services of the running instance: its popup still lists the objects.
    const std::vector<std::string> choices = host.panels().popupChoices(panel, 0x8002);
    ASSERT_GT(choices.size(), 1u);
    host.setServiceMissing(LWITEMINFO_GLOBAL);
    CameraInstance other(host, *module, "VantorStereoCam", cam);
    EXPECT_FALSE(other.ok());
    EXPECT_EQ(host.panels().popupChoices(panel, 0x8002), choices);
    host.setServiceMissing(LWITEMINFO_GLOBAL, false);
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

// ---- scene blocks --------------------------------------------------------

TEST_F(Cameras, SceneBlocksRoundTripInTextAndBinary) {
    struct Case {
        const char *server;
        std::vector<std::pair<unsigned int, double>> envs; // panel id, value
        std::vector<std::pair<unsigned int, int>> settings;
    } cases[] = {
        {"VantorFisheyeCam", {{0x8001, 0.625}, {0x8002, 2.5}}, {{0x800a, 0}, {0x8008, 1}, {0x8009, 0}, {0x800b, 0}}},
        {"VantorStereoCam",
         {{0x8004, 0.125}, {0x8005, 7.5}, {0x8006, 1.5}, {0x8007, 0.75}},
         {{0x8002, 2}, {0x8003, 1}}},
        {"VantorSkyboxCam", {}, {{0x8006, 1}}},
    };
    for (const Case &c : cases)
        for (int mode : {LWIO_ASCII, LWIO_BINARY}) {
            auto from = Make(c.server);
            const LWXPanelID pFrom = Panel(*from);
            for (const auto &e : c.envs)
                host.envelopes().setValue(Env(pFrom, e.first), e.second);
            for (const auto &s : c.settings)
                Set(pFrom, s.first, s.second);
            MemorySaveState out(mode);
            ASSERT_EQ(from->save(out), "");

            auto to = Make(c.server);
            MemoryLoadState in(out);
            ASSERT_EQ(to->load(in), "");
            EXPECT_TRUE(in.atEnd()) << c.server;
            const LWXPanelID pTo = Panel(*to);
            for (const auto &e : c.envs)
                EXPECT_EQ(host.envelopes().value(Env(pTo, e.first), 0.0), e.second) << c.server;
            for (const auto &s : c.settings)
                EXPECT_EQ(*Setting(pTo, s.first), s.second) << c.server << " " << s.first;
            MemorySaveState again(mode);
            ASSERT_EQ(to->save(again), "");
            EXPECT_EQ(again.bytes(), out.bytes()) << c.server;
        }
}

TEST_F(Cameras, SceneBlockOrderAndStereoReservedWords) {
    auto fish = Make("VantorFisheyeCam");
    MemorySaveState f(LWIO_ASCII);
    ASSERT_EQ(fish->save(f), "");
    std::vector<std::string> lines = f.lines();
    ASSERT_GE(lines.size(), 4u);
    // power and scale envelopes, then auto 1, preview 0, grid 1, parallel 1
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()), (std::vector<std::string>{"1", "0", "1", "1"}));

    auto sky = Make("VantorSkyboxCam");
    MemorySaveState s(LWIO_BINARY);
    ASSERT_EQ(sky->save(s), "");
    EXPECT_EQ(s.bytes(), std::string(4, '\0'));

    auto stereo = Make("VantorStereoCam");
    const LWXPanelID panel = Panel(*stereo);
    Set(panel, 0x8002, 3);
    MemorySaveState st(LWIO_ASCII);
    ASSERT_EQ(stereo->save(st), "");
    lines = st.lines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 5, lines.end()),
              (std::vector<std::string>{"3", "0", "0", "0", "0"}));
    // Reserved words that hold something are read and dropped.
    std::string text = st.bytes();
    text.replace(text.size() - 6, 6, "7\n8\n9\n");
    MemoryLoadState in(text, LWIO_ASCII);
    auto other = Make("VantorStereoCam");
    ASSERT_EQ(other->load(in), "");
    EXPECT_TRUE(in.atEnd());
    MemorySaveState again(LWIO_ASCII);
    ASSERT_EQ(other->save(again), "");
    EXPECT_EQ(again.bytes(), st.bytes());
}

// ---- fisheye -------------------------------------------------------------

TEST_F(Cameras, FisheyeAutomaticScaleOnA36By24Film) {
    host.scene().setCamera(cam, CamProp::FilmWidth, 36.0);
    host.scene().setCamera(cam, CamProp::FilmHeight, 24.0);
    auto ci = Make("VantorFisheyeCam");
    const LWXPanelID panel = Panel(*ci);
    const LWVParmID power = Env(panel, 0x8001), scale = Env(panel, 0x8002);
    host.envelopes().setValue(power, 0.5);

    // Before any frame the film is unknown: the scale envelope keeps its value
    // (rays take the film of the call's access record).
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    EXPECT_EQ(host.envelopes().value(scale, 0.0), 1.0);
    LWCameraRay ray{};
    EXPECT_EQ(ci->evaluate(0, 0, 0, 0, 0, &ray), 1);

    ASSERT_EQ(ci->newFrame(0), "");
    EXPECT_NEAR(host.envelopes().value(scale, 0.0), 4.65116, 1e-5);
    // The corner keeps its radius: its ray is the pinhole camera's.
    ASSERT_EQ(ci->evaluate(18, 12, 0, 0, 0, &ray), 1);
    const double zoom = host.scene().camera(cam, CamProp::ZoomFactor, 0.0);
    const double d = zoom * 24 * 0.5;
    const V3 F = FromArray(ci->access().toWorld[2]);
    EXPECT_NEAR(Angle(FromArray(ray.rayDir), F), std::atan(std::sqrt(468.0) / d), 1e-12);

    // Switching the automatic scale off keeps the last automatic value.
    Set(panel, 0x800a, 0);
    host.scene().setCamera(cam, CamProp::FilmWidth, 20.0);
    ASSERT_EQ(ci->newTime(1, 1.0 / 30), "");
    ASSERT_EQ(ci->newFrame(1), "");
    EXPECT_NEAR(host.envelopes().value(scale, 0.0), 4.65116, 1e-5);

    // A film of no size leaves the envelope alone and gives no ray.
    Set(panel, 0x800a, 1);
    host.scene().setCamera(cam, CamProp::FilmWidth, 0.0);
    ASSERT_EQ(ci->newTime(2, 2.0 / 30), ""); // still the last frame's 20 x 24 film
    EXPECT_NEAR(host.envelopes().value(scale, 0.0), std::pow(std::sqrt(100.0 + 144.0), 0.5), 1e-12);
    host.envelopes().setValue(scale, 2.0);
    ASSERT_EQ(ci->newFrame(2), "");
    EXPECT_EQ(host.envelopes().value(scale, 0.0), 2.0);
    EXPECT_EQ(ci->evaluate(1, 1, 0, 0, 0, &ray), 0);
}

TEST_F(Cameras, FisheyeRaysFollowFocusAndFStopAndNeverHoldNaN) {
    host.scene().setCamera(cam, CamProp::FStop, 2.0);
    host.scene().setCamera(cam, CamProp::FocalDistance, 6.0);
    auto ci = Make("VantorFisheyeCam");
    const LWXPanelID panel = Panel(*ci);
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->newFrame(0), "");
    const LWCameraAccess &a = ci->access();
    const V3 P = FromArray(a.worldPos), R = FromArray(a.toWorld[0]), U = FromArray(a.toWorld[1]),
             F = FromArray(a.toWorld[2]);
    LWCameraRay centre{}, lens{};
    ASSERT_EQ(ci->evaluate(0.004, -0.002, 0, 0, 0, &centre), 1);
    ASSERT_EQ(ci->evaluate(0.004, -0.002, 0.8, -0.5, 0, &lens), 1);
    const V3 offset = FromArray(lens.rayPos) - P;
    EXPECT_NEAR(Dot(offset, F), 0.0, 1e-12);
    const double r = host.scene().camera(cam, CamProp::ZoomFactor, 0) * a.filmSize[1] * 0.5 * (0.5 / 2.0);
    EXPECT_NEAR(Dot(offset, R), 0.8 * r, 1e-12);
    EXPECT_NEAR(Dot(offset, U), -0.5 * r, 1e-12);
    const V3 pFocus = P + 6.0 * FromArray(centre.rayDir);
    EXPECT_NEAR(Angle(FromArray(lens.rayDir), pFocus - FromArray(lens.rayPos)), 0.0, 1e-9);
    ExpectNear(FromArray(centre.filmNorm), F, 1e-12);
    Set(panel, 0x800b, 0);
    ASSERT_EQ(ci->evaluate(0.004, -0.002, 0, 0, 0, &centre), 1);
    EXPECT_EQ(std::memcmp(centre.filmNorm, centre.rayDir, sizeof centre.rayDir), 0);

    // focus 0 and f-stop 0: a pinhole; negative power: no ray at the centre
    host.scene().setCamera(cam, CamProp::FStop, 0.0);
    host.scene().setCamera(cam, CamProp::FocalDistance, 0.0);
    ASSERT_EQ(ci->newFrame(0), "");
    LWCameraRay pin{};
    ASSERT_EQ(ci->evaluate(0.004, -0.002, 1, 1, 0, &pin), 1);
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(std::isfinite(pin.rayDir[k]));
        EXPECT_EQ(pin.rayPos[k], a.worldPos[k]);
    }
    host.envelopes().setValue(Env(panel, 0x8001), -0.5);
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    LWCameraRay untouched{};
    untouched.rayDir[0] = 42;
    EXPECT_EQ(ci->evaluate(0, 0, 0, 0, 0, &untouched), 0);
    EXPECT_EQ(untouched.rayDir[0], 42);
    EXPECT_EQ(ci->evaluate(std::nan(""), 0, 0, 0, 0, &untouched), 0);
}

TEST_F(Cameras, FisheyeGizmoDrawsTheRayGridOnlyAfterAFrameAndWhenAskedTo) {
    auto ci = Make("VantorFisheyeCam");
    const LWXPanelID panel = Panel(*ci);
    Set(panel, 0x8008, 1);
    EXPECT_TRUE(Draw(*ci).empty()); // no frame set up yet
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->newFrame(0), "");
    Set(panel, 0x8008, 0);
    EXPECT_TRUE(Draw(*ci).empty());
    Set(panel, 0x8008, 1);

    const std::vector<DrawCall> calls = Draw(*ci);
    ASSERT_EQ(calls.size(), 2u + 100u * 4u);
    EXPECT_EQ(calls[0].op, "setCSysItem");
    EXPECT_EQ(calls[0].item, cam);
    ExpectColour(calls[1], 0.3f);
    const LWCameraAccess &a = ci->access();
    const V3 P = FromArray(a.worldPos), F = FromArray(a.toWorld[0 + 2]);
    for (int cell = 0; cell < 100; ++cell) {
        const DrawCall *c = &calls[2 + 4 * cell];
        ExpectColour(c[0], 0.3f);
        ASSERT_EQ(c[1].op, "quad");
        ExpectColour(c[2], 1.0f);
        ASSERT_EQ(c[3].op, "quad");
        EXPECT_EQ(c[1].values, c[3].values);
        EXPECT_EQ(c[1].csys, LWCSYS_WORLD);
        ASSERT_EQ(c[1].values.size(), 12u);
        // with parallel film normals the grid lies 10 units ahead
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(Dot(FromArray(&c[1].values[3 * k]) - P, F), 10.0, 1e-9);
    }
    // the first quad's first corner is the film's bottom-left corner
    LWCameraRay corner{};
    ASSERT_EQ(ci->evaluate(-a.filmSize[0] / 2, -a.filmSize[1] / 2, 0, 0, 0, &corner), 1);
    EXPECT_NEAR(Angle(FromArray(&calls[3].values[0]) - P, FromArray(corner.rayDir)), 0.0, 1e-6);

    // Changing the grid type changes nothing drawn.
    Set(panel, 0x8009, 0);
    const std::vector<DrawCall> same = Draw(*ci);
    ASSERT_EQ(same.size(), calls.size());
    for (std::size_t i = 0; i < same.size(); ++i)
        EXPECT_EQ(same[i].values, calls[i].values);

    // Without parallel normals the grid lies on the sphere of radius 10.
    Set(panel, 0x800b, 0);
    for (const DrawCall &c : Draw(*ci)) {
        if (c.op != "quad")
            continue;
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(Length(FromArray(&c.values[3 * k]) - P), 10.0, 1e-9);
    }
}

// ---- stereo --------------------------------------------------------------

TEST_F(Cameras, StereoToeInAtTheLimitAndJustBeyond) {
    // An unturned camera at the origin with eyes 0.5 apart; the object 5 from
    // the left eye, off its axis.
    host.scene().setPosition(cam, 0, 0, 0);
    host.scene().setRotation(cam, 0, 0, 0);
    host.scene().setCamera(cam, CamProp::Separation, 0.5);
    host.scene().setCamera(cam, CamProp::FStop, 1e9); // practically a pinhole
    const LWItemID ball = host.scene().addObject("Ball");
    host.scene().setPosition(ball, 2.75, 0.0, 4.0);
    auto ci = Make("VantorStereoCam");
    const LWXPanelID panel = Panel(*ci);
    Set(panel, 0x8002, 1);
    const LWVParmID limit = Env(panel, 0x8005);
    const double W = ci->access().filmSize[0];

    host.envelopes().setValue(limit, 5.0);
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->newFrame(0), "");
    LWCameraRay left{}, right{};
    ASSERT_EQ(ci->evaluate(-W / 4, 0, 0, 0, 0, &left), 1);
    ExpectNear(FromArray(left.rayPos), {-0.25, 0, 0}, 1e-15);
    ExpectNear(FromArray(left.rayDir), {0.6, 0.0, 0.8}, 1e-12);
    // the right eye is nearer (4.6): it turns too
    ASSERT_EQ(ci->evaluate(W / 4, 0, 0, 0, 0, &right), 1);
    EXPECT_NEAR(Angle(FromArray(right.rayDir), V3{2.5, 0, 4}), 0.0, 1e-12);
    ExpectNear(FromArray(left.filmNorm), {0, 0, 1}, 0);

    host.envelopes().setValue(limit, 5.0 - 1e-9);
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->evaluate(-W / 4, 0, 0, 0, 0, &left), 1);
    ExpectNear(FromArray(left.rayDir), {0, 0, 1}, 1e-12);
    ASSERT_EQ(ci->evaluate(W / 4, 0, 0, 0, 0, &right), 1);
    EXPECT_NEAR(Angle(FromArray(right.rayDir), V3{2.5, 0, 4}), 0.0, 1e-12);

    // "(none)": parallel axes whatever the limit
    Set(panel, 0x8002, 0);
    host.envelopes().setValue(limit, 1e6);
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->newFrame(0), "");
    ASSERT_EQ(ci->evaluate(W / 4, 0, 0, 0, 0, &right), 1);
    ExpectNear(FromArray(right.rayDir), {0, 0, 1}, 1e-15);
    // a position past the object list names nothing either
    Set(panel, 0x8002, 5);
    ASSERT_EQ(ci->newFrame(0), "");
    ASSERT_EQ(ci->evaluate(W / 4, 0, 0, 0, 0, &right), 1);
    ExpectNear(FromArray(right.rayDir), {0, 0, 1}, 1e-15);
}

TEST_F(Cameras, StereoGizmoDrawsThePlaneAndTheEyes) {
    host.scene().setCamera(cam, CamProp::Separation, 0.2);
    host.scene().addObject("Other");
    const LWItemID ball = host.scene().addObject("Ball");
    host.scene().setPosition(ball, 0.5, 1.5, 6.0);
    auto ci = Make("VantorStereoCam");
    const LWXPanelID panel = Panel(*ci);
    Set(panel, 0x8002, 2);
    Set(panel, 0x8003, 1);
    EXPECT_TRUE(Draw(*ci).empty()); // no frame set up yet
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->newFrame(0), "");

    const std::vector<DrawCall> calls = Draw(*ci);
    const char *ops[] = {"setCSysItem", "setColor", "quad",   "setColor", "quad",
                         "setCSysItem", "circle",   "circle", "circle",   "circle"};
    ASSERT_EQ(calls.size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(calls[i].op, ops[i]) << i;
    EXPECT_EQ(calls[0].item, ball);
    ExpectColour(calls[1], 0.3f);
    ExpectColour(calls[3], 1.0f);
    EXPECT_EQ(calls[2].values, calls[4].values);
    EXPECT_EQ(calls[5].item, cam);

    Axes ax = host.scene().axes(cam, host.frameInfo(0).start);
    const V3 R = FromArray(ax.right), U = FromArray(ax.up);
    double p[3];
    host.scene().position(cam, host.frameInfo(0).start, p);
    const V3 P = FromArray(p), C = {0.5, 1.5, 6.0};
    const V3 corners[4] = {C + R + 0.5 * U, C - R + 0.5 * U, C - R - 0.5 * U, C + R - 0.5 * U};
    for (int k = 0; k < 4; ++k)
        ExpectNear(FromArray(&calls[2].values[3 * k]), corners[k], 1e-12, "corner");
    const V3 eyes[4] = {P - 0.1 * R, P + 0.1 * R, P - 0.1 * R, P + 0.1 * R};
    const double radii[4] = {0.03, 0.03, 0.01, 0.01};
    for (int k = 0; k < 4; ++k) {
        const DrawCall &c = calls[6 + k];
        ASSERT_EQ(c.values.size(), 4u);
        ExpectNear(FromArray(&c.values[0]), eyes[k], 1e-12, "eye");
        EXPECT_EQ(c.values[3], radii[k]);
        EXPECT_EQ(c.csys, LWCSYS_WORLD);
    }

    Set(panel, 0x8003, 0);
    EXPECT_TRUE(Draw(*ci).empty());
    Set(panel, 0x8003, 1);
    Set(panel, 0x8002, 0);
    ASSERT_EQ(ci->newFrame(0), ""); // the choice counts from the next frame set-up
    EXPECT_TRUE(Draw(*ci).empty());
}

// ---- skybox --------------------------------------------------------------

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

// ---- concurrency ----------------------------------------------------------

TEST_F(Cameras, ConcurrentEvaluationMatchesSingleThreaded) {
    // A moving, turning camera sampled at several motion steps, and a moving
    // convergence object.
    host.scene().setMotionKeys(cam, Motion::X, {{0.0, 0.0}, {1.0, 3.0}});
    host.scene().setMotionKeys(cam, Motion::Heading, {{0.0, 0.0}, {1.0, 1.2}});
    const LWItemID ball = host.scene().addObject("Ball");
    host.scene().setMotionKeys(ball, Motion::Z, {{0.0, 3.0}, {1.0, 9.0}});
    host.render().motionSteps = 5;
    host.render().shutter = 1.0;
    host.scene().setCamera(cam, CamProp::Separation, 0.3);
    for (const char *server : {"VantorFisheyeCam", "VantorStereoCam"}) {
        auto ci = Make(server);
        const LWXPanelID panel = Panel(*ci);
        if (std::string(server) == "VantorStereoCam") {
            Set(panel, 0x8002, 1);
            host.envelopes().setValue(Env(panel, 0x8005), 100.0);
        }
        ASSERT_EQ(ci->newTime(3, 0.1), "");
        ASSERT_EQ(ci->newFrame(3), "");
        const double W = ci->access().filmSize[0], H = ci->access().filmSize[1];
        struct Sample {
            double fx, fy, lx, ly, frac;
        };
        std::vector<Sample> samples;
        for (int i = 0; i < 400; ++i)
            samples.push_back({W * ((i * 37 % 101) / 100.0 - 0.5), H * ((i * 53 % 97) / 96.0 - 0.5),
                               (i % 7) / 3.5 - 1.0, (i % 5) / 2.5 - 1.0, (i % 11) / 10.0});
        std::vector<LWCameraRay> single(samples.size());
        std::vector<int> results(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const Sample &s = samples[i];
            results[i] = ci->evaluate(s.fx, s.fy, s.lx, s.ly, s.frac, &single[i]);
        }
        std::vector<std::thread> threads;
        std::vector<int> mismatches(4, 0);
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                for (int pass = 0; pass < 5; ++pass)
                    for (std::size_t k = 0; k < samples.size(); ++k) {
                        const std::size_t i = (k * (t + 1) + pass * 13) % samples.size();
                        const Sample &s = samples[i];
                        LWCameraRay r{};
                        const int rc = ci->evaluate(s.fx, s.fy, s.lx, s.ly, s.frac, &r);
                        if (rc != results[i] || (rc == 1 && !SameRay(r, single[i])))
                            ++mismatches[t];
                    }
            });
        for (std::thread &t : threads)
            t.join();
        for (int t = 0; t < 4; ++t)
            EXPECT_EQ(mismatches[t], 0) << server << " thread " << t;
        int rays = 0;
        for (int rc : results)
            rays += rc;
        EXPECT_GT(rays, 100) << server;
    }
}

TEST_F(Cameras, StereoConvergenceMovesWithTheExposureFraction) {
    // A still camera and a ball moving away along Z during the exposure: the
    // left eye's centre ray follows the ball at every fraction.
    host.scene().setPosition(cam, 0, 0, 0);
    host.scene().setRotation(cam, 0, 0, 0);
    host.scene().setCamera(cam, CamProp::Separation, 0.4);
    host.scene().setCamera(cam, CamProp::FStop, 1e9);
    const LWItemID ball = host.scene().addObject("Ball");
    host.scene().setMotionKeys(ball, Motion::X, {{0.0, 1.0}, {1.0, 1.0}});
    host.scene().setMotionKeys(ball, Motion::Z, {{0.0, 3.0}, {1.0, 9.0}});
    host.render().motionSteps = 4;
    auto ci = Make("VantorStereoCam");
    const LWXPanelID panel = Panel(*ci);
    Set(panel, 0x8002, 1);
    ASSERT_EQ(ci->newTime(3, 0.1), "");
    ASSERT_EQ(ci->newFrame(3), "");
    const LWFrameInfo &fi = ci->frameInfo();
    const double W = ci->access().filmSize[0];
    for (double f : {0.0, 0.2, 0.5, 0.9, 1.0}) {
        const double t = fi.start + f * fi.duration;
        LWCameraRay r{};
        ASSERT_EQ(ci->evaluate(-W / 4, 0, 0, 0, f, &r), 1);
        EXPECT_NEAR(Angle(FromArray(r.rayDir), V3{1.2, 0, 3.0 + 6.0 * t}), 0.0, 1e-12) << f;
    }
    // A fraction that is not a number takes the exposure's start.
    LWCameraRay start{}, nan{};
    ASSERT_EQ(ci->evaluate(-W / 4, 0, 0, 0, 0.0, &start), 1);
    ASSERT_EQ(ci->evaluate(-W / 4, 0, 0, 0, std::nan(""), &nan), 1);
    EXPECT_TRUE(SameRay(start, nan));
    // A copy holds no convergence until its next frame set-up.
    auto copy = Make("VantorStereoCam");
    ASSERT_EQ(copy->copyFrom(*ci), "");
    LWCameraRay parallel{};
    ASSERT_EQ(copy->evaluate(-W / 4, 0, 0, 0, 0.5, &parallel), 1);
    ExpectNear(FromArray(parallel.rayDir), {0, 0, 1}, 1e-15);
    ASSERT_EQ(copy->newFrame(3), "");
    ASSERT_EQ(copy->evaluate(-W / 4, 0, 0, 0, 0.0, &parallel), 1);
    EXPECT_TRUE(SameRay(parallel, start));
}

// The frame rendered again with the camera unchanged: an item picked or moved
// since the last frame call is where the eyes converge, not where the item
// (or the world origin, for no item) stood before.
TEST_F(Cameras, StereoConvergesOnTheItemOfTheLatestFrameCall) {
    host.scene().setPosition(cam, 2, 0, 0);
    host.scene().setRotation(cam, 0, 0, 0);
    host.scene().setCamera(cam, CamProp::Separation, 0.4);
    host.scene().setCamera(cam, CamProp::FStop, 1e9);
    const LWItemID a = host.scene().addObject("A");
    host.scene().setPosition(a, 2, 0, 5);
    const LWItemID b = host.scene().addObject("B");
    host.scene().setPosition(b, 3, 0, 4);
    host.render().motionSteps = 4;
    auto ci = Make("VantorStereoCam");
    const LWXPanelID panel = Panel(*ci);
    ASSERT_EQ(ci->newTime(3, 0.1), "");
    ASSERT_EQ(ci->newFrame(3), "");
    const double W = ci->access().filmSize[0];
    auto leftCentre = [&] {
        LWCameraRay r{};
        EXPECT_EQ(ci->evaluate(-W / 4, 0, 0, 0, 0.5, &r), 1);
        return r;
    };
    ExpectNear(FromArray(leftCentre().rayDir), {0, 0, 1}, 1e-15); // no item: parallel eyes
    const V3 leftEye{1.8, 0, 0};
    for (const auto &[choice, item] : {std::pair<int, LWItemID>{1, a}, {2, b}}) {
        Set(panel, 0x8002, choice);
        ASSERT_EQ(ci->newFrame(3), "");
        double p[3];
        host.scene().param(item, LWIP_W_POSITION, ci->frameInfo().start, p);
        const LWCameraRay r = leftCentre();
        EXPECT_NEAR(Angle(FromArray(r.rayDir), V3{p[0] - leftEye.x, p[1], p[2]}), 0.0, 1e-12) << choice;
    }
    host.scene().setPosition(b, 1, 0, 6);
    ASSERT_EQ(ci->newFrame(3), "");
    EXPECT_NEAR(Angle(FromArray(leftCentre().rayDir), V3{1 - leftEye.x, 0, 6}), 0.0, 1e-12);
}

// The Stereo film normal is the normalised forward row of the call's access
// record; the frame's own record's normal is kept from the frame set-up, so
// another record (even one differing only in the sign of a zero) must not get it.
TEST_F(Cameras, StereoFilmNormalFollowsTheCallsAccessRecord) {
    host.scene().setRotation(cam, 0.3, 0.0, 0.0);
    auto ci = Make("VantorStereoCam");
    ASSERT_EQ(ci->newTime(0, 0.0), "");
    ASSERT_EQ(ci->newFrame(0), "");
    const LWCameraAccess frame = ci->access();
    const V3 F = FromArray(frame.toWorld[2]);
    auto normalOf = [&](const LWCameraAccess &a) {
        LWCameraRay ray{};
        EXPECT_EQ(ci->handler().evaluate(ci->instance(), 0.001, 0.0, 0, 0, 0, &ray, &a), 1);
        return FromArray(ray.filmNorm);
    };
    ExpectNear(normalOf(frame), (1.0 / Length(F)) * F, 1e-15);

    LWCameraAccess other = frame;
    other.toWorld[2][0] = 0.0, other.toWorld[2][1] = 2.0, other.toWorld[2][2] = 0.0;
    ExpectNear(normalOf(other), {0, 1, 0}, 0);
    ExpectNear(normalOf(frame), (1.0 / Length(F)) * F, 1e-15); // back to the frame's record

    // Only the sign of a zero differs: the normal keeps that sign.
    host.scene().setRotation(cam, 0.0, 0.0, 0.0);
    ASSERT_EQ(ci->newFrame(1), "");
    LWCameraAccess flat = ci->access();
    ASSERT_EQ(flat.toWorld[2][0], 0.0);
    flat.toWorld[2][0] = std::signbit(flat.toWorld[2][0]) ? 0.0 : -0.0;
    LWCameraRay ray{};
    ASSERT_EQ(ci->handler().evaluate(ci->instance(), 0.001, 0.0, 0, 0, 0, &ray, &flat), 1);
    EXPECT_EQ(std::signbit(ray.filmNorm[0]), std::signbit(flat.toWorld[2][0]));
}

// Before any frame (and after a copy) there is no stored film: the cameras
// take film and pose from the access record of the call, as every other
// single-view camera does.
TEST_F(Cameras, EvaluateBeforeAnyFrameUsesTheAccessRecordOfTheCall) {
    LWCameraAccess access{};
    access.worldPos[1] = 5;
    access.toWorld[0][0] = -1; // turned around: right is -X, forward -Z
    access.toWorld[1][1] = 1;
    access.toWorld[2][2] = -1;
    access.filmSize[0] = 0.036;
    access.filmSize[1] = 0.024;
    for (const char *server : {"VantorFisheyeCam", "VantorStereoCam"}) {
        SCOPED_TRACE(server);
        auto ci = Make(server);
        // The centre of the fisheye, and of the left eye's half.
        const double x = std::string(server) == "VantorStereoCam" ? -0.009 : 0.0;
        LWCameraRay r{};
        ASSERT_EQ(ci->handler().evaluate(ci->instance(), x, 0, 0, 0, 0.3, &r, &access), 1);
        EXPECT_EQ(r.rayPos[1], 5);
        ExpectNear((1.0 / Length(FromArray(r.rayDir))) * FromArray(r.rayDir), {0, 0, -1}, 1e-12);

        ASSERT_EQ(ci->newTime(0, 0.0), "");
        ASSERT_EQ(ci->newFrame(0), "");
        auto copy = Make(server);
        ASSERT_EQ(copy->copyFrom(*ci), "");
        LWCameraRay c{};
        ASSERT_EQ(copy->handler().evaluate(copy->instance(), x, 0, 0, 0, 0.3, &c, &access), 1);
        EXPECT_EQ(c.rayPos[1], 5);
        ExpectNear((1.0 / Length(FromArray(c.rayDir))) * FromArray(c.rayDir), {0, 0, -1}, 1e-12);
    }
}

// Extreme but finite host lens settings: an f-stop so small that, with a
// long zoom, the lens radius overflows (the lens factor itself is finite),
// and a focus so far that the way to it overflows when squared. Every ray of
// the frame is then the one of the matching pinhole setting (f-stop 0, or
// focus 0), unit length, instead of no ray at all.
TEST_F(Cameras, ExtremeFStopAndFocusStillGiveEveryRay) {
    struct Setting {
        const char *what;
        CamProp prop;
        double value, pinhole;
    } settings[] = {{"f-stop 1e-307", CamProp::FStop, 1e-307, 0.0},
                    {"focus 1e155", CamProp::FocalDistance, 1e155, 0.0}};
    host.scene().setCamera(cam, CamProp::ZoomFactor, 3200.0);
    for (const char *server : {"VantorFisheyeCam", "VantorStereoCam"})
        for (const Setting &s : settings) {
            SCOPED_TRACE(std::string(server) + " " + s.what);
            host.scene().setCamera(cam, CamProp::FStop, 2.0);
            host.scene().setCamera(cam, CamProp::FocalDistance, 6.0);
            auto ci = Make(server);
            ASSERT_EQ(ci->newTime(0, 0.0), "");
            for (double x : {-0.011, 0.0, 0.007})
                for (double y : {-0.005, 0.0003})
                    for (double a : {0.0, 0.6}) {
                        host.scene().setCamera(cam, s.prop, s.pinhole);
                        ASSERT_EQ(ci->newFrame(0), "");
                        LWCameraRay want{};
                        ASSERT_EQ(ci->evaluate(x, y, a, -0.5 * a, 0.25, &want), 1);
                        host.scene().setCamera(cam, s.prop, s.value);
                        ASSERT_EQ(ci->newFrame(0), "");
                        LWCameraRay got{};
                        ASSERT_EQ(ci->evaluate(x, y, a, -0.5 * a, 0.25, &got), 1) << x << " " << y << " " << a;
                        EXPECT_NEAR(Length(FromArray(got.rayDir)), 1.0, 1e-15);
                        EXPECT_TRUE(SameRay(got, want)) << x << " " << y << " " << a;
                    }
        }
}
