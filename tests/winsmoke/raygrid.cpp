// raygrid -- renders a fixed grid of rays through every camera type of the
// given plug-in modules, in the stand-in host, and either writes the results
// (the reference run, on the build machine) or compares them with a file
// written earlier (the run on the target platform).
//
//   raygrid --write FILE   KEY=MODULE_PATH...
//   raygrid --compare FILE KEY=MODULE_PATH...
//
// KEY names a module independently of its platform file name (the reference
// run loads Vantor_Lentara.p, the Windows run Vantor_Lentara64.p).  Servers
// are taken from each module's own table, so every camera type the module
// offers is covered.  Each check prints one line; the last line is the
// "N passed, N failed" summary and the exit code is 0 only without failures.
#include "standin/host.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Values from the reference run and from this run may differ by this many
// units in the last place (different maths libraries round sin/cos/atan2/pow
// differently); values within kAbsTolerance of each other also match, which
// covers components that should be zero and come out as tiny residues.
constexpr std::int64_t kMaxUlp = 16;
constexpr double kAbsTolerance = 1e-14;

int gPassed = 0;
int gFailed = 0;

void check(bool ok, const std::string &what) {
    (ok ? gPassed : gFailed)++;
    std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
}

std::string hex(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    char buf[20];
    std::snprintf(buf, sizeof buf, "%08x%08x", static_cast<unsigned>(bits >> 32),
                  static_cast<unsigned>(bits & 0xffffffffu));
    return buf;
}

