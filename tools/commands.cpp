// commands.cpp -- demo, render, rays and info.
#include "tools/commands.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>

#include <nlohmann/json.hpp>

#include "tools/demo.h"
#include "tools/session.h"

namespace lentara::tool {

namespace fs = std::filesystem;

std::string DefaultModulePath() {
    if (const char *env = std::getenv("LENTARA_MODULE"); env && *env) return env;
#ifdef LENTARA_DEFAULT_MODULE
    return LENTARA_DEFAULT_MODULE;
#else
    return "Vantor_Lentara.p";
#endif
}

namespace {

std::string ModulePath(const CommonOptions &o) { return o.module.empty() ? DefaultModulePath() : o.module; }

std::string FileSafe(const std::string &name) {
    std::string out;
    for (char c : name) out += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
    return out;
}

std::string FrameName(const std::string &camera, int frame) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d", frame);
    return FileSafe(camera) + "_" + digits + ".png";
}

} // namespace

bool ParseSize(const std::string &text, int &width, int &height) {
    int w = 0, h = 0;
    char x = 0, extra = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &extra) != 3 || (x != 'x' && x != 'X')) return false;
    if (w < 1 || h < 1 || w > 16384 || h > 16384) return false;
    width = w;
    height = h;
    return true;
}

bool ParseFrames(const std::string &text, int &first, int &last) {
    int a = 0, b = 0;
    char dash = 0, extra = 0;
    const int n = std::sscanf(text.c_str(), "%d%c%d%c", &a, &dash, &b, &extra);
    if (n == 1) {
        first = last = a;
        return true;
    }
    if (n != 3 || dash != '-' || b < a) return false;
    first = a;
    last = b;
    return true;
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

namespace {
// The demo's settings for a camera type: the types whose defaults show a
// detail of the scene get the values of their example scenes, so every
// picture reads at a glance.
CameraDesc DemoCameraType(const std::string &type) {
    CameraDesc desc;
    desc.type = type;
    if (type == "VantorCylinderCam") {
        desc.params = {{"HorizontalFOVradians", Keyed::Of(3.0)},
                       {"MaxVerticalFOVradians", Keyed::Of(1.2)},
                       {"MinVerticalFOVradians", Keyed::Of(-1.2)}};
        desc.settings = {{"Size", SettingValue{true, 0, "Horizontal Axis"}}};
    } else if (type == "VantorFisheyeCam") {
        desc.params = {{"FisheyePower", Keyed::Of(1.5)}};
    }
    return desc;
}
} // namespace

int RunDemo(const DemoOptions &options, std::ostream &out, std::ostream &err) {
    if (const std::string problem = PrepareOutputDir(options.outDir); !problem.empty()) {
        err << "lentara demo: " << problem << "\n";
        return kExitInputError;
    }
    try {
        Session session(ModulePath(options.common));
        const std::vector<std::string> types = session.CameraTypes();
        if (types.empty()) {
            err << "lentara demo: the module offers no camera type\n";
            return kExitRenderFailure;
        }
        SceneDesc scene = DemoScene(options.width, options.height, options.samples);
        scene.environment.file = options.environment;
        session.Build(scene);
        RenderOptions ro;
        ro.width = options.width;
        ro.height = options.height;
        ro.samples = options.samples;
        ro.threads = options.common.threads;
        ro.progress = options.common.progress;
        std::vector<SheetEntry> sheet;
        RenderStats total;
        int failures = 0;
        for (const std::string &type : types) {
            CameraDesc desc = DemoCameraType(type);
            try {
                session.SetCameraType(kDemoCamera, desc);
                session.PickCameras(kDemoCamera, kDemoTarget);
                ro.label = type;
                session.BeginRender(kDemoCamera);
                RenderStats stats;
                const Image image = session.RenderFrame(kDemoCamera, 0, ro, &stats);
                session.EndRender(kDemoCamera);
                const std::string path = (fs::path(options.outDir) / (type + ".png")).string();
                if (const std::string problem = WriteImage(path, image); !problem.empty()) throw RenderError(problem);
                out << path << "  " << session.UserName(type) << "  " << FormatStats(stats) << "\n";
                total.rays += stats.rays;
                total.seconds += stats.seconds;
                total.threads = stats.threads;
                sheet.push_back({image, session.UserName(type), type});
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
        if (const std::string problem = WriteImage(sheetPath, contact); !problem.empty()) {
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
    if (const std::string problem = PrepareOutputDir(options.outDir); !problem.empty()) {
        err << "lentara render: " << problem << "\n";
        return kExitInputError;
    }
    try {
        Session session(ModulePath(options.common));
        session.Build(scene);
        for (const std::string &camera : cameras)
            if (session.scene().Find(camera)->cam.type.empty())
                throw InputError("camera \"" + camera + "\" is to be rendered but has no \"type\"");
        if (!options.saveScene.empty()) {
            const std::string text = SceneToJson(session.Snapshot());
            const std::string temp = options.saveScene + ".tmp-" + std::to_string(getpid());
            std::ofstream file(temp, std::ios::binary);
            file << text;
            file.close();
            if (!file || std::rename(temp.c_str(), options.saveScene.c_str()) != 0) {
                std::remove(temp.c_str());
                err << "lentara render: cannot write " << options.saveScene << "\n";
                return kExitInputError;
            }
            out << options.saveScene << "  scene with the cameras' saved blocks\n";
        }
        RenderOptions ro;
        ro.width = scene.width;
        ro.height = scene.height;
        ro.samples = scene.samples;
        ro.threads = options.common.threads;
        ro.progress = options.common.progress;
        RenderStats total;
        for (const std::string &camera : cameras) {
            session.BeginRender(camera);
            for (int frame = scene.frameFirst; frame <= scene.frameLast; ++frame) {
                ro.label = camera + " " + std::to_string(frame);
                RenderStats stats;
                const Image image = session.RenderFrame(camera, frame, ro, &stats);
                const std::string path = (fs::path(options.outDir) / FrameName(camera, frame)).string();
                if (const std::string problem = WriteImage(path, image); !problem.empty()) throw RenderError(problem);
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

int RunRays(const RaysOptions &options, std::ostream &out, std::ostream &err) {
    if (options.format != "csv" && options.format != "json") {
        err << "lentara rays: --format must be csv or json\n";
        return kExitInputError;
    }
    try {
        Session session(ModulePath(options.common));
        SceneDesc scene = DemoScene(360, 240, 1);
        const std::vector<std::string> types = session.CameraTypes();
        if (std::find(types.begin(), types.end(), options.type) == types.end()) {
            std::string list;
            for (const std::string &t : types) list += (list.empty() ? "" : ", ") + t;
            err << "lentara rays: unknown camera type \"" << options.type << "\"; this module offers: " << list << "\n";
            return kExitInputError;
        }
        // A still camera at the origin looking down +Z, so the rays read directly.
        ItemDesc &cam = scene.items.front();
        for (int i = 0; i < 3; ++i) cam.position[i] = Keyed::Of(0), cam.rotation[i] = Keyed::Of(0);
        session.Build(scene);
        CameraDesc desc;
        desc.type = options.type;
        session.SetCameraType(kDemoCamera, desc);
        session.PickCameras(kDemoCamera, kDemoTarget);
        const auto samples = session.SampleRays(kDemoCamera, 0, options.columns, options.rows);
        out << std::setprecision(10);
        if (options.format == "csv") {
            out << "column,row,film_x,film_y,result,pos_x,pos_y,pos_z,dir_x,dir_y,dir_z,norm_x,norm_y,norm_z\n";
            for (std::size_t i = 0; i < samples.size(); ++i) {
                const auto &s = samples[i];
                out << i % options.columns << "," << i / options.columns << "," << s.filmX << "," << s.filmY << ","
                    << s.result;
                for (const double *v : {s.ray.rayPos, s.ray.rayDir, s.ray.filmNorm})
                    for (int k = 0; k < 3; ++k) out << "," << (s.result ? v[k] : 0.0);
                out << "\n";
            }
        } else {
            nlohmann::ordered_json j;
            j["type"] = options.type;
            j["grid"] = {options.columns, options.rows};
            const LWItemID item = session.Item(kDemoCamera);
            j["film_size"] = {session.host().scene().camera(item, standin::CamProp::FilmWidth, 0),
                              session.host().scene().camera(item, standin::CamProp::FilmHeight, 0)};
            nlohmann::ordered_json rays = nlohmann::ordered_json::array();
            for (std::size_t i = 0; i < samples.size(); ++i) {
                const auto &s = samples[i];
                nlohmann::ordered_json r;
                r["column"] = i % options.columns;
                r["row"] = i / options.columns;
                r["film"] = {s.filmX, s.filmY};
                r["result"] = s.result;
                if (s.result) {
                    r["origin"] = {s.ray.rayPos[0], s.ray.rayPos[1], s.ray.rayPos[2]};
                    r["direction"] = {s.ray.rayDir[0], s.ray.rayDir[1], s.ray.rayDir[2]};
                    r["film_normal"] = {s.ray.filmNorm[0], s.ray.filmNorm[1], s.ray.filmNorm[2]};
                }
                rays.push_back(r);
            }
            j["rays"] = rays;
            out << j.dump(2) << "\n";
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

int RunInfo(const CommonOptions &options, std::ostream &out, std::ostream &err) {
    try {
        Session session(ModulePath(options));
        session.Build(DemoScene(320, 180, 1));
        out << "module " << session.module().path() << "\n";
        std::string lastName;
        for (const standin::ServerInfo &s : session.module().servers()) {
            out << "  " << std::left << std::setw(16) << s.className << " " << std::setw(32) << s.name << " "
                << s.userName() << "\n";
        }
        for (const std::string &type : session.CameraTypes()) {
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
