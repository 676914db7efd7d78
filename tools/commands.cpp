// commands.cpp -- demo, render, rays and info.
#include "tools/commands.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>

#include <nlohmann/json.hpp>

#include "tools/default_modules.h"
#include "tools/demo.h"
#include "tools/session.h"

namespace lentara::tool {

namespace fs = std::filesystem;

// ---- module list -----------------------------------------------------------

std::vector<std::string> DefaultModulePaths() {
    std::vector<std::string> out;
    if (const char *env = std::getenv("LENTARA_MODULE"); env && *env) {
        std::istringstream list(env);
        for (std::string path; std::getline(list, path, ':');)
            if (!path.empty()) out.push_back(path);
        return out;
    }
    for (const char *path : kBuiltModules) out.push_back(path);
    return out;
}

std::string VersionText() {
#ifdef LENTARA_VERSION
    return std::string("lentara ") + LENTARA_VERSION;
#else
    return "lentara";
#endif
}

namespace {

std::vector<std::string> ModulePaths(const CommonOptions &o) {
    return o.modules.empty() ? DefaultModulePaths() : o.modules;
}

std::string FileSafe(const std::string &name) {
    std::string out;
    for (char c : name) out += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
    return out;
}

// Says when the renderer used fewer threads than --threads asked for.
void NoteThreads(const char *command, int asked, int used, bool &noted, std::ostream &err) {
    if (noted || asked <= 0 || used >= asked) return;
    err << "lentara " << command << ": --threads " << asked << ": " << used
        << " used (at most one per image row)\n";
    noted = true;
}

} // namespace

// ---- number ranges on the command line -------------------------------------

namespace {

// A whole number within [lo, hi]; empty on success, else what is wrong.
std::string ParseWhole(const std::string &text, long long lo, long long hi, const char *what, long long &value) {
    errno = 0;
    char *end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || end == text.c_str() || *end != '\0') return std::string(what) + " \"" + text + "\" is not a whole number";
    if (errno == ERANGE || v < lo || v > hi)
        return std::string(what) + " " + text + " is out of range: " + std::to_string(lo) + " to " + std::to_string(hi);
    value = v;
    return {};
}

} // namespace

std::string ParseSize(const std::string &text, int &width, int &height) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return "wants WxH, e.g. 640x360";
    long long w = 0, h = 0;
    std::string problem = ParseWhole(text.substr(0, x), 1, kMaxSide, "width", w);
    if (problem.empty()) problem = ParseWhole(text.substr(x + 1), 1, kMaxSide, "height", h);
    if (!problem.empty()) return problem;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return {};
}

std::string ParseFrames(const std::string &text, int &first, int &last) {
    // The dash between A and B, not a sign in front of either.
    const std::size_t dash = text.find('-', 1);
    long long a = 0, b = 0;
    std::string problem = ParseWhole(text.substr(0, dash), -kMaxFrame, kMaxFrame, "frame", a);
    if (problem.empty()) b = a;
    if (problem.empty() && dash != std::string::npos) problem = ParseWhole(text.substr(dash + 1), -kMaxFrame, kMaxFrame, "frame", b);
    if (!problem.empty()) return problem + " (--frames wants A-B or one frame)";
    if (b < a) return "the last frame " + std::to_string(b) + " comes before the first " + std::to_string(a);
    first = static_cast<int>(a);
    last = static_cast<int>(b);
    return {};
}

std::string PrepareOutputDir(const std::string &dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) return "cannot create the output folder " + dir + ": " + ec.message();
    if (!fs::is_directory(dir, ec)) return "the output path " + dir + " is not a folder";
    const std::string probe = (fs::path(dir) / (".lentara-write-test-" + std::to_string(getpid()))).string();
    std::FILE *f = std::fopen(probe.c_str(), "wb");
    if (!f) return "cannot write in the output folder " + dir + ": " + std::strerror(errno);
    std::fclose(f);
    std::remove(probe.c_str());
    return {};
}

// ---- demo ------------------------------------------------------------------

