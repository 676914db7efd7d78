// The composite machinery through the built module in the stand-in host:
// registration, activation, camera lists, evaluator life and call order,
// tile dispatch and hand-over, one-at-a-time rules, scene blocks of the grid
// cameras, and composites that show each other.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "composite/delegation.h" // kMaxTileNesting
#include "tests/support/composite_fixture.h"

using namespace testsupport;

namespace {

TEST_F(Composite, ServerRowsInTableOrder) {
    std::vector<std::string> names;
    for (const ServerInfo &s : module.servers()) names.push_back(s.name);
    ASSERT_GE(names.size(), 12u);
    const char *first[] = {kMulti, kFourUp, kTwelveUp};
    const char *user[] = {"Vantor Dual Camera", "Vantor 4Up Camera", "Vantor 12Up Camera"};
    for (int row = 0; row < 3; ++row)
        for (int k = 0; k < 3; ++k) {
            const ServerInfo &s = module.servers()[row * 3 + k];
            EXPECT_EQ(s.name, first[row]);
            EXPECT_EQ(s.userName(), user[row]);
            EXPECT_EQ(s.tag(SRVTAG_USERNAME | LANGID_UKENGLISH), user[row]);
        }
    EXPECT_EQ(module.servers()[0].className, LWCAMERA_HCLASS);
    EXPECT_EQ(module.servers()[1].className, LWCAMERA_ICLASS);
    EXPECT_EQ(module.servers()[2].className, LWCAMERA_GCLASS);
    // The Overscan camera is the last row.
    for (std::size_t k = names.size() - 3; k < names.size(); ++k) {
        EXPECT_EQ(names[k], kOverscan);
        EXPECT_EQ(module.servers()[k].userName(), "Vantor Overscan Camera");
    }
}

TEST_F(Composite, ActivationRequiresTheEvaluationServiceExceptForOverscan) {
    host.setServiceMissing(LWCAMERAEVALUATIONFUNCS_GLOBAL);
    for (const char *s : {kMulti, kFourUp, kTwelveUp}) {
        CameraInstance probe(host, module, s, cams[0]);
        EXPECT_EQ(probe.activationResult(), AFUNC_BADGLOBAL) << s;
    }
    {
        // Overscan fetches it without requiring it, and then has no camera.
        CameraInstance *o = Apply(cams[0], kOverscan);
        ASSERT_NE(o, nullptr);
        LWXPanelID p = Panel(o);
        EXPECT_EQ(Pick(p, 0x8007, 1), 1);
        EXPECT_EQ(Choice(p, 0x8007), 1); // kept: saved back as picked
        StartFrame(o);
        EXPECT_EQ(Eval(o, 0, 0), 0);
        EXPECT_EQ(host.evaluatorsCreated(), 0);
        host.clearCameraType(cams[0]);
    }
    host.setServiceMissing(LWCAMERAEVALUATIONFUNCS_GLOBAL, false);

    // The grid cameras do not need the envelope service; Overscan does.
    host.setServiceMissing(LWVPARMFUNCS_GLOBAL);
    {
        CameraInstance dual(host, module, kMulti, cams[0]);
        EXPECT_EQ(dual.activationResult(), AFUNC_OK);
    }
    CameraInstance over(host, module, kOverscan, cams[0]);
    EXPECT_EQ(over.activationResult(), AFUNC_BADGLOBAL);
}

TEST_F(Composite, CameraListWithTheCarrierFirstBetweenAndLast) {
    host.removeItem(cams[3]); // scene A, B, C
    const Names expected[3] = {{"(none)", "B", "C"}, {"(none)", "A", "C"}, {"(none)", "A", "B"}};
    for (int carrier = 0; carrier < 3; ++carrier) {
        CameraInstance *cam = Apply(cams[carrier], kFourUp);
        ASSERT_NE(cam, nullptr) << host.lastError();
        LWXPanelID p = Panel(cam);
        for (unsigned int cid = 0x8006; cid <= 0x8009; ++cid)
            EXPECT_EQ(host.panels().popupChoices(p, cid), expected[carrier]);
        host.clearCameraType(cams[carrier]);
    }
    // Carrier B: choice 2 is C, choice 3 names nothing and is reset to 0.
    CameraInstance *cam = Apply(cams[1], kMulti);
    LWXPanelID p = Panel(cam);
    EXPECT_EQ(Pick(p, 0x8006, 2), 1);
    EXPECT_EQ(Choice(p, 0x8006), 2);
    ASSERT_EQ(Logs().size(), 1u);
    EXPECT_EQ(Logs()[0].item, cams[2]);
    EXPECT_EQ(Pick(p, 0x8007, 3), 1);
    EXPECT_EQ(Choice(p, 0x8007), 0);
    EXPECT_EQ(host.evaluatorsCreated(), 1);
    EXPECT_EQ(Pick(p, 0x9999, 1), 1); // unknown ids change nothing
}

TEST_F(Composite, OnlyCarrierInTheSceneGivesEmptyTiles) {
    for (int i = 1; i < 4; ++i) host.removeItem(cams[i]);
    CameraInstance *cam = Apply(cams[0], kTwelveUp);
    LWXPanelID p = Panel(cam);
    EXPECT_EQ(host.panels().popupChoices(p, 0x8011), (Names{"(none)"}));
    StartFrame(cam);
    for (double fx : {-W / 2, 0.0, W / 2})
        for (double fy : {-H / 2, 0.0, H / 2}) EXPECT_EQ(Eval(cam, fx, fy), 0);
}

TEST_F(Composite, PicksCreateAndDestroyEvaluators) {
    CameraInstance *cam = Apply(cams[0], kFourUp);
    LWXPanelID p = Panel(cam);
    Pick(p, 0x8006, 1); // B
    Pick(p, 0x8006, 2); // C: B's evaluator goes
    Pick(p, 0x8009, 3); // D
    EXPECT_EQ(host.liveEvaluators(), 2);
    Pick(p, 0x8006, 0); // "(none)"
    EXPECT_EQ(host.liveEvaluators(), 1);
    EXPECT_EQ(Choice(p, 0x8006), 0);
    const auto logs = Logs();
    ASSERT_EQ(logs.size(), 3u);
    EXPECT_EQ(logs[0].calls, (Names{"create", "destroy"}));
    EXPECT_EQ(logs[1].calls, (Names{"create", "destroy"}));
    EXPECT_EQ(logs[2].calls, (Names{"create"})); // a pick does not initialise
    host.clearCameraType(cams[0]);
    EXPECT_EQ(host.liveEvaluators(), 0);
}

TEST_F(Composite, RenderProtocolCallOrderOverTheTiles) {
    CameraInstance *cam = Apply(cams[0], kFourUp);
    LWXPanelID p = Panel(cam);
    Pick(p, 0x8007, 1); // tile 1: B, made by the pick
    Pick(p, 0x8009, 2); // tile 3: C
    cam->initRender(LWINIT_RENDER);
    cam->newTime(3, 0.1);
    cam->newFrame(3);
    Ray r;
    EXPECT_EQ(Eval(cam, W / 4, -H / 4, &r), 1);
    LWDMatrix4 m{};
    cam->preview(0, 0, m);
    cam->cleanUp();
    host.clearCameraType(cams[0]);

    const auto logs = Logs();
    ASSERT_EQ(logs.size(), 4u);
    // Render initialisation replaces the picks' evaluators with fresh ones.
    EXPECT_EQ(logs[0].calls, (Names{"create", "destroy"}));
    EXPECT_EQ(logs[1].calls, (Names{"create", "destroy"}));
    EXPECT_EQ(logs[2].item, cams[1]);
    EXPECT_EQ(logs[2].calls,
              (Names{"create", "init", "newTime", "newTime", "newFrame", "evaluate", "preview", "cleanUp", "destroy"}));
    EXPECT_EQ(logs[3].item, cams[2]);
    EXPECT_EQ(logs[3].calls,
              (Names{"create", "init", "newTime", "newTime", "newFrame", "preview", "cleanUp", "destroy"}));
    EXPECT_EQ(host.liveEvaluators(), 0);
}

TEST_F(Composite, InitRenderFollowsTheStoredPosition) {
    // Adding a camera ahead of the picked one changes what the choice names.
    CameraInstance *cam = Apply(cams[3], kMulti);
    LWXPanelID p = Panel(cam);
    Pick(p, 0x8006, 2); // B
    LWItemID early = host.scene().addCamera("Early");
    host.scene().moveItem(early, 0);
    StartFrame(cam);
    EXPECT_EQ(Logs().back().item, cams[0]); // now the second camera is A
    Ray r, expect = Direct(cams[0], 0.25 * W, 0);
    EXPECT_EQ(Eval(cam, 0, 0, &r), 1);
    ExpectSameRay(r, expect);
}

TEST_F(Composite, FourUpAndTwelveUpTileCentresShowTheirCamerasForward) {
    CameraInstance *cam = Apply(cams[0], kFourUp);
    LWXPanelID p = Panel(cam);
    for (int t = 0; t < 4; ++t) Pick(p, 0x8006 + t, 1 + t % 3);
    StartFrame(cam);
    const double centres[4][2] = {{-W / 4, -H / 4}, {W / 4, -H / 4}, {-W / 4, H / 4}, {W / 4, H / 4}};
    for (int t = 0; t < 4; ++t) {
        Ray r;
        ASSERT_EQ(Eval(cam, centres[t][0], centres[t][1], &r), 1);
        ExpectSameRay(r, Direct(cams[1 + t % 3], 0, 0));
    }
    Ray r;
    Eval(cam, 0, 0, &r); // the centre belongs to tile 1-1 (camera B)
    ExpectSameRay(r, Direct(cams[1], 0.25 * W, 0.25 * H));
    host.clearCameraType(cams[0]);

    cam = Apply(cams[0], kTwelveUp);
    ASSERT_NE(cam, nullptr) << host.lastError();
    p = Panel(cam);
    for (int t = 0; t < 12; ++t) Pick(p, 0x8006 + t, 1 + t % 3);
    StartFrame(cam);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) {
            const int t = row * 4 + col;
            const double fx = -W / 2 + (col + 0.5) * W / 4, fy = -H / 2 + (row + 0.5) * H / 3;
            ASSERT_EQ(Eval(cam, fx, fy, &r), 1);
            const Ray expect = Direct(cams[1 + t % 3], 0, 0);
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(r.dir[i], expect.dir[i], 1e-9) << "tile " << t;
        }
    // (W/4, H/6) on both edges: column 3, row 2, i.e. tile 2-3 (6).
    const double sixth = H * (1.0 / 6.0);
    Eval(cam, W / 4, sixth, &r);
    ExpectSameRay(r, Direct(cams[1 + 6 % 3], W / 4 + W * (-0.125), sixth));
}

