// scene_file.cpp -- reading and writing the JSON scene files, with messages
// that name the offending key.
#include "tools/scene_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

namespace lentara::tool {

using Json = nlohmann::ordered_json;

const ItemDesc *SceneDesc::Find(const std::string &name) const {
    for (const ItemDesc &item : items)
        if (item.name == name) return &item;
    return nullptr;
}

namespace {

[[noreturn]] void Fail(const std::string &path, const std::string &why) { throw InputError(path + ": " + why); }

std::string TypeName(const Json &j) {
    switch (j.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::boolean: return "a boolean";
    case Json::value_t::string: return "a string";
    case Json::value_t::array: return "an array";
    case Json::value_t::object: return "an object";
    default: return "a number";
    }
}

double Number(const Json &j, const std::string &path) {
    if (!j.is_number()) Fail(path, "expected a number, found " + TypeName(j));
    const double v = j.get<double>();
    if (!std::isfinite(v)) Fail(path, "must be finite");
    return v;
}

double Positive(const Json &j, const std::string &path) {
    const double v = Number(j, path);
    if (!(v > 0)) Fail(path, "must be greater than 0, found " + j.dump());
    return v;
}

// An integer that is checked against [lo, hi] as written: one beyond the
// range of long long must not wrap into it.
long long WholeNumber(const Json &j, const std::string &path, long long lo, long long hi) {
    const std::string range = "must be between " + std::to_string(lo) + " and " + std::to_string(hi);
    if (j.is_number_unsigned() && j.get<unsigned long long>() > static_cast<unsigned long long>(hi))
        Fail(path, range + ", found " + j.dump());
    const long long v = j.get<long long>();
    if (v < lo || v > hi) Fail(path, range + ", found " + std::to_string(v));
    return v;
}

int Integer(const Json &j, const std::string &path, long long lo, long long hi) {
    if (!j.is_number_integer()) Fail(path, "expected an integer, found " + TypeName(j) + (j.is_number() ? " with a fraction" : ""));
    return static_cast<int>(WholeNumber(j, path, lo, hi));
}

bool Boolean(const Json &j, const std::string &path) {
    if (!j.is_boolean()) Fail(path, "expected true or false, found " + TypeName(j));
    return j.get<bool>();
}

std::string Text(const Json &j, const std::string &path) {
    if (!j.is_string()) Fail(path, "expected a string, found " + TypeName(j));
    return j.get<std::string>();
}

// Rejects keys this format does not know, so typos do not pass silently.
void OnlyKeys(const Json &obj, const std::string &path, const std::set<std::string> &known) {
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        if (known.count(it.key())) continue;
        std::string list;
        for (const std::string &k : known) list += (list.empty() ? "" : ", ") + k;
        Fail(path.empty() ? it.key() : path + "." + it.key(), "unknown key (known here: " + list + ")");
    }
}

Keyed ParseKeyed(const Json &j, const std::string &path) {
    if (j.is_number()) return Keyed::Of(Number(j, path));
    if (!j.is_object()) Fail(path, "expected a number or {\"keys\": [[time, value], ...]}, found " + TypeName(j));
    OnlyKeys(j, path, {"keys"});
    if (!j.contains("keys")) Fail(path, "missing \"keys\"");
    const Json &keys = j["keys"];
    if (!keys.is_array() || keys.empty()) Fail(path + ".keys", "expected a non-empty array of [time, value] pairs");
    Keyed k;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string kp = path + ".keys[" + std::to_string(i) + "]";
        if (!keys[i].is_array() || keys[i].size() != 2) Fail(kp, "expected [time, value]");
        const double t = Number(keys[i][0], kp + "[0]");
        const double v = Number(keys[i][1], kp + "[1]");
        if (!k.keys.empty() && t <= k.keys.back().time) Fail(kp, "key times must increase");
        k.keys.push_back({t, v});
    }
    k.value = k.keys.front().value;
    return k;
}

