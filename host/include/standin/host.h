// The stand-in host: one per process at a time.  It owns the scene and the
// services a camera plug-in asks for through the global lookup function, and
// runs camera types applied to scene items.
#ifndef STANDIN_HOST_H
#define STANDIN_HOST_H

#include "module/lwhost.h"
#include "standin/camera.h"
#include "standin/draw.h"
#include "standin/envelope.h"
#include "standin/iostate.h"
#include "standin/module.h"
#include "standin/panel.h"
#include "standin/scene.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <string>
#include <vector>

namespace standin {

struct RenderSettings {
    double fps = 30.0;
    double shutter = 0.5;      // exposure as a fraction of the frame period
    unsigned int motionSteps = 0;
};

struct Message {
    std::string kind;  // "info", "error", "warning", "okCancel", "yesNo", "yesNoCan", "yesNoAll"
    std::string first, second, third;
};

struct EvaluatorLog {
    LWItemID item = nullptr;
    std::vector<std::string> calls;  // "create", "init", "newTime", "newFrame", "preview",
                                     // "evaluate" (once per run of evaluations), "cleanUp", "destroy"
    long long evaluations = 0;
    bool pinhole = false;
    bool destroyed = false;
};

class Host {
public:
    Host();   // becomes the current host
    ~Host();  // no longer current
    Host(const Host &) = delete;
    Host &operator=(const Host &) = delete;

    static Host *current();
    static GlobalFunc *globalFunc();  // the function handed to activations

    // ---- global lookup
    void *lookup(const char *serviceName, int useMode);
    std::vector<std::string> lookupLog() const;  // names in request order
    int lookupCount(const std::string &name) const;
    void clearLookupLog();

    // ---- fault injection
    void setServiceMissing(const std::string &name, bool missing = true);
    void setSystemId(unsigned int id);
    unsigned int systemId() const { return systemId_.load(); }
    void setRenderNode(unsigned int node);  // LWSYS_SCREAMERNET | node
    // In render-node mode the panel, vparm and message services are withheld
    // unless this is turned off.
    void setRenderNodeWithholds(bool withhold) { renderNodeWithholds_ = withhold; }
    void setEnvelopeCreateFails(bool fails) { envelopes_.setCreateFails(fails); }
    void setItemNameNull(bool on) { itemNameNull_ = on; }
    void setCameraInfoZero(bool on) { cameraInfoZero_ = on; }  // film size and resolution 0
    void setEvaluatorRefuses(bool on) { evaluatorRefuses_ = on; }
    bool itemNameNull() const { return itemNameNull_; }
    bool cameraInfoZero() const { return cameraInfoZero_; }

    // ---- owned parts
    Scene &scene() { return scene_; }
    EnvelopeStore &envelopes() { return envelopes_; }
    PanelService &panels() { return panels_; }
    std::vector<Message> messages() const;
    void clearMessages();

    // ---- time and frames
    void setTime(double time, int frame);
    const LWTimeInfo &timeInfo() const { return timeInfo_; }
    RenderSettings &render() { return render_; }
    LWFrameInfo frameInfo(int frame) const;  // start = frame / fps, duration = shutter / fps
    // Access record of a camera item at time t: position, axes, film size.
    void buildAccess(LWItemID item, double time, LWCameraAccess *out) const;

    // ---- camera types applied to items
    // Activates the server and creates the item's own instance (returned; null
    // on failure, the error text is then in lastError()).
    CameraInstance *setCameraType(LWItemID item, const Module &module, const std::string &server);
    void clearCameraType(LWItemID item);
    CameraInstance *cameraInstance(LWItemID item) const;
    const std::string &lastError() const { return lastError_; }
    bool removeItem(LWItemID item);  // clears its camera type, then removes it from the scene

    // Modules kept alive by the host (convenience; Module objects may also be
    // owned by the caller, as long as they outlive their use).
    Module &loadModule(const std::string &path);
    // Destroys every camera instance and evaluator running code of `module`;
    // a Module calls this on the current host before it unloads.
    void releaseModule(const Module &module);

    // ---- camera evaluation service
    // An evaluator of a typed item drives that item's own instance (set with
    // setCameraType), as the real host switches the camera's state to the
    // evaluator; an untyped item gives a plain pinhole. Calls nested deeper
    // than a few evaluators (cameras showing each other) are refused: from
    // the given depth of nested calls on (8 for a new host; 0 or less sets 8).
    void setEvaluatorDepthLimit(int depth);
    LWCameraEvaluationFuncs *evaluationFuncs() { return &evalFuncs_; }
    int evaluatorsCreated() const { return evalCreated_.load(); }
    int evaluatorsDestroyed() const { return evalDestroyed_.load(); }
    int liveEvaluators() const { return evalCreated_.load() - evalDestroyed_.load(); }
    std::vector<EvaluatorLog> evaluatorLogs() const;  // creation order, destroyed ones included
    // Whether evaluatorLogs() keeps the logs of destroyed evaluators (on for a
    // new host). Long runs (fuzzing) turn it off so that memory stays flat;
    // everything else about a destroyed object is freed in any case.
    void setKeepDestroyedLogs(bool keep);

    // ---- camera instances (all CameraInstance objects of this host)
    int instancesCreated() const { return instCreated_.load(); }
    int instancesDestroyed() const { return instDestroyed_.load(); }
    int liveInstances() const { return instCreated_.load() - instDestroyed_.load(); }
    void noteInstanceCreated() { ++instCreated_; }
    void noteInstanceDestroyed() { ++instDestroyed_; }

    void addMessage(Message m);

    struct Evaluator;  // opaque evaluator state behind an LWCameraEvaluatorID

private:
    Evaluator *evaluator(LWCameraEvaluatorID id) const;
    // Frees a destroyed evaluator, keeping its log if asked; caller holds
    // evalMutex_ exclusively.
    void retireEvaluator(std::uintptr_t handle);
    static Host *require();

    Scene scene_;
    EnvelopeStore envelopes_;
    PanelService panels_;
    LWTimeInfo timeInfo_{0.0, 0};
    RenderSettings render_;

    mutable std::mutex lookupMutex_;
    std::vector<std::string> lookupLog_;
    std::set<std::string> missing_;
    std::atomic<unsigned int> systemId_{0};
    std::atomic<bool> renderNodeWithholds_{true}, itemNameNull_{false}, cameraInfoZero_{false},
        evaluatorRefuses_{false};

    mutable std::mutex messageMutex_;
    std::vector<Message> messages_;

    mutable std::mutex typeMutex_;
    std::map<LWItemID, std::unique_ptr<CameraInstance>> types_;
    std::string lastError_;
    std::vector<std::unique_ptr<Module>> modules_;

    mutable std::shared_mutex evalMutex_;
    std::map<std::uintptr_t, std::unique_ptr<Evaluator>> evaluators_;  // live ones by handle
    std::vector<std::pair<std::uintptr_t, EvaluatorLog>> destroyedLogs_;
    bool keepDestroyedLogs_ = true;
    std::atomic<int> evalCreated_{0}, evalDestroyed_{0};
    std::atomic<int> instCreated_{0}, instDestroyed_{0};

    LWItemInfo itemInfo_{};
    LWCameraInfo cameraInfo_{};
    LWMessageFuncs messageFuncs_{};
    LWCameraEvaluationFuncs evalFuncs_{};

    friend struct HostServices;
};

}  // namespace standin

#endif
