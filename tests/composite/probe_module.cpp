// A camera module for the composite tests: its "LensProbe" camera writes what
// it was asked into the results, so a test sees exactly which film and lens
// position and fraction a composite camera handed on.
//   evaluate: rayPos = (film x, film y, fraction), rayDir = (lens x, lens y, 1)
//   preview:  m[0][0] = lens x, m[0][1] = lens y, returns 1
#include "module/lwhost.h"

#if defined(_WIN32)
#define PROBE_EXPORT __declspec(dllexport)
#else
#define PROBE_EXPORT __attribute__((visibility("default")))
#endif

namespace {

char gProbe = 0;

LWInstance Create(void *, void *context, LWError *) { return context ? &gProbe : nullptr; }
void Destroy(LWInstance) {}
LWError Copy(LWInstance, LWInstance) { return nullptr; }
LWError Load(LWInstance, const LWLoadState *) { return nullptr; }
LWError Save(LWInstance, const LWSaveState *) { return nullptr; }
const char *Describe(LWInstance) { return "LensProbe"; }
LWError Init(LWInstance, int) { return nullptr; }
void CleanUp(LWInstance) {}
LWError NewTime(LWInstance, LWFrame, LWTime) { return nullptr; }
int Preview(LWInstance, double lpx, double lpy, LWDMatrix4 m, const LWCameraAccess *) {
    m[0][0] = lpx;
    m[0][1] = lpy;
    return 1;
}
LWError NewFrame(LWInstance, const LWFrameInfo *, const LWCameraAccess *) { return nullptr; }
int Evaluate(LWInstance, double fpx, double fpy, double lpx, double lpy, double frac, LWCameraRay *ray,
             const LWCameraAccess *) {
    ray->rayPos[0] = fpx;
    ray->rayPos[1] = fpy;
    ray->rayPos[2] = frac;
    ray->rayDir[0] = lpx;
    ray->rayDir[1] = lpy;
    ray->rayDir[2] = 1.0;
    for (int i = 0; i < 3; ++i) ray->filmNorm[i] = i == 2 ? 1.0 : 0.0;
    return LWCAMTYPEEVAL_RAY;
}
unsigned int Flags(LWInstance) { return LWCAMTYPEF_SUPPORTSDOF; }

int Activate(int version, GlobalFunc *, void *local, void *) {
    if (version != LWCAMERA_VERSION) return AFUNC_BADVERSION;
    auto *h = static_cast<LWCameraHandler *>(local);
    h->inst->priv = nullptr;
    h->inst->create = Create;
    h->inst->destroy = Destroy;
    h->inst->copy = Copy;
    h->inst->load = Load;
    h->inst->save = Save;
    h->inst->descln = Describe;
    h->rend->init = Init;
    h->rend->cleanup = CleanUp;
    h->rend->newTime = NewTime;
    h->preview = Preview;
    h->newFrame = NewFrame;
    h->evaluate = Evaluate;
    h->flags = Flags;
    return AFUNC_OK;
}

void *Startup() { return &gProbe; }
void Shutdown(void *) {}

ServerRecord kServers[] = {
    {LWCAMERA_HCLASS, "LensProbe", Activate, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
};

} // namespace

extern "C" {
PROBE_EXPORT ModuleDescriptor _mod_descrip = {MOD_SYSSYNC, MOD_SYSVER, MOD_MACHINE_MAC, Startup, Shutdown, kServers};
}