void ParseTriple(const Json &j, const std::string &path, Keyed out[3]) {
    if (!j.is_array() || j.size() != 3) Fail(path, "expected an array of three entries, found " + TypeName(j));
    for (int i = 0; i < 3; ++i) out[i] = ParseKeyed(j[i], path + "[" + std::to_string(i) + "]");
}

Rgb ParseColour(const Json &j, const std::string &path) {
    if (!j.is_array() || j.size() != 3) Fail(path, "expected [red, green, blue] with components 0..1");
    float c[3];
    for (int i = 0; i < 3; ++i) {
        const double v = Number(j[i], path + "[" + std::to_string(i) + "]");
        if (v < 0 || v > 1) Fail(path + "[" + std::to_string(i) + "]", "colour components lie in 0..1");
        c[i] = static_cast<float>(v);
    }
    return {c[0], c[1], c[2]};
}

V3 ParseVector(const Json &j, const std::string &path) {
    if (!j.is_array() || j.size() != 3) Fail(path, "expected [x, y, z]");
    return {Number(j[0], path + "[0]"), Number(j[1], path + "[1]"), Number(j[2], path + "[2]")};
}

Material ParseMaterial(const Json &item, const std::string &path, Material m) {
    if (item.contains("colour")) m.colour = ParseColour(item["colour"], path + ".colour");
    if (item.contains("checker")) {
        const Json &c = item["checker"];
        const std::string cp = path + ".checker";
        if (!c.is_object()) Fail(cp, "expected {\"colour\": [r, g, b], \"size\": n}");
        OnlyKeys(c, cp, {"colour", "size"});
        m.checker = true;
        if (c.contains("colour")) m.colour2 = ParseColour(c["colour"], cp + ".colour");
        if (c.contains("size")) m.checkerSize = Positive(c["size"], cp + ".size");
    }
    return m;
}

CameraDesc ParseCamera(const Json &j, const std::string &path) {
    CameraDesc c;
    if (j.contains("zoom")) c.zoom = ParseKeyed(j["zoom"], path + ".zoom");
    if (j.contains("focal_distance")) c.focalDistance = ParseKeyed(j["focal_distance"], path + ".focal_distance");
    if (j.contains("f_stop")) c.fStop = ParseKeyed(j["f_stop"], path + ".f_stop");
    if (j.contains("eye_separation")) c.eyeSeparation = ParseKeyed(j["eye_separation"], path + ".eye_separation");
    if (j.contains("blur_length")) c.blurLength = ParseKeyed(j["blur_length"], path + ".blur_length");
    if (j.contains("pixel_aspect")) c.pixelAspect = Positive(j["pixel_aspect"], path + ".pixel_aspect");
    if (j.contains("film_size")) {
        const Json &f = j["film_size"];
        if (!f.is_array() || f.size() != 2) Fail(path + ".film_size", "expected [width, height] in metres");
        c.filmWidth = Positive(f[0], path + ".film_size[0]");
        c.filmHeight = Positive(f[1], path + ".film_size[1]");
    }
    if (j.contains("resolution")) {
        const Json &r = j["resolution"];
        if (!r.is_array() || r.size() != 2) Fail(path + ".resolution", "expected [width, height] in pixels");
        c.resolutionWidth = Integer(r[0], path + ".resolution[0]", 1, 65536);
        c.resolutionHeight = Integer(r[1], path + ".resolution[1]", 1, 65536);
    }
    if (j.contains("motion_blur")) c.motionBlur = Boolean(j["motion_blur"], path + ".motion_blur");
    if (j.contains("type")) {
        c.type = Text(j["type"], path + ".type");
        if (c.type.empty()) Fail(path + ".type", "must name a camera type (a server name)");
    }
    if (j.contains("params")) {
        const Json &p = j["params"];
        if (!p.is_object()) Fail(path + ".params", "expected an object of channel name -> value");
        if (c.type.empty()) Fail(path + ".params", "parameters need a \"type\"");
        for (auto it = p.begin(); it != p.end(); ++it) c.params.emplace_back(it.key(), ParseKeyed(it.value(), path + ".params." + it.key()));
    }
    if (j.contains("settings")) {
        const Json &s = j["settings"];
        if (!s.is_object()) Fail(path + ".settings", "expected an object of setting name -> value");
        if (c.type.empty()) Fail(path + ".settings", "settings need a \"type\"");
        for (auto it = s.begin(); it != s.end(); ++it) {
            const std::string sp = path + ".settings." + it.key();
            SettingValue v;
            if (it.value().is_boolean()) {
                v.number = it.value().get<bool>() ? 1 : 0;
            } else if (it.value().is_number_integer()) {
                v.number = WholeNumber(it.value(), sp, -2147483648LL, 2147483647LL);
            } else if (it.value().is_string()) {
                v.isText = true;
                v.text = it.value().get<std::string>();
            } else {
                Fail(sp, "expected an integer, true/false or the name of a popup choice, found " + TypeName(it.value()));
            }
            c.settings.emplace_back(it.key(), v);
        }
    }
    if (j.contains("block")) {
        const Json &b = j["block"];
        if (!b.is_array()) Fail(path + ".block", "expected an array of text lines");
        if (c.type.empty()) Fail(path + ".block", "a saved block needs a \"type\"");
        for (std::size_t i = 0; i < b.size(); ++i) c.block.push_back(Text(b[i], path + ".block[" + std::to_string(i) + "]"));
    }
    return c;
}

