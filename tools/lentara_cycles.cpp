// lentara_cycles.cpp -- `lentara-cycles`: cycles per ray of every camera type
// of the collection, measured by the timing module's Performance camera in the
// stand-in host.
//
// For each camera type the scene holds three cameras: the carrier with the
// Performance camera, the measured camera with the type, and a plain camera
// that composite types render through (every camera popup of the measured
// type's panel is set to it). One frame is rendered over a grid of film
// points; the Performance camera's results panel gives the numbers printed.
//
//   lentara-cycles [--module FILE] [--timing FILE] [--grid COLSxROWS] [--type SERVER]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "standin/host.h"

namespace {

using namespace standin;

struct Options {
    std::string module = LENTARA_MODULE_PATH;
    std::string timing = TIMING_MODULE_PATH;
    int cols = 64, rows = 48;
    std::string type; // empty: every type
};

void Usage(FILE *to) {
    std::fprintf(to,
                 "usage: lentara-cycles [--module FILE] [--timing FILE] [--grid COLSxROWS] [--type SERVER]\n"
                 "Cycles per ray evaluation of every camera type of the module, measured by the\n"
                 "Performance camera of the timing module in the stand-in host.\n");
}

bool ParseArgs(int argc, char **argv, Options &o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string &out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "-h" || a == "--help") {
            Usage(stdout);
            std::exit(0);
        } else if (a == "--module") {
            if (!value(o.module)) return false;
        } else if (a == "--timing") {
            if (!value(o.timing)) return false;
        } else if (a == "--type") {
            if (!value(o.type)) return false;
        } else if (a == "--grid") {
            if (!value(v) || std::sscanf(v.c_str(), "%dx%d", &o.cols, &o.rows) != 2 || o.cols < 1 || o.rows < 1 ||
                o.cols > 4096 || o.rows > 4096)
                return false;
        } else {
            return false;
        }
    }
    return true;
}

std::string Text(Host &host, LWXPanelID panel, unsigned int vid) {
    void *v = host.panels().get(panel, vid);
    return v ? static_cast<const char *>(v) : "";
}

// Sets every camera popup of the type's panel to the plain camera.
void PickPlainCamera(Host &host, CameraInstance &cam, const std::string &plain) {
    LWInterface ui{};
    if (cam.activateInterface(ui) != AFUNC_OK || !ui.panel) return;
    const PanelRecord *rec = host.panels().record(ui.panel);
    if (!rec) return;
    for (const PanelControl &c : rec->controls) {
        if (c.ctrlclass != "iPopChoice") continue;
        const std::vector<std::string> names = host.panels().popupChoices(ui.panel, c.cid);
        for (std::size_t k = 0; k < names.size(); ++k)
            if (names[k] == plain) {
                int index = static_cast<int>(k);
                host.panels().set(ui.panel, c.cid, &index);
                break;
            }
    }
}

struct Result {
    std::string calls, total, average;
    long long rays = 0;
    std::string refused; // why the host made no evaluator of the measured camera
};