namespace {

// How the demo shows a camera type: settings that show what the type is for,
// and the label lines that say so (and so how it differs from its
// neighbours). Types without a row render at their defaults.
struct DemoRow {
    const char *type;
    const char *note;
    void (*apply)(CameraDesc &);
};

// An aperture wide enough for the demo's metre-sized scene, focused on the
// red ball (the demo target, 5 m ahead).
void WideAperture(CameraDesc &d) {
    d.fStop = Keyed::Of(0.1);
    d.focalDistance = Keyed::Of(5.0);
}

const DemoRow kDemoRows[] = {
    {"VantorMultiCam", "left: Cam Front, right: Cam Left", [](CameraDesc &) {}},
    {"Vantor4UpCam", "bottom row 1-1, 1-2: Front, Left;\ntop row 2-1, 2-2: Right, Top", [](CameraDesc &) {}},
    {"Vantor12UpCam", "4 x 3 tiles from 1-1 at bottom left:\nthe six scene cameras twice", [](CameraDesc &) {}},
    {"VantorStereoCam", "left eye | right eye, 25 cm apart,\ntoed in on the red ball",
     [](CameraDesc &d) { d.params = {{"EyeSeparation", Keyed::Of(0.25)}}; }},
    {"VantorSkyboxCam", "six 90-degree cube faces unfolded\nas a cross; six cells stay empty", [](CameraDesc &) {}},
    {"VantorPanoramicCam", "360 x 180 degrees: the whole sphere\nas a lat-long map",
     [](CameraDesc &d) {
         d.params = {{"MaxVerticalFOVradians", Keyed::Of(M_PI / 2)}, {"MinVerticalFOVradians", Keyed::Of(-M_PI / 2)}};
     }},
    {"VantorAdvPanCam", "panorama with per-side scales: left\nx0.4, top x2.5; shifted 1/4 turn",
     [](CameraDesc &d) {
         d.params = {{"HScaleNeg", Keyed::Of(0.4)}, {"VScalePos", Keyed::Of(2.5)}, {"HShift", Keyed::Of(0.5)}};
     }},
    {"VantorCylinderCam", "lying cylinder: 3 m straight across,\n+-69 degrees up and down",
     [](CameraDesc &d) {
         d.params = {{"HorizontalFOVradians", Keyed::Of(3.0)},
                     {"MaxVerticalFOVradians", Keyed::Of(1.2)},
                     {"MinVerticalFOVradians", Keyed::Of(-1.2)}};
         d.settings = {{"Size", SettingValue{true, 0, "Horizontal Axis"}}};
     }},
    {"VantorPerspectiveCam", "depth of field, focused on the red\nball; motion blur", WideAperture},
    {"VantorPerspectiveNoDOFCam", "the same lens without depth of field;\nmotion blur", WideAperture},
    {"VantorPerspectiveNoDOFNoMBCam", "as No DoF; the camera's motion blur\nswitched off here (the type has it)",
     [](CameraDesc &d) {
         WideAperture(d);
         d.motionBlur = false;
     }},
    {"VantorFisheyeCam", "zoom 0.7, distortion power 1.6: a\nwide view bent like a fisheye lens",
     [](CameraDesc &d) {
         d.zoom = Keyed::Of(0.7);
         d.params = {{"FisheyePower", Keyed::Of(1.6)}};
     }},
    {"VantorOverscanCam", "Cam Front with its film widened\nby 40 %",
     [](CameraDesc &d) { d.params = {{"Overscan", Keyed::Of(0.4)}}; }},
    {"VantorDomeCam", "180-degree dome master, tilted up\n30 degrees as planetarium masters are",
     [](CameraDesc &d) { d.params = {{"DomeTilt", Keyed::Of(M_PI / 6)}}; }},
    {"VantorCubemapCam", "six 90-degree faces in 3 x 2 blocks:\n+X -X +Y over -Y +Z -Z",
     [](CameraDesc &d) { d.settings = {{"Layout", SettingValue{false, 4, {}}}}; }},
};

struct DemoSetup {
    CameraDesc desc;
    std::string note;
};

// The demo camera's own properties (`base`) with the type and its row applied.
DemoSetup DemoCameraType(const std::string &type, const CameraDesc &base) {
    DemoSetup s{base, {}};
    s.desc.type = type;
    s.desc.params.clear();
    s.desc.settings.clear();
    s.desc.block.clear();
    for (const DemoRow &row : kDemoRows)
        if (type == row.type) {
            row.apply(s.desc);
            s.note = row.note;
        }
    return s;
}

} // namespace

