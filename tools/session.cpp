// session.cpp -- the scene in the stand-in host, and the render protocol the
// host runs around a camera's evaluate calls.
#include "tools/session.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

namespace lentara::tool {

using standin::CamProp;
using standin::Motion;

namespace {

constexpr double kDegrees = M_PI / 180.0;
constexpr double kDefaultFilmHeight = 0.024;

std::string Lower(std::string s) {
    for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<standin::Key> Scaled(const std::vector<standin::Key> &keys, double scale) {
    std::vector<standin::Key> out = keys;
    for (standin::Key &k : out) k.value *= scale;
    return out;
}

std::string Joined(const std::vector<std::string> &names) {
    std::string out;
    for (const std::string &n : names) out += (out.empty() ? "" : ", ") + n;
    return out.empty() ? "(none)" : out;
}

// Rays of a camera instance during one frame, as the renderer wants them.
class InstanceRays : public RaySource {
public:
    InstanceRays(const standin::Host &host, const standin::CameraInstance &inst)
        : host_(host), inst_(inst), frame_(inst.frameInfo()), start_(inst.access()),
          depthOfField_((inst.flags() & LWCAMTYPEF_SUPPORTSDOF) != 0) {}

    bool Ray(double fx, double fy, double lx, double ly, double fraction, CameraRay *out) const override {
        LWCameraRay ray{};
        // As the host does: a camera type that does not take part in depth
        // of field gets the lens centre.
        if (!depthOfField_) lx = ly = 0.0;
        const int result = inst_.evaluate(fx, fy, lx, ly, fraction, &ray);
        if (result == LWCAMTYPEEVAL_NO_RAY) return false;
        V3 origin{ray.rayPos[0], ray.rayPos[1], ray.rayPos[2]};
        V3 direction{ray.rayDir[0], ray.rayDir[1], ray.rayDir[2]};
        if (result == LWCAMTYPEEVAL_DO_DEF_INTERP && frame_.duration != 0.0) {
            // The ray is as at the frame start: carry it along with the
            // camera's motion from the start to this fraction.
            LWCameraAccess now;
            host_.buildAccess(start_.cameraID, frame_.start + fraction * frame_.duration, &now);
            origin = Move(origin, now, true);
            direction = Move(direction, now, false);
        }
        if (!Finite(origin) || !Finite(direction) || Length(direction) == 0) return false;
        out->origin = origin;
        out->direction = direction;
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k) out->filter[c][k] = ray.filter[c][k];
        return true;
    }
    double FilmWidth() const override { return start_.filmSize[0]; }
    double FilmHeight() const override { return start_.filmSize[1]; }

private:
    V3 Move(V3 v, const LWCameraAccess &now, bool point) const {
        const V3 rel = point ? v - V3{start_.worldPos[0], start_.worldPos[1], start_.worldPos[2]} : v;
        double camera[3];
        for (int i = 0; i < 3; ++i)
            camera[i] = rel.x * start_.toWorld[i][0] + rel.y * start_.toWorld[i][1] + rel.z * start_.toWorld[i][2];
        V3 out = point ? V3{now.worldPos[0], now.worldPos[1], now.worldPos[2]} : V3{};
        for (int i = 0; i < 3; ++i) out = out + camera[i] * V3{now.toWorld[i][0], now.toWorld[i][1], now.toWorld[i][2]};
        return out;
    }

    const standin::Host &host_;
    const standin::CameraInstance &inst_;
    LWFrameInfo frame_;
    LWCameraAccess start_;
    bool depthOfField_;
};

} // namespace

Session::Session(const std::vector<std::string> &modulePaths) : host_(std::make_unique<standin::Host>()) {
    if (modulePaths.empty()) throw RenderError("no module to load");
    for (const std::string &path : modulePaths) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) throw RenderError("no module file at " + path);
        const standin::Module &module = host_->loadModule(path);
        if (!module.ok())
            throw RenderError(module.error().empty() ? "cannot load the module " + path : module.error());
        modules_.push_back(&module);
    }
}

Session::~Session() {
    // Camera types go before the host that serves them.
    for (const auto &entry : items_) host_->clearCameraType(entry.second);
}

std::vector<std::string> Session::CameraTypes() const {
    std::vector<std::string> out;
    for (const standin::Module *module : modules_)
        for (const std::string &name : module->names(LWCAMERA_HCLASS))
            if (std::find(out.begin(), out.end(), name) == out.end()) out.push_back(name);
    return out;
}

