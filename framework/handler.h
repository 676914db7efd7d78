// handler.h -- the host callbacks of a camera type, generated once for every
// camera namespace from its CameraPlugin class, and the activation functions.
//
// A CameraPlugin class provides:
//   static const lentara::CameraTypeDesc &Desc();
//   CameraPlugin(LWItemID item);                       // defaults and envelopes
//   LWError NewTime(LWFrame, LWTime);                  // optional (CameraBase has one)
//   LWError NewFrame(const LWFrameInfo*, const LWCameraAccess*);
//   int Evaluate(double fpx, double fpy, double lpx, double lpy, double frac,
//                LWCameraRay*, const LWCameraAccess*) const;
//   int Preview(double lpx, double lpy, LWDMatrix4, const LWCameraAccess*);
//   LWError InitRender(int mode); void CleanUpRender();
//   void CopyFrom(const CameraPlugin&); void Save(const LWSaveState*) const;
//   void Load(const LWLoadState*);
// CameraBase and SingleViewCamera supply the usual versions of most of these.
#pragma once

#include <new>

#include "framework/camera.h"
#include "framework/panel.h"

namespace lentara {

// Every callback the host makes runs behind this wall: no exception crosses
// into the host.
template <class R, class F>
R Guarded(R onFailure, F &&f) noexcept {
    try {
        return f();
    } catch (...) {
        return onFailure;
    }
}

inline const char *const kOutOfMemory = "Out of memory";
inline const char *const kCouldNotCopy = "Could not copy";

// The handler record contents of one camera type.
struct HandlerTable {
    LWInstance (*create)(void *, void *, LWError *);
    void (*destroy)(LWInstance);
    LWError (*copy)(LWInstance, LWInstance);
    LWError (*load)(LWInstance, const LWLoadState *);
    LWError (*save)(LWInstance, const LWSaveState *);
    const char *(*describe)(LWInstance);
    LWError (*init)(LWInstance, int);
    void (*cleanup)(LWInstance);
    LWError (*newTime)(LWInstance, LWFrame, LWTime);
    int (*preview)(LWInstance, double, double, LWDMatrix4, const LWCameraAccess *);
    LWError (*newFrame)(LWInstance, const LWFrameInfo *, const LWCameraAccess *);
    int (*evaluate)(LWInstance, double, double, double, double, double, LWCameraRay *, const LWCameraAccess *);
    unsigned int (*flags)(LWInstance);
};

template <class Cam>
struct Callbacks {
    static Cam *Self(LWInstance inst) { return static_cast<Cam *>(inst); }

    static LWInstance C_Create(void *, void *context, LWError *error) noexcept {
        try {
            return new Cam(static_cast<LWItemID>(context));
        } catch (const std::bad_alloc &) {
            if (error) *error = kOutOfMemory;
        } catch (...) {
            if (error) *error = "Could not create the camera";
        }
        return nullptr;
    }
    static void C_Destroy(LWInstance inst) noexcept {
        Guarded(0, [&] {
            delete Self(inst);
            return 0;
        });
    }
    static LWError C_Copy(LWInstance to, LWInstance from) noexcept {
        if (!to || !from) return kCouldNotCopy;
        return Guarded(kCouldNotCopy, [&]() -> LWError {
            if (to != from) Self(to)->CopyFrom(*Self(from));
            return nullptr;
        });
    }
    static LWError C_Load(LWInstance inst, const LWLoadState *load) noexcept {
        return Guarded<LWError>(nullptr, [&]() -> LWError {
            if (inst) Self(inst)->Load(load);
            return nullptr;
        });
    }
    static LWError C_Save(LWInstance inst, const LWSaveState *save) noexcept {
        return Guarded<LWError>(nullptr, [&]() -> LWError {
            if (inst) Self(inst)->Save(save);
            return nullptr;
        });
    }
    static const char *C_Describe(LWInstance) noexcept { return Cam::Desc().describeText; }
    static LWError C_InitRender(LWInstance inst, int mode) noexcept {
        return Guarded<LWError>(nullptr, [&]() -> LWError { return inst ? Self(inst)->InitRender(mode) : nullptr; });
    }
    static void C_CleanUp(LWInstance inst) noexcept {
        Guarded(0, [&] {
            if (inst) Self(inst)->CleanUpRender();
            return 0;
        });
    }
    static LWError C_NewTime(LWInstance inst, LWFrame frame, LWTime time) noexcept {
        return Guarded<LWError>(kOutOfMemory,
                                [&]() -> LWError { return inst ? Self(inst)->NewTime(frame, time) : nullptr; });
    }
    static LWError C_NewFrame(LWInstance inst, const LWFrameInfo *fi, const LWCameraAccess *ca) noexcept {
        return Guarded<LWError>(kOutOfMemory,
                                [&]() -> LWError { return inst ? Self(inst)->NewFrameCallback(fi, ca) : nullptr; });
    }
    static int C_Preview(LWInstance inst, double lpx, double lpy, LWDMatrix4 m, const LWCameraAccess *ca) noexcept {
        return Guarded(0, [&] { return (inst && m) ? Self(inst)->Preview(lpx, lpy, m, ca) : 0; });
    }
    static int C_Evaluate(LWInstance inst, double fpx, double fpy, double lpx, double lpy, double frac,
                          LWCameraRay *ray, const LWCameraAccess *ca) noexcept {
        if (!inst || !ray) return LWCAMTYPEEVAL_NO_RAY;
        return Guarded(0, [&] { return static_cast<const Cam *>(inst)->Evaluate(fpx, fpy, lpx, lpy, frac, ray, ca); });
    }
    static unsigned int C_Flags(LWInstance) noexcept { return Cam::Desc().flags; }

