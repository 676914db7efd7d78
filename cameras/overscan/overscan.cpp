// overscan.cpp -- the Overscan camera ("VantorOverscanCam"): one scene camera,
// picked in the panel, seen through a film widened by an overscan amount and
// shifted by an animated jitter.
//
// Parameters (enveloped, fractions):
//   Overscan           o  the picked camera sees (1 + o) times its film
//   Vertical Jitter    v  film shift upward, in quarters of the film width
//   Horizontal Jitter  u  film shift to the right, in quarters of the film width
// Scene block: the camera choice (unsigned 32-bit), then the three envelopes.
// At most one Overscan camera exists at a time; it may sit beside one Dual,
// 4Up or 12Up camera.
#include "cameras/overscan/overscan.h"

#include <cmath>
#include <cstdio>

#include "composite/composite.h"
#include "framework/handler.h"

namespace OverscanCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;
unsigned char bOverscanCamActive = 0;
const char kOnlyOneOverscan[] = "Only one Overscan Camera allowed in a scene";
const SoleInstance kOneOverscan = {&bOverscanCamActive, kOnlyOneOverscan, false};

const char kNoResolution[] = "Width x Height";

enum Param { Overscan, VerticalJitter, HorizontalJitter };

constexpr ParamDesc kParams[] = {{"Overscan", 0.0}, {"Vertical Jitter", 0.0}, {"Horizontal Jitter", 0.0}};

// The envelopes' part of the block; the choice is written before it.
constexpr BlockItem kEnvelopeBlock[] = {
    BlockEnvelope(Overscan), BlockEnvelope(VerticalJitter), BlockEnvelope(HorizontalJitter)
};

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    OwnControl(ID_CAMERA, "Selected Camera", "iPopChoice", "integer"),
    OwnControl(ID_CAMERA_RES, "Selected Camera Resolution", "sInfo", "string"),
    EnvelopeControl(ID_OVERSCAN, "Overscan Percentage", "percent-env", Overscan),
    OwnControl(ID_OVERSCAN_RES, "Calc. Overscan Resolution", "sInfo", "string"),
    EnvelopeControl(ID_VJITTER, "Vertical Jitter", "percent-env", VerticalJitter),
    EnvelopeControl(ID_HJITTER, "Horizontal Jitter", "percent-env", HorizontalJitter),
};

extern LWXPanelHint InterfaceHint[];

const CameraTypeDesc kDesc = CameraType("VantorOverscanCam", "VantorOverscanCam Dec 11 2010 18:08:43", services,
                                        gInstance, kNeedsVParm | kFetchCameraEval)
                                   .Params(kParams)
                                   .Block(kEnvelopeBlock)
                                   .Panel<kControls>(InterfaceHint)
                                   .Flags(LWCAMTYPEF_SUPPORTSDOF)
                                   .OneAtATime(kOneOverscan);

// One truncated product of the widened resolution; a product that does not
// fit an int shows 0.
int WidenedSize(int size, float k) {
    const float p = static_cast<float>(size) * k;
    if (!(p > -2147483520.0f && p < 2147483520.0f)) return 0;
    return static_cast<int>(p);
}

class CameraPlugin final : public CompositeCamera {
public:
    static const CameraTypeDesc &Desc() { return kDesc; }
    // One tile: the picked camera, chosen by ID_CAMERA.
    explicit CameraPlugin(LWItemID self) : CompositeCamera(kDesc, 1, ID_CAMERA, self) {}

    // The two resolution lines the panel reads.
    char Camera1Resolution[64] = {};
    char Camera2Resolution[64] = {};

    // The picked camera's matrix for the widened lens position.
    int PreviewThrough(double lpx, double lpy, LWDMatrix4 projection) override {
        if (!tiles[0].tileEvaluator) return 0;
        const double k = 1.0 + value[Overscan];
        // An overscan that is not finite (a stored envelope can hold one)
        // gives no matrix rather than a lens position that is not a number.
        if (!AllFinite(k * lpx, k * lpy)) return 0;
        return CompositeCamera::PreviewThrough(k * lpx, k * lpy, projection);
    }

