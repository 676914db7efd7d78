#include "standin/host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#ifndef _WIN32
#include <dlfcn.h>
#endif

using namespace standin;

namespace {

const double kPi = 3.14159265358979323846;

std::vector<std::string> calls(std::initializer_list<const char *> l) { return {l.begin(), l.end()}; }

// Expected pinhole ray of a camera at `pos` with heading h for film point (fx, fy).
void pinhole(double h, double fx, double fy, double dist, double out[3]) {
    Axes a = axesFromHPB(h, 0, 0);
    double len = 0;
    for (int i = 0; i < 3; ++i) {
        out[i] = fx * a.right[i] + fy * a.up[i] + dist * a.forward[i];
        len += out[i] * out[i];
    }
    for (int i = 0; i < 3; ++i) out[i] /= std::sqrt(len);
}

struct ModuleTest : ::testing::Test {
    Host host;
    Module module{HOST_FAKE_MODULE};
    void SetUp() override { ASSERT_TRUE(module.ok()) << module.error(); }
};

}  // namespace

TEST_F(ModuleTest, ListsServersWithUserNames) {
    EXPECT_EQ(module.sysMachine(), MOD_MACHINE_UNIX);
    EXPECT_EQ(module.names(LWCAMERA_HCLASS),
              (std::vector<std::string>{"FakeCam", "FakeComposite", "OldOnly", "Never", "NodeShy"}));
    const ServerInfo *fake = module.find(LWCAMERA_HCLASS, "FakeCam");
    ASSERT_NE(fake, nullptr);
    EXPECT_EQ(fake->userName(), "Fake Camera");
    EXPECT_EQ(fake->tag(SRVTAG_USERNAME | LANGID_UKENGLISH), "Fake Camera (UK)");
    EXPECT_EQ(fake->tag(SRVTAG_DESCRIPTION | LANGID_USENGLISH), "A camera for tests");
    const ServerInfo *comp = module.find(LWCAMERA_HCLASS, "FakeComposite");
    EXPECT_EQ(comp->userName(), "Fake Composite");
    EXPECT_EQ(comp->tags.size(), 1u); // the list ended at the empty text with tag 0
    EXPECT_EQ(comp->tag(SRVTAG_DESCRIPTION | LANGID_USENGLISH), "");
    EXPECT_EQ(module.find(LWCAMERA_HCLASS, "Never")->userName(), "Never");
    EXPECT_EQ(module.find(LWCAMERA_ICLASS, "FakeComposite"), nullptr);
    EXPECT_EQ(module.activate(LWCAMERA_HCLASS, "Missing", 2, nullptr), -1);
}

#ifndef _WIN32
TEST(ModuleLoading, StartupOnceAndShutdownWithItsResult) {
    int s0, d0, ok0, s1, d1, ok1;
    void *keep = dlopen(HOST_FAKE_MODULE, RTLD_NOW | RTLD_LOCAL);  // keeps the counters alive
    ASSERT_NE(keep, nullptr);
    auto counts = reinterpret_cast<void (*)(int *, int *, int *)>(dlsym(keep, "fake_module_counts"));
    ASSERT_NE(counts, nullptr);
    counts(&s0, &d0, &ok0);
    {
        Module a(HOST_FAKE_MODULE), b(HOST_FAKE_MODULE);
        EXPECT_EQ(a.serverData(), b.serverData());
        counts(&s1, &d1, &ok1);
        EXPECT_EQ(s1 - s0, 1);
        EXPECT_EQ(d1 - d0, 0);
    }
    counts(&s1, &d1, &ok1);
    EXPECT_EQ(d1 - d0, 1);
    EXPECT_EQ(ok1 - ok0, 1) << "shutdown must get the startup result";
    dlclose(keep);
}
#endif

