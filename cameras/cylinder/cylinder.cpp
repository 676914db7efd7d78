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
    SettingControl(ID_SIZE, "Size", "iPopChoice", SizeMode),
    EnvelopeControl(ID_LENGTH, "", "distance-env", HorizontalFOVradians),
    EnvelopeControl(ID_ANGLE_MAX, "Maximum FOV Angle", "angle-env", MaxVerticalFOVradians, "Upper FOV Angle"),
    EnvelopeControl(ID_ANGLE_MIN, "Minimum FOV Angle", "angle-env", MinVerticalFOVradians, "Lower FOV Angle"),
    EnvelopeAlias(ID_ZOOM, ZoomFactor),
};

const char *const kSizeNames[] = {"Horizontal Axis", "Vertical Axis"};

int PanelPopCount(void *) { return 2; }

const char *PanelPopName(void *, int index) {
    return (index >= 0 && index < 2) ? kSizeNames[index] : "";
}

LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    HintWordU(XPTAG_POPFUNCS), HintWordU(ID_SIZE), HintFunc(&PanelPopCount), HintFunc(&PanelPopName),
    LENTARA_LOGO_HINTS(ID_LOGO, &services),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VERSION), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_LENGTH), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_ZOOM), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_ANGLE_MIN), HintWord(0),
    HintWordU(XPTAG_SENS), HintWordU(ID_LENGTH), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_ANGLE_MAX), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_ANGLE_MIN), HintWord(1),
    LENTARA_ENABLES_NOTHING_HINT(ID_SIZE),
    HintWordU(XPTAG_END),
};

const CameraTypeDesc kDesc =
    CameraType("VantorCylinderCam", "VantorCylinderCam Dec 11 2010 10:02:20", services, gInstance, kNeedsVParm)
        .Params(kParams, ZoomFactor)
        .Settings(kSettings)
        .Block(kBlock)
        .Panel<kControls>(InterfaceHint);

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