TEST_F(Composite, EmptyTilesAndBadInputGiveNoRay) {
    CameraInstance *cam = Apply(cams[0], kFourUp);
    LWXPanelID p = Panel(cam);
    Pick(p, 0x8009, 1); // only 2-2
    StartFrame(cam);
    EXPECT_EQ(Eval(cam, -W / 4, -H / 4), 0);
    EXPECT_EQ(Eval(cam, W / 4, H / 4), 1);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Eval(cam, nan, H / 4), 0);
    EXPECT_EQ(Eval(cam, W / 4, std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(Eval(cam, W / 4, H / 4, nullptr, nan, 0, 0), 0);
    EXPECT_EQ(Eval(cam, W / 4, H / 4, nullptr, 0, 0, nan), 0);
    // A zero film size on the carrier gives no ray either.
    host.scene().setCamera(cams[0], CamProp::FilmWidth, 0.0);
    cam->newFrame(0);
    EXPECT_EQ(Eval(cam, W / 4, H / 4), 0);
}

// Dual and Overscan read only the carrier's film width; a film height of
// zero blacks out a grid of more than one row only.
TEST_F(Composite, OnlyAGridOfRowsNeedsTheFilmHeight) {
    const std::vector<std::pair<const char *, std::vector<unsigned int>>> types = {
        {kMulti, {0x8006, 0x8007}}, {kOverscan, {0x8007}}, {kFourUp, {0x8006, 0x8007, 0x8008, 0x8009}}};
    for (const auto &[type, choices] : types) {
        SCOPED_TRACE(type);
        host.scene().setCamera(cams[0], CamProp::FilmHeight, H);
        CameraInstance *cam = Apply(cams[0], type);
        ASSERT_NE(cam, nullptr) << host.lastError();
        LWXPanelID p = Panel(cam);
        for (unsigned int id : choices) Pick(p, id, 1);
        StartFrame(cam);
        ASSERT_EQ(Eval(cam, W / 8, H / 8), 1);
        host.scene().setCamera(cams[0], CamProp::FilmHeight, 0.0);
        cam->newFrame(0);
        EXPECT_EQ(Eval(cam, W / 8, H / 8), std::string(type) == kFourUp ? 0 : 1);
        host.clearCameraType(cams[0]);
    }
}

TEST_F(Composite, PreviewComesFromTheHighestNumberedTile) {
    // A Panoramic camera leaves the matrix unfilled (0); a plain camera fills it (1).
    ASSERT_NE(Apply(cams[2], "VantorPanoramicCam"), nullptr);
    CameraInstance *cam = Apply(cams[0], kFourUp);
    LWXPanelID p = Panel(cam);
    LWDMatrix4 m{};
    m[1][2] = 5.0;
    EXPECT_EQ(cam->preview(0, 0, m), 0); // no tile camera: untouched
    EXPECT_EQ(m[1][2], 5.0);

    Pick(p, 0x8006, 1); // 1-1: B, plain
    Pick(p, 0x8008, 2); // 2-1: C, Panoramic
    EXPECT_EQ(cam->preview(0, 0, m), 0);
    Pick(p, 0x8006, 2);
    Pick(p, 0x8008, 1);
    EXPECT_EQ(cam->preview(0, 0, m), 1);
    Pick(p, 0x8008, 0); // only 1-1, the Panoramic camera
    EXPECT_EQ(cam->preview(0, 0, m), 0);
}

TEST_F(Composite, OneGridCameraAtATimeAndCopyRefused) {
    CameraInstance *dual = Apply(cams[0], kMulti);
    ASSERT_NE(dual, nullptr);
    for (const char *s : {kMulti, kFourUp, kTwelveUp}) {
        EXPECT_EQ(Apply(cams[1], s), nullptr) << s;
        EXPECT_EQ(host.lastError(), kOnlyOneGrid);
    }
    EXPECT_EQ(dual->copyFrom(*dual), kOnlyOneGrid);
    // One Overscan camera may sit beside it, but only one.
    CameraInstance *over = Apply(cams[2], kOverscan);
    ASSERT_NE(over, nullptr) << host.lastError();
    EXPECT_EQ(Apply(cams[3], kOverscan), nullptr);
    EXPECT_EQ(host.lastError(), kOnlyOneOverscan);

    host.clearCameraType(cams[0]);
    EXPECT_NE(Apply(cams[1], kTwelveUp), nullptr) << host.lastError();
    host.clearCameraType(cams[2]);
    EXPECT_NE(Apply(cams[3], kOverscan), nullptr) << host.lastError();
}

TEST_F(Composite, GridSceneBlocksHoldExactlyTheChoices) {
    CameraInstance *cam = Apply(cams[0], kTwelveUp);
    LWXPanelID p = Panel(cam);
    for (int t = 0; t < 12; ++t) Pick(p, 0x8006 + t, t % 4);
    MemorySaveState text(LWIO_ASCII);
    EXPECT_EQ(cam->save(text), "");
    EXPECT_EQ(text.lines(), (Names{"0", "1", "2", "3", "0", "1", "2", "3", "0", "1", "2", "3"}));
    host.clearCameraType(cams[0]);

    // Loading resolves nothing; a stored position past the end of the list
    // stays empty at render time and is saved again as it was.
    const int created = host.evaluatorsCreated();
    cam = Apply(cams[0], kFourUp);
    MemoryLoadState in(std::string("3\n7\nFFFFFFFF\n1\n"), LWIO_ASCII);
    EXPECT_EQ(cam->load(in), "");
    EXPECT_EQ(host.evaluatorsCreated(), created);
    p = Panel(cam);
    EXPECT_EQ(Choice(p, 0x8006), 3);
    EXPECT_EQ(Choice(p, 0x8008), -1);
    StartFrame(cam);
    EXPECT_EQ(host.liveEvaluators(), 2); // D and B
    EXPECT_EQ(Eval(cam, W / 4, -H / 4), 0);
    EXPECT_EQ(Eval(cam, -W / 4, H / 4), 0);
    MemorySaveState binary(LWIO_BINARY);
    cam->save(binary);
    EXPECT_EQ(binary.bytes(), std::string("\0\0\0\3\0\0\0\7\xFF\xFF\xFF\xFF\0\0\0\1", 16));
}

TEST_F(Composite, PopupAfterTheInstanceIsGoneReadsNoFreedInstance) {
    CameraInstance *cam = Apply(cams[0], kFourUp);
    LWXPanelID p = Panel(cam);
    // A host may keep calling a panel's popup callbacks after the instance is
    // gone (the stand-in host closes the panel, so call them directly).
    const standin::HintEntry *pop = host.panels().findHint(p, XPTAG_POPFUNCS, 0x8006);
    ASSERT_NE(pop, nullptr);
    ASSERT_EQ(pop->args.size(), 3u);
    auto *count = reinterpret_cast<LWXPanelPopCntFunc *>(pop->args[1]);
    auto *name = reinterpret_cast<LWXPanelPopNameFunc *>(pop->args[2]);
    void *stale = cam->instance();
    host.clearCameraType(cams[0]);
    // The list no longer knows a carrier.
    Names got;
    for (int i = 0, n = count(stale); i < n; ++i) got.push_back(name(stale, i));
    EXPECT_EQ(got, (Names{"(none)", "A", "B", "C", "D"}));
}

TEST_F(Composite, ConcurrentEvaluationGivesTheSingleThreadedRays) {
    ASSERT_NE(Apply(cams[1], "VantorPanoramicCam"), nullptr);
    CameraInstance *cam = Apply(cams[0], kTwelveUp);
    LWXPanelID p = Panel(cam);
    for (int t = 0; t < 12; ++t) Pick(p, 0x8006 + t, 1 + t % 3);
    StartFrame(cam);
    const int n = 40;
    auto run = [&](std::vector<Ray> &out) {
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                Ray r{};
                Eval(cam, (i + 0.5) / n * W - W / 2, (j + 0.5) / n * H - H / 2, &r, 0, 0, (i % 5) / 4.0);
                out.push_back(r);
            }
    };
    std::vector<Ray> single, a, b;
    run(single);
    std::thread ta([&] { run(a); }), tb([&] { run(b); });
    ta.join();
    tb.join();
    ASSERT_EQ(a.size(), single.size());
    for (std::size_t k = 0; k < single.size(); ++k)
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(a[k].dir[i], single[k].dir[i]);
            EXPECT_EQ(b[k].dir[i], single[k].dir[i]);
            EXPECT_EQ(b[k].pos[i], single[k].pos[i]);
        }
}