TEST(ModuleLoading, RejectsBrokenModulesWithClearErrors) {
    struct Case {
        const char *path, *text;
    } cases[] = {{HOST_BAD_SYNC, "synchronisation"},
                 {HOST_BAD_VERSION, "descriptor version 2"},
                 {HOST_BAD_STARTUP, "startup failed"},
                 {HOST_BAD_NO_DESCRIPTOR, "_mod_descrip"},
                 {"/nonexistent/module.so", "cannot load"}};
    for (const Case &c : cases) {
        Module m(c.path);
        EXPECT_FALSE(m.ok()) << c.path;
        EXPECT_NE(m.error().find(c.text), std::string::npos) << m.error();
        EXPECT_TRUE(m.servers().empty());
    }
}

TEST_F(ModuleTest, VersionNegotiation) {
    LWCameraHandler h{};
    LWInstanceFuncs inst{};
    LWItemFuncs item{};
    LWRenderFuncs rend{};
    h.inst = &inst;
    h.item = &item;
    h.rend = &rend;
    int version = 0;
    std::vector<int> offered;
    EXPECT_EQ(module.activateHandler("FakeCam", &h, &version, &offered), AFUNC_OK);
    EXPECT_EQ(offered, (std::vector<int>{2}));
    EXPECT_NE(inst.create, nullptr);
    offered.clear();
    EXPECT_EQ(module.activateHandler("OldOnly", &h, &version, &offered), AFUNC_OK);
    EXPECT_EQ(offered, (std::vector<int>{2, 1}));
    EXPECT_EQ(version, 1);
    offered.clear();
    EXPECT_EQ(module.activateHandler("Never", &h, &version, &offered), AFUNC_BADVERSION);
    EXPECT_EQ(offered, (std::vector<int>{2, 1}));

    LWItemID cam = host.scene().addCamera("Camera");
    CameraInstance ci(host, module, "FakeCam", cam);
    LWGizmo g{};
    offered.clear();
    EXPECT_EQ(ci.activateGizmo(g, &version, &offered), AFUNC_OK);
    EXPECT_EQ(offered, (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(g.instance, ci.instance());

    DrawRecorder rec;
    g.gizmo->draw(g.instance, rec.access());
    auto all = rec.calls();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].op, "setCSysItem");
    EXPECT_EQ(all[0].item, cam);
    EXPECT_EQ(all[1].values, (std::vector<double>{1, 1, 0, 1}));
    EXPECT_EQ(all[2].op, "quad");
    EXPECT_EQ(all[2].csys, LWCSYS_OBJECT);
    EXPECT_EQ(all[2].values.size(), 12u);
    EXPECT_EQ(all[3].values, (std::vector<double>{0, 0, 2, 0.25}));
    EXPECT_EQ(all[3].csys, LWCSYS_ICON);
}

TEST_F(ModuleTest, ActivationSeesMissingServicesAndRenderNodes) {
    LWItemID cam = host.scene().addCamera("Camera");
    host.setServiceMissing(LWCAMERAINFO_GLOBAL);
    CameraInstance missing(host, module, "FakeCam", cam);
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.activationResult(), AFUNC_BADGLOBAL);
    host.setServiceMissing(LWCAMERAINFO_GLOBAL, false);

    host.setRenderNode(1);
    CameraInstance shy(host, module, "NodeShy", cam);
    EXPECT_EQ(shy.activationResult(), AFUNC_BADAPP_SILENT);
    CameraInstance noVParm(host, module, "FakeCam", cam);  // works without the withheld vparm service
    EXPECT_TRUE(noVParm.ok()) << noVParm.error();
    EXPECT_EQ(host.envelopes().created(), 0);
}

