// cylinder.cpp -- the Cylinder camera: angular along one film axis, linear
// along the other, the "Size" popup choosing which ("VantorCylinderCam").
#include "cameras/cylinder/cylinder.h"

#include "cameras/cylinder/projection.h"
#include "framework/handler.h"

namespace CylinderCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

enum Param { ZoomFactor, HorizontalFOVradians, MaxVerticalFOVradians, MinVerticalFOVradians };
enum Setting { SizeMode };

constexpr ParamDesc kParams[] = {
    {"ZoomFactor", 0.0}, {"HorizontalFOVradians", 1.0}, {"MaxVerticalFOVradians", 0.17453292519943295},
    {"MinVerticalFOVradians", -0.17453292519943295}
};

// Values other than 0 and 1 read from a scene are kept as read (and act as 1).
constexpr SettingDesc kSettings[] = {{"SizeMode", 1}};

constexpr BlockItem kBlock[] = {
    BlockEnvelope(HorizontalFOVradians), BlockEnvelope(MaxVerticalFOVradians), BlockEnvelope(MinVerticalFOVradians),
    BlockSetting(SizeMode)
};

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    PopupControl(ID_SIZE, "Size", SizeMode),
    DistanceControl(ID_LENGTH, "", HorizontalFOVradians),
    AngleControl(ID_ANGLE_MAX, "Maximum FOV Angle", MaxVerticalFOVradians, "Upper FOV Angle"),
    AngleControl(ID_ANGLE_MIN, "Minimum FOV Angle", MinVerticalFOVradians, "Lower FOV Angle"),
    EnvelopeAlias(ID_ZOOM, ZoomFactor),
};

const char *const kSizeNames[] = {"Horizontal Axis", "Vertical Axis"};

int PanelPopCount(void *) { return 2; }

const char *PanelPopName(void *, int index) {
    return (index >= 0 && index < 2) ? kSizeNames[index] : "";
}

auto InterfaceHint = PanelHints(
    HintWords(HintWordU(XPTAG_FOCUS), HintWord(-1), HintWordU(XPTAG_POPFUNCS), HintWordU(ID_SIZE),
        HintFunc(&PanelPopCount), HintFunc(&PanelPopName), LENTARA_LOGO_HINTS(ID_LOGO, &services)),
    HintRun(XPTAG_DIVADD, 0, ID_VERSION, ID_LENGTH, ID_ZOOM, ID_ANGLE_MIN),
    HintRun(XPTAG_SENS, 1, ID_LENGTH, ID_ANGLE_MAX, ID_ANGLE_MIN),
    HintWords(LENTARA_ENABLES_NOTHING_HINT(ID_SIZE)));

const CameraTypeDesc kDesc =
    CameraType("VantorCylinderCam", "VantorCylinderCam Dec 11 2010 10:02:20", services, gInstance, kNeedsVParm)
        .Tables(kParams, kSettings, kBlock, ZoomFactor).Panel<kControls>(InterfaceHint);

class CameraPlugin final : public DescribedCamera<kDesc> {
public:
    using DescribedCamera::DescribedCamera;

    int Evaluate(double fpx, double fpy, double, double, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const override {
        if (!access || !FilmIsUsable(access->filmSize[0], access->filmSize[1])) return LWCAMTYPEEVAL_NO_RAY;
        const CylinderParams p = {value[HorizontalFOVradians], value[MaxVerticalFOVradians],
                                  value[MinVerticalFOVradians], setting[SizeMode]};
        // The trigonometry first: it needs no pose, and the pose then stays
        // out of the registers across the sincos call.
        const CylinderFilm film = CylinderFilmAt(p, fpx, fpy, access->filmSize[0], access->filmSize[1]);
        Pose scratch;
        const Pose &pose = PoseAt(fraction, access, scratch);
        const CylinderRay r = CylinderRayFrom(film, pose);
        return WriteRay(ray, r.origin, r.direction);
    }
};

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace CylinderCam
