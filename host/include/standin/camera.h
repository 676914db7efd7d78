// A camera type applied to a scene item: the host side of one CameraHandler
// instance and the render protocol around it.
#ifndef STANDIN_CAMERA_H
#define STANDIN_CAMERA_H

#include "module/lwhost.h"
#include "standin/iostate.h"

#include <cstring>
#include <string>
#include <vector>

namespace standin {

class Host;
class Module;

// Every ray record starts with the identity filter, set before the camera's
// evaluate is called.
inline void identityFilter(LWCameraRay *ray) {
    static constexpr LWDVector kIdentity[3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};
    std::memcpy(ray->filter, kIdentity, sizeof kIdentity);
}

class CameraInstance {
public:
    // Activates the handler (offering version 2 downward) and creates an
    // instance for `item`.  With `nullItemFuncs` the handler record's `item`
    // pointer is null, as when called from Modeler.
    CameraInstance(Host &host, const Module &module, const std::string &server, LWItemID item,
                   bool nullItemFuncs = false);
    ~CameraInstance();  // destroys the instance
    CameraInstance(const CameraInstance &) = delete;
    CameraInstance &operator=(const CameraInstance &) = delete;

    bool ok() const { return instance_ != nullptr; }
    const std::string &error() const { return error_; }
    int activationResult() const { return activation_; }
    int handlerVersion() const { return version_; }
    const std::vector<int> &offeredVersions() const { return offered_; }

    LWInstance instance() const { return instance_; }
    LWItemID item() const { return item_; }
    const std::string &server() const { return server_; }
    const Module &module() const { return module_; }
    const LWCameraHandler &handler() const { return handler_; }
    const LWItemFuncs &itemFuncs() const { return itemFuncs_; }

    // Instance functions; errors come back as text, empty for success.
    std::string describe() const;
    unsigned int flags() const;
    std::string copyFrom(const CameraInstance &from);
    std::string save(MemorySaveState &state) const;
    std::string load(MemoryLoadState &state);
    std::vector<LWItemID> useItems() const;

    // Interface and gizmo of the same server name.  The records get `inst` /
    // `instance` preset to this instance.  Results are activation codes.
    int activateInterface(LWInterface &out, int *version = nullptr, std::vector<int> *offered = nullptr) const;
    int activateGizmo(LWGizmo &out, int *version = nullptr, std::vector<int> *offered = nullptr) const;
    // What the host does when the user opens the type's properties: activates
    // the interface and shows its panel (`panel` gets it), or, for a record
    // without a panel, calls its options callback (`message` gets the text it
    // returns; "" for none). Returns the activation code; a record with neither
    // is reported as "no panel and no options callback".
    int openProperties(LWXPanelID *panel, std::string *message) const;

    // Render protocol.
    std::string initRender(int mode);
    std::string newTime(int frame, double time);  // also updates the host's time info
    std::string newFrame(int frame);              // builds frame info and access at the frame start
    int preview(double lpx, double lpy, double projection[4][4]);
    // Thread-safe as far as the host is concerned; `ray->filter` is set to
    // identity before the handler runs.
    // Inline: the camera evaluation service calls it for every ray.
    int evaluate(double fpx, double fpy, double lpx, double lpy, double fractime, LWCameraRay *ray) const {
        if (!instance_ || !handler_.evaluate || !ray) return LWCAMTYPEEVAL_NO_RAY;
        identityFilter(ray);
        return handler_.evaluate(instance_, fpx, fpy, lpx, lpy, fractime, ray, &access_);
    }
    void cleanUp();

    const LWFrameInfo &frameInfo() const { return frameInfo_; }
    const LWCameraAccess &access() const { return access_; }

private:
    Host &host_;
    const Module &module_;
    std::string server_;
    LWItemID item_;
    std::string error_;
    int activation_ = -1;
    int version_ = 0;
    std::vector<int> offered_;
    LWInstanceFuncs instFuncs_{};
    LWItemFuncs itemFuncs_{};
    LWRenderFuncs rendFuncs_{};
    LWCameraHandler handler_{};
    LWInstance instance_ = nullptr;
    LWFrameInfo frameInfo_{};
    LWCameraAccess access_{};
    mutable std::vector<LWXPanelID> interfacePanels_;
};

// Film-plane point (metres) of the centre of pixel (px, py) of a w x h image
// on a film of W x H metres: x grows to the right, y upward, origin at the
// film centre.
void filmPoint(double px, double py, int w, int h, double filmW, double filmH, double *fx, double *fy);

// Maps (u, v) in [0,1)^2 to the unit disk, area-preserving (concentric map).
void unitDiskSample(double u, double v, double *x, double *y);

}  // namespace standin

#endif
