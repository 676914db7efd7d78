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

LWItemID getItemByIndex(const HostServices &svc, LWItemID skip, int position, LWItemType type) {
    const LWItemInfo *ii = svc.iteminfo;
    if (!ii || !ii->first || !ii->next || position < 0) return nullptr;
    for (LWItemID id = ii->first(type, nullptr); id; id = ii->next(id)) {
        if (id == skip) continue;
        if (position-- == 0) return id;
    }
    return nullptr;
}

int CountItems(const HostServices &svc, LWItemID skip, LWItemType type) {
    const LWItemInfo *ii = svc.iteminfo;
    if (!ii || !ii->first || !ii->next) return 0;
    int count = 0;
    for (LWItemID id = ii->first(type, nullptr); id; id = ii->next(id))
        if (id != skip) ++count;
    return count;
}

void StoreGlobal(HostServices &svc, GlobalFunc *global, void *serverData) {
    if (serverData) static_cast<ModuleData *>(serverData)->global = global;
    svc.pGlobal = global;
}

int BindHandlerServices(HostServices &svc, int version, GlobalFunc *global, void *serverData, unsigned needs) {
    if (version != LWCAMERA_VERSION) return AFUNC_BADVERSION;
    if (!global) return AFUNC_BADGLOBAL;

    // Instances made under an earlier activation read the namespace's shared
    // record, so the services are fetched and tested on a copy and the record
    // changes only when this activation succeeds.
    HostServices fetched;
    fetched.pGlobal = global;
    auto fetch = [global](const char *name) { return global(name, GFUSE_TRANSIENT); };
    if (needs & (kNeedsCameraEval | kFetchCameraEval))
        fetched.camevalfuncs = static_cast<LWCameraEvaluationFuncs *>(fetch(LWCAMERAEVALUATIONFUNCS_GLOBAL));
    fetched.iteminfo = static_cast<LWItemInfo *>(fetch(LWITEMINFO_GLOBAL));
    fetched.camerainfo = static_cast<LWCameraInfo *>(fetch(LWCAMERAINFO_GLOBAL));
    fetched.timer = static_cast<LWTimeInfo *>(fetch(LWTIMEINFO_GLOBAL));
    fetched.xpanf = static_cast<LWXPanelFuncs *>(fetch(LWXPANELFUNCS_GLOBAL));
    fetched.vparmf = static_cast<LWVParmFuncs *>(fetch(LWVPARMFUNCS_GLOBAL));
    fetched.msg = static_cast<LWMessageFuncs *>(fetch(LWMESSAGEFUNCS_GLOBAL));
    // The system ID is the lookup's return value itself, not a pointer to it.
    fetched.sysid = static_cast<unsigned int>(reinterpret_cast<std::uintptr_t>(fetch(LWSYSTEMID_GLOBAL)));

    // A render node has no user interface, so panels and messages may be absent.
    if (!fetched.IsRenderNode() || (needs & kPanelsEverywhere)) {
        if (!fetched.msg || !fetched.xpanf) return AFUNC_BADGLOBAL;
        if ((needs & kNeedsVParm) && !fetched.vparmf) return AFUNC_BADGLOBAL;
    }
    if (!fetched.timer || !fetched.camerainfo || !fetched.iteminfo) return AFUNC_BADGLOBAL;
    if ((needs & kNeedsCameraEval) && !fetched.camevalfuncs) return AFUNC_BADGLOBAL;

    svc = fetched;
    StoreGlobal(svc, global, serverData);
    return AFUNC_OK;
}

} // namespace lentara
