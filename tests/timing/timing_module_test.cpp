// The built timing_camera module in the stand-in host beside Vantor_Lentara:
// descriptor and servers, activation, the one-at-a-time rule, measuring a
// camera of the collection through the evaluation service, the results panel
// and its texts, the panels' tables, and the scene block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "composite/delegation.h" // kMaxTileNesting
#include "standin/host.h"
#include "tests/support/module_records.h"

namespace {

using namespace standin;

const char kServer[] = "PerformanceCamera";
const char kOnlyOne[] = "Only one Performance Camera allowed in a scene";

class Timing : public ::testing::Test {
protected:
    Timing() : timing(host.loadModule(TIMING_MODULE_PATH)), lentara(host.loadModule(LENTARA_MODULE_PATH)) {}

    void SetUp() override {
        ASSERT_TRUE(timing.ok()) << timing.error();
        ASSERT_TRUE(lentara.ok()) << lentara.error();
        carrier = host.scene().addCamera("Carrier");
        measured = host.scene().addCamera("Measured");
        other = host.scene().addCamera("Other");
        host.scene().setPosition(measured, 1.0, 2.0, 3.0);
        host.scene().setRotation(measured, 0.3, -0.2, 0.0);
        ASSERT_NE(host.setCameraType(measured, lentara, "VantorPanoramicCam"), nullptr) << host.lastError();
    }

    CameraInstance *Apply(LWItemID item) { return host.setCameraType(item, timing, kServer); }
    LWXPanelID Panel(CameraInstance *cam) {
        LWInterface ui{};
        EXPECT_EQ(cam->activateInterface(ui), AFUNC_OK);
        return ui.panel;
    }
    int Pick(LWXPanelID panel, int value) { return host.panels().set(panel, 0x8006, &value); }
    int Choice(LWXPanelID panel) {
        void *v = host.panels().get(panel, 0x8006);
        return v ? *static_cast<int *>(v) : -999;
    }
    void StartFrame(CameraInstance *cam, int frame = 0) {
        cam->newTime(frame, host.frameInfo(frame).start);
        cam->newFrame(frame);
    }
    int Eval(CameraInstance *cam, double fx, double fy, LWCameraRay *out = nullptr) {
        LWCameraRay r{};
        const int rc = cam->evaluate(fx, fy, 0.0, 0.0, 0.5, &r);
        if (out) *out = r;
        return rc;
    }
    // Renders `perFrame[i]` evaluations in frame i, then cleans up.
    void Render(CameraInstance *cam, const std::vector<int> &perFrame) {
        cam->initRender(LWINIT_RENDER);
        for (std::size_t f = 0; f < perFrame.size(); ++f) {
            StartFrame(cam, static_cast<int>(f));
            for (int i = 0; i < perFrame[f]; ++i) Eval(cam, 0.001 * (i % 17), -0.0005 * (i % 13));
        }
        cam->cleanUp();
    }
    // The newest live panel that has the results panel's "Number of Calls".
    LWXPanelID ResultsPanel() {
        LWXPanelID found = nullptr;
        for (LWXPanelID p : host.panels().panels()) {
            const PanelControl *c = host.panels().control(p, 0x8007);
            if (c && c->label == "Number of Calls") found = p;
        }
        return found;
    }
    std::string Text(LWXPanelID panel, unsigned int vid) {
        void *v = host.panels().get(panel, vid);
        return v ? static_cast<const char *>(v) : "<null>";
    }
    // The ray of the measured camera itself through an evaluator of the test.
    LWCameraRay Direct(double fx, double fy) {
        LWCameraEvaluationFuncs *ev = host.evaluationFuncs();
        LWCameraEvaluatorID e = ev->create(measured);
        ev->init(e, LWINIT_RENDER);
        ev->newTime(e, 0, host.frameInfo(0).start);
        ev->newFrame(e);
        LWCameraRay r{};
        EXPECT_EQ(ev->evaluate(e, fx, fy, 0.0, 0.0, 0.5, &r), LWCAMTYPEEVAL_RAY);
        ev->cleanUp(e);
        ev->destroy(e);
        return r;
    }

