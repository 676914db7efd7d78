// A small camera module for exercising the stand-in host: a pinhole camera
// with an interface panel and a gizmo, a camera that renders another camera
// item through the evaluation service, and handlers that refuse versions.
#include "module/lwhost.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

#if defined(_WIN32)
#define FAKE_EXPORT __declspec(dllexport)
#else
#define FAKE_EXPORT __attribute__((visibility("default")))
#endif

namespace {

int gStartups = 0, gShutdowns = 0, gShutdownDataOk = 0;
char gModuleData = 0;

LWItemInfo *gItem = nullptr;
LWCameraInfo *gCamInfo = nullptr;
LWVParmFuncs *gVParm = nullptr;
LWXPanelFuncs *gPanel = nullptr;
LWCameraEvaluationFuncs *gEval = nullptr;

struct FakeCam {
    LWItemID item;
    LWVParmID scale;
    LWXPanelID panel;
    int mode;
    int counter;
    double gain;
    char note[32];
    double zoom;
};

LWInstance fakeCreate(void *, void *context, LWError *error) {
    LWItemID item = static_cast<LWItemID>(context);
    const char *name = gItem->name(item);
    if (name && std::strcmp(name, "refuse") == 0) {
        *error = "FakeCam refuses this item";
        return nullptr;
    }
    auto *c = new (std::nothrow) FakeCam{item, nullptr, nullptr, 0, 7, 1.5, "fake", 3.2};
    if (!c) return nullptr;
    if (gVParm) {
        c->scale = gVParm->create(LWVP_FLOAT, LWVPDT_NOTXTR);
        if (c->scale) {
            gVParm->setup(c->scale, "FakeScale", gItem->chanGroup(item), nullptr, nullptr, "FakeCam", nullptr);
            double one[3] = {1.0, 1.0, 1.0};
            gVParm->setVal(c->scale, one);
        }
    }
    return c;
}

void fakeDestroy(LWInstance inst) {
    auto *c = static_cast<FakeCam *>(inst);
    if (c->scale) gVParm->destroy(c->scale);
    if (c->panel) gPanel->destroy(c->panel);
    delete c;
}

LWError fakeCopy(LWInstance to, LWInstance from) {
    auto *t = static_cast<FakeCam *>(to);
    auto *f = static_cast<FakeCam *>(from);
    t->counter = f->counter;
    t->gain = f->gain;
    if (t->scale && f->scale) return gVParm->copy(t->scale, f->scale);
    return nullptr;
}

LWError fakeSave(LWInstance inst, const LWSaveState *ss) {
    auto *c = static_cast<FakeCam *>(inst);
    ss->writeI4(ss->writeData, &c->counter, 1);
    if (c->scale) {
        LWError e = gVParm->save(c->scale, ss);
        if (e) return e;
    }
    ss->writeDP(ss->writeData, &c->gain, 1);
    return nullptr;
}

LWError fakeLoad(LWInstance inst, const LWLoadState *ls) {
    auto *c = static_cast<FakeCam *>(inst);
    int counter;
    if (ls->readI4(ls->readData, &counter, 1) != 1) return "FakeCam: missing counter";
    if (c->scale) {
        LWError e = gVParm->load(c->scale, ls);
        if (e) return e;
    }
    double gain;
    if (ls->readDP(ls->readData, &gain, 1) != 1) return "FakeCam: missing gain";
    c->counter = counter;
    c->gain = gain;
    return nullptr;
}

const char *fakeDesc(LWInstance) { return "Fake pinhole"; }

LWError fakeInit(LWInstance inst, int mode) {
    static_cast<FakeCam *>(inst)->mode = mode;
    return nullptr;
}
void fakeCleanup(LWInstance) {}
LWError fakeNewTime(LWInstance, LWFrame, LWTime) { return nullptr; }

LWError fakeNewFrame(LWInstance inst, const LWFrameInfo *fi, const LWCameraAccess *) {
    auto *c = static_cast<FakeCam *>(inst);
    c->zoom = gCamInfo->zoomFactor(c->item, fi->start);
    return nullptr;
}

int fakePreview(LWInstance, double, double, LWDMatrix4, const LWCameraAccess *) { return 0; }

// Pinhole through the access record; halves the red filter so a test can
// tell whether the host reset the filter before the call.
int fakeEvaluate(LWInstance inst, double fpx, double fpy, double, double, double, LWCameraRay *ray,
                 const LWCameraAccess *a) {
    auto *c = static_cast<FakeCam *>(inst);
    double dist = c->zoom * a->filmSize[1] * 0.5;
    double d[3], len = 0.0;
    for (int i = 0; i < 3; ++i) {
        d[i] = fpx * a->toWorld[0][i] + fpy * a->toWorld[1][i] + dist * a->toWorld[2][i];
        len += d[i] * d[i];
    }
    len = std::sqrt(len);
    for (int i = 0; i < 3; ++i) {
        ray->rayPos[i] = a->worldPos[i];
        ray->rayDir[i] = d[i] / len;
        ray->filmNorm[i] = a->toWorld[2][i];
    }
    for (int i = 0; i < 3; ++i) ray->filter[0][i] *= 0.5;
    return LWCAMTYPEEVAL_RAY;
}

unsigned int fakeFlags(LWInstance) { return LWCAMTYPEF_SUPPORTSDOF; }

const LWItemID *fakeUseItems(LWInstance) { return nullptr; }

int activateFakeCam(int version, GlobalFunc *global, void *local, void *serverData) {
    if (version != LWCAMERA_VERSION) return AFUNC_BADVERSION;
    if (serverData != &gModuleData) return AFUNC_BADLOCAL;
    gItem = static_cast<LWItemInfo *>(global(LWITEMINFO_GLOBAL, GFUSE_TRANSIENT));
    gCamInfo = static_cast<LWCameraInfo *>(global(LWCAMERAINFO_GLOBAL, GFUSE_TRANSIENT));
    gVParm = static_cast<LWVParmFuncs *>(global(LWVPARMFUNCS_GLOBAL, GFUSE_TRANSIENT));
    if (!gItem || !gCamInfo) return AFUNC_BADGLOBAL;
    auto *h = static_cast<LWCameraHandler *>(local);
    h->inst->priv = nullptr;
    h->inst->create = fakeCreate;
    h->inst->destroy = fakeDestroy;
    h->inst->copy = fakeCopy;
    h->inst->load = fakeLoad;
    h->inst->save = fakeSave;
    h->inst->descln = fakeDesc;
    if (h->item) {
        h->item->useItems = fakeUseItems;
        h->item->changeID = nullptr;
        h->item->changeName = nullptr;
    }
    h->rend->init = fakeInit;
    h->rend->cleanup = fakeCleanup;
    h->rend->newTime = fakeNewTime;
    h->preview = fakePreview;
    h->newFrame = fakeNewFrame;
    h->evaluate = fakeEvaluate;
    h->flags = fakeFlags;
    return AFUNC_OK;
}

// ---- interface

enum { CH_MODE = 0x8001, CH_SCALE, CH_THUMB, CH_NOTE, CH_GAIN };
const char *kModes[] = {"Plain", "Fancy", "Odd"};

int popCount(void *) { return 3; }
const char *popName(void *, int i) { return (i >= 0 && i < 3) ? kModes[i] : nullptr; }

void *panelGet(void *inst, unsigned int vid) {
    auto *c = static_cast<FakeCam *>(inst);
    switch (vid) {
    case CH_MODE: return &c->mode;
    case CH_SCALE: return c->scale;
    case CH_NOTE: return c->note;
    case CH_GAIN: return &c->gain;
    default: return nullptr;
    }
}

LWXPRefreshCode panelSet(void *inst, unsigned int vid, void *value) {
    auto *c = static_cast<FakeCam *>(inst);
    switch (vid) {
    case CH_MODE: c->mode = *static_cast<int *>(value); return LWXPRC_DFLT;
    case CH_GAIN: c->gain = *static_cast<double *>(value); return LWXPRC_DFLT;
    case CH_SCALE: return LWXPRC_DFLT;
    default: return LWXPRC_NONE;
    }
}

// Draws partly outside its area on purpose: the host must clip.
void thumbDraw(LWXPanelID, unsigned int, LWXPDrAreaID area, int w, int h) {
    gPanel->drawf->drawRGBBox(area, 200, 10, 10, -5, -5, w + 10, h + 10);
    gPanel->drawf->drawLine(area, 4139, -100, -100, w + 100, h + 100);
    gPanel->drawf->drawRGBPixel(area, 0, 255, 0, w - 1, h - 1);
    gPanel->drawf->drawRGBPixel(area, 0, 255, 0, w, h);
    gPanel->drawf->drawRGBPixel(area, 0, 255, 0, -1, 0);
    char label[] = "Fake";
    gPanel->drawf->drawText(area, label, 4139, -3, -3);
}

LWXPanelControl kControls[] = {
    {CH_MODE, "Mode", "iPopChoice"}, {CH_SCALE, "Scale", "float-env"}, {CH_THUMB, "Preview", "dThumbnail"},
    {CH_NOTE, "Note", "sInfo"},      {CH_GAIN, "Gain", "float"},       {0, nullptr, nullptr}};
LWXPanelDataDesc kData[] = {{CH_MODE, "Mode", "integer"}, {CH_SCALE, "Scale", "float-env"},
                            {CH_NOTE, "Note", "string"},  {CH_GAIN, "Gain", "float"},
                            {0, nullptr, nullptr}};
int kEnableMap[] = {1, 0, 1};

#define HW(x) reinterpret_cast<LWXPanelHint>(static_cast<std::intptr_t>(x))
#define HU(x) reinterpret_cast<LWXPanelHint>(static_cast<std::uintptr_t>(x))
#define HP(x) reinterpret_cast<LWXPanelHint>(x)

int activateFakeIface(int version, GlobalFunc *global, void *local, void *) {
    if (version < LWINTERFACE_VERSION) return AFUNC_BADVERSION;
    gPanel = static_cast<LWXPanelFuncs *>(global(LWXPANELFUNCS_GLOBAL, GFUSE_TRANSIENT));
    if (!gPanel) return AFUNC_BADGLOBAL;
    auto *ui = static_cast<LWInterface *>(local);
    auto *c = static_cast<FakeCam *>(ui->inst);
    if (!c) return AFUNC_BADLOCAL;
    if (!c->panel) {
        c->panel = gPanel->create(LWXP_VIEW, kControls);
        if (!c->panel) return AFUNC_BADGLOBAL;
        gPanel->describe(c->panel, kData, panelGet, panelSet);
        gPanel->viewInst(c->panel, c);
        gPanel->setData(c->panel, 0, c);
        LWXPanelHint hints[] = {HU(XPTAG_POPFUNCS), HU(CH_MODE), HP(popCount), HP(popName),
                                HU(XPTAG_DRAWCBFUNC), HU(CH_THUMB), HP(thumbDraw),
                                HU(XPTAG_CTRLCFG), HU(CH_THUMB), HU(0), HU(THUM_FULL | THUM_SML),
                                HU(XPTAG_DIVADD), HU(CH_SCALE), HU(CH_GAIN), HU(0),
                                HU(XPTAG_MIN), HU(CH_GAIN), HW(-5),
                                HU(XPTAG_ENABLE), HU(CH_MODE), HU(0), HU(0), HP(kEnableMap), HU(CH_GAIN), HU(0),
                                HU(XPTAG_END)};
        gPanel->hint(c->panel, 0, hints);
    }
    ui->panel = c->panel;
    ui->options = nullptr;
    ui->command = nullptr;
    return AFUNC_OK;
}

// ---- gizmo

void gizmoDraw(LWInstance inst, LWCustomObjAccess *a) {
    auto *c = static_cast<FakeCam *>(inst);
    float yellow[4] = {1.0f, 1.0f, 0.0f, 1.0f};
    a->setCSysItem(a->dispData, c->item);
    a->setColor(a->dispData, yellow);
    double p[4][3] = {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}};
    a->quad(a->dispData, p[0], p[1], p[2], p[3], LWCSYS_OBJECT);
    double centre[3] = {0, 0, 2};
    a->circle(a->dispData, centre, 0.25, LWCSYS_ICON);
}

