// reproject.cpp -- `lentara reproject`: the environment image alone through
// one camera type, written in the format the output's extension names.
#include "tools/reproject.h"

#include <algorithm>
#include <filesystem>

#include "tools/commands.h"
#include "tools/session.h"

namespace lentara::tool {

namespace fs = std::filesystem;

const char *const kDefaultReprojectSizes =
    "2048x1024 for the Panoramic, SuperPano, Dual and Stereo types, 2048x1536 for the Skybox and 12Up types, "
    "2048x2048 for fisheyes and domes (a type whose server name says Fisheye or Dome), 1920x1080 for the rest";

void DefaultReprojectSize(const std::string &type, int &width, int &height) {
    auto has = [&](const char *word) { return type.find(word) != std::string::npos; };
    width = 2048;
    if (has("Panoramic") || has("AdvPan") || has("MultiCam") || has("Stereo")) height = 1024;
    else if (has("Skybox") || has("12Up")) height = 1536;
    else if (has("Fisheye") || has("Dome")) height = 2048;
    else width = 1920, height = 1080;
}

namespace {

constexpr const char *kCamera = "Camera";

// The scene to render: the named camera item of a scene file (its objects
// kept as invisible targets for the camera's popups), or one camera at the
// origin; the environment image in place of sky and ground.
SceneDesc ReprojectScene(const ReprojectOptions &o, std::string &camera) {
    SceneDesc scene;
    if (!o.scene.empty()) {
        scene = LoadScene(o.scene);
        camera = o.camera;
        const ItemDesc *found = scene.Find(camera);
        if (!found || !found->camera) throw InputError(o.scene + ": no camera item is called \"" + camera + "\"");
        for (ItemDesc &item : scene.items) {
            if (!item.camera) item.hasShape = false;
            if (item.name != camera || o.type.empty() || o.type == item.cam.type) continue;
            // Another type: the item's parameters and settings were the old type's.
            item.cam.type = o.type;
            item.cam.params.clear();
            item.cam.settings.clear();
            item.cam.block.clear();
        }
        if (scene.Find(camera)->cam.type.empty())
            throw InputError(o.scene + ": camera \"" + camera + "\" has no \"type\"; give one with --type");
        scene.renderCameras = {camera};
    } else {
        ItemDesc item;
        item.name = camera = kCamera;
        item.camera = true;
        item.hasShape = false;
        item.cam.type = o.type;
        scene.items.push_back(item);
        scene.frameFirst = scene.frameLast = 0;
    }
    const std::string &type = scene.Find(camera)->cam.type;
    if (o.width && o.height) {
        scene.width = *o.width;
        scene.height = *o.height;
    } else if (o.scene.empty()) {
        DefaultReprojectSize(type, scene.width, scene.height);
    }
    scene.samples = o.samples;
    scene.environment.file = o.input;
    scene.environment.ground = false;
    return scene;
}

} // namespace

int RunReproject(const ReprojectOptions &o, std::ostream &out, std::ostream &err) {
    auto fail = [&err](int code, const std::string &message) {
        err << "lentara reproject: " << message << "\n";
        return code;
    };
    if (o.type.empty() && o.scene.empty()) return fail(kExitInputError, "--type is required (or --scene with --camera)");
    if (o.scene.empty() != o.camera.empty()) return fail(kExitInputError, "--scene and --camera go together");
    if (std::string problem = CheckImageOutput(o.output, o.depth); !problem.empty()) return fail(kExitInputError, problem);
    const fs::path folder = fs::path(o.output).parent_path();
    std::error_code ec;
    if (!folder.empty() && !fs::is_directory(folder, ec))
        return fail(kExitInputError, "cannot write " + o.output + ": the folder " + folder.string() + " does not exist");
    std::vector<std::pair<std::string, std::string>> sets;
    for (const std::string &set : o.sets) {
        const std::size_t eq = set.find('=');
        if (eq == std::string::npos || eq == 0) return fail(kExitInputError, "--set wants NAME=VALUE, found \"" + set + "\"");
        sets.emplace_back(set.substr(0, eq), set.substr(eq + 1));
    }
    try {
        std::string camera;
        const SceneDesc scene = ReprojectScene(o, camera);
        const std::string type = scene.Find(camera)->cam.type;
        Session session(o.modules.empty() ? DefaultModulePaths() : o.modules);
        if (!session.ModuleOf(type)) {
            std::string list;
            for (const std::string &t : session.CameraTypes()) list += (list.empty() ? "" : ", ") + t;
            throw InputError("unknown camera type \"" + type + "\"; the loaded modules offer: " + list);
        }
        session.Build(scene);
        for (const auto &[name, value] : sets) session.Set(camera, name, value);

        RenderOptions ro;
        ro.width = scene.width;
        ro.height = scene.height;
        ro.samples = scene.samples;
        ro.threads = o.threads;
        ro.progress = o.progress;
        ro.label = type;
        ro.alpha = true;
        RenderStats stats;
        session.BeginRender(camera);
        const Image image = session.RenderFrame(camera, scene.frameFirst, ro, &stats);
        session.EndRender(camera);
        if (std::string problem = WriteImage(o.output, image, o.depth); !problem.empty()) throw RenderError(problem);
        out << o.output << "  " << scene.width << "x" << scene.height << " " << type << "  " << FormatStats(stats) << "\n";
        return kExitOk;
    } catch (const InputError &e) {
        return fail(kExitInputError, e.what());
    } catch (const std::exception &e) {
        return fail(kExitRenderFailure, e.what());
    }
}

} // namespace lentara::tool
