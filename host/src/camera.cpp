#include "standin/camera.h"

#include "standin/host.h"

#include <cmath>

namespace standin {

void filmPoint(double px, double py, int w, int h, double filmW, double filmH, double *fx, double *fy) {
    *fx = ((px + 0.5) / w - 0.5) * filmW;
    *fy = (0.5 - (py + 0.5) / h) * filmH;
}

void unitDiskSample(double u, double v, double *x, double *y) {
    const double pi = 3.14159265358979323846;
    double a = 2.0 * u - 1.0, b = 2.0 * v - 1.0;
    if (a == 0.0 && b == 0.0) {
        *x = *y = 0.0;
        return;
    }
    double r, phi;
    if (std::fabs(a) > std::fabs(b)) {
        r = a;
        phi = (pi / 4.0) * (b / a);
    } else {
        r = b;
        phi = pi / 2.0 - (pi / 4.0) * (a / b);
    }
    *x = r * std::cos(phi);
    *y = r * std::sin(phi);
}

CameraInstance::CameraInstance(Host &host, const Module &module, const std::string &server, LWItemID item,
                               bool nullItemFuncs)
    : host_(host), module_(module), server_(server), item_(item) {
    handler_.inst = &instFuncs_;
    handler_.item = nullItemFuncs ? nullptr : &itemFuncs_;
    handler_.rend = &rendFuncs_;
    host_.buildAccess(item_, 0.0, &access_);
    frameInfo_ = host_.frameInfo(0);
    if (!module.ok()) {
        error_ = "module not loaded: " + module.error();
        return;
    }
    if (!module.find(LWCAMERA_HCLASS, server)) {
        error_ = "no CameraHandler server named " + server;
        return;
    }
    activation_ = module.activateHandler(server, &handler_, &version_, &offered_);
    if (activation_ != AFUNC_OK) {
        error_ = "activation of " + server + " failed with code " + std::to_string(activation_);
        return;
    }
    if (!instFuncs_.create) {
        error_ = "handler " + server + " has no create function";
        return;
    }
    LWError err = nullptr;
    instance_ = instFuncs_.create(instFuncs_.priv, item_, &err);
    if (!instance_) {
        error_ = err ? err : "instance creation failed without a message";
        return;
    }
    host_.noteInstanceCreated();
}

CameraInstance::~CameraInstance() {
    if (!instance_) return;
    // The host closes the interface panels it was given for this instance
    // before the instance goes: their callbacks would reach freed memory.
    for (LWXPanelID panel : interfacePanels_) host_.panels().close(panel);
    if (instFuncs_.destroy) instFuncs_.destroy(instance_);
    instance_ = nullptr;
    host_.noteInstanceDestroyed();
}

std::string CameraInstance::describe() const {
    if (!instance_ || !instFuncs_.descln) return std::string();
    const char *d = instFuncs_.descln(instance_);
    return d ? d : std::string();
}

unsigned int CameraInstance::flags() const {
    return (instance_ && handler_.flags) ? handler_.flags(instance_) : 0u;
}

static std::string text(LWError e) { return e ? (*e ? std::string(e) : std::string("(empty error text)")) : std::string(); }

std::string CameraInstance::copyFrom(const CameraInstance &from) {
    if (!instance_ || !from.instance_) return "no instance";
    if (!instFuncs_.copy) return "handler has no copy function";
    return text(instFuncs_.copy(instance_, from.instance_));
}

std::string CameraInstance::save(MemorySaveState &state) const {
    if (!instance_) return "no instance";
    if (!instFuncs_.save) return "handler has no save function";
    return text(instFuncs_.save(instance_, state.state()));
}

std::string CameraInstance::load(MemoryLoadState &state) {
    if (!instance_) return "no instance";
    if (!instFuncs_.load) return "handler has no load function";
    return text(instFuncs_.load(instance_, state.state()));
}

std::vector<LWItemID> CameraInstance::useItems() const {
    std::vector<LWItemID> out;
    if (!instance_ || !handler_.item || !itemFuncs_.useItems) return out;
    const LWItemID *list = itemFuncs_.useItems(instance_);
    for (int i = 0; list && list[i] && i < 100000; ++i) out.push_back(list[i]);
    return out;
}

int CameraInstance::activateInterface(LWInterface &out, int *version, std::vector<int> *offered) const {
    out = LWInterface{};
    out.inst = instance_;
    const int rc = module_.activateInterface(server_, &out, version, offered);
    if (rc == AFUNC_OK && out.panel) interfacePanels_.push_back(out.panel);
    return rc;
}

int CameraInstance::openProperties(LWXPanelID *panel, std::string *message) const {
    if (panel) *panel = nullptr;
    if (message) message->clear();
    LWInterface ui{};
    const int rc = activateInterface(ui);
    if (rc != AFUNC_OK) return rc;
    if (ui.panel) {
        if (panel) *panel = ui.panel;
    } else if (ui.options) {
        const char *text = ui.options(ui.inst);
        if (message && text) *message = text;
    } else if (message) {
        *message = "no panel and no options callback";
    }
    return rc;
}

int CameraInstance::activateGizmo(LWGizmo &out, int *version, std::vector<int> *offered) const {
    out = LWGizmo{};
    out.instance = instance_;
    return module_.activateGizmo(server_, &out, version, offered);
}

std::string CameraInstance::initRender(int mode) {
    if (!instance_) return "no instance";
    return rendFuncs_.init ? text(rendFuncs_.init(instance_, mode)) : std::string();
}

std::string CameraInstance::newTime(int frame, double time) {
    if (!instance_) return "no instance";
    host_.setTime(time, frame);
    return rendFuncs_.newTime ? text(rendFuncs_.newTime(instance_, frame, time)) : std::string();
}

std::string CameraInstance::newFrame(int frame) {
    if (!instance_) return "no instance";
    frameInfo_ = host_.frameInfo(frame);
    host_.buildAccess(item_, frameInfo_.start, &access_);
    return handler_.newFrame ? text(handler_.newFrame(instance_, &frameInfo_, &access_)) : std::string();
}

int CameraInstance::preview(double lpx, double lpy, double projection[4][4]) {
    if (!instance_ || !handler_.preview) return 0;
    return handler_.preview(instance_, lpx, lpy, projection, &access_);
}

void CameraInstance::cleanUp() {
    if (instance_ && rendFuncs_.cleanup) rendFuncs_.cleanup(instance_);
}

}  // namespace standin