// ---- exact hand-over, seen by a probe camera ------------------------------

class Probe : public Composite {
protected:
    void SetUp() override {
        Composite::SetUp();
        Module &probe = host.loadModule(LENTARA_PROBE_MODULE_PATH);
        ASSERT_TRUE(probe.ok()) << probe.error();
        ASSERT_NE(host.setCameraType(cams[1], probe, "LensProbe"), nullptr) << host.lastError();
    }
    // What the probe (choice 1 for carrier A) was handed: film x, y, fraction, lens x, y.
    struct Seen {
        double fx, fy, frac, lx, ly;
    };
    Seen Ask(CameraInstance *cam, double fx, double fy, double lx, double ly, double frac) {
        LWCameraRay r{};
        EXPECT_EQ(cam->evaluate(fx, fy, lx, ly, frac, &r), 1);
        return {r.rayPos[0], r.rayPos[1], r.rayPos[2], r.rayDir[0], r.rayDir[1]};
    }
};

TEST_F(Probe, GridCamerasHandOnExactlyTheRemappedFilmPosition) {
    CameraInstance *cam = Apply(cams[0], kMulti);
    LWXPanelID p = Panel(cam);
    Pick(p, 0x8006, 1);
    Pick(p, 0x8007, 1);
    StartFrame(cam);
    Seen s = Ask(cam, 0.0, 0.005, 0.3, -0.4, 0.7);
    EXPECT_EQ(s.fx, 0.25 * W);
    EXPECT_EQ(s.fy, 0.005);
    EXPECT_EQ(s.lx, 0.3); // lens and fraction as received
    EXPECT_EQ(s.ly, -0.4);
    EXPECT_EQ(s.frac, 0.7);
    s = Ask(cam, 0.01, -1.0, 0, 0, 0);
    EXPECT_EQ(s.fx, 0.01 - 0.25 * W);
    EXPECT_EQ(s.fy, -1.0);
    host.clearCameraType(cams[0]);

    cam = Apply(cams[0], kTwelveUp);
    p = Panel(cam);
    Pick(p, 0x8006 + 6, 1); // tile 2-3
    Pick(p, 0x8006 + 11, 1); // tile 3-4
    StartFrame(cam);
    const double sixth = H * (1.0 / 6.0);
    s = Ask(cam, W / 4, sixth, 0.5, 0.5, 0.25);
    EXPECT_EQ(s.fx, W / 4 + W * (-0.125));
    EXPECT_EQ(s.fy, sixth);
    s = Ask(cam, W / 2, H / 2, 0, 0, 0);
    EXPECT_EQ(s.fx, W / 2 + W * (-0.375));
    EXPECT_EQ(s.fy, H / 2 + H * (-1.0 / 3.0));
}

