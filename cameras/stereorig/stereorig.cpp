// stereorig.cpp -- the Stereo Rig camera: two thin-lens eyes with parallel,
// off-axis or toed-in axes, both in one frame ("VantorStereoRigCam").
#include "cameras/stereorig/stereorig.h"

#include "cameras/stereorig/projection.h"
#include "framework/handler.h"
#include "framework/lens_camera.h"

namespace StereoRigCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

enum Param { ZoomFactor, EyeSeparation, ConvergenceDistance };
enum Setting { Mode, Layout };

// The zoom factor, separation and convergence distance start at the host
// camera's zoom factor, eye separation and focus distance.
constexpr ParamDesc kParams[] = {
    {"ZoomFactor", 0.0},
    {"EyeSeparation", 0.0},
    {"ConvergenceDistance", 0.0},
};

constexpr SettingDesc kSettings[] = {{"Mode", 0}, {"Layout", 0}};

constexpr BlockItem kBlock[] = {
    BlockEnvelope(ZoomFactor), BlockEnvelope(EyeSeparation), BlockEnvelope(ConvergenceDistance), BlockSetting(Mode),
    BlockSetting(Layout),
};

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    PopupControl(ID_MODE, "Mode", Mode),
    PopupControl(ID_LAYOUT, "Layout", Layout),
    EnvelopeControl(ID_ZOOM, "Zoom Factor", "zoomfactor-env", ZoomFactor),
    DistanceControl(ID_EYE_SEPARATION, "Eye Separation", EyeSeparation),
    DistanceControl(ID_CONVERGENCE, "Convergence Distance", ConvergenceDistance),
};

// The popups in order; a stored value outside one acts as its first entry.
constexpr int kModeCount = 3, kLayoutCount = 4;
const char *const kModeNames[kModeCount] = {"Off-axis", "Parallel", "Toe-in"};
const RigMode kModes[kModeCount] = {RigMode::OffAxis, RigMode::Parallel, RigMode::ToeIn};
const char *const kLayoutNames[kLayoutCount] = {"Side by side, left eye left", "Over-under, left eye on top",
                                                "Left eye only", "Right eye only"};
const EyeLayout kLayouts[kLayoutCount] = {EyeLayout::SideBySide, EyeLayout::OverUnder, EyeLayout::LeftOnly,
                                          EyeLayout::RightOnly};

auto InterfaceHint = PanelHints(
    HintWords(HintWordU(XPTAG_FOCUS), HintWord(-1)),
    PopupHints<kModeNames, kModeCount>(ID_MODE),
    PopupHints<kLayoutNames, kLayoutCount>(ID_LAYOUT),
    HintWords(LENTARA_LOGO_HINTS(ID_LOGO, &services)),
    HintRun(XPTAG_DIVADD, 0, ID_VERSION, ID_LAYOUT));

const CameraTypeDesc kDesc =
    LensCameraType("VantorStereoRigCam", "VantorStereoRigCam v2.0", services, gInstance)
        .Tables(kParams, kSettings, kBlock, ZoomFactor).Panel<kControls>(InterfaceHint)
        .Version("v2.0");

class CameraPlugin final : public LensCamera<kDesc> {
public:
    StereoRig rig{}; // what every ray of the current values and lens shares

    explicit CameraPlugin(LWItemID item) : LensCamera(item) {
        HostServices &s = svc();
        if (s.camerainfo) {
            const double now = s.CurrentTime();
            if (s.camerainfo->separation) SetValue(EyeSeparation, s.camerainfo->separation(item, now));
            if (s.camerainfo->focalDistance) SetValue(ConvergenceDistance, s.camerainfo->focalDistance(item, now));
        }
        UpdateRig();
    }

    void UpdateRig() {
        const auto mode = static_cast<std::uint32_t>(setting[Mode]);
        const auto layout = static_cast<std::uint32_t>(setting[Layout]);
        rig = MakeRig({value[ZoomFactor], value[EyeSeparation], value[ConvergenceDistance],
                       kModes[mode < kModeCount ? mode : 0], kLayouts[layout < kLayoutCount ? layout : 0],
                       lens.lensFactor, lens.focusDistance});
    }

    void CopyFrom(const CameraBase &other) override {
        LensCamera::CopyFrom(other);
        UpdateRig();
    }

    // Values, settings and lens all feed the rig: it is made again whenever
    // the envelopes are evaluated, and after a panel change or a load.
    void get_vpValues(double t) override {
        CameraBase::get_vpValues(t);
        UpdateRig();
    }
    void PanelChange(unsigned int vid, void *v) override {
        SingleViewCamera::PanelChange(vid, v);
        UpdateRig();
    }
    void Load(const LWLoadState *load) override {
        SingleViewCamera::Load(load);
        UpdateRig();
    }

    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) override {
        if (!frame || !access) return nullptr;
        lens.ReadForFrame(svc(), access->cameraID);
        NewFrame(frame, access);
        UpdateRig();
        return nullptr;
    }

    int Evaluate(double fpx, double fpy, double lpx, double lpy, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const override {
        // A film point that is not finite gets no ray: the projection finds
        // no direction for it, or WriteRay refuses what comes out.
        if (!access || !FilmIsUsable(access->filmSize[0], access->filmSize[1])) return LWCAMTYPEEVAL_NO_RAY;
        Pose scratch;
        const Pose &pose = PoseAt(fraction, access, scratch);
        StereoRigRay r;
        if (!StereoRigCam::Evaluate(rig, pose, access->filmSize[0], access->filmSize[1], fpx, fpy, lpx, lpy, r))
            return LWCAMTYPEEVAL_NO_RAY;
        return WriteRay(ray, r.origin, r.direction, r.filmNormal);
    }
};

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace StereoRigCam