    // The log of the one evaluator still alive (the picked camera's).
    EvaluatorLog LiveLog() {
        EvaluatorLog found;
        int live = 0;
        for (const EvaluatorLog &log : host.evaluatorLogs())
            if (!log.destroyed) {
                found = log;
                ++live;
            }
        EXPECT_EQ(live, 1);
        return found;
    }

    Host host;
    Module &timing;
    Module &lentara;
    LWItemID carrier = nullptr, measured = nullptr, other = nullptr;
};

TEST_F(Timing, DescriptorAndTwoServersWithoutGizmo) {
    const ModuleDescriptor *d = timing.descriptor();
    ASSERT_NE(d, nullptr);
    testsupport::ExpectDescriptorHeader(d);
    const std::vector<ServerInfo> &s = timing.servers();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].className, LWCAMERA_HCLASS);
    EXPECT_EQ(s[1].className, LWCAMERA_ICLASS);
    for (const ServerInfo &row : s) {
        EXPECT_EQ(row.name, kServer);
        EXPECT_EQ(row.tag(SRVTAG_USERNAME | LANGID_USENGLISH), "Performance Camera");
        EXPECT_EQ(row.tag(SRVTAG_USERNAME | LANGID_UKENGLISH), "Performance Camera");
        EXPECT_EQ(row.tags.size(), 2u);
    }
    EXPECT_EQ(timing.find(LWCAMERA_GCLASS, kServer), nullptr);
    // The collection loaded into the same process keeps its own table.
    EXPECT_EQ(lentara.servers().size(), 39u);
    EXPECT_EQ(lentara.find(LWCAMERA_HCLASS, kServer), nullptr);
    auto *data = static_cast<const char *const *>(timing.serverData());
    ASSERT_NE(data, nullptr);
    ASSERT_NE(data[0], nullptr); // the notice text
    EXPECT_NE(std::string(data[0]), "");
}

TEST_F(Timing, DescribeAndFlags) {
    CameraInstance *cam = Apply(carrier);
    ASSERT_NE(cam, nullptr) << host.lastError();
    EXPECT_EQ(cam->describe(), "PerformanceCamera Dec  2 2010 13:16:08");
    EXPECT_EQ(cam->flags(), 1u);
}

TEST_F(Timing, ActivationNeedsEveryServiceButTheEnvelopes) {
    for (const char *name : {LWCAMERAEVALUATIONFUNCS_GLOBAL, LWITEMINFO_GLOBAL, LWCAMERAINFO_GLOBAL,
                             LWTIMEINFO_GLOBAL, LWXPANELFUNCS_GLOBAL, LWMESSAGEFUNCS_GLOBAL}) {
        host.setServiceMissing(name);
        CameraInstance probe(host, timing, kServer, carrier);
        EXPECT_EQ(probe.activationResult(), AFUNC_BADGLOBAL) << name;
        EXPECT_FALSE(probe.ok()) << name;
        host.setServiceMissing(name, false);
    }
    host.setServiceMissing(LWVPARMFUNCS_GLOBAL);
    CameraInstance cam(host, timing, kServer, carrier);
    EXPECT_EQ(cam.activationResult(), AFUNC_OK);
    EXPECT_TRUE(cam.ok());
}

TEST_F(Timing, RenderNodeGetsNoExemption) {
    host.setRenderNode(1); // panels and messages are withheld there
    CameraInstance cam(host, timing, kServer, carrier);
    EXPECT_EQ(cam.activationResult(), AFUNC_BADGLOBAL);
    // With the services present on the node the camera works.
    host.setRenderNodeWithholds(false);
    CameraInstance again(host, timing, kServer, carrier);
    EXPECT_EQ(again.activationResult(), AFUNC_OK);
}

TEST_F(Timing, OnlyOneAtATimeAndRecreatedAfterDestroy) {
    CameraInstance *first = Apply(carrier);
    ASSERT_NE(first, nullptr) << host.lastError();
    EXPECT_EQ(Apply(other), nullptr);
    EXPECT_EQ(host.lastError(), kOnlyOne);
    // The collection's own composite cameras are not affected.
    EXPECT_NE(host.setCameraType(other, lentara, "VantorOverscanCam"), nullptr) << host.lastError();
    host.clearCameraType(carrier);
    EXPECT_NE(Apply(other), nullptr) << host.lastError();
    EXPECT_EQ(Apply(carrier), nullptr);
    EXPECT_EQ(host.lastError(), kOnlyOne);
}

