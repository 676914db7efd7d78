// panoramic.cpp -- the Panoramic camera: a latitude-longitude band around the
// camera's up axis ("VantorPanoramicCam").
#include "cameras/panoramic/panoramic.h"

#include "cameras/panoramic/projection.h"
#include "framework/handler.h"

namespace PanoramicCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

enum Param { ZoomFactor, HorizontalFOVradians, MaxVerticalFOVradians, MinVerticalFOVradians };

// The direction in camera space of the film point on a W x H film.
Vec3 Direction(const CameraBase &cam, double fpx, double fpy, double W, double H) {
    const PanoramaParams p = {cam.value[HorizontalFOVradians], cam.value[MaxVerticalFOVradians],
                              cam.value[MinVerticalFOVradians]};
    return CameraDirection(p, fpx, fpy, W, H, tPanoramaElevation);
}

constexpr ParamDesc kParams[] = {
    {"ZoomFactor", 0.0}, {"HorizontalFOVradians", 6.283185307179586}, {"MaxVerticalFOVradians", 0.7853981633974483},
    {"MinVerticalFOVradians", -0.7853981633974483}
};

constexpr BlockItem kBlock[] = {
    BlockEnvelope(HorizontalFOVradians), BlockEnvelope(MaxVerticalFOVradians), BlockEnvelope(MinVerticalFOVradians)
};

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    AngleControl(ID_HFOV, "Horizontal FOV angle", HorizontalFOVradians),
    AngleControl(ID_VFOV_MAX, "Upper Vertical FOV angle", MaxVerticalFOVradians),
    AngleControl(ID_VFOV_MIN, "Lower Vertical FOV angle", MinVerticalFOVradians),
    EnvelopeAlias(ID_ZOOM, ZoomFactor),
};

auto InterfaceHint = PanelHints(
    HintWords(HintWordU(XPTAG_FOCUS), HintWord(-1), LENTARA_LOGO_HINTS(ID_LOGO, &services)),
    HintRun(XPTAG_DIVADD, 0, ID_VERSION, ID_HFOV, ID_ZOOM, ID_VFOV_MIN),
    HintRun(XPTAG_SENS, 1, ID_VFOV_MAX, ID_VFOV_MIN, ID_HFOV, ID_VFOV_MAX, ID_VFOV_MIN));

const CameraTypeDesc kDesc =
    CameraType("VantorPanoramicCam", "VantorPanoramicCam Dec 11 2010 10:02:20", services, gInstance, kNeedsVParm)
        .Tables(kParams, kBlock, ZoomFactor).Panel<kControls>(InterfaceHint);

const CameraServers kServers = ServersOf<DirectionCamera<kDesc, Direction>>();

} // namespace PanoramicCam