const standin::Module *Session::ModuleOf(const std::string &server) const {
    for (const standin::Module *module : modules_)
        if (module->find(LWCAMERA_HCLASS, server)) return module;
    return nullptr;
}

std::string Session::UserName(const std::string &server) const {
    const standin::Module *module = ModuleOf(server);
    return module ? module->find(LWCAMERA_HCLASS, server)->userName() : server;
}

LWItemID Session::Item(const std::string &name) const {
    auto it = items_.find(name);
    return it == items_.end() ? nullptr : it->second;
}

void Session::Build(const SceneDesc &scene) {
    scene_ = scene;
    standin::Scene &s = host_->scene();
    host_->render().fps = scene.fps;
    host_->render().shutter = scene.exposure;
    host_->render().motionSteps = scene.motionSteps;
    for (const ItemDesc &item : scene.items) {
        LWItemID id = item.camera ? s.addCamera(item.name) : s.addObject(item.name);
        items_[item.name] = id;
        s.setPosition(id, item.position[0].value, item.position[1].value, item.position[2].value);
        s.setRotation(id, item.rotation[0].value * kDegrees, item.rotation[1].value * kDegrees,
                      item.rotation[2].value * kDegrees);
        const Motion pos[3] = {Motion::X, Motion::Y, Motion::Z}, rot[3] = {Motion::Heading, Motion::Pitch, Motion::Bank};
        for (int i = 0; i < 3; ++i) {
            if (item.position[i].keyed()) s.setMotionKeys(id, pos[i], item.position[i].keys);
            if (item.rotation[i].keyed()) s.setMotionKeys(id, rot[i], Scaled(item.rotation[i].keys, kDegrees));
        }
        if (item.camera) ApplyCamera(id, item);
    }
    // Camera types once every item exists: their popups list the scene's items.
    for (const ItemDesc &item : scene.items)
        if (item.camera && !item.cam.type.empty()) SetCameraType(item.name, item.cam);
}

void Session::ApplyLens(LWItemID id, const CameraDesc &c) {
    standin::Scene &s = host_->scene();
    auto keyed = [&](CamProp prop, const std::optional<Keyed> &k) {
        if (!k) return;
        s.setCamera(id, prop, k->value);
        s.setCameraKeys(id, prop, k->keys);
    };
    keyed(CamProp::ZoomFactor, c.zoom);
    keyed(CamProp::FocalDistance, c.focalDistance);
    keyed(CamProp::FStop, c.fStop);
    keyed(CamProp::Separation, c.eyeSeparation);
    keyed(CamProp::BlurLength, c.blurLength);
    s.setMotionBlur(id, c.motionBlur);
}

void Session::SetCamera(const std::string &camera, const CameraDesc &desc) {
    LWItemID id = Item(camera);
    if (!id) throw InputError("no camera item is called \"" + camera + "\"");
    ApplyLens(id, desc);
    for (ItemDesc &item : scene_.items)
        if (item.name == camera) {
            CameraDesc &c = item.cam;
            for (auto [to, from] : {std::pair{&c.zoom, &desc.zoom}, {&c.focalDistance, &desc.focalDistance},
                                    {&c.fStop, &desc.fStop}, {&c.eyeSeparation, &desc.eyeSeparation},
                                    {&c.blurLength, &desc.blurLength}})
                if (*from) *to = *from;
            c.motionBlur = desc.motionBlur;
        }
    SetCameraType(camera, desc);
}

void Session::ApplyCamera(LWItemID id, const ItemDesc &item) {
    standin::Scene &s = host_->scene();
    const CameraDesc &c = item.cam;
    ApplyLens(id, c);
    if (c.pixelAspect) s.setCamera(id, CamProp::PixelAspect, *c.pixelAspect);
    // Without a film size the film takes the frame's aspect at 24 mm height.
    const double filmH = c.filmHeight.value_or(kDefaultFilmHeight);
    const double filmW = c.filmWidth.value_or(filmH * scene_.width / scene_.height);
    s.setCamera(id, CamProp::FilmWidth, filmW);
    s.setCamera(id, CamProp::FilmHeight, filmH);
    s.setResolution(id, c.resolutionWidth.value_or(scene_.width), c.resolutionHeight.value_or(scene_.height));
}