TEST_F(Probe, OverscanWidensFilmAndLensAndScalesThePreviewLens) {
    CameraInstance *cam = Apply(cams[0], kOverscan);
    LWXPanelID p = Panel(cam);
    Pick(p, 0x8007, 1);
    LWChanGroupID group = host.scene().chanGroup(cams[0]);
    host.envelopes().setValue(host.envelopes().find(group, "Overscan"), 0.1);
    host.envelopes().setValue(host.envelopes().find(group, "Horizontal Jitter"), 0.2);
    host.envelopes().setValue(host.envelopes().find(group, "Vertical Jitter"), -0.3);
    StartFrame(cam);
    const double k = 1.0 + 0.1, q = W * 0.25;
    const Seen s = Ask(cam, 0.004, -0.002, 0.5, -0.25, 0.6);
    EXPECT_EQ(s.fx, k * (0.004 + 0.2 * q));
    EXPECT_EQ(s.fy, k * (-0.002 + -0.3 * q));
    EXPECT_EQ(s.lx, k * 0.5);
    EXPECT_EQ(s.ly, k * -0.25);
    EXPECT_EQ(s.frac, 0.6);

    LWDMatrix4 m{};
    EXPECT_EQ(cam->preview(0.2, -0.4, m), 1);
    EXPECT_EQ(m[0][0], k * 0.2);
    EXPECT_EQ(m[0][1], k * -0.4);
}

