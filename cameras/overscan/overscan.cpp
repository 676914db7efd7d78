// overscan.cpp -- the Overscan camera ("VantorOverscanCam"): one scene camera,
// picked in the panel, seen through a film widened by an overscan amount and
// shifted by an animated jitter.
//
// Parameters (enveloped, fractions):
//   Overscan           o  the picked camera sees (1 + o) times its film
//   Vertical Jitter    v  film shift upward, in quarters of the film width
//   Horizontal Jitter  u  film shift to the right, in quarters of the film width
// Scene block: the camera choice (unsigned 32-bit), then the three envelopes.
// At most one Overscan camera exists at a time; it may sit beside one Dual,
// 4Up or 12Up camera.
#include "cameras/overscan/overscan.h"

#include <cmath>
#include <cstdio>

#include "composite/delegation.h"
#include "framework/handler.h"

namespace OverscanCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;
unsigned char bOverscanCamActive = 0;
const char kOnlyOneOverscan[] = "Only one Overscan Camera allowed in a scene";

// The two resolution lines the panel reads.
char Camera1Resolution[64];
char Camera2Resolution[64];
const char kNoResolution[] = "Width x Height";

enum Param { Overscan, VerticalJitter, HorizontalJitter, kParamCount };

enum : unsigned int {
    ID_VERSION = 0x8001,
    ID_LOGO = 0x8005,
    ID_OVERSCAN = 0x8006,
    ID_CAMERA = 0x8007,
    ID_VJITTER = 0x8008,
    ID_HJITTER = 0x8009,
    ID_CAMERA_RES = 0x800a,
    ID_OVERSCAN_RES = 0x800b,
};

const ParamDesc kParams[kParamCount] = {
    {"Overscan", 0.0, ID_OVERSCAN, true},
    {"Vertical Jitter", 0.0, ID_VJITTER, true},
    {"Horizontal Jitter", 0.0, ID_HJITTER, true},
};

// The envelopes' part of the block; the choice is written before it.
const BlockItem kEnvelopeBlock[] = {
    {BlockItem::kEnvelope, Overscan},
    {BlockItem::kEnvelope, VerticalJitter},
    {BlockItem::kEnvelope, HorizontalJitter},
};

LWXPanelControl InterfaceCreate[] = {
    {ID_LOGO, "Logo", "dThumbnail"},
    {ID_VERSION, "Version", "sInfo"},
    {ID_CAMERA, "Selected Camera", "iPopChoice"},
    {ID_CAMERA_RES, "Selected Camera Resolution", "sInfo"},
    {ID_OVERSCAN, "Overscan Percentage", "percent-env"},
    {ID_OVERSCAN_RES, "Calc. Overscan Resolution", "sInfo"},
    {ID_VJITTER, "Vertical Jitter", "percent-env"},
    {ID_HJITTER, "Horizontal Jitter", "percent-env"},
    {0, nullptr, nullptr},
};

LWXPanelDataDesc InterfaceXData[] = {
    {ID_VERSION, "Version", "string"},
    {ID_CAMERA, "Selected Camera", "integer"},
    {ID_CAMERA_RES, "Selected Camera Resolution", "string"},
    {ID_OVERSCAN, "Overscan Percentage", "float"},
    {ID_OVERSCAN_RES, "Calc. Overscan Resolution", "string"},
    {ID_VJITTER, "Vertical Jitter", "float"},
    {ID_HJITTER, "Horizontal Jitter", "float"},
    {0, nullptr, nullptr},
};

extern LWXPanelHint InterfaceHint[];

const CameraTypeDesc kDesc = {
    "VantorOverscanCam",
    "VantorOverscanCam Dec 11 2010 18:08:43",
    &services,
    kParams,
    kParamCount,
    -1,
    nullptr,
    0,
    kEnvelopeBlock,
    3,
    {InterfaceCreate, InterfaceXData, InterfaceHint, ID_VERSION, 0},
    LWCAMTYPEF_SUPPORTSDOF,
};

// One truncated product of the widened resolution; a product that does not
// fit an int shows 0.
int WidenedSize(int size, float k) {
    const float p = static_cast<float>(size) * k;
    if (!(p > -2147483520.0f && p < 2147483520.0f)) return 0;
    return static_cast<int>(p);
}

class CameraPlugin : public CameraBase {
public:
    static const CameraTypeDesc &Desc() { return kDesc; }
    explicit CameraPlugin(LWItemID self) : CameraBase(kDesc, self) {}
    ~CameraPlugin() { DestroyTiles(svc(), &tile, 1); }

