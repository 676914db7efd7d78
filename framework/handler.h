// handler.h -- the host callbacks of a camera type, generated once for every
// camera class from its description and hooks (framework/camera.h), and the
// activation functions.
#pragma once

#include <new>
#include <type_traits>

#include "framework/camera.h"
#include "framework/camera_servers.h"
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
constexpr LWGizmoFuncs GizmoTable(void (*draw)(LWInstance, LWCustomObjAccess *) = Gizmo_draw) {
    return {Gizmo_done,  draw,         Gizmo_help,  nullptr,    nullptr,  Gizmo_handle, Gizmo_start,
            Gizmo_adjust, Gizmo_down, Gizmo_move, Gizmo_up, Gizmo_event, nullptr};
}


// ---- creation and destruction ---------------------------------------------

// A Cam for the context item; null with the reason in the error out-parameter
// when it cannot be made.
template <class Cam>
LWInstance CreateInstance(void *context, LWError *error) noexcept {
    try {
        return new Cam(static_cast<LWItemID>(context));
    } catch (const std::bad_alloc &) {
        if (error) *error = kOutOfMemory;
    } catch (...) {
        if (error) *error = "Could not create the camera";
    }
    return nullptr;
}

// The same unless `active` is set, in which case `message` goes to the error
// out-parameter and there is no instance; a made instance sets it.
template <class Cam>
LWInstance CreateOneAtATime(unsigned char &active, const char *message, void *context, LWError *error) noexcept {
    if (active) {
        if (error) *error = message;
        return nullptr;
    }
    LWInstance inst = CreateInstance<Cam>(context, error);
    if (inst) active = 1;
    return inst;
}

// Frees the instance (the destructor releases what it owns); a null instance
// is ignored.
template <class Cam>
void DestroyInstance(LWInstance inst) noexcept {
    Guarded(0, [&] {
        delete static_cast<Cam *>(inst);
        return 0;
    });
}

// The same, clearing the flag of a type made one at a time.
template <class Cam>
void DestroyOneAtATime(unsigned char &active, LWInstance inst) noexcept {
    if (!inst) return;
    DestroyInstance<Cam>(inst);
    active = 0;
}

template <class Cam>
struct Callbacks {
    static_assert(std::is_final<Cam>::value, "a camera class is final, so that its calls are direct");
    static_assert(std::is_base_of<CameraBase, Cam>::value, "a camera class derives from CameraBase");

    static Cam *Self(LWInstance inst) { return static_cast<Cam *>(inst); }
    static const CameraTypeDesc &Desc() { return Cam::Desc(); }

    static LWInstance C_Create(void *, void *context, LWError *error) noexcept {
        const SoleInstance *sole = Desc().sole;
        return sole ? CreateOneAtATime<Cam>(*sole->active, sole->message, context, error)
                    : CreateInstance<Cam>(context, error);
    }
    // A late panel callback must not find the freed instance in gInstance.
    static void C_Destroy(LWInstance inst) noexcept {
        if (!inst) return;
        if (*Desc().gInstance == inst) *Desc().gInstance = nullptr;
        const SoleInstance *sole = Desc().sole;
        if (sole)
            DestroyOneAtATime<Cam>(*sole->active, inst);
        else
            DestroyInstance<Cam>(inst);
    }
    static LWError C_Copy(LWInstance to, LWInstance from) noexcept {
        if (Desc().sole && Desc().sole->refuseCopy) return Desc().sole->message;
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
    static const char *C_Describe(LWInstance) noexcept { return Desc().describeText; }
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
    static unsigned int C_Flags(LWInstance) noexcept { return Desc().flags; }

    static HandlerTable Table() {
        return {C_Create,     C_Destroy,   C_Copy,    C_Load,    C_Save,     C_Describe, C_InitRender,
                C_CleanUp,    C_NewTime,   C_Preview, C_NewFrame, C_Evaluate, C_Flags};
    }

    // ---- panel -------------------------------------------------------------
    static void *PanelGet(void *inst, unsigned int vid) {
        return inst ? Guarded<void *>(nullptr, [&] { return Self(inst)->PanelValue(vid); }) : nullptr;
    }
    static int PanelSet(void *inst, unsigned int vid, void *value) {
        if (inst) Guarded(0, [&] {
            Self(inst)->PanelChange(vid, value);
            return 0;
        });
        return 1;
    }
    static void GizmoDraw(LWInstance inst, LWCustomObjAccess *coa) {
        if (!inst || !coa) return;
        Guarded(0, [&] {
            static_cast<const Cam *>(inst)->DrawGizmo(*coa);
            return 0;
        });
    }
    static inline LWGizmoFuncs gizmoFuncs = GizmoTable(GizmoDraw);

    // ---- activations -------------------------------------------------------
    static int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData) {
        return ActivateHandler(version, global, local, serverData, *Desc().services, Desc().needs, Table());
    }
    static int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData) {
        const int rc = ActivateInterface(version, global, local, serverData, *Desc().services, Desc().panel,
                                         *Desc().gInstance, PanelGet, PanelSet);
        auto *ui = static_cast<LWInterface *>(local);
        if (rc == AFUNC_OK && ui && ui->inst) Guarded(0, [&] {
            Self(ui->inst)->PanelCreated(ui->panel);
            return 0;
        });
        return rc;
    }
    static int CameraGizmo(int version, GlobalFunc *global, void *local, void *serverData) {
        return ActivateGizmo(version, global, local, serverData, *Desc().services, &gizmoFuncs);
    }
    static constexpr CameraServers Servers() { return {CameraHandler, CameraInterface, CameraGizmo}; }
};

// The servers of a camera class: handler, interface and gizmo activations.
template <class Cam>
constexpr CameraServers ServersOf() {
    return Callbacks<Cam>::Servers();
}

} // namespace lentara
