// panoramic.cpp -- the Panoramic camera: a latitude-longitude band around the
// camera's up axis ("VantorPanoramicCam").
#include "cameras/panoramic/panoramic.h"

#include "cameras/panoramic/projection.h"
#include "framework/handler.h"

namespace PanoramicCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

namespace {
// Scanlines repeat the elevation ray after ray (it follows film y alone).
thread_local SinCosMemo tElevation LENTARA_FAST_TLS;
} // namespace

enum Param { ZoomFactor, HorizontalFOVradians, MaxVerticalFOVradians, MinVerticalFOVradians, kParamCount };

enum : unsigned int {
    ID_ZOOM = 0x8000,
    ID_VERSION = 0x8001,
    ID_LOGO = 0x8005,
    ID_HFOV = 0x8006,
    ID_VFOV_MAX = 0x8007,
    ID_VFOV_MIN = 0x8008,
};

const ParamDesc kParams[kParamCount] = {
    {"ZoomFactor", 0.0, 0, false},
    {"HorizontalFOVradians", 6.283185307179586, ID_HFOV, true},
    {"MaxVerticalFOVradians", 0.7853981633974483, ID_VFOV_MAX, true},
    {"MinVerticalFOVradians", -0.7853981633974483, ID_VFOV_MIN, true},
};

const BlockItem kBlock[] = {
    {BlockItem::kEnvelope, HorizontalFOVradians},
    {BlockItem::kEnvelope, MaxVerticalFOVradians},
    {BlockItem::kEnvelope, MinVerticalFOVradians},
};

LWXPanelControl InterfaceCreate[] = {
    {ID_LOGO, "Logo", "dThumbnail"},
    {ID_VERSION, "Version", "sInfo"},
    {ID_HFOV, "Horizontal FOV angle", "angle-env"},
    {ID_VFOV_MAX, "Upper Vertical FOV angle", "angle-env"},
    {ID_VFOV_MIN, "Lower Vertical FOV angle", "angle-env"},
    {0, nullptr, nullptr},
};

LWXPanelDataDesc InterfaceXData[] = {
    {ID_VERSION, "Version", "string"},
    {ID_HFOV, "Horizontal FOV angle", "float"},
    {ID_VFOV_MAX, "Upper Vertical FOV angle", "float"},
    {ID_VFOV_MIN, "Lower Vertical FOV angle", "float"},
    {0, nullptr, nullptr},
};

LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    HintWordU(XPTAG_CTRLCFG), HintWordU(ID_LOGO), HintWord(0), HintWordU(0x80000001u),
    HintWordU(XPTAG_DRAWCBFUNC), HintWordU(ID_LOGO), HintFunc(&PanelControlDrawFunc<&services>),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VERSION), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_HFOV), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_ZOOM), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VFOV_MIN), HintWord(0),
    HintWordU(XPTAG_SENS), HintWordU(ID_VFOV_MAX), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_VFOV_MIN), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_HFOV), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_VFOV_MAX), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_VFOV_MIN), HintWord(1),
    HintWordU(XPTAG_END),
};

const CameraTypeDesc kDesc = {
    "VantorPanoramicCam",
    "VantorPanoramicCam Dec 11 2010 10:02:20",
    &services,
    kParams,
    kParamCount,
    ZoomFactor,
    nullptr,
    0,
    kBlock,
    3,
    {InterfaceCreate, InterfaceXData, InterfaceHint, ID_VERSION, ID_ZOOM},
    0,
};

class CameraPlugin : public SingleViewCamera {
public:
    static const CameraTypeDesc &Desc() { return kDesc; }
    explicit CameraPlugin(LWItemID item) : SingleViewCamera(kDesc, item) {}

    int Evaluate(double fpx, double fpy, double, double, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const {
        if (!access || !FilmIsUsable(access->filmSize[0], access->filmSize[1])) return LWCAMTYPEEVAL_NO_RAY;
        const PanoramaParams p = {value[HorizontalFOVradians], value[MaxVerticalFOVradians],
                                  value[MinVerticalFOVradians]};
        // The trigonometry first: it needs no pose.
        const Vec3 local = CameraDirection(p, fpx, fpy, access->filmSize[0], access->filmSize[1], tElevation);
        Pose scratch;
        const Pose &pose = PoseAt(fraction, access, scratch);
        const Vec3 dir = WorldDirection(pose, local);
        return WriteRay(ray, pose.position, dir);
    }
};

LWGizmoFuncs gizmoFuncs = GizmoTable();

int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData) {
    return ActivateCameraHandler<CameraPlugin>(version, global, local, serverData, kNeedsVParm);
}

int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData) {
    return ActivateCameraInterface<CameraPlugin>(version, global, local, serverData, gInstance);
}

int CameraGizmo(int version, GlobalFunc *global, void *local, void *serverData) {
    return ActivateGizmo(version, global, local, serverData, services, &gizmoFuncs);
}

} // namespace PanoramicCam