    static HandlerTable Table() {
        return {C_Create,     C_Destroy,   C_Copy,    C_Load,    C_Save,     C_Describe, C_InitRender,
                C_CleanUp,    C_NewTime,   C_Preview, C_NewFrame, C_Evaluate, C_Flags};
    }
};

// The panel binding of a camera type whose controls are all common ones
// (version line, envelopes, 32-bit settings): unknown ids give null, and set
// always answers 1.
template <class Cam>
void *PanelGetFor(void *inst, unsigned int vid) {
    if (!inst) return nullptr;
    bool handled;
    return PanelGetCommon(static_cast<Cam *>(inst), vid, handled);
}
template <class Cam>
int PanelSetFor(void *inst, unsigned int vid, void *value) {
    if (inst) PanelSetCommon(static_cast<Cam *>(inst), vid, value);
    return 1;
}

// Handler and interface activations of a camera type from its tables.
template <class Cam>
int ActivateCameraHandler(int version, GlobalFunc *global, void *local, void *serverData, unsigned needs) {
    return ActivateHandler(version, global, local, serverData, *Cam::Desc().services, needs,
                           Callbacks<Cam>::Table());
}
template <class Cam>
int ActivateCameraInterface(int version, GlobalFunc *global, void *local, void *serverData, void *&gInstance,
                            LWXPanelGetFunc *get = PanelGetFor<Cam>, LWXPanelSetFunc *set = PanelSetFor<Cam>) {
    return ActivateInterface(version, global, local, serverData, *Cam::Desc().services, Cam::Desc().panel,
                             gInstance, get, set);
}

// Handler activation: version and service checks, then the record is filled.
int ActivateHandler(int version, GlobalFunc *global, void *local, void *serverData, HostServices &svc,
                    unsigned needs, const HandlerTable &table);

// Interface activation: builds the parameter panel for the handler instance.
// When no panel can be made, the record's options callback is set instead
// (the host calls it in place of showing a panel); it changes nothing and
// returns "Could not create the panel".
int ActivateInterface(int version, GlobalFunc *global, void *local, void *serverData, HostServices &svc,
                      const PanelDesc &panel, void *&gInstance, LWXPanelGetFunc *get, LWXPanelSetFunc *set);

// Gizmo activation (version 1): stores the type's static function table.
int ActivateGizmo(int version, GlobalFunc *global, void *local, void *serverData, HostServices &svc,
                  LWGizmoFuncs *table);

// The gizmo callbacks of a camera type that draws nothing.
const char *Gizmo_help(LWInstance, LWToolEvent *);
void Gizmo_done(LWInstance);
void Gizmo_draw(LWInstance, LWCustomObjAccess *);
int Gizmo_handle(LWInstance, LWToolEvent *, int, LWDVector);
int Gizmo_start(LWInstance, LWToolEvent *);
int Gizmo_adjust(LWInstance, LWToolEvent *, int);
int Gizmo_down(LWInstance, LWToolEvent *);
void Gizmo_move(LWInstance, LWToolEvent *);
void Gizmo_up(LWInstance, LWToolEvent *);
void Gizmo_event(LWInstance, int);
// A table in the host's order with the given draw function and the inert rest.
LWGizmoFuncs GizmoTable(void (*draw)(LWInstance, LWCustomObjAccess *) = Gizmo_draw);

} // namespace lentara
