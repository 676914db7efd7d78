// services.h -- the host services a camera namespace holds, and the activation
// checks shared by every camera type.
#pragma once

#include "module/lwhost.h"

namespace lentara {

// One set per camera namespace; every successful activation refreshes it.
struct HostServices {
    GlobalFunc *pGlobal = nullptr;
    LWItemInfo *iteminfo = nullptr;
    LWCameraInfo *camerainfo = nullptr;
    LWTimeInfo *timer = nullptr;
    LWXPanelFuncs *xpanf = nullptr;
    LWVParmFuncs *vparmf = nullptr;
    LWMessageFuncs *msg = nullptr;
    LWCameraEvaluationFuncs *camevalfuncs = nullptr;
    unsigned int sysid = 0;

    // The time info record is re-read before each use so that it holds the
    // host's current values; null when the service is gone.
    const LWTimeInfo *CurrentTimeInfo();
    // Current scene time, 0 without the time service.
    double CurrentTime();
    bool IsRenderNode() const { return (sysid & LWSYS_TYPEBITS) == LWSYS_SCREAMERNET; }
};

// Which services a camera type's handler needs beyond the common ones.
enum ServiceNeeds : unsigned {
    kNeedsVParm = 1u << 0,     // "LWVParmFuncs 2" must be present (outside a render node)
    kNeedsCameraEval = 1u << 1, // "LW Camera Evaluation Funcs 2" must be present
    kFetchCameraEval = 1u << 2, // fetched but optional
    kPanelsEverywhere = 1u << 3, // panels and messages are needed on a render node too
};

// The module data block handed to every activation; see module/module.cpp.
struct ModuleData {
    const char *notice;
    GlobalFunc *global;
};

// The one walk of the host's item list: the item at a zero-based position
// among the items of a type (cameras by default), passing over `skip`; null
// for a negative position, one past the end, or without the item service.
LWItemID getItemByIndex(const HostServices &svc, LWItemID skip, int position, LWItemType type = LWI_CAMERA);
// How many items of the type there are, not counting `skip` (0 without the
// item service).
int CountItems(const HostServices &svc, LWItemID skip, LWItemType type = LWI_CAMERA);

// Saves the lookup function in the module data block and in svc.pGlobal.
void StoreGlobal(HostServices &svc, GlobalFunc *global, void *serverData);

// Version check, service fetch and presence tests of a handler activation.
// Returns AFUNC_OK when the handler record may be filled; only then are svc
// and the module data block updated, so a failed activation leaves running
// instances the services they had.
int BindHandlerServices(HostServices &svc, int version, GlobalFunc *global, void *serverData, unsigned needs);

} // namespace lentara
