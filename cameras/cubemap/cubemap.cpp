// cubemap.cpp -- the Cubemap camera: six exact 90-degree faces in the
// layouts game engines and environment tools read ("VantorCubemapCam").
#include "cameras/cubemap/cubemap.h"

#include "cameras/cubemap/projection.h"
#include "framework/handler.h"

namespace CubemapCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

enum Param { FaceOverlap, kParamCount };
enum Setting { LayoutSetting, FaceOrderSetting, kSettingCount };

enum : unsigned int {
    ID_LOGO = 0x8000,
    ID_VERSION = 0x8001,
    ID_OVERLAP = 0x8002,
    ID_LAYOUT = 0x8003,
    ID_ORDER = 0x8004,
};

const char kVersion[] = "v2.0";

const ParamDesc kParams[kParamCount] = {
    {"FaceOverlap", 0.0, ID_OVERLAP, true},
};

const SettingDesc kSettings[kSettingCount] = {
    {"Layout", kHorizontalCross, ID_LAYOUT},
    {"FaceOrder", kAxisOrder, ID_ORDER},
};

const BlockItem kBlock[] = {
    {BlockItem::kEnvelope, FaceOverlap},
    {BlockItem::kSetting, LayoutSetting},
    {BlockItem::kSetting, FaceOrderSetting},
};

const char *const kLayoutNames[] = {"Horizontal cross 4\xC3\x97" "3", "Vertical cross 3\xC3\x97" "4",
                                    "Strip 6\xC3\x97" "1", "Strip 1\xC3\x97" "6", "Blocks 3\xC3\x97" "2"};
const char *const kOrderNames[] = {"+X \xE2\x88\x92X +Y \xE2\x88\x92Y +Z \xE2\x88\x92Z", "Front Right Back Left Up Down"};

template <const char *const *Names, int N>
int PopCount(void *) {
    return N;
}
template <const char *const *Names, int N>
const char *PopName(void *, int index) {
    return (index >= 0 && index < N) ? Names[index] : "";
}

// The face order matters to the strips and the blocks only.
int kOrderEnable[] = {0, 0, 1, 1, 1};
char kOrderMessage[] = "Face order applies to the strips and the blocks.";

LWXPanelControl InterfaceCreate[] = {
    {ID_LOGO, "Logo", "dThumbnail"},
    {ID_VERSION, "Version", "sInfo"},
    {ID_OVERLAP, "Face Overlap", "angle-env"},
    {ID_LAYOUT, "Layout", "iPopChoice"},
    {ID_ORDER, "Face Order", "iPopChoice"},
    {0, nullptr, nullptr},
};

LWXPanelDataDesc InterfaceXData[] = {
    {ID_VERSION, "Version", "string"},
    {ID_OVERLAP, "Face Overlap", "float"},
    {ID_LAYOUT, "Layout", "integer"},
    {ID_ORDER, "Face Order", "integer"},
    {0, nullptr, nullptr},
};

LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    HintWordU(XPTAG_CTRLCFG), HintWordU(ID_LOGO), HintWord(0), HintWordU(0x80000001u),
    HintWordU(XPTAG_DRAWCBFUNC), HintWordU(ID_LOGO), HintFunc(&PanelControlDrawFunc<&services>),
    HintWordU(XPTAG_POPFUNCS), HintWordU(ID_LAYOUT), HintFunc(&PopCount<kLayoutNames, 5>),
        HintFunc(&PopName<kLayoutNames, 5>),
    HintWordU(XPTAG_POPFUNCS), HintWordU(ID_ORDER), HintFunc(&PopCount<kOrderNames, 2>),
        HintFunc(&PopName<kOrderNames, 2>),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VERSION), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_OVERLAP), HintWord(0),
    HintWordU(XPTAG_SENS), HintWordU(ID_OVERLAP), HintWord(1),
    HintWordU(XPTAG_ENABLE), HintWordU(ID_LAYOUT), kOrderMessage, HintWord(0), kOrderEnable, HintWordU(ID_ORDER), HintWord(0),
    HintWordU(XPTAG_END),
};

const CameraTypeDesc kDesc = {
    "VantorCubemapCam",
    "VantorCubemapCam v2.0",
    &services,
    kParams,
    kParamCount,
    -1,
    kSettings,
    kSettingCount,
    kBlock,
    static_cast<int>(sizeof kBlock / sizeof kBlock[0]),
    {InterfaceCreate, InterfaceXData, InterfaceHint, ID_VERSION, 0},
    0,
};

class CameraPlugin : public SingleViewCamera {
public:
    static const CameraTypeDesc &Desc() { return kDesc; }
    explicit CameraPlugin(LWItemID item) : SingleViewCamera(kDesc, item) { Prepare(); }

    LWError NewTime(LWFrame frame, LWTime time) {
        SingleViewCamera::NewTime(frame, time);
        Prepare();
        return nullptr;
    }
    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) {
        NewFrame(frame, access);
        Prepare();
        return nullptr;
    }
    void CopyFrom(const CameraPlugin &from) {
        SingleViewCamera::CopyFrom(from);
        Prepare();
    }

    int Evaluate(double fpx, double fpy, double, double, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const {
        if (!access) return LWCAMTYPEEVAL_NO_RAY;
        const double W = access->filmSize[0], H = access->filmSize[1];
        // The frame's shared values, unless this call's film differs.
        CubemapFrame own;
        const CubemapFrame *f = &frame_;
        if (!(W == frame_.W && H == frame_.H)) {
            own = PrepareCubemap(Params(), W, H);
            f = &own;
        }
        // Turned into world space unnormalised: the world direction is normalised.
        Vec3 local;
        if (!CubemapRayVector(*f, fpx, fpy, local)) return LWCAMTYPEEVAL_NO_RAY;
        Pose scratch;
        const Pose &pose = PoseAt(fraction, access, scratch);
        return WriteRay(ray, pose.position, WorldDirection(pose, local));
    }

private:
    CubemapFrame frame_{};

    CubemapParams Params() const { return {value[FaceOverlap], setting[LayoutSetting], setting[FaceOrderSetting]}; }
    void Prepare() { frame_ = PrepareCubemap(Params(), cameraAccess.filmSize[0], cameraAccess.filmSize[1]); }
};

void *PanelGet(void *inst, unsigned int vid) {
    if (!inst) return nullptr;
    if (vid == ID_VERSION) return const_cast<char *>(kVersion);
    bool handled;
    return PanelGetCommon(static_cast<CameraPlugin *>(inst), vid, handled);
}

LWGizmoFuncs gizmoFuncs = GizmoTable();

int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData) {
    return ActivateCameraHandler<CameraPlugin>(version, global, local, serverData, kNeedsVParm);
}

int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData) {
    return ActivateCameraInterface<CameraPlugin>(version, global, local, serverData, gInstance, PanelGet);
}

int CameraGizmo(int version, GlobalFunc *global, void *local, void *serverData) {
    return ActivateGizmo(version, global, local, serverData, services, &gizmoFuncs);
}

} // namespace CubemapCam