void Session::SetCameraType(const std::string &camera, const CameraDesc &desc) {
    LWItemID id = Item(camera);
    if (!id) throw InputError("no camera item is called \"" + camera + "\"");
    panels_.erase(id);
    host_->clearCameraType(id);
    for (ItemDesc &item : scene_.items)
        if (item.name == camera) {
            item.cam.type = desc.type;
            item.cam.params = desc.params;
            item.cam.settings = desc.settings;
            item.cam.block = desc.block;
        }
    if (desc.type.empty()) return;
    const standin::Module *module = ModuleOf(desc.type);
    if (!module)
        throw InputError("camera \"" + camera + "\": unknown camera type \"" + desc.type + "\"; the loaded modules offer: " +
                         Joined(CameraTypes()));
    if (!host_->setCameraType(id, *module, desc.type))
        throw InputError("camera \"" + camera + "\": the camera type " + desc.type + " refused: " + host_->lastError());
    ApplyTypeState(id, camera, desc);
}

void Session::ApplyTypeState(LWItemID id, const std::string &name, const CameraDesc &desc) {
    standin::CameraInstance *inst = host_->cameraInstance(id);
    const std::string where = "camera \"" + name + "\"";
    if (!desc.block.empty()) {
        std::string bytes;
        for (const std::string &line : desc.block) bytes += line + "\n";
        standin::MemoryLoadState state(bytes, LWIO_ASCII);
        const std::string err = inst->load(state);
        if (!err.empty()) throw InputError(where + ".block: the camera type could not read it: " + err);
    }
    standin::EnvelopeStore &envs = host_->envelopes();
    const LWChanGroupID group = host_->scene().chanGroup(id);
    for (const auto &[channel, value] : desc.params) {
        LWVParmID vp = envs.find(group, channel);
        if (!vp) {
            std::vector<std::string> channels;
            for (LWVParmID each : envs.all()) {
                standin::EnvelopeInfo info;
                if (envs.info(each, info) && info.group == group && !info.channelName.empty())
                    channels.push_back(info.channelName);
            }
            throw InputError(where + ".params." + channel + ": " + desc.type + " has no parameter of that name; its parameters: " +
                             Joined(channels));
        }
        if (value.keyed()) envs.setKeys(vp, value.keys);
        else {
            envs.setKeys(vp, {});
            envs.setValue(vp, value.value);
        }
    }
    for (const auto &[key, value] : desc.settings) ApplySetting(id, name, key, value);
}

std::vector<std::pair<std::string, double>> Session::Parameters(const std::string &camera) const {
    std::vector<std::pair<std::string, double>> out;
    for (const auto &[channel, value] : ParameterKeys(camera))
        out.emplace_back(channel, value.keyed() ? standin::Channel::at(value.keys, value.value, host_->timeInfo().time)
                                                : value.value);
    return out;
}

std::vector<std::pair<std::string, Keyed>> Session::ParameterKeys(const std::string &camera) const {
    std::vector<std::pair<std::string, Keyed>> out;
    LWItemID id = Item(camera);
    if (!id || !host_->cameraInstance(id)) return out;
    const standin::EnvelopeStore &envs = host_->envelopes();
    const LWChanGroupID group = host_->scene().chanGroup(id);
    for (LWVParmID vp : envs.all()) {
        standin::EnvelopeInfo info;
        if (envs.info(vp, info) && info.group == group && !info.channelName.empty())
            out.emplace_back(info.channelName, Keyed{info.value[0], info.keys});
    }
    return out;
}

std::vector<std::pair<std::string, SettingValue>> Session::Settings(const std::string &camera) {
    std::vector<std::pair<std::string, SettingValue>> out;
    LWXPanelID panel = Panel(camera);
    const standin::PanelRecord *rec = panel ? host_->panels().record(panel) : nullptr;
    if (!rec) return out;
    for (const standin::PanelDataDesc &d : rec->data) {
        const int *v = d.datatype == "integer" ? static_cast<const int *>(host_->panels().get(panel, d.vid)) : nullptr;
        if (!v) continue;
        const std::vector<std::string> choices = host_->panels().popupChoices(panel, d.vid);
        if (*v >= 0 && *v < static_cast<int>(choices.size())) out.emplace_back(d.name, SettingValue{true, 0, choices[*v]});
        else out.emplace_back(d.name, SettingValue{false, *v, {}});
    }
    return out;
}