int RunDemo(const DemoOptions &options, std::ostream &out, std::ostream &err) {
    if (const std::string problem = PrepareOutputDir(options.outDir); !problem.empty()) {
        err << "lentara demo: " << problem << "\n";
        return kExitInputError;
    }
    try {
        Session session(ModulePaths(options.common));
        const std::vector<std::string> types = session.CameraTypes();
        if (types.empty()) {
            err << "lentara demo: the modules offer no camera type\n";
            return kExitRenderFailure;
        }
        const SceneDesc scene = DemoScene(options.width, options.height, options.samples);
        session.Build(scene);
        const CameraDesc base = scene.Find(kDemoCamera)->cam;
        RenderOptions ro;
        ro.width = options.width;
        ro.height = options.height;
        ro.samples = options.samples;
        ro.threads = options.common.threads;
        ro.progress = options.common.progress;
        std::vector<SheetEntry> sheet;
        RenderStats total;
        int failures = 0;
        bool threadsNoted = false;
        for (const std::string &type : types) {
            const DemoSetup setup = DemoCameraType(type, base);
            try {
                session.SetCamera(kDemoCamera, setup.desc);
                session.PickCameras(kDemoCamera, kDemoTarget);
                ro.label = type;
                session.BeginRender(kDemoCamera);
                RenderStats stats;
                const Image image = session.RenderFrame(kDemoCamera, 0, ro, &stats);
                session.EndRender(kDemoCamera);
                NoteThreads("demo", options.common.threads, stats.threads, threadsNoted, err);
                const std::string path = (fs::path(options.outDir) / (type + ".png")).string();
                if (const std::string problem = WritePng(path, image); !problem.empty()) throw RenderError(problem);
                out << path << "  " << session.UserName(type) << "  " << FormatStats(stats) << "\n";
                total.rays += stats.rays;
                total.seconds += stats.seconds;
                total.threads = stats.threads;
                sheet.push_back({image, session.UserName(type), type + (setup.note.empty() ? "" : "\n" + setup.note)});
            } catch (const std::exception &e) {
                err << "lentara demo: " << type << ": " << e.what() << "\n";
                ++failures;
            }
        }
        session.SetCameraType(kDemoCamera, CameraDesc{});
        std::string fontProblem;
        const Image contact = ContactSheet(sheet, 4, 240, &fontProblem);
        if (!fontProblem.empty()) err << "lentara demo: contact sheet without labels: " << fontProblem << "\n";
        const std::string sheetPath = (fs::path(options.outDir) / "contact-sheet.png").string();
        if (const std::string problem = WritePng(sheetPath, contact); !problem.empty()) {
            err << "lentara demo: " << problem << "\n";
            return kExitRenderFailure;
        }
        out << sheetPath << "  contact sheet of " << sheet.size() << " camera types\n";
        out << "total: " << FormatStats(total) << "\n";
        out << "PNG files in " << fs::absolute(options.outDir).lexically_normal().string() << "\n";
        return failures ? kExitRenderFailure : kExitOk;
    } catch (const InputError &e) {
        err << "lentara demo: " << e.what() << "\n";
        return kExitInputError;
    } catch (const std::exception &e) {
        err << "lentara demo: " << e.what() << "\n";
        return kExitRenderFailure;
    }
}

// ---- render ----------------------------------------------------------------

std::string DefaultRenderDir(const std::string &scene) {
    return (fs::path("out") / "render" / FileSafe(fs::path(scene).stem().string())).string();
}

