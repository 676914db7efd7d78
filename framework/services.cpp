// services.cpp -- activation checks shared by every camera namespace.
#include "framework/services.h"

#include <cstdint>

namespace lentara {

const LWTimeInfo *HostServices::CurrentTimeInfo() {
    if (pGlobal) timer = static_cast<LWTimeInfo *>(pGlobal(LWTIMEINFO_GLOBAL, GFUSE_TRANSIENT));
    return timer;
}

double HostServices::CurrentTime() {
    const LWTimeInfo *t = CurrentTimeInfo();
    return t ? t->time : 0.0;
}

void StoreGlobal(HostServices &svc, GlobalFunc *global, void *serverData) {
    if (serverData) static_cast<ModuleData *>(serverData)->global = global;
    svc.pGlobal = global;
}

int BindHandlerServices(HostServices &svc, int version, GlobalFunc *global, void *serverData, unsigned needs) {
    if (version != LWCAMERA_VERSION) return AFUNC_BADVERSION;
    if (!global) return AFUNC_BADGLOBAL;
    StoreGlobal(svc, global, serverData);

    auto fetch = [global](const char *name) { return global(name, GFUSE_TRANSIENT); };
    svc.camevalfuncs = nullptr;
    if (needs & (kNeedsCameraEval | kFetchCameraEval))
        svc.camevalfuncs = static_cast<LWCameraEvaluationFuncs *>(fetch(LWCAMERAEVALUATIONFUNCS_GLOBAL));
    svc.iteminfo = static_cast<LWItemInfo *>(fetch(LWITEMINFO_GLOBAL));
    svc.camerainfo = static_cast<LWCameraInfo *>(fetch(LWCAMERAINFO_GLOBAL));
    svc.timer = static_cast<LWTimeInfo *>(fetch(LWTIMEINFO_GLOBAL));
    svc.xpanf = static_cast<LWXPanelFuncs *>(fetch(LWXPANELFUNCS_GLOBAL));
    svc.vparmf = static_cast<LWVParmFuncs *>(fetch(LWVPARMFUNCS_GLOBAL));
    svc.msg = static_cast<LWMessageFuncs *>(fetch(LWMESSAGEFUNCS_GLOBAL));
    // The system ID is the lookup's return value itself, not a pointer to it.
    svc.sysid = static_cast<unsigned int>(reinterpret_cast<std::uintptr_t>(fetch(LWSYSTEMID_GLOBAL)));

    // A render node has no user interface, so panels and messages may be absent.
    if (!svc.IsRenderNode() || (needs & kPanelsEverywhere)) {
        if (!svc.msg || !svc.xpanf) return AFUNC_BADGLOBAL;
        if ((needs & kNeedsVParm) && !svc.vparmf) return AFUNC_BADGLOBAL;
    }
    if (!svc.timer || !svc.camerainfo || !svc.iteminfo) return AFUNC_BADGLOBAL;
    if ((needs & kNeedsCameraEval) && !svc.camevalfuncs) return AFUNC_BADGLOBAL;
    return AFUNC_OK;
}

} // namespace lentara