void Session::Set(const std::string &camera, const std::string &name, const std::string &text) {
    LWItemID id = Item(camera);
    if (!id || !host_->cameraInstance(id)) throw InputError("camera \"" + camera + "\" has no camera type");
    const std::string type = host_->cameraInstance(id)->server();
    const std::string where = type + " " + name + "=" + text;
    char *end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    const bool isNumber = !text.empty() && *end == '\0' && std::isfinite(number);
    // A parameter by channel name, in the units scene files use.
    standin::EnvelopeStore &envs = host_->envelopes();
    LWVParmID vp = envs.find(host_->scene().chanGroup(id), name);
    double scale = 1.0;
    // Else by its panel label, in the panel's units.
    LWXPanelID panel = Panel(camera);
    const standin::PanelRecord *rec = panel ? host_->panels().record(panel) : nullptr;
    for (std::size_t i = 0; !vp && rec && i < rec->controls.size(); ++i) {
        const standin::PanelControl &c = rec->controls[i];
        const bool enveloped = c.ctrlclass.size() > 4 && c.ctrlclass.compare(c.ctrlclass.size() - 4, 4, "-env") == 0;
        if (!enveloped || Lower(c.label) != Lower(name)) continue;
        vp = host_->panels().get(panel, c.cid);
        if (c.ctrlclass == "angle-env") scale = kDegrees;
        if (c.ctrlclass == "percent-env") scale = 0.01;
    }
    if (vp) {
        if (!isNumber) throw InputError(where + ": the parameter takes a number");
        envs.setKeys(vp, {});
        envs.setValue(vp, number * scale);
        return;
    }
    std::vector<std::string> known;
    for (const auto &[channel, value] : ParameterKeys(camera)) known.push_back(channel);
    if (!FindSetting(panel, name, &known))
        throw InputError(where + ": " + type + " has no parameter or setting of that name; it has: " + Joined(known));
    SettingValue value{!isNumber, static_cast<long long>(number), text};
    if (text == "true" || text == "false") value = SettingValue{false, text == "true" ? 1 : 0, {}};
    if (isNumber && number != std::floor(number)) throw InputError(where + ": the setting takes a whole number");
    ApplySetting(id, camera, name, value);
}

LWXPanelID Session::Panel(const std::string &camera) {
    LWItemID id = Item(camera);
    standin::CameraInstance *inst = id ? host_->cameraInstance(id) : nullptr;
    if (!inst) return nullptr;
    auto it = panels_.find(id);
    if (it != panels_.end()) return it->second;
    LWInterface ui{};
    if (inst->activateInterface(ui) != AFUNC_OK || !ui.panel) return nullptr;
    panels_[id] = ui.panel;
    return ui.panel;
}

std::string Session::PanelText(const std::string &camera) {
    LWXPanelID panel = Panel(camera);
    const standin::PanelService &panels = host_->panels();
    const standin::PanelRecord *rec = panel ? panels.record(panel) : nullptr;
    if (!rec) return "(no panel)\n";
    const double time = host_->timeInfo().time;
    std::string out;
    char line[512];
    for (const standin::PanelControl &c : rec->controls) {
        const std::string type = panels.datatype(panel, c.cid);
        std::snprintf(line, sizeof line, "0x%04X  %-30s %-16s", c.cid, ("\"" + c.label + "\"").c_str(), c.ctrlclass.c_str());
        std::string value;
        const bool enveloped = c.ctrlclass.size() > 4 && c.ctrlclass.compare(c.ctrlclass.size() - 4, 4, "-env") == 0;
        void *v = (c.ctrlclass == "dThumbnail") ? nullptr : panels.get(panel, c.cid);
        if (c.ctrlclass == "dThumbnail") {
            value = "(thumbnail)";
        } else if (!v) {
            value = "(no value)";
        } else if (enveloped) {
            // "-env" controls hand out the envelope, never a number.
            char number[64];
            std::snprintf(number, sizeof number, "%.6g", host_->envelopes().value(v, time));
            value = std::string(number) + " (envelope)";
        } else if (type == "integer") {
            const int n = *static_cast<int *>(v);
            value = std::to_string(n);
            const std::vector<std::string> choices = panels.popupChoices(panel, c.cid);
            if (n >= 0 && n < static_cast<int>(choices.size())) value += " \"" + choices[n] + "\"";
            if (!choices.empty()) {
                std::string list;
                for (const std::string &choice : choices) list += (list.empty() ? "" : " | ") + choice;
                value += "  choices: " + list;
            }
        } else if (type == "string") {
            value = "\"" + std::string(static_cast<const char *>(v)) + "\"";
        } else if (type == "float" || type == "distance" || type == "percent" || type == "angle") {
            char number[64];
            std::snprintf(number, sizeof number, "%.6g", *static_cast<double *>(v));
            value = number;
        } else {
            value = "(" + type + ")";
        }
        out += std::string(line) + " = " + value + "\n";
    }
    return out;
}

