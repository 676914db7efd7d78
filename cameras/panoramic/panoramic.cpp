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

enum Param { ZoomFactor, HorizontalFOVradians, MaxVerticalFOVradians, MinVerticalFOVradians };

constexpr ParamDesc kParams[] = {
    {"ZoomFactor", 0.0}, {"HorizontalFOVradians", 6.283185307179586}, {"MaxVerticalFOVradians", 0.7853981633974483},
    {"MinVerticalFOVradians", -0.7853981633974483}
};

constexpr BlockItem kBlock[] = {
    BlockEnvelope(HorizontalFOVradians), BlockEnvelope(MaxVerticalFOVradians), BlockEnvelope(MinVerticalFOVradians)
};

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    EnvelopeControl(ID_HFOV, "Horizontal FOV angle", "angle-env", HorizontalFOVradians),
    EnvelopeControl(ID_VFOV_MAX, "Upper Vertical FOV angle", "angle-env", MaxVerticalFOVradians),
    EnvelopeControl(ID_VFOV_MIN, "Lower Vertical FOV angle", "angle-env", MinVerticalFOVradians),
    EnvelopeAlias(ID_ZOOM, ZoomFactor),
};

LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    LENTARA_LOGO_HINTS(ID_LOGO, &services),
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

const CameraTypeDesc kDesc =
    CameraType("VantorPanoramicCam", "VantorPanoramicCam Dec 11 2010 10:02:20", services, gInstance, kNeedsVParm)
        .Params(kParams, ZoomFactor)
        .Block(kBlock)
        .Panel<kControls>(InterfaceHint);

class CameraPlugin final : public DescribedCamera<kDesc> {
public:
    using DescribedCamera::DescribedCamera;

    int Evaluate(double fpx, double fpy, double, double, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const override {
        const PanoramaParams p = {value[HorizontalFOVradians], value[MaxVerticalFOVradians],
                                  value[MinVerticalFOVradians]};
        return TraceDirection(fraction, access, ray,
                              [&](double W, double H) { return CameraDirection(p, fpx, fpy, W, H, tElevation); });
    }
};

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace PanoramicCam
