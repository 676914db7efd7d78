// scene_file_entry.cpp -- the fuzzed entry over what users hand the `lentara`
// tool: scene files (read, saved and read back, set up in the host) and the
// --size, --frames and --set values.
#include "fuzz/entries.h"

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "standin/module.h"
#include "tools/commands.h"
#include "tools/scene_file.h"
#include "tools/session.h"

namespace lentara_fuzz {
namespace {

using lentara::tool::InputError;
using lentara::tool::SceneDesc;

// The module files of the list, as `lentara --module` would load them. One
// handle each stays open for the whole run, so each input's session opens
// them without starting them up again.
const std::vector<std::string> &SceneModules() {
    static const std::vector<std::string> paths(ModulePaths().begin(), ModulePaths().end());
    static const std::vector<std::unique_ptr<standin::Module>> keep = [] {
        std::vector<std::unique_ptr<standin::Module>> open;
        for (const std::string &path : paths) {
            open.push_back(std::make_unique<standin::Module>(path));
            if (!open.back()->ok()) Fail("cannot load %s: %s", path.c_str(), open.back()->error().c_str());
        }
        return open;
    }();
    return paths;
}

void CheckOptions(const std::string &size, const std::string &frames) {
    using lentara::tool::kMaxFrame;
    using lentara::tool::kMaxSide;
    int w = 0, h = 0, first = 0, last = 0;
    if (lentara::tool::ParseSize(size, w, h).empty() && (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide))
        Fail("--size %s gave %dx%d", size.c_str(), w, h);
    if (lentara::tool::ParseFrames(frames, first, last).empty() &&
        (last < first || first < -kMaxFrame || last > kMaxFrame))
        Fail("--frames %s gave %d-%d", frames.c_str(), first, last);
}

// `set` is NAME=VALUE for the first camera with a type, as --set gives it.
void CheckScene(const std::string &text, const std::string &set) {
    SceneDesc scene;
    try {
        scene = lentara::tool::ParseScene(text, "input.json");
    } catch (const InputError &e) {
        if (std::string(e.what()).rfind("input.json:", 0) != 0) Fail("an input error that does not name the file: %s", e.what());
        return;
    }
    // What was read saves to text that reads back to the same scene.
    const std::string saved = lentara::tool::SceneToJson(scene);
    try {
        const std::string again = lentara::tool::SceneToJson(lentara::tool::ParseScene(saved, "saved.json"));
        if (again != saved) Fail("the scene changed over save, read, save:\n%s\n---\n%s", saved.c_str(), again.c_str());
    } catch (const InputError &e) {
        Fail("a saved scene does not read back: %s\n%s", e.what(), saved.c_str());
    }
    // Into the host: camera types, parameters, settings and blocks are
    // taken or named as not fitting.
    try {
        lentara::tool::Session session(SceneModules());
        session.Build(scene);
        const std::size_t eq = set.find('=');
        if (eq == std::string::npos) return;
        for (const lentara::tool::ItemDesc &item : scene.items)
            if (item.camera && !item.cam.type.empty()) {
                session.Set(item.name, set.substr(0, eq), set.substr(eq + 1));
                break;
            }
    } catch (const InputError &) {
    }
}

}  // namespace

void SceneFile(const std::uint8_t *data, std::size_t size) {
    const std::string input(reinterpret_cast<const char *>(data), size);
    // The scene text, then the --size, --frames and --set values, NUL apart.
    std::string parts[4];
    for (std::size_t i = 0, at = 0; i < 4 && at <= input.size(); ++i) {
        const std::size_t end = input.find('\0', at);
        parts[i] = input.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (end == std::string::npos) break;
        at = end + 1;
    }
    try {
        CheckOptions(parts[1], parts[2]);
        CheckScene(parts[0], parts[3]);
    } catch (const std::exception &e) {
        Fail("uncaught %s", e.what());
    }
}

}  // namespace lentara_fuzz