// ---- composite cameras showing each other -------------------------------

// A Dual camera on A whose left side shows B, and an Overscan camera on B
// showing A. The stand-in host refuses calls nested deeper than its limit;
// here that limit is far above any chain, so what stops the cycle is the
// cameras' own guard.
class Cycle : public Composite {
protected:
    void SetUp() override {
        Composite::SetUp();
        host.setEvaluatorDepthLimit(kHostDepth);
        dual = Apply(cams[0], kMulti);
        over = Apply(cams[1], kOverscan);
        ASSERT_TRUE(dual && over) << host.lastError();
        Pick(Panel(dual), 0x8006, 1);  // left: B
        Pick(Panel(over), 0x8007, 1);  // A
        picked = host.evaluatorsCreated();
    }
    // The evaluators made after the panel picks, in creation order.
    std::vector<EvaluatorLog> RenderLogs() {
        const auto logs = Logs();
        return std::vector<EvaluatorLog>(logs.begin() + picked, logs.end());
    }
    // The calls an evaluator made after the picks got since `before` of them.
    static Names CallsSince(const EvaluatorLog &log, std::size_t before) {
        return Names(log.calls.begin() + static_cast<std::ptrdiff_t>(before), log.calls.end());
    }
    static constexpr int kHostDepth = 64;
    CameraInstance *dual = nullptr, *over = nullptr;
    int picked = 0;
};

