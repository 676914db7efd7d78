// superpano.cpp -- the SuperPano camera: the panoramic band with per-side
// scales and a film shift ("VantorAdvPanCam").
#include "cameras/superpano/superpano.h"

#include "cameras/superpano/projection.h"
#include "framework/handler.h"

namespace AdvPanCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

namespace {
// Scanlines repeat the elevation ray after ray (it follows film y alone).
thread_local SinCosMemo tElevation LENTARA_FAST_TLS;
} // namespace

enum Param {
    ZoomFactor,
    HorizontalFOVradians,
    MaxVerticalFOVradians,
    MinVerticalFOVradians,
    HScalePos,
    VScalePos,
    HScaleNeg,
    VScaleNeg,
    HShift,
    VShift,
};

constexpr ParamDesc kParams[] = {
    {"ZoomFactor", 0.0}, {"HorizontalFOVradians", 6.283185307179586}, {"MaxVerticalFOVradians", 0.7853981633974483},
    {"MinVerticalFOVradians", -0.7853981633974483}, {"HScalePos", 1.0}, {"VScalePos", 1.0}, {"HScaleNeg", 1.0},
    {"VScaleNeg", 1.0}, {"HShift", 0.0}, {"VShift", 0.0}
};

// Stored scenes hold the shifts before the negative-side scales.
constexpr BlockItem kBlock[] = {
    BlockEnvelope(HorizontalFOVradians), BlockEnvelope(MaxVerticalFOVradians), BlockEnvelope(MinVerticalFOVradians),
    BlockEnvelope(HScalePos), BlockEnvelope(VScalePos), BlockEnvelope(HShift), BlockEnvelope(VShift),
    BlockEnvelope(HScaleNeg), BlockEnvelope(VScaleNeg)
};

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    EnvelopeControl(ID_HFOV, "Horizontal FOV angle", "angle-env", HorizontalFOVradians),
    EnvelopeControl(ID_VFOV_MAX, "Upper Vertical FOV angle", "angle-env", MaxVerticalFOVradians),
    EnvelopeControl(ID_VFOV_MIN, "Lower Vertical FOV angle", "angle-env", MinVerticalFOVradians),
    EnvelopeControl(ID_HSCALE_POS, "Right Horizontal Scale", "percent-env", HScalePos),
    EnvelopeControl(ID_VSCALE_POS, "Top Vertical Scale", "percent-env", VScalePos),
    EnvelopeControl(ID_HSCALE_NEG, "Left Horizontal Scale", "percent-env", HScaleNeg),
    EnvelopeControl(ID_VSCALE_NEG, "Bottom Vertical Scale", "percent-env", VScaleNeg),
    EnvelopeControl(ID_HSHIFT, "Horizontal Shift", "percent-env", HShift),
    EnvelopeControl(ID_VSHIFT, "Vertical Shift", "percent-env", VShift),
    EnvelopeAlias(ID_ZOOM, ZoomFactor),
};

// The scales are limited to -500 % ... 500 %; the shifts are free.
LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    LENTARA_LOGO_HINTS(ID_LOGO, &services),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VERSION), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_HFOV), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VFOV_MIN), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VSCALE_NEG), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VSHIFT), HintWord(0),
    HintWordU(XPTAG_SENS), HintWordU(ID_VFOV_MAX), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_VFOV_MIN), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_HFOV), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_HSCALE_POS), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_VSCALE_POS), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_HSCALE_NEG), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_VSCALE_NEG), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_HSHIFT), HintWord(1),
    HintWordU(XPTAG_SENS), HintWordU(ID_VSHIFT), HintWord(1),
    HintWordU(XPTAG_MAX), HintWordU(ID_HSCALE_POS), HintWord(5),
    HintWordU(XPTAG_MAX), HintWordU(ID_VSCALE_POS), HintWord(5),
    HintWordU(XPTAG_MIN), HintWordU(ID_HSCALE_POS), HintWord(-5),
    HintWordU(XPTAG_MIN), HintWordU(ID_VSCALE_POS), HintWord(-5),
    HintWordU(XPTAG_MAX), HintWordU(ID_HSCALE_NEG), HintWord(5),
    HintWordU(XPTAG_MAX), HintWordU(ID_VSCALE_NEG), HintWord(5),
    HintWordU(XPTAG_MIN), HintWordU(ID_HSCALE_NEG), HintWord(-5),
    HintWordU(XPTAG_MIN), HintWordU(ID_VSCALE_NEG), HintWord(-5),
    HintWordU(XPTAG_END),
};

const CameraTypeDesc kDesc =
    CameraType("VantorAdvPanCam", "VantorAdvPanCam Dec 11 2010 10:02:20", services, gInstance, kNeedsVParm)
        .Params(kParams, ZoomFactor)
        .Block(kBlock)
        .Panel<kControls>(InterfaceHint);

class CameraPlugin final : public DescribedCamera<kDesc> {
public:
    using DescribedCamera::DescribedCamera;

    int Evaluate(double fpx, double fpy, double, double, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const override {
        const SuperPanoParams p = {value[HorizontalFOVradians], value[MaxVerticalFOVradians],
                                   value[MinVerticalFOVradians], value[HScalePos],
                                   value[VScalePos],           value[HScaleNeg],
                                   value[VScaleNeg],           value[HShift],
                                   value[VShift]};
        return TraceDirection(fraction, access, ray,
                              [&](double W, double H) { return CameraDirection(p, fpx, fpy, W, H, tElevation); });
    }
};

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace AdvPanCam