TEST_F(ModuleTest, InstancesCreateSaveLoadCopyAndBalance) {
    LWItemID cam = host.scene().addCamera("Camera");
    LWItemID refuse = host.scene().addCamera("refuse");
    {
        CameraInstance bad(host, module, "FakeCam", refuse);
        EXPECT_FALSE(bad.ok());
        EXPECT_EQ(bad.error(), "FakeCam refuses this item");

        CameraInstance modeler(host, module, "FakeCam", cam, true);
        EXPECT_TRUE(modeler.ok());
        EXPECT_EQ(modeler.handler().item, nullptr);

        CameraInstance a(host, module, "FakeCam", cam), b(host, module, "FakeCam", cam);
        EXPECT_EQ(a.describe(), "Fake pinhole");
        EXPECT_EQ(a.flags(), LWCAMTYPEF_SUPPORTSDOF);
        LWVParmID scale = host.envelopes().find(host.scene().chanGroup(cam), "FakeScale");
        ASSERT_NE(scale, nullptr);
        host.envelopes().setKeys(scale, {{0, 2}, {1, 6}});
        for (int mode : {LWIO_ASCII, LWIO_BINARY}) {
            MemorySaveState first(mode);
            ASSERT_EQ(a.save(first), "");
            MemoryLoadState in(first);
            ASSERT_EQ(b.load(in), "");
            MemorySaveState second(mode);
            b.save(second);
            EXPECT_EQ(first.bytes(), second.bytes());

            MemoryLoadState truncated(first.bytes().substr(0, 3), mode);
            EXPECT_NE(b.load(truncated), "");
        }
        CameraInstance c(host, module, "FakeCam", cam);
        EXPECT_EQ(c.copyFrom(a), "");
        MemorySaveState sa(LWIO_ASCII), sc(LWIO_ASCII);
        a.save(sa);
        c.save(sc);
        EXPECT_EQ(sa.bytes(), sc.bytes());
        EXPECT_EQ(host.liveInstances(), 4);
    }
    EXPECT_EQ(host.instancesCreated(), host.instancesDestroyed());
    EXPECT_EQ(host.envelopes().liveEnvelopes(), 0);
}

TEST_F(ModuleTest, RenderProtocolBuildsFrameAndAccess) {
    LWItemID cam = host.scene().addCamera("Camera");
    host.scene().setMotionKeys(cam, Motion::Z, {{0.0, 0.0}, {1.0, 30.0}});
    host.scene().setRotation(cam, kPi / 2, 0, 0);
    host.render().shutter = 0.25;
    CameraInstance ci(host, module, "FakeCam", cam);
    ASSERT_EQ(ci.initRender(LWINIT_RENDER), "");
    ASSERT_EQ(ci.newTime(3, 0.1), "");
    EXPECT_EQ(host.timeInfo().frame, 3);
    ASSERT_EQ(ci.newFrame(3), "");
    EXPECT_DOUBLE_EQ(ci.frameInfo().start, 0.1);
    EXPECT_DOUBLE_EQ(ci.frameInfo().duration, 0.25 / 30.0);
    EXPECT_DOUBLE_EQ(ci.access().worldPos[2], 3.0);
    EXPECT_NEAR(ci.access().toWorld[2][0], 1.0, 1e-12);  // forward = +X
    EXPECT_NEAR(ci.access().toCamera[0][2], 1.0, 1e-12);
    EXPECT_DOUBLE_EQ(ci.access().filmSize[0], 0.036);

    LWCameraRay ray;
    for (int i = 0; i < 9; ++i) ray.filter[i / 3][i % 3] = 7.0;
    ASSERT_EQ(ci.evaluate(0.01, -0.005, 0, 0, 0.5, &ray), LWCAMTYPEEVAL_RAY);
    EXPECT_EQ(ray.filter[0][0], 0.5) << "filter must be identity before evaluate";
    EXPECT_EQ(ray.filter[1][1], 1.0);
    EXPECT_EQ(ray.filter[1][0], 0.0);
    double want[3];
    pinhole(kPi / 2, 0.01, -0.005, 3.2 * 0.024 * 0.5, want);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(ray.rayDir[i], want[i], 1e-12);
    ci.cleanUp();
}