TEST_F(Cycle, RenderSetUpMakesOneEvaluatorPerTileAndDestroysNone) {
    dual->initRender(LWINIT_RENDER);
    // A's set-up makes B's evaluator and initialises it; that runs B's set-up,
    // which makes A's evaluator, whose init comes back to A and does nothing.
    const auto logs = RenderLogs();
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[0].item, cams[1]);
    EXPECT_EQ(logs[1].item, cams[0]);
    for (const EvaluatorLog &log : logs) EXPECT_EQ(log.calls, (Names{"create", "init"}));
    EXPECT_EQ(host.liveEvaluators(), 2); // the picks' evaluators were replaced
    // A second set-up replaces both, again one each.
    dual->initRender(LWINIT_RENDER);
    EXPECT_EQ(host.evaluatorsCreated(), picked + 4);
    EXPECT_EQ(host.liveEvaluators(), 2);
}

TEST_F(Cycle, PerFrameCallsReachEachEvaluatorOnce) {
    dual->initRender(LWINIT_RENDER);
    ASSERT_EQ(RenderLogs().size(), 2u);
    const auto mark = [&] {
        const auto logs = RenderLogs();
        return std::vector<std::size_t>{logs[0].calls.size(), logs[1].calls.size()};
    };
    const auto since = [&](const std::vector<std::size_t> &before) {
        const auto logs = RenderLogs();
        return std::vector<Names>{CallsSince(logs[0], before[0]), CallsSince(logs[1], before[1])};
    };

    auto before = mark();
    dual->newTime(2, 0.25);
    EXPECT_EQ(since(before), (std::vector<Names>{{"newTime"}, {"newTime"}}));

    // B's evaluator gets A's new time and new frame; A's evaluator gets B's
    // new time (run by the first of those) and then B's own two calls.
    before = mark();
    dual->newFrame(2);
    EXPECT_EQ(since(before), (std::vector<Names>{{"newTime", "newFrame"}, {"newTime", "newTime", "newFrame"}}));

    before = mark();
    LWDMatrix4 m{};
    m[2][1] = 3.5;
    EXPECT_EQ(dual->preview(0.1, 0.2, m), 0);
    EXPECT_EQ(m[2][1], 3.5); // nobody filled it
    EXPECT_EQ(since(before), (std::vector<Names>{{"preview"}, {"preview"}}));

    before = mark();
    dual->cleanUp();
    EXPECT_EQ(since(before), (std::vector<Names>{{"cleanUp"}, {"cleanUp"}}));
    EXPECT_EQ(host.liveEvaluators(), 2);
}

