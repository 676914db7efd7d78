// Evaluate must not touch the heap: every camera type of the listed modules,
// the composites delegating to a scene camera included, evaluated on one thread
// and on two threads sharing the instance, with one exposure fraction for all
// rays and with a new one per ray.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "standin/host.h"
#include "tests/support/alloc_counter.h"
#include "tests/support/camera_types.h"

namespace {

using namespace standin;

constexpr int kW = 96, kH = 54;

// Evaluates a kW x kH frame, fractions fixed or per ray, lens samples on the
// unit disk; the number of rays made.
long RenderFrame(const CameraInstance &cam, bool newFractionPerRay, int seed) {
    const LWCameraAccess *access = &cam.access();
    const auto evaluate = cam.handler().evaluate;
    long rays = 0;
    LWCameraRay ray{};
    for (int py = 0; py < kH; ++py)
        for (int px = 0; px < kW; ++px) {
            double fx, fy, lx, ly;
            filmPoint(px, py, kW, kH, access->filmSize[0], access->filmSize[1], &fx, &fy);
            unitDiskSample((px * 7 + seed) % 13 / 13.0, (py * 5 + seed) % 11 / 11.0, &lx, &ly);
            const double f = newFractionPerRay ? ((px + py * kW + seed) % 97) / 96.0 : 0.5;
            rays += evaluate(cam.instance(), fx, fy, lx, ly, f, &ray, access) == LWCAMTYPEEVAL_RAY;
        }
    return rays;
}

class EvaluateAllocations : public ::testing::TestWithParam<bool> {};

TEST_P(EvaluateAllocations, EveryCameraTypeEvaluatesWithoutAllocating) {
    const bool perRay = GetParam();
    // The types come from the modules' own server tables.
    const std::vector<testsupport::CameraType> &types = testsupport::AllCameraTypes();
    ASSERT_FALSE(types.empty());
    Host host;
    Module &module = host.loadModule(LENTARA_MODULE_PATH);
    ASSERT_TRUE(module.ok()) << module.error();
    // A moving Panoramic camera heads the scene; every composite picks it.
    LWItemID target = host.scene().addCamera("Target");
    host.scene().setMotionKeys(target, Motion::X, {{0.0, 0.0}, {1.0, 2.0}});
    host.scene().setMotionKeys(target, Motion::Heading, {{0.0, 0.0}, {1.0, 1.0}});
    ASSERT_NE(host.setCameraType(target, module, "VantorPanoramicCam"), nullptr) << host.lastError();

    std::map<std::string, Module *> modules = {{LENTARA_MODULE_PATH, &module}};
    for (const testsupport::CameraType &type : types) {
        const std::string &server = type.server;
        SCOPED_TRACE(type.module + " " + server);
        Module *&typeModule = modules[type.path];
        if (!typeModule) typeModule = &host.loadModule(type.path);
        ASSERT_TRUE(typeModule->ok()) << typeModule->error();
        LWItemID item = host.scene().addCamera(server + " item");
        host.scene().setMotionKeys(item, Motion::Y, {{0.0, 0.0}, {1.0, 1.0}});
        host.scene().setMotionKeys(item, Motion::Pitch, {{0.0, 0.0}, {1.0, 0.5}});
        CameraInstance *cam = host.setCameraType(item, *typeModule, server);
        ASSERT_NE(cam, nullptr) << host.lastError();
        // Every camera choice of a composite shows the target.
        LWInterface ui{};
        ASSERT_EQ(cam->activateInterface(ui), AFUNC_OK);
        if (const PanelRecord *rec = ui.panel ? host.panels().record(ui.panel) : nullptr) {
            const std::vector<PanelControl> controls = rec->controls;
            for (const PanelControl &c : controls)
                if (testsupport::IsCameraChoice(host, ui.panel, c.cid)) {
                    int first = 1; // the target
                    host.panels().set(ui.panel, c.cid, &first);
                }
        }
        ASSERT_EQ(cam->initRender(LWINIT_RENDER), "");
        ASSERT_EQ(cam->newTime(2, host.frameInfo(2).start), "");
        ASSERT_EQ(cam->newFrame(2), "");

        const long before = AllocationCount();
        const long rays = RenderFrame(*cam, perRay, 0);
        EXPECT_EQ(AllocationCount(), before) << "evaluate allocated on one thread";
        EXPECT_GT(rays, kW * kH / 4) << "too few rays for the count to mean anything";

        // Two threads on the shared instance. The count runs from the moment
        // both threads are made (making a thread allocates) until both are
        // done, while the main thread only waits.
        long made[2] = {0, 0};
        std::atomic<int> ready{0}, done{0};
        std::atomic<bool> go{false};
        long during = 0;
        {
            std::vector<std::thread> threads;
            threads.reserve(2);
            for (int t = 0; t < 2; ++t)
                threads.emplace_back([&, t] {
                    ++ready;
                    while (!go.load()) std::this_thread::yield();
                    made[t] = RenderFrame(*cam, perRay, t + 1);
                    ++done;
                });
            while (ready.load() < 2) std::this_thread::yield();
            const long b = AllocationCount();
            go = true;
            while (done.load() < 2) std::this_thread::yield();
            during = AllocationCount() - b;
            for (std::thread &th : threads) th.join();
        }
        EXPECT_EQ(during, 0) << "evaluate allocated on two threads";
        EXPECT_GT(made[0] + made[1], 0);
        host.clearCameraType(item);
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, EvaluateAllocations, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &i) {
                             return i.param ? std::string("NewFractionPerRay") : std::string("OneFraction");
                         });

} // namespace