LWGizmoFuncs gGizmoFuncs = {nullptr, gizmoDraw, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr,   nullptr, nullptr, nullptr, nullptr};

int activateFakeGizmo(int version, GlobalFunc *, void *local, void *) {
    if (version != 1) return AFUNC_BADVERSION;
    static_cast<LWGizmo *>(local)->gizmo = &gGizmoFuncs;
    return AFUNC_OK;
}

// ---- composite: renders the camera item named "Sub" through an evaluator

struct Composite {
    LWItemID item;
    LWCameraEvaluatorID eval;
};

LWInstance compCreate(void *, void *context, LWError *) { return new Composite{static_cast<LWItemID>(context), nullptr}; }
void compDestroy(LWInstance inst) {
    auto *c = static_cast<Composite *>(inst);
    if (c->eval) gEval->destroy(c->eval);
    delete c;
}
LWError compInit(LWInstance inst, int mode) {
    auto *c = static_cast<Composite *>(inst);
    LWItemID sub = nullptr;
    for (LWItemID it = gItem->first(LWI_CAMERA, nullptr); it; it = gItem->next(it)) {
        const char *n = gItem->name(it);
        if (it != c->item && n && std::strcmp(n, "Sub") == 0) sub = it;
    }
    if (!sub) return "Composite: no camera named Sub";
    c->eval = gEval->create(sub);
    if (!c->eval) return "Composite: evaluator refused";
    return gEval->init(c->eval, mode);
}
void compCleanup(LWInstance inst) {
    auto *c = static_cast<Composite *>(inst);
    if (!c->eval) return;
    gEval->cleanUp(c->eval);
    gEval->destroy(c->eval);
    c->eval = nullptr;
}
LWError compNewTime(LWInstance inst, LWFrame f, LWTime t) {
    auto *c = static_cast<Composite *>(inst);
    return c->eval ? gEval->newTime(c->eval, f, t) : nullptr;
}
LWError compNewFrame(LWInstance inst, const LWFrameInfo *, const LWCameraAccess *) {
    auto *c = static_cast<Composite *>(inst);
    return c->eval ? gEval->newFrame(c->eval) : "Composite: not initialised";
}
int compPreview(LWInstance inst, double lpx, double lpy, LWDMatrix4 m, const LWCameraAccess *) {
    auto *c = static_cast<Composite *>(inst);
    return c->eval ? gEval->preview(c->eval, lpx, lpy, m) : 0;
}
int compEvaluate(LWInstance inst, double fpx, double fpy, double lpx, double lpy, double frac, LWCameraRay *ray,
                 const LWCameraAccess *) {
    auto *c = static_cast<Composite *>(inst);
    return c->eval ? gEval->evaluate(c->eval, fpx, fpy, lpx, lpy, frac, ray) : LWCAMTYPEEVAL_NO_RAY;
}
unsigned int compFlags(LWInstance) { return 0; }