double unhex(const std::string &s) {
    std::uint64_t bits = std::stoull(s, nullptr, 16);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Distance in units of the last place between two finite doubles (ordered
// as integers so that it also works across zero).
std::int64_t ulpDistance(double a, double b) {
    auto key = [](double v) {
        std::int64_t i;
        std::memcpy(&i, &v, sizeof i);
        return i < 0 ? std::numeric_limits<std::int64_t>::min() - i : i;
    };
    std::int64_t ka = key(a), kb = key(b);
    return ka > kb ? ka - kb : kb - ka;
}

// One result: an integer code (return value, flags, activation result) and
// the doubles that came with it.
struct Result {
    long long code = 0;
    std::vector<double> values;
};
using Results = std::map<std::string, Result>;

std::string fileName(const std::string &path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The scene every camera type is rendered in: the camera under test moves and
// turns during the frame so that motion sampling shows in the rays; two more
// cameras and an object give the composite and stereo cameras something to
// look at.
struct Stage {
    standin::Host host;
    LWItemID camera = nullptr;

    Stage() {
        standin::Scene &s = host.scene();
        camera = s.addCamera("Camera");
        s.setPosition(camera, 0.5, 1.2, -4.0);
        s.setRotation(camera, 0.3, -0.1, 0.05);
        s.setMotionKeys(camera, standin::Motion::X, {{0.0, 0.5}, {1.0, 1.5}});
        s.setMotionKeys(camera, standin::Motion::Heading, {{0.0, 0.3}, {1.0, 0.8}});
        s.setCamera(camera, standin::CamProp::FocalDistance, 6.0);
        s.setCamera(camera, standin::CamProp::FStop, 2.8);
        s.setResolution(camera, 640, 480);
        LWItemID second = s.addCamera("Second");
        s.setPosition(second, -2.0, 0.5, 3.0);
        s.setRotation(second, 3.0, 0.2, 0.0);
        LWItemID third = s.addCamera("Third");
        s.setPosition(third, 4.0, 2.0, 0.0);
        s.setRotation(third, -1.5, 0.0, 0.1);
        LWItemID target = s.addObject("Target");
        s.setPosition(target, 0.0, 1.0, 2.0);
        host.render().fps = 24.0;
        host.render().shutter = 0.5;
        host.render().motionSteps = 4;
    }
};

constexpr int kFrame = 12;
constexpr int kGridX = 9, kGridY = 7;
const double kLens[][2] = {{0.0, 0.0}, {0.6, -0.3}};
const double kFraction[] = {0.0, 0.37, 1.0};

struct RayCase {
    std::string key;
    double fx, fy, lx, ly, t;
};

std::vector<RayCase> rayCases(const LWCameraAccess &access) {
    std::vector<RayCase> cases;
    double w = access.filmSize[0], h = access.filmSize[1];
    for (int li = 0; li < 2; ++li)
        for (int ti = 0; ti < 3; ++ti)
            for (int j = 0; j < kGridY; ++j)
                for (int i = 0; i < kGridX; ++i) {
                    // Reaches 10 % past each film edge.
                    double fx = (static_cast<double>(i) / (kGridX - 1) - 0.5) * 1.2 * w;
                    double fy = (static_cast<double>(j) / (kGridY - 1) - 0.5) * 1.2 * h;
                    char key[48];
                    std::snprintf(key, sizeof key, "ray %d %d %d %d", i, j, li, ti);
                    cases.push_back({key, fx, fy, kLens[li][0], kLens[li][1], kFraction[ti]});
                }
    // Inputs a camera must refuse or survive: no ray, or a finite one.
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    cases.push_back({"bad nan-film", nan, 0.0, 0.0, 0.0, 0.5});
    cases.push_back({"bad inf-film", 0.0, -inf, 0.0, 0.0, 0.5});
    cases.push_back({"bad nan-lens", 0.0, 0.0, nan, 0.2, 0.5});
    cases.push_back({"bad nan-fraction", 0.001, 0.001, 0.0, 0.0, nan});
    cases.push_back({"bad fraction-past-end", 0.001, 0.001, 0.0, 0.0, 3.0});
    return cases;
}

Result rayResult(int code, const LWCameraRay &ray) {
    Result r;
    r.code = code;
    for (int k = 0; k < 3; ++k) r.values.push_back(ray.rayPos[k]);
    for (int k = 0; k < 3; ++k) r.values.push_back(ray.rayDir[k]);
    for (int k = 0; k < 3; ++k) r.values.push_back(ray.filmNorm[k]);
    return r;
}

// Renders the grid through one camera type; appends to `out`.
void renderCamera(Stage &stage, const std::string &moduleKey, standin::Module &module, const std::string &server,
                  Results &out) {
    const std::string prefix = moduleKey + " " + server + " ";
    standin::CameraInstance *cam = stage.host.setCameraType(stage.camera, module, server);
    check(cam != nullptr, prefix + "instance created" + (cam ? "" : ": " + stage.host.lastError()));
    if (!cam) return;

    out[prefix + "flags"].code = cam->flags();

    // Composite cameras render other scene cameras picked in their panel:
    // every camera-choice popup ("(none)" first) gets a different camera, so
    // their rays go through the host's evaluation service too.
    int picked = 0;
    LWInterface iface{};
    if (cam->activateInterface(iface) == AFUNC_OK && iface.panel) {
        standin::PanelService &panels = stage.host.panels();
        if (const standin::PanelRecord *rec = panels.record(iface.panel)) {
            const std::vector<standin::PanelControl> controls = rec->controls;
            for (const standin::PanelControl &c : controls) {
                std::vector<std::string> choices = panels.popupChoices(iface.panel, c.cid);
                if (choices.size() < 2 || choices[0] != "(none)") continue;
                int value = 1 + picked % static_cast<int>(choices.size() - 1);
                panels.set(iface.panel, c.cid, &value);
                ++picked;
            }
        }
    }
    out[prefix + "camera picks"].code = picked;
    std::string err = cam->initRender(LWINIT_RENDER);
    check(err.empty(), prefix + "init" + (err.empty() ? "" : ": " + err));
    double frameTime = kFrame / stage.host.render().fps;
    err = cam->newTime(kFrame, frameTime);
    check(err.empty(), prefix + "newTime" + (err.empty() ? "" : ": " + err));
    err = cam->newFrame(kFrame);
    check(err.empty(), prefix + "newFrame" + (err.empty() ? "" : ": " + err));

    double projection[4][4] = {};
    Result preview;
    preview.code = cam->preview(0.0, 0.0, projection);
    for (auto &row : projection)
        for (double v : row) preview.values.push_back(preview.code ? v : 0.0);
    out[prefix + "preview"] = preview;

    const std::vector<RayCase> cases = rayCases(cam->access());
    std::vector<Result> serial(cases.size());
    for (std::size_t c = 0; c < cases.size(); ++c) {
        LWCameraRay ray{};
        int code = cam->evaluate(cases[c].fx, cases[c].fy, cases[c].lx, cases[c].ly, cases[c].t, &ray);
        serial[c] = rayResult(code, ray);
        out[prefix + cases[c].key] = serial[c];
    }

    // The same grid again from two threads at once, interleaved: each ray must
    // equal the one-thread result bit for bit (per-thread caches inside the
    // module must work the same on every platform).
    std::vector<Result> threaded(cases.size());
    auto worker = [&](std::size_t first) {
        for (std::size_t c = first; c < cases.size(); c += 2) {
            LWCameraRay ray{};
            int code = cam->evaluate(cases[c].fx, cases[c].fy, cases[c].lx, cases[c].ly, cases[c].t, &ray);
            threaded[c] = rayResult(code, ray);
        }
    };
    std::thread a(worker, 0), b(worker, 1);
    a.join();
    b.join();
    int differing = 0;
    for (std::size_t c = 0; c < cases.size(); ++c) {
        bool same = threaded[c].code == serial[c].code &&
                    std::memcmp(threaded[c].values.data(), serial[c].values.data(), 9 * sizeof(double)) == 0;
        if (!same) ++differing;
    }
    check(differing == 0, prefix + "two-thread rays equal one-thread rays (" + std::to_string(differing) + " of " +
                              std::to_string(cases.size()) + " differ)");

    int rays = 0, nonFinite = 0;
    for (const Result &r : serial) {
        rays += r.code != 0;
        if (r.code != 0)
            for (double v : r.values) nonFinite += !std::isfinite(v);
    }
    check(nonFinite == 0, prefix + "every written ray is finite (" + std::to_string(nonFinite) + " bad values)");
    std::printf("     %s%d of %zu samples gave a ray\n", prefix.c_str(), rays, cases.size());
    cam->cleanUp();
    stage.host.clearCameraType(stage.camera);
}

// Loads one module, activates every server it lists and renders every
// handler.
void runModule(Stage &stage, const std::string &key, const std::string &path, Results &out) {
    standin::Module &module = stage.host.loadModule(path);
    check(module.ok(), key + " loaded from " + fileName(path) + (module.ok() ? "" : ": " + module.error()));
    if (!module.ok()) return;
#ifdef _WIN32
    char machine[64];
    std::snprintf(machine, sizeof machine, " machine type 0x%X", module.sysMachine());
    check(module.sysMachine() == MOD_MACHINE_WIN, key + machine);
#endif
    int handlers = 0;
    for (const standin::ServerInfo &s : module.servers()) {
        const std::string what = key + " " + s.className + " " + s.name;
        int rc = -1;
        if (s.className == LWCAMERA_HCLASS) {
            LWInstanceFuncs inst{};
            LWItemFuncs item{};
            LWRenderFuncs rend{};
            LWCameraHandler handler{&inst, &item, &rend, nullptr, nullptr, nullptr, 0};
            rc = module.activateHandler(s.name, &handler);
            ++handlers;
        } else if (s.className == LWCAMERA_ICLASS) {
            LWInterface iface{};
            iface.inst = nullptr;
            rc = module.activateInterface(s.name, &iface);
        } else if (s.className == LWCAMERA_GCLASS) {
            LWGizmo gizmo{};
            rc = module.activateGizmo(s.name, &gizmo);
        } else {
            continue;
        }
        check(rc == AFUNC_OK, what + " activates (code " + std::to_string(rc) + ")");
        out[what + " activation"].code = rc;
    }
    out[key + " handler count"].code = handlers;
    check(handlers > 0, key + " lists " + std::to_string(handlers) + " camera handlers");

    for (const standin::ServerInfo &s : module.servers())
        if (s.className == LWCAMERA_HCLASS) renderCamera(stage, key, module, s.name, out);
}

void writeResults(const Results &results, const std::string &file) {
    std::ofstream os(file);
    for (const auto &kv : results) {
        os << kv.first << '\t' << kv.second.code;
        for (double v : kv.second.values) os << ' ' << hex(v);
        os << '\n';
    }
    check(static_cast<bool>(os), "wrote " + std::to_string(results.size()) + " results to " + file);
}

bool readResults(const std::string &file, Results &out) {
    std::ifstream is(file);
    if (!is) return false;
    std::string line;
    while (std::getline(is, line)) {
        std::size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        std::istringstream fields(line.substr(tab + 1));
        Result r;
        fields >> r.code;
        std::string h;
        while (fields >> h) r.values.push_back(unhex(h));
        out[line.substr(0, tab)] = r;
    }
    return true;
}

// Compares this run with the reference; one check per camera type and kind
// of result keeps the log readable.
void compareResults(const Results &mine, const Results &ref) {
    struct Tally {
        int cases = 0, mismatched = 0;
        std::string firstBad;
    };
    std::map<std::string, Tally> groups;  // "<module> <server> <kind>"
    long long identical = 0, close = 0, values = 0;
    std::int64_t worstUlp = 0;
    auto groupOf = [](const std::string &key) {
        // Keys: "<module> <server> ray i j l t", "... preview", "... flags",
        // "<module> <class> <server> activation", "<module> handler count".
        std::istringstream ks(key);
        std::string a, b, c;
        ks >> a >> b >> c;
        return a + " " + b + " " + c;
    };
    for (const auto &kv : ref) {
        Tally &t = groups[groupOf(kv.first)];
        ++t.cases;
        auto it = mine.find(kv.first);
        bool ok = it != mine.end() && it->second.code == kv.second.code &&
                  it->second.values.size() == kv.second.values.size();
        if (ok) {
            for (std::size_t k = 0; k < kv.second.values.size(); ++k) {
                double a = it->second.values[k], b = kv.second.values[k];
                ++values;
                if (std::memcmp(&a, &b, sizeof a) == 0) {
                    ++identical;
                    continue;
                }
                bool finite = std::isfinite(a) && std::isfinite(b);
                std::int64_t ulp = finite ? ulpDistance(a, b) : std::numeric_limits<std::int64_t>::max();
                if (finite && std::fabs(a - b) <= kAbsTolerance) {
                    ++close;
                } else if (ulp <= kMaxUlp) {
                    ++close;
                    worstUlp = std::max(worstUlp, ulp);
                } else {
                    ok = false;
                }
            }
        }
        if (!ok) {
            ++t.mismatched;
            if (t.firstBad.empty()) t.firstBad = kv.first;
        }
    }
    for (const auto &kv : mine)
        if (!ref.count(kv.first)) {
            Tally &t = groups[groupOf(kv.first)];
            ++t.cases;
            ++t.mismatched;
            if (t.firstBad.empty()) t.firstBad = kv.first + " (not in the reference)";
        }
    for (const auto &g : groups) {
        std::string what = "matches reference: " + g.first + " (" + std::to_string(g.second.cases) + " results";
        if (g.second.mismatched)
            what += ", " + std::to_string(g.second.mismatched) + " differ, first: " + g.second.firstBad;
        check(g.second.mismatched == 0, what + ")");
    }
    std::printf("     %lld of %lld values bit-identical, %lld within tolerance (largest difference %lld ulp)\n",
                identical, values, close, static_cast<long long>(worstUlp));
}

int usage() {
    std::fprintf(stderr, "usage: raygrid --write FILE KEY=MODULE...\n       raygrid --compare FILE KEY=MODULE...\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 4) return usage();
    const std::string mode = argv[1], file = argv[2];
    if (mode != "--write" && mode != "--compare") return usage();

    Results results;
    {
        Stage stage;
        for (int a = 3; a < argc; ++a) {
            std::string arg = argv[a];
            std::size_t eq = arg.find('=');
            if (eq == std::string::npos || eq == 0) return usage();
            runModule(stage, arg.substr(0, eq), arg.substr(eq + 1), results);
        }
    }

    if (mode == "--write") {
        writeResults(results, file);
    } else {
        Results ref;
        bool read = readResults(file, ref);
        check(read && !ref.empty(), "read reference results from " + file);
        if (read) compareResults(results, ref);
    }
    std::printf("raygrid: %d passed, %d failed\n", gPassed, gFailed);
    return gFailed == 0 ? 0 : 1;
}