const standin::PanelDataDesc *Session::FindSetting(LWXPanelID panel, const std::string &key,
                                                  std::vector<std::string> *known) const {
    const standin::PanelRecord *rec = panel ? host_->panels().record(panel) : nullptr;
    if (!rec) return nullptr;
    const standin::PanelDataDesc *match = nullptr;
    for (const standin::PanelDataDesc &d : rec->data) {
        if (d.datatype != "integer") continue;
        const standin::PanelControl *ctl = host_->panels().control(panel, d.vid);
        if (known) known->push_back("\"" + d.name + "\"");
        if (!match && (Lower(d.name) == Lower(key) || (ctl && Lower(ctl->label) == Lower(key)))) match = &d;
    }
    return match;
}

void Session::ApplySetting(LWItemID id, const std::string &name, const std::string &key, const SettingValue &value) {
    (void)id;
    const std::string where = "camera \"" + name + "\".settings." + key;
    LWXPanelID panel = Panel(name);
    const standin::PanelRecord *rec = panel ? host_->panels().record(panel) : nullptr;
    if (!rec) throw InputError(where + ": the camera type has no panel to take settings");
    std::vector<std::string> known;
    const standin::PanelDataDesc *match = FindSetting(panel, key, &known);
    if (!match) throw InputError(where + ": no such setting; settings of this camera type: " + Joined(known));
    int number = static_cast<int>(value.number);
    const std::vector<std::string> choices = host_->panels().popupChoices(panel, match->vid);
    if (value.isText && choices.empty()) {
        throw InputError(where + ": takes a number or true/false, not the text \"" + value.text + "\"");
    } else if (value.isText) {
        auto found = std::find(choices.begin(), choices.end(), value.text);
        if (found == choices.end()) {
            std::vector<std::string> quoted;
            for (const std::string &c : choices) quoted.push_back("\"" + c + "\"");
            throw InputError(where + ": \"" + value.text + "\" is not one of its choices: " + Joined(quoted));
        }
        number = static_cast<int>(found - choices.begin());
    } else if (!choices.empty() && (number < 0 || number >= static_cast<int>(choices.size()))) {
        throw InputError(where + ": choice " + std::to_string(number) + " is out of range 0.." +
                         std::to_string(choices.size() - 1));
    }
    if (host_->panels().set(panel, match->vid, &number) == 0)
        throw InputError(where + ": the camera type did not take the value");
}

int Session::PickCameras(const std::string &camera, const std::string &object) {
    LWXPanelID panel = Panel(camera);
    const standin::PanelRecord *rec = panel ? host_->panels().record(panel) : nullptr;
    if (!rec) return 0;
    int set = 0, nextCamera = 1;
    for (const standin::PanelDataDesc &d : rec->data) {
        if (d.datatype != "integer") continue;
        const std::vector<std::string> choices = host_->panels().popupChoices(panel, d.vid);
        if (choices.size() < 2 || choices[0] != "(none)") continue;
        const ItemDesc *first = scene_.Find(choices[1]);
        if (!first) continue;
        int pick = 0;
        if (first->camera) {
            pick = 1 + (nextCamera - 1) % static_cast<int>(choices.size() - 1);
            ++nextCamera;
        } else {
            auto it = std::find(choices.begin(), choices.end(), object);
            if (it == choices.end()) continue;
            pick = static_cast<int>(it - choices.begin());
        }
        if (host_->panels().set(panel, d.vid, &pick) != 0) ++set;
        for (ItemDesc &item : scene_.items)
            if (item.name == camera) item.cam.settings.emplace_back(d.name, SettingValue{true, 0, choices[pick]});
    }
    return set;
}