    // The picked camera: tileItem is the selected camera, tileEvaluator its
    // evaluator.
    Tile tile;
    // One of the per-frame calls is running: a picked camera that shows this
    // one calls back in through the host, and that call returns at once.
    bool frameCallRunning = false;

    LWItemID selfItem() const { return item; }

    LWError InitRender(int mode) {
        const FrameCallScope scope(frameCallRunning);
        if (!scope.entered()) return nullptr;
        renderMode = mode;
        InitTiles(svc(), selfItem(), &tile, 1, mode);
        return nullptr;
    }
    void CleanUpRender() {
        const FrameCallScope scope(frameCallRunning);
        if (!scope.entered()) return;
        CleanUpTiles(svc(), &tile, 1);
    }
    LWError NewTime(LWFrame frame, LWTime time) {
        const FrameCallScope scope(frameCallRunning);
        if (!scope.entered()) return nullptr;
        CameraBase::NewTime(frame, time);
        NewTimeTiles(svc(), &tile, 1, frame, time);
        return nullptr;
    }
    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) {
        const FrameCallScope scope(frameCallRunning);
        if (!scope.entered()) return nullptr;
        // Not compared with the stored copies: the picked camera gets its
        // frame calls on every new frame.
        if (access) cameraAccess = *access;
        if (frame) {
            frameInfo = *frame;
            get_vpValues(frame->start);
        }
        NewFrameTiles(svc(), &tile, 1, currentFrame, currentTime);
        return nullptr;
    }
    int Preview(double lpx, double lpy, LWDMatrix4 projection, const LWCameraAccess *) {
        const FrameCallScope scope(frameCallRunning);
        if (!scope.entered()) return 0;
        if (!tile.tileEvaluator) return 0;
        const double k = 1.0 + value[Overscan];
        // An overscan that is not finite (a stored envelope can hold one)
        // gives no matrix rather than a lens position that is not a number.
        if (!AllFinite(k * lpx, k * lpy)) return 0;
        return PreviewTiles(svc(), &tile, 1, k * lpx, k * lpy, projection);
    }

    // The envelope's value at time t, read afresh for every ray so that each
    // motion-blur sample sees the jitter of its own instant.
    double ValueAt(int param, double t) const {
        const LWVParmFuncs *vp = svc().vparmf;
        double result[3] = {value[param], 0.0, 0.0};
        if (envelope[param] && vp && vp->getVal) vp->getVal(envelope[param], t, nullptr, result);
        return result[0];
    }

    int Evaluate(double fpx, double fpy, double lpx, double lpy, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const {
        // Only the film width is read.
        if (!access || !FilmSideIsUsable(access->filmSize[0])) return LWCAMTYPEEVAL_NO_RAY;
        const double t = fraction * frameInfo.duration + currentTime;
        // Input that is not finite gives no ray before the envelopes are
        // read, so the host is never asked for a value at such a time.
        if (!AllFinite(fpx, fpy, lpx, lpy, t)) return LWCAMTYPEEVAL_NO_RAY;
        const double o = ValueAt(Overscan, t);
        const double v = ValueAt(VerticalJitter, t);
        const double u = ValueAt(HorizontalJitter, t);
        if (!tile.tileEvaluator) return LWCAMTYPEEVAL_NO_RAY;

        // Shift by the jitter, in quarters of the film width both ways, then
        // widen about the film centre.
        const double q = access->filmSize[0] * 0.25;
        const double k = 1.0 + o;
        const double x = k * (fpx + u * q);
        const double y = k * (fpy + v * q);
        return EvaluateTile(svc(), tile, x, y, k * lpx, k * lpy, fraction, ray);
    }

    void Save(const LWSaveState *save) const {
        SaveChoices(save, &tile, 1);
        CameraBase::Save(save);
    }
    void Load(const LWLoadState *load) {
        LoadChoices(svc(), load, &tile, 1);
        CameraBase::Load(load);
    }
    void CopyFrom(const CameraPlugin &from) {
        CopyCommon(from);
        tile.tileChoice = from.tile.tileChoice;
        DestroyTiles(svc(), &tile, 1);
        tile.tileItem = nullptr;
    }

    // The picked camera's resolution, and the resolution its widened film needs.
    void FormatResolutions() const {
        if (tile.tileChoice == 0 || !tile.tileItem) {
            std::snprintf(Camera1Resolution, sizeof Camera1Resolution, "%s", kNoResolution);
            std::snprintf(Camera2Resolution, sizeof Camera2Resolution, "%s", kNoResolution);
            return;
        }
        int width = 0, height = 0;
        const LWCameraInfo *ci = svc().camerainfo;
        if (ci && ci->resolution) ci->resolution(tile.tileItem, &width, &height);
        const float k = static_cast<float>(1.0 + value[Overscan]);
        std::snprintf(Camera1Resolution, sizeof Camera1Resolution, " %i x %i", width, height);
        std::snprintf(Camera2Resolution, sizeof Camera2Resolution, " %i x %i", WidenedSize(width, k),
                      WidenedSize(height, k));
    }
};