TEST_F(ModuleTest, EvaluatorRunsTheSubCamerasTypeAndLogsCalls) {
    LWItemID main = host.scene().addCamera("Main");
    LWItemID sub = host.scene().addCamera("Sub");
    host.scene().setPosition(sub, 1, 2, 3);
    host.scene().setRotation(sub, kPi / 2, 0, 0);
    ASSERT_NE(host.setCameraType(sub, module, "FakeCam"), nullptr) << host.lastError();
    CameraInstance *comp = host.setCameraType(main, module, "FakeComposite");
    ASSERT_NE(comp, nullptr) << host.lastError();
    int instancesBefore = host.liveInstances();

    ASSERT_EQ(comp->initRender(LWINIT_RENDER), "");
    EXPECT_EQ(host.liveInstances(), instancesBefore) << "the evaluator drives the item's own instance";
    EXPECT_EQ(host.cameraInstance(sub)->frameInfo().frame, 0);
    ASSERT_EQ(comp->newTime(0, 0.0), "");
    ASSERT_EQ(comp->newFrame(0), "");
    LWCameraRay ray;
    for (int k = 0; k < 3; ++k) ASSERT_EQ(comp->evaluate(0.0, 0.0, 0, 0, 0, &ray), LWCAMTYPEEVAL_RAY);
    EXPECT_NEAR(ray.rayPos[0], 1.0, 1e-12);
    EXPECT_NEAR(ray.rayPos[2], 3.0, 1e-12);
    EXPECT_NEAR(ray.rayDir[0], 1.0, 1e-12);
    EXPECT_EQ(ray.filter[0][0], 0.5) << "sub camera's own evaluate ran";
    comp->cleanUp();

    auto logs = host.evaluatorLogs();
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].item, sub);
    EXPECT_FALSE(logs[0].pinhole);
    EXPECT_EQ(logs[0].calls, calls({"create", "init", "newTime", "newFrame", "evaluate", "cleanUp", "destroy"}));
    EXPECT_EQ(logs[0].evaluations, 3);
    EXPECT_EQ(host.liveEvaluators(), 0);
    EXPECT_EQ(host.liveInstances(), instancesBefore);

    // Scene edit between renders: the new "Sub" has no type and renders as a pinhole.
    host.removeItem(sub);
    LWItemID plain = host.scene().addCamera("Sub");
    host.scene().setRotation(plain, kPi / 2, 0, 0);
    ASSERT_EQ(comp->initRender(LWINIT_PREVIEW), "");
    comp->newTime(0, 0.0);
    comp->newFrame(0);
    ASSERT_EQ(comp->evaluate(0.01, 0.002, 0, 0, 0, &ray), LWCAMTYPEEVAL_RAY);
    double want[3];
    pinhole(kPi / 2, 0.01, 0.002, 3.2 * 0.024 * 0.5, want);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(ray.rayDir[i], want[i], 1e-12);
    EXPECT_NEAR(ray.filmNorm[0], 1.0, 1e-12);
    double m[4][4];
    EXPECT_EQ(comp->preview(0, 0, m), 1);
    EXPECT_DOUBLE_EQ(m[0][0], 3.2 * 0.024 * 0.5);
    comp->cleanUp();
    logs = host.evaluatorLogs();
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_TRUE(logs[1].pinhole);
    EXPECT_EQ(logs[1].calls,
              calls({"create", "init", "newTime", "newFrame", "evaluate", "preview", "cleanUp", "destroy"}));
    EXPECT_EQ(host.evaluatorsCreated(), host.evaluatorsDestroyed());

    // Without kept logs (long runs) only live evaluators are listed.
    host.setKeepDestroyedLogs(false);
    EXPECT_TRUE(host.evaluatorLogs().empty());
    ASSERT_EQ(comp->initRender(LWINIT_PREVIEW), "");
    ASSERT_EQ(host.evaluatorLogs().size(), 1u);
    EXPECT_EQ(host.evaluatorLogs()[0].calls, calls({"create", "init"}));
    comp->cleanUp();
    EXPECT_TRUE(host.evaluatorLogs().empty());
    EXPECT_EQ(host.evaluatorsCreated(), host.evaluatorsDestroyed());
}