std::vector<std::string> Session::SaveBlock(const std::string &camera) const {
    LWItemID id = Item(camera);
    standin::CameraInstance *inst = id ? host_->cameraInstance(id) : nullptr;
    if (!inst) return {};
    standin::MemorySaveState state(LWIO_ASCII);
    const std::string err = inst->save(state);
    if (!err.empty()) throw RenderError("camera \"" + camera + "\": saving its camera type failed: " + err);
    std::vector<std::string> lines = state.lines();
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

SceneDesc Session::SnapshotByName() {
    SceneDesc out = scene_;
    for (ItemDesc &item : out.items) {
        if (!item.camera || item.cam.type.empty()) continue;
        item.cam.block.clear();
        item.cam.params = ParameterKeys(item.name);
        item.cam.settings = Settings(item.name);
    }
    return out;
}

SceneDesc Session::Snapshot() const {
    SceneDesc out = scene_;
    for (ItemDesc &item : out.items) {
        if (!item.camera || item.cam.type.empty()) continue;
        item.cam.block = SaveBlock(item.name);
        item.cam.params.clear();
        item.cam.settings.clear();
    }
    return out;
}

standin::CameraInstance &Session::Instance(const std::string &camera) const {
    LWItemID id = Item(camera);
    if (!id) throw InputError("no camera item is called \"" + camera + "\"");
    standin::CameraInstance *inst = host_->cameraInstance(id);
    if (!inst) throw InputError("camera \"" + camera + "\" has no camera type");
    return *inst;
}

void Session::BeginRender(const std::string &camera) {
    standin::CameraInstance &inst = Instance(camera);
    const ItemDesc *desc = scene_.Find(camera);
    host_->render().shutter = (desc && desc->cam.motionBlur) ? scene_.exposure : 0.0;
    const std::string err = inst.initRender(LWINIT_RENDER);
    if (!err.empty()) throw RenderError("camera \"" + camera + "\": " + inst.server() + " could not start rendering: " + err);
}

void Session::EndRender(const std::string &camera) { Instance(camera).cleanUp(); }

World Session::FrameWorld(int frame) const {
    World world;
    world.environment = scene_.environment;
    const LWFrameInfo fi = host_->frameInfo(frame);
    const standin::Scene &s = host_->scene();
    for (const ItemDesc &item : scene_.items) {
        if (item.camera || !item.hasShape) continue;
        LWItemID id = Item(item.name);
        bool moves = false;
        for (int i = 0; i < 3; ++i) moves = moves || item.position[i].keyed() || item.rotation[i].keyed();
        const int steps = (moves && fi.duration > 0) ? 16 : 0;
        FrameObject object;
        object.shape = item.shape;
        for (int k = 0; k <= steps; ++k) {
            const double t = fi.start + (steps ? fi.duration * k / steps : 0.0);
            double p[3];
            s.position(id, t, p);
            const standin::Axes a = s.axes(id, t);
            object.placements.push_back({{p[0], p[1], p[2]},
                                         {a.right[0], a.right[1], a.right[2]},
                                         {a.up[0], a.up[1], a.up[2]},
                                         {a.forward[0], a.forward[1], a.forward[2]}});
        }
        world.objects.push_back(std::move(object));
    }
    return world;
}

Image Session::RenderFrame(const std::string &camera, int frame, RenderOptions options, RenderStats *stats) {
    standin::CameraInstance &inst = Instance(camera);
    const double time = host_->frameInfo(frame).start;
    std::string err = inst.newTime(frame, time);
    if (err.empty()) err = inst.newFrame(frame);
    if (!err.empty()) throw RenderError("camera \"" + camera + "\": " + inst.server() + " failed at frame " + std::to_string(frame) + ": " + err);
    const World world = FrameWorld(frame);
    InstanceRays rays(*host_, inst);
    options.seed = static_cast<std::uint32_t>(frame);
    return Render(world, rays, options, stats);
}

std::vector<Session::RaySample> Session::SampleRays(const std::string &camera, int frame, int columns, int rows) {
    std::vector<RaySample> out;
    SampleRays(camera, frame, columns, rows, [&out](const RaySample &s, int, int) { out.push_back(s); });
    return out;
}

void Session::SampleRays(const std::string &camera, int frame, int columns, int rows, const RayVisitor &visit) {
    standin::CameraInstance &inst = Instance(camera);
    BeginRender(camera);
    const double time = host_->frameInfo(frame).start;
    std::string err = inst.newTime(frame, time);
    if (err.empty()) err = inst.newFrame(frame);
    if (!err.empty()) throw RenderError("camera \"" + camera + "\": " + inst.server() + " failed: " + err);
    const double w = inst.access().filmSize[0], h = inst.access().filmSize[1];
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            // From the top-left film corner to the bottom-right one, edges included.
            const double fx = columns > 1 ? (-0.5 + static_cast<double>(c) / (columns - 1)) * w : 0.0;
            const double fy = rows > 1 ? (0.5 - static_cast<double>(r) / (rows - 1)) * h : 0.0;
            RaySample sample{fx, fy, 0, {}};
            sample.result = inst.evaluate(fx, fy, 0.0, 0.0, 0.0, &sample.ray);
            visit(sample, c, r);
        }
    EndRender(camera);
}

} // namespace lentara::tool