TEST_F(Timing, NoCameraGivesNoRaysAndNoResults) {
    CameraInstance *cam = Apply(carrier);
    ASSERT_NE(cam, nullptr);
    LWXPanelID panel = Panel(cam);
    EXPECT_EQ(Choice(panel), 0);
    cam->initRender(LWINIT_RENDER);
    StartFrame(cam);
    LWCameraRay r{};
    r.rayPos[0] = 42.0;
    EXPECT_EQ(cam->evaluate(0, 0, 0, 0, 0, &r), LWCAMTYPEEVAL_NO_RAY);
    EXPECT_EQ(r.rayPos[0], 42.0); // untouched
    cam->cleanUp();
    EXPECT_EQ(host.panels().postCalls(), 0);
    EXPECT_EQ(ResultsPanel(), nullptr);
    EXPECT_EQ(host.evaluatorsCreated(), 0);

    // A pick past the end of the list stores "(none)" and behaves alike.
    EXPECT_EQ(Pick(panel, 9), 1);
    EXPECT_EQ(Choice(panel), 0);
    Render(cam, {10});
    EXPECT_EQ(host.panels().postCalls(), 0);
}

TEST_F(Timing, MeasuresThePickedCameraAndShowsTheLastFrame) {
    CameraInstance *cam = Apply(carrier);
    ASSERT_NE(cam, nullptr);
    LWXPanelID panel = Panel(cam);
    EXPECT_EQ(host.panels().popupChoices(panel, 0x8006),
              (std::vector<std::string>{"(none)", "Measured", "Other"}));
    EXPECT_EQ(Pick(panel, 1), 1);
    EXPECT_EQ(Choice(panel), 1);

    cam->initRender(LWINIT_RENDER);
    StartFrame(cam);
    // Rays are the measured camera's own, for the film point as given.
    for (double fx : {0.0, 0.01, -0.017}) {
        LWCameraRay got{};
        ASSERT_EQ(Eval(cam, fx, 0.004, &got), LWCAMTYPEEVAL_RAY);
        const LWCameraRay want = Direct(fx, 0.004);
        for (int i = 0; i < 3; ++i) {
            EXPECT_DOUBLE_EQ(got.rayPos[i], want.rayPos[i]);
            EXPECT_DOUBLE_EQ(got.rayDir[i], want.rayDir[i]);
        }
    }
    // A new frame starts the count afresh: the results show frame 1 only.
    StartFrame(cam, 1);
    for (int i = 0; i < 37; ++i) Eval(cam, 0.0, 0.0);
    EXPECT_EQ(host.panels().postCalls(), 0);
    cam->cleanUp();

    EXPECT_EQ(host.panels().postCalls(), 1);
    LWXPanelID results = ResultsPanel();
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(Text(results, 0x8007), "37");
    const std::string avg = Text(results, 0x8009);
    double a = 0;
    char unit[16] = {};
    ASSERT_EQ(std::sscanf(avg.c_str(), "%lf %15s", &a, unit), 2) << avg;
    EXPECT_STREQ(unit, "cycles");
    EXPECT_GT(a, 0.0);
    char total[64];
    std::snprintf(total, sizeof total, "%.0f cycles", 37 * a);
    // The text carries six decimals of the average, so allow the last digit.
    const double shownTotal = std::atof(Text(results, 0x8008).c_str());
    EXPECT_NEAR(shownTotal, 37 * a, 1.0) << total;

    // The picked camera's evaluator saw the whole protocol, clean-up last.
    const EvaluatorLog log = LiveLog();
    EXPECT_EQ(log.item, measured);
    EXPECT_EQ(log.calls.back(), "cleanUp");
    EXPECT_EQ(log.evaluations, 40);
}