TEST_F(ModuleTest, EvaluatorRefusals) {
    LWItemID main = host.scene().addCamera("Main");
    host.scene().addCamera("Sub");
    LWItemID ball = host.scene().addObject("Ball");
    LWCameraEvaluationFuncs *ev = host.evaluationFuncs();
    EXPECT_EQ(ev->create(ball), nullptr);
    EXPECT_EQ(ev->create(nullptr), nullptr);
    EXPECT_EQ(ev->newFrame(reinterpret_cast<LWCameraEvaluatorID>(&host)), std::string("unknown camera evaluator"));
    host.setEvaluatorRefuses(true);
    CameraInstance *comp = host.setCameraType(main, module, "FakeComposite");
    ASSERT_NE(comp, nullptr);
    EXPECT_EQ(comp->initRender(LWINIT_RENDER), "Composite: evaluator refused");
    EXPECT_EQ(host.evaluatorsCreated(), 0);
}

TEST_F(ModuleTest, ConcurrentEvaluationMatchesSerial) {
    LWItemID main = host.scene().addCamera("Main");
    LWItemID sub = host.scene().addCamera("Sub");
    host.scene().setRotation(sub, 0.3, -0.2, 0.1);
    ASSERT_NE(host.setCameraType(sub, module, "FakeCam"), nullptr);
    CameraInstance *comp = host.setCameraType(main, module, "FakeComposite");
    ASSERT_EQ(comp->initRender(LWINIT_RENDER), "");
    comp->newTime(0, 0);
    comp->newFrame(0);
    const int w = 32, h = 24;
    std::vector<LWCameraRay> serial(w * h), parallel(w * h);
    auto run = [&](std::vector<LWCameraRay> &out, int from, int step) {
        for (int i = from; i < w * h; i += step) {
            double fx, fy;
            filmPoint(i % w, i / w, w, h, 0.036, 0.024, &fx, &fy);
            comp->evaluate(fx, fy, 0, 0, 0, &out[i]);
        }
    };
    run(serial, 0, 1);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back(run, std::ref(parallel), t, 4);
    for (auto &t : threads) t.join();
    for (int i = 0; i < w * h; ++i)
        for (int k = 0; k < 3; ++k) ASSERT_EQ(serial[i].rayDir[k], parallel[i].rayDir[k]) << i;
    comp->cleanUp();
    EXPECT_EQ(host.evaluatorLogs()[0].evaluations, 2 * w * h);
}

// Evaluate finds its evaluator through a per-thread cache; a destroyed
// evaluator must still be refused by a thread that evaluated it before, and
// an ID the host never made must be refused without being read.
TEST_F(ModuleTest, EvaluateRefusesDestroyedAndUnknownEvaluators) {
    LWItemID a = host.scene().addCamera("A");
    LWItemID b = host.scene().addCamera("B");
    host.scene().setRotation(b, kPi / 2, 0, 0);
    LWCameraEvaluationFuncs *ev = host.evaluationFuncs();
    LWCameraEvaluatorID ea = ev->create(a), eb = ev->create(b);
    ASSERT_NE(ea, nullptr);
    ASSERT_NE(eb, nullptr);
    for (LWCameraEvaluatorID e : {ea, eb}) {
        ASSERT_EQ(ev->init(e, LWINIT_RENDER), nullptr);
        ASSERT_EQ(ev->newTime(e, 0, 0.0), nullptr);
        ASSERT_EQ(ev->newFrame(e), nullptr);
    }
    LWCameraRay ra, rb;
    ASSERT_EQ(ev->evaluate(ea, 0.0, 0.0, 0, 0, 0, &ra), LWCAMTYPEEVAL_RAY);
    ASSERT_EQ(ev->evaluate(eb, 0.0, 0.0, 0, 0, 0, &rb), LWCAMTYPEEVAL_RAY);
    EXPECT_NEAR(ra.rayDir[2], 1.0, 1e-12) << "each ID reaches its own evaluator";
    EXPECT_NEAR(rb.rayDir[0], 1.0, 1e-12);

    ev->destroy(ea);
    EXPECT_EQ(ev->evaluate(ea, 0.0, 0.0, 0, 0, 0, &ra), LWCAMTYPEEVAL_NO_RAY);
    std::thread other([&] { EXPECT_EQ(ev->evaluate(ea, 0.0, 0.0, 0, 0, 0, &ra), LWCAMTYPEEVAL_NO_RAY); });
    other.join();
    EXPECT_EQ(ev->evaluate(eb, 0.0, 0.0, 0, 0, 0, &rb), LWCAMTYPEEVAL_RAY) << "the other evaluator still works";
    EXPECT_EQ(ev->evaluate(reinterpret_cast<LWCameraEvaluatorID>(&host), 0, 0, 0, 0, 0, &rb),
              LWCAMTYPEEVAL_NO_RAY);
    EXPECT_EQ(ev->evaluate(nullptr, 0, 0, 0, 0, 0, &rb), LWCAMTYPEEVAL_NO_RAY);
    ev->destroy(eb);

    auto logs = host.evaluatorLogs();
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[0].evaluations, 1) << "refused calls are not counted";
    EXPECT_EQ(logs[1].evaluations, 2);
}

