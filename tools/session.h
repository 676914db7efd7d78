// session.h -- a scene set up in the stand-in host with the module loaded:
// items and their motion, camera types with parameters and settings, and
// rendering or sampling the rays of one camera item.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "standin/host.h"
#include "tools/render.h"
#include "tools/scene_file.h"

namespace lentara::tool {

// The module or a camera failed while rendering (exit code 1).
class RenderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Session {
public:
    // Loads the modules, in order; RenderError when one cannot be loaded.
    explicit Session(const std::vector<std::string> &modulePaths);
    explicit Session(const std::string &modulePath) : Session(std::vector<std::string>{modulePath}) {}
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    standin::Host &host() { return *host_; }
    const std::vector<const standin::Module *> &modules() const { return modules_; }
    // Server names of the camera handlers of every module, in module and
    // table order; a name offered twice counts once (the first module's).
    std::vector<std::string> CameraTypes() const;
    // The module that offers a camera type, null for none.
    const standin::Module *ModuleOf(const std::string &server) const;
    std::string UserName(const std::string &server) const;

    // Puts the scene into the host; InputError names what does not fit (an
    // unknown camera type, parameter or setting).
    void Build(const SceneDesc &scene);
    const SceneDesc &scene() const { return scene_; }
    LWItemID Item(const std::string &name) const;

    // Sets the camera item's lens and motion blur properties that `desc`
    // gives, then its camera type as SetCameraType does.
    void SetCamera(const std::string &camera, const CameraDesc &desc);
    // Gives a camera item another camera type (or none for an empty server)
    // and applies the parameters and settings; the old instance goes first.
    void SetCameraType(const std::string &camera, const CameraDesc &desc);
    // Sets every camera popup of the item's camera type (those listing
    // "(none)" and the other cameras) to successive cameras, and object
    // popups to the named object. Returns how many popups were set.
    int PickCameras(const std::string &camera, const std::string &object);

    // The item's panel (built on first use), null without a camera type.
    LWXPanelID Panel(const std::string &camera);
    // Channel names of the enveloped parameters of the item's camera type
    // (the names scene files use under "params"), with their current values.
    std::vector<std::pair<std::string, double>> Parameters(const std::string &camera) const;
    // The same with their keys, as a scene file holds them.
    std::vector<std::pair<std::string, Keyed>> ParameterKeys(const std::string &camera) const;
    // The integer settings of the item's panel by data name; popup choices
    // by their text.
    std::vector<std::pair<std::string, SettingValue>> Settings(const std::string &camera);
    // Sets one parameter or setting from text (`--set NAME=VALUE`): a
    // parameter by channel name in the units of scene files, or by panel
    // label in the panel's units (degrees for angles, percent); a setting by
    // name or label as a whole number, true/false or a popup choice.
    // InputError names what is valid.
    void Set(const std::string &camera, const std::string &name, const std::string &text);
    // The text listing of the panel's controls and values.
    std::string PanelText(const std::string &camera);

    // The camera type's scene block in text mode, one string per line.
    std::vector<std::string> SaveBlock(const std::string &camera) const;
    // The scene as it stands, each typed camera carrying its saved block
    // instead of its parameters and settings.
    SceneDesc Snapshot() const;
    // The scene as it stands, each typed camera carrying its parameters by
    // channel name and its settings by name: readable and editable.
    SceneDesc SnapshotByName();

    // Renders one frame through the item's camera (RenderError on failure).
    Image RenderFrame(const std::string &camera, int frame, RenderOptions options, RenderStats *stats = nullptr);
    // Starts and ends a render session around RenderFrame calls.
    void BeginRender(const std::string &camera);
    void EndRender(const std::string &camera);

    struct RaySample {
        double filmX, filmY;
        int result;
        LWCameraRay ray;
    };
    // The camera's rays over a grid of film points covering the film (frame
    // start, lens centre, fraction 0).
    std::vector<RaySample> SampleRays(const std::string &camera, int frame, int columns, int rows);
    // The same, handing each ray to `visit` as it comes (row by row, from
    // the top) instead of keeping them.
    using RayVisitor = std::function<void(const RaySample &, int column, int row)>;
    void SampleRays(const std::string &camera, int frame, int columns, int rows, const RayVisitor &visit);

private:
    void ApplyCamera(LWItemID item, const ItemDesc &desc);
    void ApplyTypeState(LWItemID item, const std::string &name, const CameraDesc &desc);
    void ApplyLens(LWItemID item, const CameraDesc &desc);
    const standin::PanelDataDesc *FindSetting(LWXPanelID panel, const std::string &key,
                                              std::vector<std::string> *known) const;
    void ApplySetting(LWItemID item, const std::string &name, const std::string &key, const SettingValue &value);
    World FrameWorld(int frame) const;
    standin::CameraInstance &Instance(const std::string &camera) const;

    std::unique_ptr<standin::Host> host_;
    std::vector<const standin::Module *> modules_;
    SceneDesc scene_;
    std::map<std::string, LWItemID> items_;
    std::map<LWItemID, LWXPanelID> panels_;
};

} // namespace lentara::tool