int activateComposite(int version, GlobalFunc *global, void *local, void *) {
    if (version != LWCAMERA_VERSION) return AFUNC_BADVERSION;
    gItem = static_cast<LWItemInfo *>(global(LWITEMINFO_GLOBAL, GFUSE_TRANSIENT));
    gEval = static_cast<LWCameraEvaluationFuncs *>(global(LWCAMERAEVALUATIONFUNCS_GLOBAL, GFUSE_TRANSIENT));
    if (!gItem || !gEval) return AFUNC_BADGLOBAL;
    auto *h = static_cast<LWCameraHandler *>(local);
    *h->inst = LWInstanceFuncs{nullptr, compCreate, compDestroy, nullptr, nullptr, nullptr, nullptr};
    if (h->item) *h->item = LWItemFuncs{nullptr, nullptr, nullptr};
    *h->rend = LWRenderFuncs{compInit, compCleanup, compNewTime};
    h->preview = compPreview;
    h->newFrame = compNewFrame;
    h->evaluate = compEvaluate;
    h->flags = compFlags;
    return AFUNC_OK;
}

// ---- version negotiation probes

int activateOldOnly(int version, GlobalFunc *, void *, void *) { return version == 1 ? AFUNC_OK : AFUNC_BADVERSION; }
int activateNever(int, GlobalFunc *, void *, void *) { return AFUNC_BADVERSION; }