TEST_F(Timing, ResultsPanelTablesAndHints) {
    CameraInstance *cam = Apply(carrier);
    LWXPanelID panel = Panel(cam);
    Pick(panel, 2);
    Render(cam, {5});
    LWXPanelID results = ResultsPanel();
    ASSERT_NE(results, nullptr);
    const PanelRecord *rec = host.panels().record(results);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->type, LWXP_VIEW);
    ASSERT_EQ(rec->controls.size(), 4u);
    EXPECT_EQ(rec->controls[0].label, "Logo");
    EXPECT_EQ(rec->controls[0].ctrlclass, "dThumbnail");
    EXPECT_EQ(rec->controls[1].label, "Number of Calls");
    EXPECT_EQ(rec->controls[2].label, "Total time");
    EXPECT_EQ(rec->controls[3].label, "Average time per call");
    for (unsigned int id : {0x8007u, 0x8008u, 0x8009u}) EXPECT_EQ(host.panels().datatype(results, id), "string");
    EXPECT_EQ(rec->instance, cam->instance());
    const std::vector<HintEntry> hints = host.panels().hintEntries(results);
    ASSERT_GE(hints.size(), 5u);
    EXPECT_EQ(hints[0].tag, XPTAG_DLOGTYPE);
    EXPECT_EQ(hints[0].args, (std::vector<std::uintptr_t>{4}));
    EXPECT_EQ(hints[1].tag, XPTAG_FOCUS);
    EXPECT_NE(host.panels().findHint(results, XPTAG_DIVADD, 0x8009), nullptr);
    Raster logo;
    EXPECT_TRUE(host.panels().draw(results, 0x8000, 300, 62, logo));
    // Setting a text does nothing and reports success.
    char junk[] = "junk";
    EXPECT_EQ(host.panels().set(results, 0x8007, junk), 1);
    EXPECT_EQ(Text(results, 0x8007), "5");
    EXPECT_EQ(Text(results, 0x8100), "<null>");

    // The next render's results replace this panel rather than pile up.
    Render(cam, {3});
    EXPECT_EQ(host.panels().postCalls(), 2);
    EXPECT_EQ(host.panels().record(results), nullptr);
    EXPECT_EQ(Text(ResultsPanel(), 0x8007), "3");
    // Destroying the camera takes its results panel with it.
    host.clearCameraType(carrier);
    EXPECT_EQ(ResultsPanel(), nullptr);
}

TEST_F(Timing, ParameterPanelTables) {
    CameraInstance *cam = Apply(carrier);
    LWXPanelID panel = Panel(cam);
    ASSERT_NE(panel, nullptr);
    const PanelRecord *rec = host.panels().record(panel);
    ASSERT_EQ(rec->controls.size(), 3u);
    EXPECT_EQ(rec->controls[0].cid, 0x8000u);
    EXPECT_EQ(rec->controls[1].cid, 0x8002u);
    EXPECT_EQ(rec->controls[1].label, "Version");
    EXPECT_EQ(rec->controls[2].cid, 0x8006u);
    EXPECT_EQ(rec->controls[2].label, "Camera to Test");
    EXPECT_EQ(rec->controls[2].ctrlclass, "iPopChoice");
    EXPECT_EQ(host.panels().datatype(panel, 0x8006), "integer");
    EXPECT_EQ(Text(panel, 0x8002), "v0.8 Dec  2 2010");
    EXPECT_EQ(host.panels().get(panel, 0x8007), nullptr);
    const std::vector<HintEntry> hints = host.panels().hintEntries(panel);
    ASSERT_GE(hints.size(), 6u);
    EXPECT_EQ(hints[0].tag, XPTAG_FOCUS);
    EXPECT_EQ(hints[1].tag, XPTAG_CTRLCFG);
    EXPECT_EQ(hints[2].tag, XPTAG_DRAWCBFUNC);
    EXPECT_EQ(hints[3].tag, XPTAG_POPFUNCS);
    EXPECT_EQ(hints[4].tag, XPTAG_DIVADD);
    EXPECT_EQ(hints[5].tag, XPTAG_ENABLE);
    // Other ids change nothing and still report 1.
    int v = 2;
    EXPECT_EQ(host.panels().set(panel, 0x8002, &v), 1);
    EXPECT_EQ(Choice(panel), 0);
}