ItemDesc ParseItem(const Json &j, const std::string &path) {
    if (!j.is_object()) Fail(path, "expected an object, found " + TypeName(j));
    ItemDesc item;
    if (!j.contains("name")) Fail(path, "missing \"name\"");
    item.name = Text(j["name"], path + ".name");
    if (item.name.empty()) Fail(path + ".name", "must not be empty");
    if (!j.contains("kind")) Fail(path, "missing \"kind\" (\"camera\" or \"object\")");
    const std::string kind = Text(j["kind"], path + ".kind");
    if (kind == "camera") {
        item.camera = true;
    } else if (kind != "object") {
        Fail(path + ".kind", "must be \"camera\" or \"object\", found \"" + kind + "\"");
    }
    if (j.contains("position")) ParseTriple(j["position"], path + ".position", item.position);
    if (j.contains("rotation")) ParseTriple(j["rotation"], path + ".rotation", item.rotation);
    if (item.camera) {
        OnlyKeys(j, path, {"name", "kind", "position", "rotation", "zoom", "focal_distance", "f_stop", "eye_separation",
                           "blur_length", "pixel_aspect", "film_size", "resolution", "motion_blur", "type", "params",
                           "settings", "block"});
        item.cam = ParseCamera(j, path);
        item.hasShape = false;
        return item;
    }
    OnlyKeys(j, path, {"name", "kind", "position", "rotation", "shape", "radius", "size", "colour", "checker"});
    const std::string shape = j.contains("shape") ? Text(j["shape"], path + ".shape") : "sphere";
    if (shape == "sphere") {
        item.shape.kind = ShapeKind::Sphere;
        if (j.contains("radius")) item.shape.radius = Positive(j["radius"], path + ".radius");
        if (j.contains("size")) Fail(path + ".size", "a sphere has a \"radius\", not a \"size\"");
    } else if (shape == "box") {
        item.shape.kind = ShapeKind::Box;
        if (j.contains("size")) {
            const Json &s = j["size"];
            if (!s.is_array() || s.size() != 3) Fail(path + ".size", "expected [width, height, depth]");
            item.shape.size = {Positive(s[0], path + ".size[0]"), Positive(s[1], path + ".size[1]"),
                               Positive(s[2], path + ".size[2]")};
        }
        if (j.contains("radius")) Fail(path + ".radius", "a box has a \"size\", not a \"radius\"");
    } else if (shape == "none") {
        item.hasShape = false;
    } else {
        Fail(path + ".shape", "must be \"sphere\", \"box\" or \"none\", found \"" + shape + "\"");
    }
    item.shape.material = ParseMaterial(j, path, item.shape.material);
    return item;
}