// Needs the system ID: refuses to run on a render node.
int activateNodeShy(int version, GlobalFunc *global, void *, void *) {
    if (version != LWCAMERA_VERSION) return AFUNC_BADVERSION;
    auto id = static_cast<unsigned int>(reinterpret_cast<std::uintptr_t>(global(LWSYSTEMID_GLOBAL, GFUSE_TRANSIENT)));
    return (id & LWSYS_TYPEBITS) == LWSYS_SCREAMERNET ? AFUNC_BADAPP_SILENT : AFUNC_OK;
}

ServerTagInfo kFakeTags[] = {{"Fake Camera", SRVTAG_USERNAME | LANGID_USENGLISH},
                             {"Fake Camera (UK)", SRVTAG_USERNAME | LANGID_UKENGLISH},
                             {"A camera for tests", SRVTAG_DESCRIPTION | LANGID_USENGLISH},
                             {nullptr, 0}};
// Ended the way the SDK's examples end their lists: an empty text with tag 0.
// The entry after it is not part of the list.
ServerTagInfo kCompTags[] = {{"Fake Composite", SRVTAG_USERNAME | LANGID_UKENGLISH},
                             {"", 0},
                             {"past the end", SRVTAG_DESCRIPTION | LANGID_USENGLISH},
                             {nullptr, 0}};