using CB = Callbacks<CameraPlugin>;

LWInstance C_Create(void *, void *context, LWError *error) noexcept {
    return CreateOneAtATime<CameraPlugin>(bOverscanCamActive, kOnlyOneOverscan, context, error);
}

// A late popup callback must not find the freed instance in gInstance.
void C_Destroy(LWInstance inst) noexcept {
    if (inst && gInstance == inst) gInstance = nullptr;
    DestroyOneAtATime<CameraPlugin>(bOverscanCamActive, inst);
}

void *PanelGet(void *inst, unsigned int vid) {
    if (!inst) return nullptr;
    auto *cam = static_cast<CameraPlugin *>(inst);
    bool handled;
    void *common = PanelGetCommon(cam, vid, handled);
    if (handled) return common;
    switch (vid) {
    case ID_CAMERA:
        return &cam->tile.tileChoice;
    case ID_CAMERA_RES:
        cam->FormatResolutions();
        return Camera1Resolution;
    case ID_OVERSCAN_RES:
        cam->FormatResolutions();
        return Camera2Resolution;
    default:
        return nullptr;
    }
}

int PanelSet(void *inst, unsigned int vid, void *value) {
    if (inst && value && vid == ID_CAMERA) {
        auto *cam = static_cast<CameraPlugin *>(inst);
        Guarded(0, [&] {
            PickCamera(cam->svc(), cam->selfItem(), cam->tile, *static_cast<const int *>(value));
            return 0;
        });
    }
    return 1;
}

int PanelPopCount(void *data) { return lentara::PanelPopCount<CameraPlugin, &services, &gInstance>(data); }
const char *PanelPopName(void *data, int index) {
    return lentara::PanelPopName<CameraPlugin, &services, &gInstance>(data, index);
}

#define LIMITS(id)                                                                                           \
    HintWordU(XPTAG_SENS), HintWordU(id), HintWord(1), HintWordU(XPTAG_MAX), HintWordU(id), HintWord(5),     \
        HintWordU(XPTAG_MIN), HintWordU(id), HintWord(-1)

LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    HintWordU(XPTAG_CTRLCFG), HintWordU(ID_LOGO), HintWord(0), HintWordU(0x80000001u),
    HintWordU(XPTAG_DRAWCBFUNC), HintWordU(ID_LOGO), HintFunc(&PanelControlDrawFunc<&services>),
    HintWordU(XPTAG_POPFUNCS), HintWordU(ID_CAMERA), HintFunc(PanelPopCount), HintFunc(PanelPopName),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VERSION), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_CAMERA), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_OVERSCAN_RES), HintWord(0),
    HintWordU(XPTAG_ENABLE), HintWordU(ID_CAMERA), HintWord(0), HintWord(0), HintWord(0), HintWord(0),
    LIMITS(ID_OVERSCAN), LIMITS(ID_VJITTER), LIMITS(ID_HJITTER),
    HintWordU(XPTAG_END),
};

#undef LIMITS

LWGizmoFuncs gizmoFuncs = GizmoTable();

int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData) {
    HandlerTable t = CB::Table();
    t.create = C_Create;
    t.destroy = C_Destroy;
    return ActivateHandler(version, global, local, serverData, services, kNeedsVParm | kFetchCameraEval, t);
}

int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData) {
    return ActivateInterface(version, global, local, serverData, services, kDesc.panel, gInstance, PanelGet,
                             PanelSet);
}

int CameraGizmo(int version, GlobalFunc *global, void *local, void *serverData) {
    return ActivateGizmo(version, global, local, serverData, services, &gizmoFuncs);
}

} // namespace OverscanCam
