// scene_file.h -- the JSON scene files of `lentara render`: items with keyed
// motion, camera properties, the camera type of each camera item with its
// parameters and settings, motion blur and the render set-up. The format is
// described in docs/scene-format.md.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "standin/scene.h"
#include "tools/world.h"

namespace lentara::tool {

// A scene file that cannot be used: the message names the key and the reason.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A number that may be keyed over time (seconds).
struct Keyed {
    double value = 0;
    std::vector<standin::Key> keys;
    bool keyed() const { return !keys.empty(); }
    static Keyed Of(double v) { return {v, {}}; }
};

// One setting of a camera type: an integer, or the name of a popup choice.
struct SettingValue {
    bool isText = false;
    long long number = 0;
    std::string text;
};

struct CameraDesc {
    std::optional<Keyed> zoom, focalDistance, fStop, eyeSeparation, blurLength;
    std::optional<double> filmWidth, filmHeight, pixelAspect;
    std::optional<int> resolutionWidth, resolutionHeight;
    bool motionBlur = true;
    std::string type; // server name; empty: the host's own camera
    std::vector<std::pair<std::string, Keyed>> params;          // channel name -> value
    std::vector<std::pair<std::string, SettingValue>> settings; // control name -> value
    std::vector<std::string> block;                             // the type's own saved block, text lines
};

struct ItemDesc {
    std::string name;
    bool camera = false;
    Keyed position[3];
    Keyed rotation[3]; // heading, pitch, bank in degrees
    Shape shape;       // objects
    bool hasShape = true; // objects without a shape are only targets (nulls)
    CameraDesc cam;
};

struct SceneDesc {
    double fps = 30;
    int frameFirst = 0, frameLast = 0;
    double exposure = 0.5; // exposure as a fraction of the frame period
    unsigned int motionSteps = 0;
    int width = 320, height = 180, samples = 4;
    std::vector<std::string> renderCameras; // empty: every camera item with a type
    Environment environment;
    std::vector<ItemDesc> items;

    const ItemDesc *Find(const std::string &name) const;
};

// Parses a scene from JSON text; `origin` names the file in messages.
SceneDesc ParseScene(const std::string &text, const std::string &origin);
SceneDesc LoadScene(const std::string &path);
// The scene as JSON text (two-space indented, ends with a newline).
std::string SceneToJson(const SceneDesc &scene);

} // namespace lentara::tool