void ParseEnvironment(const Json &j, Environment &env) {
    const std::string path = "environment";
    if (!j.is_object()) Fail(path, "expected an object");
    OnlyKeys(j, path, {"zenith", "horizon", "below", "sun_direction", "sun_colour", "sun_radius", "ground",
                       "ground_height", "ground_colours", "checker_size", "fog_distance"});
    if (j.contains("zenith")) env.zenith = ParseColour(j["zenith"], path + ".zenith");
    if (j.contains("horizon")) env.horizon = ParseColour(j["horizon"], path + ".horizon");
    if (j.contains("below")) env.below = ParseColour(j["below"], path + ".below");
    if (j.contains("sun_direction")) {
        env.sunDirection = ParseVector(j["sun_direction"], path + ".sun_direction");
        if (Length(env.sunDirection) == 0) Fail(path + ".sun_direction", "must not be the zero vector");
    }
    if (j.contains("sun_colour")) env.sun = ParseColour(j["sun_colour"], path + ".sun_colour");
    if (j.contains("sun_radius")) env.sunRadiusDegrees = Positive(j["sun_radius"], path + ".sun_radius");
    if (j.contains("ground")) env.ground = Boolean(j["ground"], path + ".ground");
    if (j.contains("ground_height")) env.groundHeight = Number(j["ground_height"], path + ".ground_height");
    if (j.contains("ground_colours")) {
        const Json &g = j["ground_colours"];
        if (!g.is_array() || g.size() != 2) Fail(path + ".ground_colours", "expected two colours");
        env.groundMaterial.colour = ParseColour(g[0], path + ".ground_colours[0]");
        env.groundMaterial.colour2 = ParseColour(g[1], path + ".ground_colours[1]");
    }
    if (j.contains("checker_size")) env.groundMaterial.checkerSize = Positive(j["checker_size"], path + ".checker_size");
    if (j.contains("fog_distance")) {
        env.fogDistance = Number(j["fog_distance"], path + ".fog_distance");
        if (env.fogDistance < 0) Fail(path + ".fog_distance", "must be 0 (no haze) or more");
    }
}

// Line and column (1-based) of a byte offset.
void LineColumn(const std::string &text, std::size_t offset, std::size_t &line, std::size_t &column) {
    line = 1;
    column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
}

} // namespace