TEST_F(Timing, ResultsOnlyWhenThisCameraSetUpAFrame) {
    CameraInstance *cam = Apply(carrier);
    Pick(Panel(cam), 1);
    // Evaluations without a frame of this camera set up: nothing to show,
    // but the picked camera is still cleaned up after its initialisation.
    cam->initRender(LWINIT_RENDER);
    cam->newTime(0, 0.0);
    EXPECT_EQ(Eval(cam, 0, 0), LWCAMTYPEEVAL_RAY);
    cam->cleanUp();
    EXPECT_EQ(host.panels().postCalls(), 0);
    ASSERT_FALSE(LiveLog().calls.empty());
    EXPECT_EQ(LiveLog().calls.back(), "cleanUp");
    // A frame with no evaluation: nothing measured, nothing shown.
    Render(cam, {0});
    EXPECT_EQ(host.panels().postCalls(), 0);
}

// Samples that are not handed on (input that is not finite) still count as
// calls; they give no ray and leave the ray record as it was.
TEST_F(Timing, CallsWithBadInputAreCountedAndGiveNoRay) {
    CameraInstance *cam = Apply(carrier);
    Pick(Panel(cam), 1);
    cam->initRender(LWINIT_RENDER);
    StartFrame(cam);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const double bad[][5] = {{nan, 0, 0, 0, 0.5}, {0, inf, 0, 0, 0.5}, {0, 0, -inf, 0, 0.5}, {0, 0, 0, 0, nan}};
    for (const auto &b : bad) {
        LWCameraRay r;
        std::memset(&r, 0x5a, sizeof r);
        const LWCameraRay before = r;
        EXPECT_EQ(cam->evaluate(b[0], b[1], b[2], b[3], b[4], &r), LWCAMTYPEEVAL_NO_RAY);
        EXPECT_EQ(std::memcmp(&r, &before, offsetof(LWCameraRay, filter)), 0);
    }
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Eval(cam, 0.001 * i, 0.0), LWCAMTYPEEVAL_RAY);
    cam->cleanUp();
    EXPECT_EQ(Text(ResultsPanel(), 0x8007), "10");
    EXPECT_EQ(LiveLog().evaluations, 6); // only the good ones reached the measured camera
}

// The Performance camera on Carrier measures Other, whose Overscan camera
// shows Carrier. The stand-in host's own depth limit is raised far above
// any chain, so what stops the cycle is the cameras' guard.
TEST_F(Timing, MeasuringACameraThatShowsThisOneStopsTheCycle) {
    host.setEvaluatorDepthLimit(64);
    CameraInstance *over = host.setCameraType(other, lentara, "VantorOverscanCam");
    ASSERT_NE(over, nullptr) << host.lastError();
    LWInterface ui{};
    ASSERT_EQ(over->activateInterface(ui), AFUNC_OK);
    int carrierChoice = 1; // the list of Other: "(none)", Carrier, Measured
    host.panels().set(ui.panel, 0x8007, &carrierChoice);
    CameraInstance *cam = Apply(carrier);
    Pick(Panel(cam), 2); // Other
    const std::size_t picked = host.evaluatorLogs().size();

    cam->initRender(LWINIT_RENDER);
    std::vector<EvaluatorLog> logs = host.evaluatorLogs();
    ASSERT_EQ(logs.size(), picked + 2);
    EXPECT_EQ(logs[picked].item, other);
    EXPECT_EQ(logs[picked + 1].item, carrier);
    for (std::size_t k = picked; k < logs.size(); ++k)
        EXPECT_EQ(logs[k].calls, (std::vector<std::string>{"create", "init"}));

    StartFrame(cam);
    LWCameraRay r;
    std::memset(&r, 0x5a, sizeof r);
    const LWCameraRay before = r;
    EXPECT_EQ(cam->evaluate(0.001, 0.002, 0, 0, 0.5, &r), LWCAMTYPEEVAL_NO_RAY);
    EXPECT_EQ(std::memcmp(&r, &before, offsetof(LWCameraRay, filter)), 0);
    // Each module counts the nesting of its own cameras, and the two take
    // turns: both stop at their limit.
    long long evaluations = 0;
    for (const EvaluatorLog &log : host.evaluatorLogs()) evaluations += log.evaluations;
    EXPECT_EQ(evaluations, 2 * static_cast<long long>(lentara::kMaxTileNesting));

    // Clean-up shows the results once and reaches each evaluator once.
    cam->cleanUp();
    EXPECT_EQ(host.panels().postCalls(), 1);
    logs = host.evaluatorLogs();
    for (std::size_t k = picked; k < logs.size(); ++k) {
        EXPECT_EQ(logs[k].calls.back(), "cleanUp");
        EXPECT_EQ(std::count(logs[k].calls.begin(), logs[k].calls.end(), "cleanUp"), 1);
        EXPECT_EQ(std::count(logs[k].calls.begin(), logs[k].calls.end(), "newFrame"), 1);
    }
}