namespace {

// <camera item>_<camera type>_<frame>.png
std::string FrameName(const std::string &camera, const std::string &type, int frame) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d", frame);
    return FileSafe(camera) + "_" + FileSafe(type) + "_" + digits + ".png";
}

// Whether writing `saved` would replace the scene file `scene`.
bool SameFile(const std::string &scene, const std::string &saved) {
    std::error_code ec;
    const bool same = fs::equivalent(scene, saved, ec);
    return !ec && same;
}

// Writes the text through a temporary file and a rename; empty on success.
std::string WriteTextFile(const std::string &path, const std::string &text) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return path + " is a folder";
    const std::string temp = path + ".tmp-" + std::to_string(getpid());
    std::ofstream file(temp, std::ios::binary);
    if (!file) return "cannot write " + path + ": " + std::strerror(errno);
    file << text;
    file.close();
    if (!file) {
        const std::string why = std::strerror(errno);
        std::remove(temp.c_str());
        return "cannot write " + path + ": " + why;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        std::remove(temp.c_str());
        return "cannot write " + path + ": " + why;
    }
    return {};
}

} // namespace

int RunRender(const RenderCommandOptions &options, std::ostream &out, std::ostream &err) {
    SceneDesc scene;
    try {
        scene = LoadScene(options.scene);
    } catch (const InputError &e) {
        err << "lentara render: " << e.what() << "\n";
        return kExitInputError;
    }
    if (options.width) scene.width = *options.width;
    if (options.height) scene.height = *options.height;
    if (options.samples) scene.samples = *options.samples;
    if (options.frameFirst) scene.frameFirst = *options.frameFirst;
    if (options.frameLast) scene.frameLast = *options.frameLast;
    std::vector<std::string> cameras = scene.renderCameras;
    if (cameras.empty())
        for (const ItemDesc &item : scene.items)
            if (item.camera && !item.cam.type.empty()) cameras.push_back(item.name);
    if (cameras.empty()) {
        err << "lentara render: " << options.scene << ": no camera item has a \"type\" and render.cameras names none\n";
        return kExitInputError;
    }
    if (!options.saveScene.empty() && !options.force && SameFile(options.scene, options.saveScene)) {
        err << "lentara render: --save-scene " << options.saveScene
            << " would replace the scene file itself; give another name or --force\n";
        return kExitInputError;
    }
    if (std::error_code ec; !options.saveScene.empty() && fs::is_directory(options.saveScene, ec)) {
        err << "lentara render: --save-scene: " << options.saveScene << " is a folder\n";
        return kExitInputError;
    }
    const std::string outDir = options.outDir.empty() ? DefaultRenderDir(options.scene) : options.outDir;
    try {
        Session session(ModulePaths(options.common));
        session.Build(scene);
        for (const std::string &camera : cameras)
            if (session.scene().Find(camera)->cam.type.empty())
                throw InputError("camera \"" + camera + "\" is to be rendered but has no \"type\"");
        // The folder only once the scene is known to render.
        if (const std::string problem = PrepareOutputDir(outDir); !problem.empty()) {
            err << "lentara render: " << problem << "\n";
            return kExitInputError;
        }
        if (!options.saveScene.empty()) {
            if (const std::string problem = WriteTextFile(options.saveScene, SceneToJson(session.SnapshotByName()));
                !problem.empty()) {
                err << "lentara render: --save-scene: " << problem << "\n";
                return kExitInputError;
            }
            out << options.saveScene << "  scene with each camera's parameters and settings\n";
        }
        RenderOptions ro;
        ro.width = scene.width;
        ro.height = scene.height;
        ro.samples = scene.samples;
        ro.threads = options.common.threads;
        ro.progress = options.common.progress;
        RenderStats total;
        bool threadsNoted = false;
        for (const std::string &camera : cameras) {
            const std::string type = session.scene().Find(camera)->cam.type;
            session.BeginRender(camera);
            for (int frame = scene.frameFirst; frame <= scene.frameLast; ++frame) {
                ro.label = camera + " " + std::to_string(frame);
                RenderStats stats;
                const Image image = session.RenderFrame(camera, frame, ro, &stats);
                NoteThreads("render", options.common.threads, stats.threads, threadsNoted, err);
                const std::string path = (fs::path(outDir) / FrameName(camera, type, frame)).string();
                if (const std::string problem = WritePng(path, image); !problem.empty()) throw RenderError(problem);
                out << path << "  " << FormatStats(stats) << "\n";
                total.rays += stats.rays;
                total.seconds += stats.seconds;
                total.threads = stats.threads;
            }
            session.EndRender(camera);
        }
        out << "total: " << FormatStats(total) << "\n";
        return kExitOk;
    } catch (const InputError &e) {
        err << "lentara render: " << options.scene << ": " << e.what() << "\n";
        return kExitInputError;
    } catch (const std::exception &e) {
        err << "lentara render: " << e.what() << "\n";
        return kExitRenderFailure;
    }
}