TEST_F(Cycle, EvaluateStopsAtTheModulesOwnNestingLimit) {
    // B's jitter moves the film point back by the quarter width that A's left
    // tile moved it on, so A and B ask each other for the same point without end.
    host.envelopes().setValue(host.envelopes().find(host.scene().chanGroup(cams[1]), "Horizontal Jitter"), -1.0);
    StartFrame(dual);
    const auto evaluations = [&] {
        long long n = 0;
        for (const EvaluatorLog &log : Logs()) n += log.evaluations;
        return n;
    };
    for (int ray = 1; ray <= 2; ++ray) {
        SCOPED_TRACE(ray);
        LWCameraRay r;
        std::memset(&r, 0x5a, sizeof r);
        const LWCameraRay before = r;
        EXPECT_EQ(dual->evaluate(-W / 4, 0.001, 0, 0, 0.5, &r), LWCAMTYPEEVAL_NO_RAY);
        // The host resets the filter before every camera call; position,
        // direction and film normal are the cameras' to write.
        EXPECT_EQ(std::memcmp(&r, &before, offsetof(LWCameraRay, filter)), 0) << "ray record written";
        // Each ray is handed on exactly as deep as the limit, and the depth
        // of one ray does not carry over to the next.
        EXPECT_EQ(evaluations(), ray * static_cast<long long>(lentara::kMaxTileNesting));
    }
    // The right side shows no camera.
    EXPECT_EQ(Eval(dual, W / 4, 0), 0);
    EXPECT_EQ(evaluations(), 2 * static_cast<long long>(lentara::kMaxTileNesting));
}

// A composite showing a composite showing a plain camera is no cycle: it
// renders as before, with the usual calls.
TEST_F(Composite, ChainOfCompositesStillRenders) {
    CameraInstance *dual = Apply(cams[0], kMulti);
    CameraInstance *over = Apply(cams[1], kOverscan);
    ASSERT_TRUE(dual && over) << host.lastError();
    Pick(Panel(dual), 0x8006, 1); // left: B
    Pick(Panel(over), 0x8007, 2); // C, a plain camera
    const int picked = host.evaluatorsCreated();
    StartFrame(dual);
    const auto logs = Logs();
    ASSERT_EQ(logs.size(), static_cast<std::size_t>(picked + 2));
    EXPECT_EQ(logs[picked].item, cams[1]);
    EXPECT_EQ(logs[picked].calls, (Names{"create", "init", "newTime", "newTime", "newFrame"}));
    EXPECT_EQ(logs[picked + 1].item, cams[2]);
    EXPECT_EQ(logs[picked + 1].calls,
              (Names{"create", "init", "newTime", "newTime", "newTime", "newFrame"}));
    for (double fy : {-H / 3, 0.0, 0.004}) {
        Ray r;
        ASSERT_EQ(Eval(dual, -W / 8, fy, &r), 1);
        ExpectSameRay(r, Direct(cams[2], -W / 8 + 0.25 * W, fy));
    }
    LWDMatrix4 m{};
    EXPECT_EQ(dual->preview(0, 0, m), 1);
}

} // namespace
