// fisheye.cpp -- the Fisheye camera: a pinhole whose film radius is bent by a
// power law, with depth of field, motion blur and a viewport ray grid
// ("VantorFisheyeCam").
#include "cameras/fisheye/fisheye.h"

#include "cameras/fisheye/projection.h"
#include "framework/handler.h"
#include "framework/lens_camera.h"

namespace FisheyeCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

enum Param { ZoomFactor, FisheyePower, FisheyeScale };
enum Setting { autoDistortionScale, parallelFilmNormals, previewInCameraView, gridType };

constexpr ParamDesc kParams[] = {{"ZoomFactor", 0.0}, {"FisheyePower", 1.0}, {"FisheyeScale", 1.0}};

constexpr SettingDesc kSettings[] = {
    {"autoDistortionScale", 1}, {"parallelFilmNormals", 1}, {"previewInCameraView", 0}, {"gridType", 1}
};

constexpr BlockItem kBlock[] = {
    BlockEnvelope(FisheyePower), BlockEnvelope(FisheyeScale), BlockSetting(autoDistortionScale),
    BlockSetting(previewInCameraView), BlockSetting(gridType), BlockSetting(parallelFilmNormals)
};

// The grid type is chosen by a popup the panel has no control for.
constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    ZoomControl(ID_ZOOM, ZoomFactor),
    EnvelopeControl(ID_POWER, "Distortion Power", "float-env", FisheyePower),
    BooleanControl(ID_AUTOSCALE, "Auto Distortion Scale", autoDistortionScale),
    EnvelopeControl(ID_SCALE, "Distortion Scale", "float-env", FisheyeScale),
    BooleanControl(ID_PARALLEL, "Parallel Film Normals", parallelFilmNormals),
    BooleanControl(ID_PREVIEW, "Preview in Camera View", previewInCameraView),
    SettingAlias(ID_GRIDTYPE, gridType),
};

const char *const kGridNames[] = {"Ray Tracing Grid", "Line Matching Grid"};

int PanelPopCount(void *) { return 2; }
const char *PanelPopName(void *, int index) { return (index == 0 || index == 1) ? kGridNames[index] : ""; }

// "Distortion Scale" is editable only while the scale is not automatic.
int bckMap[] = {1, 0};
char kAutoScaleMessage[] = "Turn 'Auto Distortion Scale' off\nto set manually.";

auto InterfaceHint = PanelHints(
    HintWords(HintWordU(XPTAG_FOCUS), HintWord(-1), HintWordU(XPTAG_POPFUNCS), HintWordU(ID_GRIDTYPE),
        HintFunc(&PanelPopCount), HintFunc(&PanelPopName), LENTARA_LOGO_HINTS(ID_LOGO, &services)),
    HintRun(XPTAG_DIVADD, 0, ID_VERSION, ID_ZOOM, ID_SCALE, ID_PARALLEL),
    HintRun(XPTAG_SENS, 1, ID_POWER, ID_SCALE),
    HintWords(HintWordU(XPTAG_ENABLE), HintWordU(ID_PARALLEL), nullptr, HintWord(0), nullptr, HintWord(0)),
    HintWords(HintWordU(XPTAG_ENABLE), HintWordU(ID_AUTOSCALE), kAutoScaleMessage, HintWord(0), bckMap,
        HintWordU(ID_SCALE), HintWord(0)),
    HintWords(HintWordU(XPTAG_ENABLE), HintWordU(ID_PREVIEW), nullptr, HintWord(0), nullptr, HintWordU(ID_GRIDTYPE),
        HintWord(0)));

const CameraTypeDesc kDesc =
    LensCameraType("VantorFisheyeCam", "VantorFisheyeCam Dec 11 2010 10:02:19", services, gInstance)
        .Tables(kParams, kSettings, kBlock, ZoomFactor).Panel<kControls>(InterfaceHint);

class CameraPlugin final : public LensCamera<kDesc> {
public:
    using LensCamera::LensCamera;

