// sphericalstereo.cpp -- the Spherical Stereo camera: a 360-degree stereo
// panorama for VR, both eyes in one frame ("VantorSphericalStereoCam").
#include "cameras/sphericalstereo/sphericalstereo.h"

#include "cameras/sphericalstereo/projection.h"
#include "framework/handler.h"

namespace SphericalStereoCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

namespace {
// Scanlines repeat the elevation ray after ray (it follows film y alone).
thread_local ElevationMemo tElevation LENTARA_FAST_TLS;
} // namespace

enum Param { HorizontalFOVradians, VerticalFOVradians, EyeSeparation, PoleMergeFrom, PoleMergeTo, ConvergenceDistance };
enum Setting { Layout };

constexpr ParamDesc kParams[] = {
    {"HorizontalFOVradians", 2 * kPi},
    {"VerticalFOVradians", kPi},
    {"EyeSeparation", 0.0}, // the host camera's separation
    {"PoleMergeFrom", kPi / 3},
    {"PoleMergeTo", 5 * kPi / 12},
    {"ConvergenceDistance", 0.0},
};

constexpr SettingDesc kSettings[] = {{"Layout", 0}};

constexpr BlockItem kBlock[] = {
    BlockEnvelope(HorizontalFOVradians), BlockEnvelope(VerticalFOVradians), BlockEnvelope(EyeSeparation),
    BlockEnvelope(PoleMergeFrom),        BlockEnvelope(PoleMergeTo),        BlockEnvelope(ConvergenceDistance),
    BlockSetting(Layout),
};

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    PopupControl(ID_LAYOUT, "Layout", Layout),
    AngleControl(ID_HFOV, "Horizontal FOV", HorizontalFOVradians),
    AngleControl(ID_VFOV, "Vertical FOV", VerticalFOVradians),
    DistanceControl(ID_EYE_SEPARATION, "Eye Separation", EyeSeparation),
    AngleControl(ID_MERGE_FROM, "Pole Merge From", PoleMergeFrom),
    AngleControl(ID_MERGE_TO, "Pole Merge To", PoleMergeTo),
    DistanceControl(ID_CONVERGENCE, "Convergence Distance", ConvergenceDistance),
};

// The Layout popup in order; a stored value outside it acts as the first.
constexpr int kLayoutCount = 4;
const char *const kLayoutNames[kLayoutCount] = {"Over-under, left eye on top", "Side by side, left eye left",
                                                "Left eye only", "Right eye only"};
const EyeLayout kLayouts[kLayoutCount] = {EyeLayout::OverUnder, EyeLayout::SideBySide, EyeLayout::LeftOnly,
                                          EyeLayout::RightOnly};

auto InterfaceHint = PanelHints(
    HintWords(HintWordU(XPTAG_FOCUS), HintWord(-1)),
    PopupHints<kLayoutNames, kLayoutCount>(ID_LAYOUT),
    HintWords(LENTARA_LOGO_HINTS(ID_LOGO, &services)),
    HintRun(XPTAG_DIVADD, 0, ID_VERSION, ID_LAYOUT, ID_VFOV));

const CameraTypeDesc kDesc =
    CameraType("VantorSphericalStereoCam", "VantorSphericalStereoCam v2.0", services, gInstance, kNeedsVParm)
        .Tables(kParams, kSettings, kBlock).Panel<kControls>(InterfaceHint)
        .Version("v2.0");

class CameraPlugin final : public DescribedCamera<kDesc> {
public:
    explicit CameraPlugin(LWItemID item) : DescribedCamera(item) {
        HostServices &s = svc();
        if (s.camerainfo && s.camerainfo->separation)
            SetValue(EyeSeparation, s.camerainfo->separation(item, s.CurrentTime()));
    }

    int Evaluate(double fpx, double fpy, double, double, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const override {
        // A film point that is not finite gives a ray that is not, which
        // WriteRay refuses.
        if (!access || !FilmIsUsable(access->filmSize[0], access->filmSize[1])) return LWCAMTYPEEVAL_NO_RAY;
        const std::uint32_t layout = static_cast<std::uint32_t>(setting[Layout]);
        const SphericalStereoParams p = {value[HorizontalFOVradians], value[VerticalFOVradians],
                                         value[EyeSeparation],        value[PoleMergeFrom],
                                         value[PoleMergeTo],          value[ConvergenceDistance],
                                         kLayouts[layout < kLayoutCount ? layout : 0]};
        // The trigonometry first: it needs no pose.
        const EyeRay local = CameraRay(p, access->filmSize[0], access->filmSize[1], fpx, fpy, tElevation);
        Pose scratch;
        const SphericalStereoRay r = WorldRay(local, PoseAt(fraction, access, scratch));
        return WriteRay(ray, r.origin, r.direction);
    }
};

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace SphericalStereoCam
