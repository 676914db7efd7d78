// superpano.cpp -- the SuperPano camera: the panoramic band with per-side
// scales and a film shift ("VantorAdvPanCam").
#include "cameras/superpano/superpano.h"

#include "cameras/superpano/projection.h"
#include "framework/handler.h"

namespace AdvPanCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

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

// The direction in camera space of the film point on a W x H film.
Vec3 Direction(const CameraBase &cam, double fpx, double fpy, double W, double H) {
    const SuperPanoParams p = {cam.value[HorizontalFOVradians], cam.value[MaxVerticalFOVradians],
                               cam.value[MinVerticalFOVradians], cam.value[HScalePos], cam.value[VScalePos],
                               cam.value[HScaleNeg], cam.value[VScaleNeg], cam.value[HShift], cam.value[VShift]};
    return CameraDirection(p, fpx, fpy, W, H, tPanoramaElevation);
}

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
    AngleControl(ID_HFOV, "Horizontal FOV angle", HorizontalFOVradians),
    AngleControl(ID_VFOV_MAX, "Upper Vertical FOV angle", MaxVerticalFOVradians),
    AngleControl(ID_VFOV_MIN, "Lower Vertical FOV angle", MinVerticalFOVradians),
    EnvelopeControl(ID_HSCALE_POS, "Right Horizontal Scale", "percent-env", HScalePos),
    EnvelopeControl(ID_VSCALE_POS, "Top Vertical Scale", "percent-env", VScalePos),
    EnvelopeControl(ID_HSCALE_NEG, "Left Horizontal Scale", "percent-env", HScaleNeg),
    EnvelopeControl(ID_VSCALE_NEG, "Bottom Vertical Scale", "percent-env", VScaleNeg),
    EnvelopeControl(ID_HSHIFT, "Horizontal Shift", "percent-env", HShift),
    EnvelopeControl(ID_VSHIFT, "Vertical Shift", "percent-env", VShift),
    EnvelopeAlias(ID_ZOOM, ZoomFactor),
};

// The scales are limited to -500 % ... 500 %; the shifts are free.
auto InterfaceHint = PanelHints(
    HintWords(HintWordU(XPTAG_FOCUS), HintWord(-1), LENTARA_LOGO_HINTS(ID_LOGO, &services)),
    HintRun(XPTAG_DIVADD, 0, ID_VERSION, ID_HFOV, ID_VFOV_MIN, ID_VSCALE_NEG, ID_VSHIFT),
    HintRun(XPTAG_SENS, 1, ID_VFOV_MAX, ID_VFOV_MIN, ID_HFOV, ID_HSCALE_POS, ID_VSCALE_POS, ID_HSCALE_NEG,
        ID_VSCALE_NEG, ID_HSHIFT, ID_VSHIFT),
    HintRun(XPTAG_MAX, 5, ID_HSCALE_POS, ID_VSCALE_POS),
    HintRun(XPTAG_MIN, -5, ID_HSCALE_POS, ID_VSCALE_POS),
    HintRun(XPTAG_MAX, 5, ID_HSCALE_NEG, ID_VSCALE_NEG),
    HintRun(XPTAG_MIN, -5, ID_HSCALE_NEG, ID_VSCALE_NEG));

const CameraTypeDesc kDesc =
    CameraType("VantorAdvPanCam", "VantorAdvPanCam Dec 11 2010 10:02:20", services, gInstance, kNeedsVParm)
        .Tables(kParams, kBlock, ZoomFactor).Panel<kControls>(InterfaceHint);

const CameraServers kServers = ServersOf<DirectionCamera<kDesc, Direction>>();

} // namespace AdvPanCam