SceneDesc ParseScene(const std::string &text, const std::string &origin) {
    Json root;
    try {
        root = Json::parse(text);
    } catch (const Json::parse_error &e) {
        std::size_t line = 0, column = 0;
        // The error offset counts the byte that could not be read (1-based).
        LineColumn(text, e.byte > 0 ? e.byte - 1 : 0, line, column);
        std::string what = e.what();
        const std::size_t colon = what.rfind(": ");
        if (colon != std::string::npos) what = what.substr(colon + 2);
        throw InputError(origin + ":" + std::to_string(line) + ":" + std::to_string(column) + ": malformed JSON: " + what);
    } catch (const Json::out_of_range &e) {
        // The reader's one range error: a number beyond a double (1e999).
        std::string what = e.what();
        const std::size_t open = what.find('\''), close = what.rfind('\'');
        std::size_t line = 1, column = 1;
        if (open != std::string::npos && close > open) {
            const std::size_t at = text.find(what.substr(open + 1, close - open - 1));
            if (at != std::string::npos) LineColumn(text, at, line, column);
            what = "the number " + what.substr(open + 1, close - open - 1);
        }
        throw InputError(origin + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + what +
                         " is too large (numbers must be finite)");
    }
    try {
        SceneDesc scene;
        if (!root.is_object()) Fail("(top level)", "expected an object, found " + TypeName(root));
        OnlyKeys(root, "", {"format", "fps", "frames", "motion_blur", "render", "environment", "items"});
        if (root.contains("format")) {
            const std::string format = Text(root["format"], "format");
            if (format != "lentara-scene 1") Fail("format", "unsupported format \"" + format + "\" (this reads \"lentara-scene 1\")");
        }
        if (root.contains("fps")) scene.fps = Positive(root["fps"], "fps");
        if (root.contains("frames")) {
            const Json &f = root["frames"];
            if (!f.is_array() || f.size() != 2) Fail("frames", "expected [first, last]");
            scene.frameFirst = Integer(f[0], "frames[0]", -1000000, 1000000);
            scene.frameLast = Integer(f[1], "frames[1]", -1000000, 1000000);
            if (scene.frameLast < scene.frameFirst) Fail("frames", "the last frame comes before the first");
        }
        if (root.contains("motion_blur")) {
            const Json &m = root["motion_blur"];
            if (!m.is_object()) Fail("motion_blur", "expected {\"exposure\": fraction, \"motion_steps\": n}");
            OnlyKeys(m, "motion_blur", {"exposure", "motion_steps"});
            if (m.contains("exposure")) {
                scene.exposure = Number(m["exposure"], "motion_blur.exposure");
                if (scene.exposure < 0 || scene.exposure > 1)
                    Fail("motion_blur.exposure", "is a fraction of the frame period, 0..1");
            }
            if (m.contains("motion_steps")) scene.motionSteps = static_cast<unsigned>(Integer(m["motion_steps"], "motion_blur.motion_steps", 0, 1000));
        }
        if (root.contains("render")) {
            const Json &r = root["render"];
            if (!r.is_object()) Fail("render", "expected an object");
            OnlyKeys(r, "render", {"width", "height", "samples", "cameras"});
            if (r.contains("width")) scene.width = Integer(r["width"], "render.width", 1, 16384);
            if (r.contains("height")) scene.height = Integer(r["height"], "render.height", 1, 16384);
            if (r.contains("samples")) scene.samples = Integer(r["samples"], "render.samples", 1, 4096);
            if (r.contains("cameras")) {
                const Json &c = r["cameras"];
                if (!c.is_array()) Fail("render.cameras", "expected an array of camera item names");
                for (std::size_t i = 0; i < c.size(); ++i)
                    scene.renderCameras.push_back(Text(c[i], "render.cameras[" + std::to_string(i) + "]"));
            }
        }
        if (root.contains("environment")) ParseEnvironment(root["environment"], scene.environment);
        if (!root.contains("items")) Fail("items", "missing: a scene needs at least one camera item");
        const Json &items = root["items"];
        if (!items.is_array()) Fail("items", "expected an array, found " + TypeName(items));
        std::set<std::string> names;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::string path = "items[" + std::to_string(i) + "]";
            ItemDesc item = ParseItem(items[i], path);
            if (!names.insert(item.name).second) Fail(path + ".name", "another item is already called \"" + item.name + "\"");
            scene.items.push_back(std::move(item));
        }
        bool anyCamera = false;
        for (const ItemDesc &item : scene.items) anyCamera = anyCamera || item.camera;
        if (!anyCamera) Fail("items", "the scene has no camera item");
        for (std::size_t i = 0; i < scene.renderCameras.size(); ++i) {
            const ItemDesc *item = scene.Find(scene.renderCameras[i]);
            if (!item || !item->camera)
                Fail("render.cameras[" + std::to_string(i) + "]", "no camera item is called \"" + scene.renderCameras[i] + "\"");
        }
        return scene;
    } catch (const InputError &e) {
        throw InputError(origin + ": " + e.what());
    }
}

SceneDesc LoadScene(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputError(path + ": cannot open the scene file");
    std::ostringstream text;
    text << in.rdbuf();
    return ParseScene(text.str(), path);
}

namespace {

Json KeyedJson(const Keyed &k) {
    if (!k.keyed()) return k.value;
    Json keys = Json::array();
    for (const standin::Key &key : k.keys) keys.push_back({key.time, key.value});
    return Json{{"keys", keys}};
}

// The shortest decimal that reads back as the same float.
double Short(float v) {
    char text[32];
    for (int digits = 6; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(v));
        if (std::strtof(text, nullptr) == v) break;
    }
    return std::strtod(text, nullptr);
}