// ---- rays ------------------------------------------------------------------

namespace {

// The camera item whose rays `rays` prints, set up in the session: the named
// (or first typed) camera of the scene file, else the demo's camera standing
// still at the origin and looking down +Z, so the rays read directly.
std::string SetUpRayCamera(Session &session, const RaysOptions &options) {
    std::string camera = kDemoCamera;
    if (options.scene.empty()) {
        if (options.type.empty()) throw InputError("--type is needed without --scene");
        SceneDesc scene = DemoScene(360, 240, 1);
        ItemDesc &cam = scene.items.front();
        for (int i = 0; i < 3; ++i) cam.position[i] = Keyed::Of(0), cam.rotation[i] = Keyed::Of(0);
        session.Build(scene);
        CameraDesc desc;
        desc.type = options.type;
        session.SetCameraType(camera, desc);
        session.PickCameras(camera, kDemoTarget);
    } else {
        const SceneDesc scene = LoadScene(options.scene);
        camera = options.camera;
        if (camera.empty())
            for (const ItemDesc &item : scene.items)
                if (camera.empty() && item.camera && (!item.cam.type.empty() || !options.type.empty())) camera = item.name;
        const ItemDesc *item = scene.Find(camera);
        if (!item || !item->camera) throw InputError(options.scene + ": no camera item " + (camera.empty() ? "has a \"type\"" : "is called \"" + camera + "\""));
        session.Build(scene);
        if (!options.type.empty() && options.type != item->cam.type) {
            CameraDesc desc;
            desc.type = options.type;
            session.SetCameraType(camera, desc);
        }
    }
    for (const std::string &set : options.sets) {
        const std::size_t eq = set.find('=');
        if (eq == std::string::npos || eq == 0) throw InputError("--set wants NAME=VALUE, found \"" + set + "\"");
        session.Set(camera, set.substr(0, eq), set.substr(eq + 1));
    }
    return camera;
}

} // namespace

