// dome.cpp -- the Dome camera: fisheye lens models for fulldome masters and
// real fisheye lenses ("VantorDomeCam").
#include "cameras/dome/dome.h"

#include "cameras/dome/projection.h"
#include "framework/handler.h"

namespace DomeCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

enum Param { FieldOfView, DomeTilt, kParamCount };
enum Setting { LensSetting, FitSetting, kSettingCount };

enum : unsigned int {
    ID_LOGO = 0x8000,
    ID_VERSION = 0x8001,
    ID_FOV = 0x8002,
    ID_TILT = 0x8003,
    ID_LENS = 0x8004,
    ID_FIT = 0x8005,
};

const char kVersion[] = "v2.0";

const ParamDesc kParams[kParamCount] = {
    {"FieldOfView", kPi, ID_FOV, true},
    {"DomeTilt", 0.0, ID_TILT, true},
};

const SettingDesc kSettings[kSettingCount] = {
    {"Lens", kEquidistant, ID_LENS},
    {"Fit", kFitHeight, ID_FIT},
};

const BlockItem kBlock[] = {
    {BlockItem::kEnvelope, FieldOfView},
    {BlockItem::kEnvelope, DomeTilt},
    {BlockItem::kSetting, LensSetting},
    {BlockItem::kSetting, FitSetting},
};

const char *const kLensNames[] = {"Equidistant", "Equisolid", "Stereographic", "Orthographic"};
const char *const kFitNames[] = {"Circle in frame height", "Circle in frame width", "Circle through frame corners"};

template <const char *const *Names, int N>
int PopCount(void *) {
    return N;
}
template <const char *const *Names, int N>
const char *PopName(void *, int index) {
    return (index >= 0 && index < N) ? Names[index] : "";
}

LWXPanelControl InterfaceCreate[] = {
    {ID_LOGO, "Logo", "dThumbnail"},
    {ID_VERSION, "Version", "sInfo"},
    {ID_FOV, "Field of View", "angle-env"},
    {ID_TILT, "Dome Tilt", "angle-env"},
    {ID_LENS, "Lens", "iPopChoice"},
    {ID_FIT, "Fit", "iPopChoice"},
    {0, nullptr, nullptr},
};

LWXPanelDataDesc InterfaceXData[] = {
    {ID_VERSION, "Version", "string"},
    {ID_FOV, "Field of View", "float"},
    {ID_TILT, "Dome Tilt", "float"},
    {ID_LENS, "Lens", "integer"},
    {ID_FIT, "Fit", "integer"},
    {0, nullptr, nullptr},
};

LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    HintWordU(XPTAG_CTRLCFG), HintWordU(ID_LOGO), HintWord(0), HintWordU(0x80000001u),
    HintWordU(XPTAG_DRAWCBFUNC), HintWordU(ID_LOGO), HintFunc(&PanelControlDrawFunc<&services>),
    HintWordU(XPTAG_POPFUNCS), HintWordU(ID_LENS), HintFunc(&PopCount<kLensNames, 4>), HintFunc(&PopName<kLensNames, 4>),
    HintWordU(XPTAG_POPFUNCS), HintWordU(ID_FIT), HintFunc(&PopCount<kFitNames, 3>), HintFunc(&PopName<kFitNames, 3>),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VERSION), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_TILT), HintWord(0),
    HintWordU(XPTAG_SENS), HintWordU(ID_FOV), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_TILT), HintWord(1),
    HintWordU(XPTAG_END),
};

const CameraTypeDesc kDesc = {
    "VantorDomeCam",
    "VantorDomeCam v2.0",
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
        DomeFrame own;
        const DomeFrame *f = &frame_;
        if (!(W == frame_.W && H == frame_.H)) {
            own = PrepareDome(Params(), W, H);
            f = &own;
        }
        Vec3 local;
        if (!DomeDirection(*f, fpx, fpy, local)) return LWCAMTYPEEVAL_NO_RAY;
        Pose scratch;
        const Pose &pose = PoseAt(fraction, access, scratch);
        return WriteRay(ray, pose.position, WorldDirection(pose, local));
    }

private:
    DomeFrame frame_{};

    DomeParams Params() const {
        return {value[FieldOfView], value[DomeTilt], setting[LensSetting], setting[FitSetting]};
    }
    void Prepare() { frame_ = PrepareDome(Params(), cameraAccess.filmSize[0], cameraAccess.filmSize[1]); }
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

} // namespace DomeCam