    // The envelope's value at time t, read afresh for every ray so that each
    // motion-blur sample sees the jitter of its own instant.
    double ValueAt(int param, double t) const {
        const LWVParmFuncs *vp = svc().vparmf;
        double result[3] = {value[param], 0.0, 0.0};
        if (envelope[param] && vp && vp->getVal) vp->getVal(envelope[param], t, nullptr, result);
        return result[0];
    }

    int Evaluate(double fpx, double fpy, double lpx, double lpy, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const override {
        // Only the film width is read.
        if (!access || !FilmSideIsUsable(access->filmSize[0])) return LWCAMTYPEEVAL_NO_RAY;
        const double t = fraction * frameInfo.duration + currentTime;
        // Input that is not finite gives no ray before the envelopes are
        // read, so the host is never asked for a value at such a time.
        if (!AllFinite(fpx, fpy, lpx, lpy, t)) return LWCAMTYPEEVAL_NO_RAY;
        const double o = ValueAt(Overscan, t);
        const double v = ValueAt(VerticalJitter, t);
        const double u = ValueAt(HorizontalJitter, t);
        const Tile &tile = tiles[0];
        if (!tile.tileEvaluator) return LWCAMTYPEEVAL_NO_RAY;

        // Shift by the jitter, in quarters of the film width both ways, then
        // widen about the film centre.
        const double q = access->filmSize[0] * 0.25;
        const double k = 1.0 + o;
        const double x = k * (fpx + u * q);
        const double y = k * (fpy + v * q);
        return EvaluateTile(svc(), tile, x, y, k * lpx, k * lpy, fraction, ray);
    }

    void CopyFrom(const CameraBase &other) override {
        CopyCommon(other);
        const auto &from = static_cast<const CameraPlugin &>(other);
        tiles[0].tileChoice = from.tiles[0].tileChoice;
        DestroyTiles(svc(), tiles, 1);
        tiles[0].tileItem = nullptr;
    }

    void *PanelValue(unsigned int vid) override {
        if (vid == ID_CAMERA_RES || vid == ID_OVERSCAN_RES) {
            FormatResolutions();
            return vid == ID_CAMERA_RES ? Camera1Resolution : Camera2Resolution;
        }
        return CompositeCamera::PanelValue(vid);
    }

    // The picked camera's resolution, and the resolution its widened film needs.
    void FormatResolutions() {
        const Tile &tile = tiles[0];
        if (tile.tileChoice == 0 || !tile.tileItem) {
            std::snprintf(Camera1Resolution, sizeof Camera1Resolution, "%s", kNoResolution);
            std::snprintf(Camera2Resolution, sizeof Camera2Resolution, "%s", kNoResolution);
            return;
        }
        int width = 0, height = 0;
        const LWCameraInfo *ci = svc().camerainfo;
        if (ci && ci->resolution) ci->resolution(tile.tileItem, &width, &height);
        const float k = static_cast<float>(1.0 + value[Overscan]);
        std::snprintf(Camera1Resolution, sizeof Camera1Resolution, " %i x %i", width, height);
        std::snprintf(Camera2Resolution, sizeof Camera2Resolution, " %i x %i", WidenedSize(width, k),
                      WidenedSize(height, k));
    }
};

#define LIMITS(id)                                                                                           \
    HintWordU(XPTAG_SENS), HintWordU(id), HintWord(1), HintWordU(XPTAG_MAX), HintWordU(id), HintWord(5),     \
        HintWordU(XPTAG_MIN), HintWordU(id), HintWord(-1)

LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    LENTARA_LOGO_HINTS(ID_LOGO, &services),
    LENTARA_CHOICE_POPUP_HINT(CameraPlugin, ID_CAMERA),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VERSION), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_CAMERA), HintWord(0),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_OVERSCAN_RES), HintWord(0),
    LENTARA_ENABLES_NOTHING_HINT(ID_CAMERA),
    LIMITS(ID_OVERSCAN), LIMITS(ID_VJITTER), LIMITS(ID_HJITTER),
    HintWordU(XPTAG_END),
};

#undef LIMITS

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace OverscanCam
