// stereorig.cpp -- the Stereo Rig camera: two thin-lens eyes with parallel,
// off-axis or toed-in axes, both in one frame ("VantorStereoRigCam").
#include "cameras/stereorig/stereorig.h"

#include "cameras/stereorig/projection.h"
#include "framework/handler.h"
#include "framework/lens.h"

namespace StereoRigCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

enum Param { ZoomFactor, EyeSeparation, ConvergenceDistance, kParamCount };
enum Setting { Mode, Layout, kSettingCount };

enum : unsigned int {
    ID_LOGO = 0x8000,
    ID_VERSION,
    ID_ZOOM,
    ID_EYE_SEPARATION,
    ID_CONVERGENCE,
    ID_MODE,
    ID_LAYOUT,
};

const ParamDesc kParams[kParamCount] = {
    {"ZoomFactor", 0.0, ID_ZOOM, true},                  // the host camera's zoom factor
    {"EyeSeparation", 0.0, ID_EYE_SEPARATION, true},     // the host camera's separation
    {"ConvergenceDistance", 0.0, ID_CONVERGENCE, true},  // the host camera's focal distance
};

const SettingDesc kSettings[kSettingCount] = {{"Mode", 0, ID_MODE}, {"Layout", 0, ID_LAYOUT}};

const BlockItem kBlock[] = {
    {BlockItem::kEnvelope, ZoomFactor},
    {BlockItem::kEnvelope, EyeSeparation},
    {BlockItem::kEnvelope, ConvergenceDistance},
    {BlockItem::kSetting, Mode},
    {BlockItem::kSetting, Layout},
};

// The popups in order; a stored value outside one acts as its first entry.
const char *const kModeNames[] = {"Off-axis", "Parallel", "Toe-in"};
const RigMode kModes[] = {RigMode::OffAxis, RigMode::Parallel, RigMode::ToeIn};
const char *const kLayoutNames[] = {"Side by side, left eye left", "Over-under, left eye on top", "Left eye only",
                                    "Right eye only"};
const EyeLayout kLayouts[] = {EyeLayout::SideBySide, EyeLayout::OverUnder, EyeLayout::LeftOnly,
                              EyeLayout::RightOnly};

int ModePopCount(void *) { return 3; }
const char *ModePopName(void *, int index) { return (index >= 0 && index < 3) ? kModeNames[index] : ""; }
int LayoutPopCount(void *) { return 4; }
const char *LayoutPopName(void *, int index) { return (index >= 0 && index < 4) ? kLayoutNames[index] : ""; }

LWXPanelControl InterfaceCreate[] = {
    {ID_LOGO, "Logo", "dThumbnail"},
    {ID_VERSION, "Version", "sInfo"},
    {ID_MODE, "Mode", "iPopChoice"},
    {ID_LAYOUT, "Layout", "iPopChoice"},
    {ID_ZOOM, "Zoom Factor", "zoomfactor-env"},
    {ID_EYE_SEPARATION, "Eye Separation", "distance-env"},
    {ID_CONVERGENCE, "Convergence Distance", "distance-env"},
    {0, nullptr, nullptr},
};

LWXPanelDataDesc InterfaceXData[] = {
    {ID_VERSION, "Version", "string"},
    {ID_MODE, "Mode", "integer"},
    {ID_LAYOUT, "Layout", "integer"},
    {ID_ZOOM, "Zoom Factor", "float"},
    {ID_EYE_SEPARATION, "Eye Separation", "float"},
    {ID_CONVERGENCE, "Convergence Distance", "float"},
    {0, nullptr, nullptr},
};

LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    HintWordU(XPTAG_POPFUNCS), HintWordU(ID_MODE), HintFunc(&ModePopCount), HintFunc(&ModePopName),
    HintWordU(XPTAG_POPFUNCS), HintWordU(ID_LAYOUT), HintFunc(&LayoutPopCount), HintFunc(&LayoutPopName),
    HintWordU(XPTAG_CTRLCFG), HintWordU(ID_LOGO), HintWord(0), HintWordU(0x80000001u),
    HintWordU(XPTAG_DRAWCBFUNC), HintWordU(ID_LOGO), HintFunc(&PanelControlDrawFunc<&services>),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VERSION), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_LAYOUT), HintWord(0),
    HintWordU(XPTAG_END),
};

const CameraTypeDesc kDesc = {
    "VantorStereoRigCam",
    "VantorStereoRigCam v2.0",
    &services,
    kParams,
    kParamCount,
    ZoomFactor,
    kSettings,
    kSettingCount,
    kBlock,
    static_cast<int>(sizeof kBlock / sizeof kBlock[0]),
    {InterfaceCreate, InterfaceXData, InterfaceHint, ID_VERSION, 0},
    1, // uses the lens position
};

class CameraPlugin : public SingleViewCamera {
public:
    static const CameraTypeDesc &Desc() { return kDesc; }

    double lensFactor = 0.0;
    double focusDistance = 0.0; // unknown until the first frame: focused at infinity
    StereoRig rig{};            // what every ray of the current values shares

    explicit CameraPlugin(LWItemID item) : SingleViewCamera(kDesc, item) {
        HostServices &s = svc();
        if (s.camerainfo) {
            const double now = s.CurrentTime();
            if (s.camerainfo->separation) SetValue(EyeSeparation, s.camerainfo->separation(item, now));
            if (s.camerainfo->focalDistance) SetValue(ConvergenceDistance, s.camerainfo->focalDistance(item, now));
            if (s.camerainfo->fStop) lensFactor = LensFactorFor(s.camerainfo->fStop(item, now));
        }
        UpdateRig();
    }

    void UpdateRig() {
        const std::uint32_t mode = static_cast<std::uint32_t>(setting[Mode]);
        const std::uint32_t layout = static_cast<std::uint32_t>(setting[Layout]);
        rig = MakeRig({value[ZoomFactor], value[EyeSeparation], value[ConvergenceDistance], kModes[mode < 3 ? mode : 0],
                       kLayouts[layout < 4 ? layout : 0], lensFactor, focusDistance});
    }

    void CopyFrom(const CameraPlugin &from) {
        SingleViewCamera::CopyFrom(from);
        lensFactor = from.lensFactor;
        focusDistance = from.focusDistance;
        UpdateRig();
    }

    LWError NewTime(LWFrame frame, LWTime time) {
        SingleViewCamera::NewTime(frame, time);
        UpdateRig();
        return nullptr;
    }

    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) {
        if (!frame || !access) return nullptr;
        // The lens is read on every call, also when nothing else changed.
        HostServices &s = svc();
        if (s.camerainfo) {
            const double now = s.CurrentTime();
            if (s.camerainfo->fStop) lensFactor = LensFactorFor(s.camerainfo->fStop(access->cameraID, now));
            if (s.camerainfo->focalDistance) focusDistance = s.camerainfo->focalDistance(access->cameraID, now);
        }
        NewFrame(frame, access);
        UpdateRig();
        return nullptr;
    }

    int Evaluate(double fpx, double fpy, double lpx, double lpy, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const {
        // A film point that is not finite gives a ray that is not, which
        // WriteRay refuses.
        if (!access || !FilmIsUsable(access->filmSize[0], access->filmSize[1])) return LWCAMTYPEEVAL_NO_RAY;
        Pose scratch;
        const Pose &pose = PoseAt(fraction, access, scratch);
        StereoRigRay r;
        if (!StereoRigCam::Evaluate(rig, pose, access->filmSize[0], access->filmSize[1], fpx, fpy, lpx, lpy, r))
            return LWCAMTYPEEVAL_NO_RAY;
        return WriteRay(ray, r.origin, r.direction, r.filmNormal);
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

} // namespace StereoRigCam