// Counts stay exact with more threads than the counter has per-thread slots,
// and with threads that end and hand their slot to later ones.
TEST_F(ModuleTest, EvaluationCountsExactAcrossManyThreads) {
    LWItemID cam = host.scene().addCamera("Cam");
    LWCameraEvaluationFuncs *ev = host.evaluationFuncs();
    LWCameraEvaluatorID e = ev->create(cam);
    ASSERT_NE(e, nullptr);
    ev->init(e, LWINIT_RENDER);
    ev->newTime(e, 0, 0.0);
    ev->newFrame(e);
    const int perThread = 1000;
    for (int round = 0; round < 2; ++round) {
        std::vector<std::thread> threads;
        for (int t = 0; t < 12; ++t)
            threads.emplace_back([&] {
                LWCameraRay ray;
                for (int i = 0; i < perThread; ++i) ev->evaluate(e, 0.001 * i, 0.0, 0, 0, 0, &ray);
            });
        for (auto &t : threads) t.join();
    }
    ev->cleanUp(e);
    ev->destroy(e);
    auto logs = host.evaluatorLogs();
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].evaluations, 2 * 12 * perThread);
    EXPECT_EQ(logs[0].calls, calls({"create", "init", "newTime", "newFrame", "evaluate", "cleanUp", "destroy"}));
}

TEST_F(ModuleTest, EvaluatorsOfCamerasThatShowEachOtherStopAtADepthLimit) {
    // Two composites named "Sub": each shows the other, so every call would
    // recurse without end.
    LWItemID a = host.scene().addCamera("Sub");
    LWItemID b = host.scene().addCamera("Sub");
    CameraInstance *ca = host.setCameraType(a, module, "FakeComposite");
    ASSERT_NE(ca, nullptr) << host.lastError();
    ASSERT_NE(host.setCameraType(b, module, "FakeComposite"), nullptr) << host.lastError();
    // The host cuts the chain and reports it instead of overflowing the stack.
    EXPECT_NE(ca->initRender(LWINIT_RENDER), "");
    LWCameraRay ray{};
    EXPECT_EQ(ca->evaluate(0, 0, 0, 0, 0, &ray), LWCAMTYPEEVAL_NO_RAY);
    ca->cleanUp();

    // Clearing a type leaves evaluators of it without rays, not dangling.
    LWCameraEvaluationFuncs *f = host.evaluationFuncs();
    LWCameraEvaluatorID eb = f->create(b);
    ASSERT_NE(eb, nullptr);
    host.clearCameraType(b);
    EXPECT_EQ(f->evaluate(eb, 0, 0, 0, 0, 0, &ray), LWCAMTYPEEVAL_NO_RAY);
    EXPECT_NE(f->newFrame(eb), nullptr);
    f->destroy(eb);
}