TEST_F(Timing, SummedTicksPastTwoMillionKeepTotalEqualToCountTimesAverage) {
    CameraInstance *cam = Apply(carrier);
    Pick(Panel(cam), 1);
    Render(cam, {30000}); // tens of millions of ticks in all
    LWXPanelID results = ResultsPanel();
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(Text(results, 0x8007), "30000");
    const double a = std::atof(Text(results, 0x8009).c_str());
    EXPECT_GT(a, 0.0);
    EXPECT_NEAR(std::atof(Text(results, 0x8008).c_str()), 30000 * a, 30000 * 5e-7 + 1.0);
}

TEST_F(Timing, ConcurrentEvaluationCountsEveryCall) {
    CameraInstance *cam = Apply(carrier);
    Pick(Panel(cam), 1);
    cam->initRender(LWINIT_RENDER);
    StartFrame(cam);
    const LWCameraRay want = Direct(0.003, -0.002);
    constexpr int kThreads = 4, kPerThread = 2500;
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int k = 0; k < kThreads; ++k)
        threads.emplace_back([&, k] {
            for (int i = 0; i < kPerThread; ++i) {
                LWCameraRay r{};
                if (cam->evaluate(0.003, -0.002, 0, 0, 0.5, &r) != LWCAMTYPEEVAL_RAY ||
                    r.rayDir[0] != want.rayDir[0] || r.rayDir[2] != want.rayDir[2])
                    ++mismatches[k];
            }
        });
    for (auto &t : threads) t.join();
    cam->cleanUp();
    for (int k = 0; k < kThreads; ++k) EXPECT_EQ(mismatches[k], 0);
    EXPECT_EQ(Text(ResultsPanel(), 0x8007), std::to_string(kThreads * kPerThread));
}

TEST_F(Timing, SceneBlockHoldsOnlyTheChoiceAndLoadingResolvesNothing) {
    CameraInstance *cam = Apply(carrier);
    Pick(Panel(cam), 2);
    MemorySaveState text(LWIO_ASCII);
    EXPECT_EQ(cam->save(text), "");
    EXPECT_EQ(text.lines(), (std::vector<std::string>{"2"}));
    MemorySaveState binary(LWIO_BINARY);
    cam->save(binary);
    EXPECT_EQ(binary.bytes(), std::string("\0\0\0\2", 4));
    host.clearCameraType(carrier);

    const int created = host.evaluatorsCreated();
    cam = Apply(carrier);
    ASSERT_NE(cam, nullptr) << host.lastError();
    MemoryLoadState in(std::string("1\n"), LWIO_ASCII);
    EXPECT_EQ(cam->load(in), "");
    EXPECT_EQ(host.evaluatorsCreated(), created);
    EXPECT_EQ(Choice(Panel(cam)), 1);
    StartFrame(cam);
    EXPECT_EQ(Eval(cam, 0, 0), LWCAMTYPEEVAL_NO_RAY); // resolved at render initialisation
    cam->initRender(LWINIT_RENDER);
    StartFrame(cam);
    EXPECT_EQ(Eval(cam, 0, 0), LWCAMTYPEEVAL_RAY);
    EXPECT_EQ(host.evaluatorLogs().back().item, measured);

    // An empty block leaves the choice as it was.
    MemoryLoadState empty(std::string(), LWIO_ASCII);
    EXPECT_EQ(cam->load(empty), "");
    EXPECT_EQ(Choice(Panel(cam)), 1);
}

} // namespace