// One frame of the carrier over the film grid; false when the Performance
// camera showed no results.
bool Measure(Host &host, const Module &timing, const Module &lentara, const std::string &type, const Options &o,
             Result &out) {
    Scene &scene = host.scene();
    LWItemID carrier = scene.addCamera("Performance");
    LWItemID measured = scene.addCamera("Measured");
    LWItemID plain = scene.addCamera("Plain");
    scene.setPosition(measured, 0.5, 1.0, -2.0);
    scene.setRotation(measured, 0.2, -0.1, 0.0);
    scene.setPosition(plain, -1.0, 0.5, 1.0);

    bool ok = false;
    CameraInstance *cam = host.setCameraType(measured, lentara, type);
    CameraInstance *perf = cam ? host.setCameraType(carrier, timing, "PerformanceCamera") : nullptr;
    if (!cam) std::fprintf(stderr, "%s: %s\n", type.c_str(), host.lastError().c_str());
    if (cam && !perf) std::fprintf(stderr, "PerformanceCamera: %s\n", host.lastError().c_str());
    if (cam && perf) {
        PickPlainCamera(host, *cam, "Plain");
        LWInterface ui{};
        perf->activateInterface(ui);
        int pick = 0;
        const std::vector<std::string> names = host.panels().popupChoices(ui.panel, 0x8006);
        for (std::size_t k = 0; k < names.size(); ++k)
            if (names[k] == "Measured") pick = static_cast<int>(k);
        host.panels().set(ui.panel, 0x8006, &pick);

        const int postsBefore = host.panels().postCalls();
        perf->initRender(LWINIT_RENDER);
        perf->newTime(0, host.frameInfo(0).start);
        perf->newFrame(0);
        const double W = perf->access().filmSize[0], H = perf->access().filmSize[1];
        for (int r = 0; r < o.rows; ++r)
            for (int c = 0; c < o.cols; ++c) {
                double fx, fy;
                filmPoint(c, r, o.cols, o.rows, W, H, &fx, &fy);
                LWCameraRay ray{};
                if (perf->evaluate(fx, fy, 0.0, 0.0, 0.5, &ray) == LWCAMTYPEEVAL_RAY) ++out.rays;
            }
        perf->cleanUp();

        if (host.panels().postCalls() > postsBefore) {
            // The results panel is bound to the Performance camera's instance;
            // panels of earlier camera types may still be listed.
            for (LWXPanelID p : host.panels().panels()) {
                const PanelRecord *rec = host.panels().record(p);
                const PanelControl *calls = host.panels().control(p, 0x8007);
                if (rec && rec->instance == perf->instance() && calls && calls->label == "Number of Calls") {
                    out.calls = Text(host, p, 0x8007);
                    out.total = Text(host, p, 0x8008);
                    out.average = Text(host, p, 0x8009);
                }
            }
            ok = !out.calls.empty();
        }
        // Without results, ask the evaluation service directly for the reason
        // (a refused evaluator leaves its message with the host).
        if (!ok) {
            host.clearMessages();
            LWCameraEvaluationFuncs *ev = host.evaluationFuncs();
            LWCameraEvaluatorID probe = ev->create(measured);
            if (probe) ev->destroy(probe);
            for (const Message &m : host.messages())
                if (m.kind == "error") out.refused = m.second;
            if (!probe && out.refused.empty()) out.refused = "the host made no evaluator";
        }
    }
    host.removeItem(carrier);
    host.removeItem(measured);
    host.removeItem(plain);
    return ok;
}

} // namespace

int main(int argc, char **argv) {
    Options o;
    if (!ParseArgs(argc, argv, o)) {
        Usage(stderr);
        return 2;
    }
    Host host;
    Module &lentara = host.loadModule(o.module);
    Module &timing = host.loadModule(o.timing);
    if (!lentara.ok() || !timing.ok()) {
        std::fprintf(stderr, "cannot load %s\n", !lentara.ok() ? lentara.error().c_str() : timing.error().c_str());
        return 1;
    }

    std::vector<std::string> types = lentara.names(LWCAMERA_HCLASS);
    if (!o.type.empty()) {
        if (!lentara.find(LWCAMERA_HCLASS, o.type)) {
            std::fprintf(stderr, "no camera type %s in %s\n", o.type.c_str(), o.module.c_str());
            return 1;
        }
        types = {o.type};
    }

    std::printf("%-32s %10s %8s %20s %22s\n", "camera type", "calls", "rays", "total", "average per call");
    int failures = 0;
    for (const std::string &type : types) {
        Result r;
        if (Measure(host, timing, lentara, type, o, r)) {
            std::printf("%-32s %10s %8lld %20s %22s\n", type.c_str(), r.calls.c_str(), r.rays, r.total.c_str(),
                        r.average.c_str());
        } else if (!r.refused.empty()) {
            std::printf("%-32s %10s %8s %20s   not measurable: %s\n", type.c_str(), "-", "-", "-", r.refused.c_str());
        } else {
            std::printf("%-32s %10s %8lld %20s %22s\n", type.c_str(), "-", r.rays, "-", "no results");
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
