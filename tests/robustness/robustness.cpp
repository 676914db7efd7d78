#include "tests/robustness/robustness.h"

#include "tests/support/camera_types.h"

#include <cctype>
#include <cmath>
#include <cstring>

namespace robustness {

bool IsListedModule(const std::string &path) {
    for (const testsupport::ModuleFile &m : testsupport::CameraModules())
        if (m.path == path) return true;
    return false;
}

std::vector<std::string> ModulePaths() {
    const std::vector<testsupport::ModuleFile> &listed = testsupport::CameraModules();
    std::vector<std::string> paths;
    if (!listed.empty()) paths.push_back(listed.front().path);
    // The timing module keeps its place after the first module, so a module
    // added to the list does not renumber the cases before it.
#ifdef LENTARA_TIMING_MODULE_PATH
    paths.push_back(LENTARA_TIMING_MODULE_PATH);
#endif
    for (std::size_t i = 1; i < listed.size(); ++i) paths.push_back(listed[i].path);
    return paths;
}

void Stage(standin::Host &host, LWItemID &camera) {
    standin::Scene &s = host.scene();
    camera = s.addCamera("Camera");
    s.setPosition(camera, 0.5, 1.2, -4.0);
    s.setRotation(camera, 0.3, -0.1, 0.05);
    s.setMotionKeys(camera, standin::Motion::X, {{0.0, 0.5}, {1.0, 1.5}});
    s.setResolution(camera, 64, 48);
    LWItemID second = s.addCamera("Second");
    s.setPosition(second, -2.0, 0.5, 3.0);
    LWItemID third = s.addCamera("Third");
    s.setRotation(third, -1.5, 0.0, 0.1);
    s.addObject("Target");
    host.render().motionSteps = 3;
}

const std::vector<CameraType> &AllTypes() {
    static const std::vector<CameraType> types = [] {
        std::vector<CameraType> out;
        standin::Host host;
        LWItemID camera = nullptr;
        Stage(host, camera);
        for (const std::string &path : ModulePaths()) {
            standin::Module module(path);
            if (!module.ok()) continue;  // the tests then fail on loading it
            for (const standin::ServerInfo &info : module.servers()) {
                if (info.className != LWCAMERA_HCLASS) continue;
                CameraType t{path, info.name};
                t.mainModule = IsListedModule(path);
                host.clearLookupLog();
                standin::CameraInstance first(host, module, info.name, camera);
                t.usesEvaluators = host.lookupCount(LWCAMERAEVALUATIONFUNCS_GLOBAL) > 0;
                if (first.ok()) {
                    standin::CameraInstance second(host, module, info.name, camera);
                    t.singleInstance = !second.ok();
                    LWInterface iface{};
                    if (first.activateInterface(iface) == AFUNC_OK && iface.panel)
                        if (const standin::PanelRecord *rec = host.panels().record(iface.panel))
                            for (const standin::PanelControl &c : rec->controls)
                                t.composite = t.composite || IsCameraChoice(host, iface.panel, c.cid);
                }
                out.push_back(t);
            }
        }
        return out;
    }();
    return types;
}

std::string TypeName(const ::testing::TestParamInfo<CameraType> &info) {
    std::string name = info.param.server;
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name + "_" + std::to_string(info.index);
}

bool IsEnvelopeControl(const std::string &ctrlclass) {
    return ctrlclass.size() > 4 && ctrlclass.compare(ctrlclass.size() - 4, 4, "-env") == 0;
}

std::vector<Ray> RenderGrid(standin::CameraInstance &cam) {
    std::vector<Ray> rays;
    EXPECT_EQ(cam.initRender(LWINIT_RENDER), "");
    cam.newTime(6, 0.25);
    cam.newFrame(6);
    double projection[4][4] = {};
    cam.preview(0.0, 0.0, projection);
    const double w = cam.access().filmSize[0], h = cam.access().filmSize[1];
    const double lens[][2] = {{0.0, 0.0}, {0.5, -0.4}};
    const double fraction[] = {0.0, 0.6, 1.0};
    for (const auto &l : lens)
        for (double f : fraction)
            for (int j = 0; j < 5; ++j)
                for (int i = 0; i < 7; ++i) {
                    const double fx = (i / 6.0 - 0.5) * 1.2 * (w != 0 ? w : 0.036);
                    const double fy = (j / 4.0 - 0.5) * 1.2 * (h != 0 ? h : 0.024);
                    LWCameraRay ray{};
                    Ray r;
                    r.code = cam.evaluate(fx, fy, l[0], l[1], f, &ray);
                    std::memcpy(r.v, &ray.rayPos[0], sizeof r.v);
                    if (r.code == LWCAMTYPEEVAL_RAY)
                        for (double v : r.v) {
                            EXPECT_TRUE(std::isfinite(v)) << cam.server() << " film (" << fx << ", " << fy << ")";
                            if (!std::isfinite(v)) break;
                        }
                    rays.push_back(r);
                }
    return rays;
}

std::string SavedBlock(standin::CameraInstance &cam, int mode) {
    standin::MemorySaveState out(mode);
    EXPECT_EQ(cam.save(out), "");
    return out.bytes();
}

int PickEveryCamera(standin::Host &host, standin::CameraInstance &cam) {
    LWInterface iface{};
    if (cam.activateInterface(iface) != AFUNC_OK || !iface.panel) return 0;
    const standin::PanelRecord *rec = host.panels().record(iface.panel);
    if (!rec) return 0;
    const std::vector<standin::PanelControl> controls = rec->controls;
    int picked = 0;
    for (const standin::PanelControl &c : controls) {
        if (!IsCameraChoice(host, iface.panel, c.cid)) continue;
        const int n = host.panels().popupCount(iface.panel, c.cid);
        if (n < 2) continue;
        int value = 1 + picked % (n - 1);
        host.panels().set(iface.panel, c.cid, &value);
        ++picked;
    }
    return picked;
}

void RobustnessTest::SetUp() {
    host = std::make_unique<standin::Host>();
    for (const std::string &path : ModulePaths()) {
        auto m = std::make_unique<standin::Module>(path);
        ASSERT_TRUE(m->ok()) << m->error();
        modules[path] = std::move(m);
    }
    Stage(*host, camera);
}

void RobustnessTest::TearDown() {
    // Whatever the test did to the host, no envelope was used unset up.
    if (host) {
        EXPECT_EQ(host->envelopes().usedBeforeSetup(), 0) << "a vparm saved, loaded or set before its setup";
    }
    modules.clear();
    host.reset();
}

standin::Module &RobustnessTest::Mod(const CameraType &t) { return *modules.at(t.path); }

std::unique_ptr<standin::CameraInstance> RobustnessTest::Make(const CameraType &t) {
    return std::make_unique<standin::CameraInstance>(*host, Mod(t), t.server, camera);
}

}  // namespace robustness
