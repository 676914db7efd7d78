// scene_file_entry.cpp -- the fuzzed entry over what users hand the `lentara`
// tool: scene files (read, saved and read back, set up in the host) and the
// --size and --frames values.
#include "fuzz/entries.h"

#include <exception>
#include <string>

#include "standin/module.h"
#include "tools/commands.h"
#include "tools/scene_file.h"
#include "tools/session.h"

namespace lentara_fuzz {
namespace {

using lentara::tool::InputError;
using lentara::tool::SceneDesc;

// The tool's module (the first of the list). One handle stays open for the
// whole run, so each input's session opens it without starting it up again.
const std::string &SceneModule() {
    static const std::string path = ModulePaths().front();
    static const standin::Module keep(path);
    if (!keep.ok()) Fail("cannot load %s: %s", path.c_str(), keep.error().c_str());
    return path;
}

void CheckOptions(const std::string &size, const std::string &frames) {
    int w = 0, h = 0, first = 0, last = 0;
    if (lentara::tool::ParseSize(size, w, h).empty() && (w < 1 || h < 1 || w > 16384 || h > 16384))
        Fail("--size %s gave %dx%d", size.c_str(), w, h);
    if (lentara::tool::ParseFrames(frames, first, last).empty() && last < first)
        Fail("--frames %s gave %d-%d", frames.c_str(), first, last);
}

void CheckScene(const std::string &text) {
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
        lentara::tool::Session session(SceneModule());
        session.Build(scene);
    } catch (const InputError &) {
    }
}

}  // namespace

void SceneFile(const std::uint8_t *data, std::size_t size) {
    const std::string input(reinterpret_cast<const char *>(data), size);
    const std::size_t end = input.find('\0');
    std::string sizeValue, framesValue;
    if (end != std::string::npos) {
        const std::size_t next = input.find('\0', end + 1);
        sizeValue = input.substr(end + 1, next == std::string::npos ? std::string::npos : next - end - 1);
        if (next != std::string::npos) framesValue = input.substr(next + 1);
    }
    try {
        CheckOptions(sizeValue, framesValue);
        CheckScene(input.substr(0, end));
    } catch (const std::exception &e) {
        Fail("uncaught %s", e.what());
    }
}

}  // namespace lentara_fuzz