int RunRays(const RaysOptions &options, std::ostream &out, std::ostream &err) {
    if (options.format != "csv" && options.format != "json") {
        err << "lentara rays: --format must be csv or json\n";
        return kExitInputError;
    }
    try {
        Session session(ModulePaths(options.common));
        const std::string camera = SetUpRayCamera(session, options);
        const int frame = session.scene().frameFirst;
        out << std::setprecision(10);
        // Rays are written as they come, so a large grid needs no memory.
        bool first = true;
        auto csvRay = [&](const Session::RaySample &s, int column, int row) {
            out << column << "," << row << "," << s.filmX << "," << s.filmY << "," << s.result;
            for (const double *v : {s.ray.rayPos, s.ray.rayDir, s.ray.filmNorm})
                for (int k = 0; k < 3; ++k) out << "," << (s.result ? v[k] : 0.0);
            out << "\n";
        };
        auto jsonRay = [&](const Session::RaySample &s, int column, int row) {
            nlohmann::ordered_json r;
            r["column"] = column;
            r["row"] = row;
            r["film"] = {s.filmX, s.filmY};
            r["result"] = s.result;
            if (s.result) {
                r["origin"] = {s.ray.rayPos[0], s.ray.rayPos[1], s.ray.rayPos[2]};
                r["direction"] = {s.ray.rayDir[0], s.ray.rayDir[1], s.ray.rayDir[2]};
                r["film_normal"] = {s.ray.filmNorm[0], s.ray.filmNorm[1], s.ray.filmNorm[2]};
            }
            out << (first ? "\n    " : ",\n    ") << r.dump();
            first = false;
        };
        if (options.format == "csv") {
            out << "column,row,film_x,film_y,result,pos_x,pos_y,pos_z,dir_x,dir_y,dir_z,norm_x,norm_y,norm_z\n";
            session.SampleRays(camera, frame, options.columns, options.rows, csvRay);
        } else {
            const LWItemID item = session.Item(camera);
            const nlohmann::ordered_json head = {
                {"type", session.scene().Find(camera)->cam.type},
                {"camera", camera},
                {"grid", {options.columns, options.rows}},
                {"film_size", {session.host().scene().camera(item, standin::CamProp::FilmWidth, 0),
                               session.host().scene().camera(item, standin::CamProp::FilmHeight, 0)}}};
            std::string text = head.dump(2);
            text.pop_back(); // the closing brace; the rays follow
            while (!text.empty() && text.back() == '\n') text.pop_back();
            out << text << ",\n  \"rays\": [";
            session.SampleRays(camera, frame, options.columns, options.rows, jsonRay);
            out << "\n  ]\n}\n";
        }
        return kExitOk;
    } catch (const InputError &e) {
        err << "lentara rays: " << e.what() << "\n";
        return kExitInputError;
    } catch (const std::exception &e) {
        err << "lentara rays: " << e.what() << "\n";
        return kExitRenderFailure;
    }
}

// ---- info ------------------------------------------------------------------

int RunInfo(const InfoOptions &options, std::ostream &out, std::ostream &err) {
    try {
        Session session(ModulePaths(options.common));
        session.Build(DemoScene(320, 180, 1));
        std::vector<std::string> types = session.CameraTypes();
        if (!options.type.empty()) {
            if (std::find(types.begin(), types.end(), options.type) == types.end()) {
                std::string list;
                for (const std::string &t : types) list += (list.empty() ? "" : ", ") + t;
                err << "lentara info: unknown camera type \"" << options.type << "\"; the loaded modules offer: " << list
                    << "\n";
                return kExitInputError;
            }
            types = {options.type};
            out << "module " << session.ModuleOf(options.type)->path() << "\n";
        } else {
            for (const standin::Module *module : session.modules()) {
                out << "module " << module->path() << "\n";
                for (const standin::ServerInfo &s : module->servers())
                    out << "  " << std::left << std::setw(16) << s.className << " " << std::setw(32) << s.name << " "
                        << s.userName() << "\n";
            }
        }
        for (const std::string &type : types) {
            CameraDesc desc;
            desc.type = type;
            out << "\n== " << type << " (" << session.UserName(type) << ")\n";
            try {
                session.SetCameraType(kDemoCamera, desc);
            } catch (const std::exception &e) {
                out << "  cannot create: " << e.what() << "\n";
                continue;
            }
            const standin::CameraInstance *inst = session.host().cameraInstance(session.Item(kDemoCamera));
            out << "  describe: " << inst->describe() << "\n";
            out << "  flags: " << inst->flags() << "\n";
            out << "  parameters:";
            for (const auto &[channel, value] : session.Parameters(kDemoCamera)) out << " " << channel << "=" << value;
            out << "\n  panel:\n";
            std::istringstream panel(session.PanelText(kDemoCamera));
            for (std::string line; std::getline(panel, line);) out << "    " << line << "\n";
        }
        session.SetCameraType(kDemoCamera, CameraDesc{});
        return kExitOk;
    } catch (const InputError &e) {
        err << "lentara info: " << e.what() << "\n";
        return kExitInputError;
    } catch (const std::exception &e) {
        err << "lentara info: " << e.what() << "\n";
        return kExitRenderFailure;
    }
}

} // namespace lentara::tool