Json ColourJson(Rgb c) { return Json::array({Short(c.r), Short(c.g), Short(c.b)}); }

} // namespace

std::string SceneToJson(const SceneDesc &scene) {
    Json root;
    root["format"] = "lentara-scene 1";
    root["fps"] = scene.fps;
    root["frames"] = {scene.frameFirst, scene.frameLast};
    root["motion_blur"] = {{"exposure", scene.exposure}, {"motion_steps", scene.motionSteps}};
    Json render{{"width", scene.width}, {"height", scene.height}, {"samples", scene.samples}};
    if (!scene.renderCameras.empty()) render["cameras"] = scene.renderCameras;
    root["render"] = render;
    const Environment &env = scene.environment;
    root["environment"] = {
        {"zenith", ColourJson(env.zenith)},
        {"horizon", ColourJson(env.horizon)},
        {"below", ColourJson(env.below)},
        {"sun_direction", {env.sunDirection.x, env.sunDirection.y, env.sunDirection.z}},
        {"sun_colour", ColourJson(env.sun)},
        {"sun_radius", env.sunRadiusDegrees},
        {"ground", env.ground},
        {"ground_height", env.groundHeight},
        {"ground_colours", {ColourJson(env.groundMaterial.colour), ColourJson(env.groundMaterial.colour2)}},
        {"checker_size", env.groundMaterial.checkerSize},
        {"fog_distance", env.fogDistance},
    };
    Json items = Json::array();
    for (const ItemDesc &item : scene.items) {
        Json j;
        j["name"] = item.name;
        j["kind"] = item.camera ? "camera" : "object";
        j["position"] = {KeyedJson(item.position[0]), KeyedJson(item.position[1]), KeyedJson(item.position[2])};
        j["rotation"] = {KeyedJson(item.rotation[0]), KeyedJson(item.rotation[1]), KeyedJson(item.rotation[2])};
        if (item.camera) {
            const CameraDesc &c = item.cam;
            if (c.zoom) j["zoom"] = KeyedJson(*c.zoom);
            if (c.focalDistance) j["focal_distance"] = KeyedJson(*c.focalDistance);
            if (c.fStop) j["f_stop"] = KeyedJson(*c.fStop);
            if (c.eyeSeparation) j["eye_separation"] = KeyedJson(*c.eyeSeparation);
            if (c.blurLength) j["blur_length"] = KeyedJson(*c.blurLength);
            if (c.pixelAspect) j["pixel_aspect"] = *c.pixelAspect;
            if (c.filmWidth && c.filmHeight) j["film_size"] = {*c.filmWidth, *c.filmHeight};
            if (c.resolutionWidth && c.resolutionHeight) j["resolution"] = {*c.resolutionWidth, *c.resolutionHeight};
            j["motion_blur"] = c.motionBlur;
            if (!c.type.empty()) j["type"] = c.type;
            if (!c.params.empty()) {
                Json p = Json::object();
                for (const auto &[name, value] : c.params) p[name] = KeyedJson(value);
                j["params"] = p;
            }
            if (!c.settings.empty()) {
                Json s = Json::object();
                for (const auto &[name, value] : c.settings) {
                    if (value.isText) s[name] = value.text;
                    else s[name] = value.number;
                }
                j["settings"] = s;
            }
            if (!c.block.empty()) j["block"] = c.block;
        } else if (!item.hasShape) {
            j["shape"] = "none";
        } else {
            const Shape &s = item.shape;
            if (s.kind == ShapeKind::Sphere) {
                j["shape"] = "sphere";
                j["radius"] = s.radius;
            } else {
                j["shape"] = "box";
                j["size"] = {s.size.x, s.size.y, s.size.z};
            }
            j["colour"] = ColourJson(s.material.colour);
            if (s.material.checker)
                j["checker"] = {{"colour", ColourJson(s.material.colour2)}, {"size", s.material.checkerSize}};
        }
        items.push_back(j);
    }
    root["items"] = items;
    return root.dump(2) + "\n";
}

} // namespace lentara::tool