    // The envelopes at t; an automatic scale replaces the "FisheyeScale"
    // value, and its envelope shows it, once the film size is known.
    void get_vpValues(double t) override {
        CameraBase::get_vpValues(t);
        if (!setting[autoDistortionScale]) return;
        double s = value[FisheyeScale];
        if (AutomaticScale(cameraAccess.filmSize[0], cameraAccess.filmSize[1], value[FisheyePower], s))
            SetValue(FisheyeScale, s);
    }

    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) override {
        if (!frame || !access) return nullptr;
        // The lens is read on every call, also when nothing else changed.
        lens.ReadForFrame(svc(), access->cameraID);
        // Evaluate again once the records are stored, so that the automatic
        // scale uses this frame's film.
        if (NewFrame(frame, access)) get_vpValues(frameInfo.start);
        return nullptr;
    }

    FisheyeParams Params() const {
        return {value[ZoomFactor], value[FisheyePower], value[FisheyeScale], lens,
                setting[parallelFilmNormals] != 0};
    }

    int Evaluate(double fpx, double fpy, double lpx, double lpy, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const override {
        // The film is the one of the last frame set up; before the first,
        // that of the call's access record, as for the pose.
        const double *film = FilmOf(access);
        if (!FilmIsUsable(film[0], film[1])) return LWCAMTYPEEVAL_NO_RAY;
        FisheyeRay r;
        Pose scratch;
        if (!FisheyeCam::Evaluate(Params(), PoseAt(fraction, access, scratch), film[1], fpx, fpy, lpx, lpy, r))
            return LWCAMTYPEEVAL_NO_RAY;
        return WriteRay(ray, r.origin, r.direction, r.filmNormal);
    }

    // The film's 10 x 10 ray grid, 10 units out along each pinhole ray's film
    // normal, as the camera stood at the last frame set-up.
    void DrawGizmo(LWCustomObjAccess &coa) const override {
        if (!frameSeen || !setting[previewInCameraView]) return;
        const double W = cameraAccess.filmSize[0], H = cameraAccess.filmSize[1];
        if (!FilmIsUsable(W, H)) return;
        const Pose &pose = PoseAt(0.0, &cameraAccess);
        const FisheyeParams params = Params();

        // grid points, the film positions stepped in single precision
        Vec3 pGrid[11][11];
        bool valid[11][11];
        const float halfW = static_cast<float>(W * 0.5), halfH = static_cast<float>(H * 0.5);
        const float stepX = static_cast<float>(W / 10.0), stepY = static_cast<float>(H / 10.0);
        float y = -halfH;
        for (int i = 0; i <= 10; ++i, y += stepY) {
            float x = -halfW;
            for (int j = 0; j <= 10; ++j, x += stepX) {
                FisheyeRay r;
                valid[i][j] = false;
                if (!FisheyeCam::Evaluate(params, pose, H, x, y, 0.0, 0.0, r)) continue;
                const double t = 10.0 / Dot(r.direction, r.filmNormal);
                pGrid[i][j] = r.origin + t * r.direction;
                valid[i][j] = IsFinite(pGrid[i][j]);
            }
        }

        float rgba1[4] = {0.0f, 0.39453125f, 0.59765625f, 0.3f};
        float rgba2[4] = {0.0f, 0.39453125f, 0.59765625f, 1.0f};
        if (coa.setCSysItem) coa.setCSysItem(coa.dispData, cameraAccess.cameraID);
        if (coa.setColor) coa.setColor(coa.dispData, rgba1);
        if (!coa.quad) return;
        for (int i = 0; i < 10; ++i)
            for (int j = 0; j < 10; ++j) {
                if (!valid[i][j] || !valid[i + 1][j] || !valid[i + 1][j + 1] || !valid[i][j + 1]) continue;
                double q[4][3];
                Store(pGrid[i][j], q[0]);
                Store(pGrid[i + 1][j], q[1]);
                Store(pGrid[i + 1][j + 1], q[2]);
                Store(pGrid[i][j + 1], q[3]);
                if (coa.setColor) coa.setColor(coa.dispData, rgba1);
                coa.quad(coa.dispData, q[0], q[1], q[2], q[3], LWCSYS_WORLD);
                if (coa.setColor) coa.setColor(coa.dispData, rgba2);
                coa.quad(coa.dispData, q[0], q[1], q[2], q[3], LWCSYS_WORLD);
            }
    }
};

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace FisheyeCam