ServerRecord kServers[] = {
    {LWCAMERA_HCLASS, "FakeCam", activateFakeCam, kFakeTags},
    {LWCAMERA_ICLASS, "FakeCam", activateFakeIface, kFakeTags},
    {LWCAMERA_GCLASS, "FakeCam", activateFakeGizmo, kFakeTags},
    {LWCAMERA_HCLASS, "FakeComposite", activateComposite, kCompTags},
    {LWCAMERA_HCLASS, "OldOnly", activateOldOnly, nullptr},
    {LWCAMERA_HCLASS, "Never", activateNever, nullptr},
    {LWCAMERA_HCLASS, "NodeShy", activateNodeShy, nullptr},
    {nullptr, nullptr, nullptr, nullptr}};

void *fakeStartup() {
    ++gStartups;
    return &gModuleData;
}
void fakeShutdown(void *data) {
    ++gShutdowns;
    if (data == &gModuleData) ++gShutdownDataOk;
}

}  // namespace

extern "C" {
FAKE_EXPORT ModuleDescriptor _mod_descrip = {MOD_SYSSYNC, MOD_SYSVER, MOD_MACHINE_UNIX, fakeStartup, fakeShutdown,
                                             kServers};

// Read by the tests through the already loaded library.
FAKE_EXPORT void fake_module_counts(int *startups, int *shutdowns, int *shutdownDataOk) {
    *startups = gStartups;
    *shutdowns = gShutdowns;
    *shutdownDataOk = gShutdownDataOk;
}
}
