// stereo.cpp -- the Stereo camera: two eyes side by side on the film, toed in
// toward a chosen object while it is near enough, with depth of field, motion
// blur and a viewport convergence plane ("VantorStereoCam").
#include "cameras/stereo/stereo.h"

#include <cstring>
#include <memory>

#include "cameras/stereo/projection.h"
#include "framework/handler.h"
#include "framework/lens_camera.h"

namespace StereoCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

enum Param { ZoomFactor, EyeSeparation, ConvergenceLimit, HorizontalScale, HorizontalShiftFactor };
enum Setting { convergenceItemIndex, showConvergencePlane };

constexpr ParamDesc kParams[] = {
    {"ZoomFactor", 0.0},
    {"EyeSeparation", 0.0}, // the host camera's separation
    {"ConvergenceLimit", 10.0},
    {"HorizontalScale", 1.0},
    {"HorizontalShiftFactor", 1.0},
};

constexpr SettingDesc kSettings[] = {{"convergenceItemIndex", 0}, {"showConvergencePlane", 0}};

constexpr BlockItem kBlock[] = {
    BlockEnvelope(EyeSeparation), BlockEnvelope(ConvergenceLimit), BlockEnvelope(HorizontalScale),
    BlockEnvelope(HorizontalShiftFactor), BlockSetting(convergenceItemIndex), BlockSetting(showConvergencePlane),
    BlockReserved(), BlockReserved(), BlockReserved()
};

// The horizontal scale and shift have ids but no controls.
constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    ZoomControl(ID_ZOOM, ZoomFactor),
    DistanceControl(ID_EYE_SEPARATION, "Eye Separation", EyeSeparation),
    PopupControl(ID_CONVERGENCE_ITEM, "Convergence Item", convergenceItemIndex),
    DistanceControl(ID_CONVERGENCE_LIMIT, "Convergence Limit", ConvergenceLimit),
    BooleanControl(ID_SHOW_PLANE, "Show Convergence Plane", showConvergencePlane),
    EnvelopeAlias(ID_HSCALE, HorizontalScale),
    EnvelopeAlias(ID_HSHIFT, HorizontalShiftFactor),
};

// The k-th object of the scene counted from 0, in the host's order.
LWItemID ObjectAt(int k) { return getItemByIndex(services, nullptr, k, LWI_OBJECT); }

int PanelPopCount(void *) { return 1 + CountItems(services, nullptr, LWI_OBJECT); } // and "(none)"

const char *PanelPopName(void *, int index) {
    if (index <= 0) return "(none)";
    const LWItemID id = ObjectAt(index - 1);
    if (!id) return "(none)";
    const char *name = services.iteminfo->name ? services.iteminfo->name(id) : nullptr;
    return name ? name : "";
}

auto InterfaceHint = PanelHints(
    HintWords(HintWordU(XPTAG_FOCUS), HintWord(-1), HintWordU(XPTAG_POPFUNCS), HintWordU(ID_CONVERGENCE_ITEM),
        HintFunc(&PanelPopCount), HintFunc(&PanelPopName), LENTARA_LOGO_HINTS(ID_LOGO, &services)),
    HintRun(XPTAG_DIVADD, 0, ID_VERSION, ID_EYE_SEPARATION, ID_ZOOM, ID_HSHIFT),
    HintRun(XPTAG_SENS, 1, ID_CONVERGENCE_LIMIT, ID_HSCALE, ID_HSHIFT),
    HintWords(HintWordU(XPTAG_ENABLE), HintWordU(ID_CONVERGENCE_ITEM), nullptr, HintWord(0), nullptr,
        HintWordU(ID_CONVERGENCE_LIMIT), HintWordU(ID_SHOW_PLANE), HintWord(0)));

const CameraTypeDesc kDesc =
    LensCameraType("VantorStereoCam", "VantorStereoCam Dec 11 2010 10:02:18", services, gInstance)
        .Tables(kParams, kSettings, kBlock, ZoomFactor).Panel<kControls>(InterfaceHint);

class CameraPlugin final : public DescribedCamera<kDesc> {
public:
    LensReading lens;
    LWItemID convergenceItem = nullptr;
    bool convergenceValid = false;
    // World positions of the convergence item at the motion sample times
    // (zeros without an item); convergenceCount matches samples.sampleCount.
    std::unique_ptr<double[]> sampleConvergence;
    unsigned convergenceCount = 0;
    // The film normal of the frame's access record, made when the record is
    // stored; a ray whose access record has the same forward row (bit for
    // bit) takes it instead of normalising again.
    Vec3 frameFilmNormal = {0.0, 0.0, 0.0};

    void UpdateFrameFilmNormal() { frameFilmNormal = FilmNormal(cameraAccess.toWorld[2]); }
    Vec3 FilmNormalFor(const LWCameraAccess *access) const {
        const double *forward = (access ? access : &cameraAccess)->toWorld[2];
        if (std::memcmp(forward, cameraAccess.toWorld[2], sizeof cameraAccess.toWorld[2]) == 0)
            return frameFilmNormal;
        return FilmNormal(forward);
    }

    explicit CameraPlugin(LWItemID item) : DescribedCamera(item) {
        HostServices &s = svc();
        if (!s.camerainfo) return;
        const double now = s.CurrentTime();
        if (s.camerainfo->fStop) lens.lensFactor = LensFactorFor(s.camerainfo->fStop(item, now));
        if (s.camerainfo->separation) SetValue(EyeSeparation, s.camerainfo->separation(item, now));
    }

    void CopyFrom(const CameraBase &other) override {
        SingleViewCamera::CopyFrom(other);
        const auto &from = static_cast<const CameraPlugin &>(other);
        lens = from.lens;
        convergenceItem = nullptr;
        convergenceValid = false;
        sampleConvergence.reset();
        convergenceCount = 0;
        UpdateFrameFilmNormal();
    }

    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) override {
        if (!frame || !access) return nullptr;
        // Lens, convergence item and the item's positions are looked up on
        // every call: a frame rendered again with the camera unchanged may
        // still have a newly picked or moved item to converge on.
        lens.ReadForFrame(svc(), access->cameraID);
        // A stored choice of 0 or less names no item (and INT_MIN - 1 would overflow).
        const std::int32_t choice = setting[convergenceItemIndex];
        convergenceItem = choice > 0 ? ObjectAt(choice - 1) : nullptr;
        convergenceValid = convergenceItem != nullptr;
        NewFrame(frame, access);
        SampleConvergence();
        UpdateFrameFilmNormal();
        return nullptr;
    }

    // The convergence item's world positions at the motion sample times.
    void SampleConvergence() {
        sampleConvergence.reset();
        convergenceCount = 0;
        const unsigned n = samples.sampleCount;
        if (n < 2) return;
        std::unique_ptr<double[]> pos(new double[3 * n]);
        const LWItemInfo *ii = svc().iteminfo;
        for (unsigned k = 0; k < n; ++k) {
            const double t =
                frameInfo.start + frameInfo.duration * static_cast<double>(k) / static_cast<double>(n - 1);
            double *p = &pos[3 * k];
            p[0] = p[1] = p[2] = 0.0;
            if (convergenceItem && ii && ii->param) ii->param(convergenceItem, LWIP_W_POSITION, t, p);
        }
        sampleConvergence = std::move(pos);
        convergenceCount = n;
    }

    bool HasConvergenceSamples() const {
        return sampleConvergence && convergenceCount >= 2 && convergenceCount == samples.sampleCount;
    }

    int Evaluate(double fpx, double fpy, double lpx, double lpy, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const override {
        // The film is the one of the last frame set up; before the first,
        // that of the call's access record, as for the pose.
        const double *film = FilmOf(access);
        const double W = film[0], H = film[1];
        if (!FilmIsUsable(W, H)) return LWCAMTYPEEVAL_NO_RAY;
        Pose scratch;
        const Pose &pose = PoseAt(fraction, access, scratch);
        // The convergence position is interpolated per call with the same
        // weights as the pose, so nothing in the instance is written.
        const bool converge = convergenceValid && HasConvergenceSamples();
        double c[3] = {0.0, 0.0, 0.0};
        if (converge) InterpolateSamples(sampleConvergence.get(), convergenceCount, fraction, c);
        const StereoParams p = {value[ZoomFactor], value[EyeSeparation], value[ConvergenceLimit],
                                lens,              converge};
        StereoRay r;
        if (!StereoCam::Evaluate(p, pose, lentara::Load(c), W, H, fpx, fpy, lpx, lpy, r)) return LWCAMTYPEEVAL_NO_RAY;
        const Vec3 filmNormal = FilmNormalFor(access);
        return WriteRay(ray, r.origin, r.direction, filmNormal);
    }

    // The convergence plane around the item (2 units along the right axis, 1
    // along the up axis) and the two eyes, as the camera stood at the start
    // of the last frame set up.
    void DrawGizmo(LWCustomObjAccess &coa) const override {
        if (!frameSeen || !convergenceValid || !setting[showConvergencePlane] || samples.Empty()) return;
        const LWItemInfo *ii = svc().iteminfo;
        double c0[3] = {0.0, 0.0, 0.0};
        if (ii && ii->param) ii->param(convergenceItem, LWIP_W_POSITION, 0.0, c0);
        const Vec3 pCentre = lentara::Load(c0);
        const Pose first = samples.Sample(0);
        const double h = 0.5 * value[EyeSeparation];
        const Vec3 pLeft = first.position - h * first.right, pRight = first.position + h * first.right;
        const Vec3 halfUp = 0.5 * first.up;

        double q[4][3];
        Store(pCentre + first.right + halfUp, q[0]);
        Store(pCentre - first.right + halfUp, q[1]);
        Store(pCentre - first.right - halfUp, q[2]);
        Store(pCentre + first.right - halfUp, q[3]);
        float rgba1[4] = {0.0f, 0.39453125f, 0.59765625f, 0.3f};
        float rgba2[4] = {0.0f, 0.39453125f, 0.59765625f, 1.0f};
        if (coa.setCSysItem) coa.setCSysItem(coa.dispData, convergenceItem);
        if (coa.setColor) coa.setColor(coa.dispData, rgba1);
        if (coa.quad) coa.quad(coa.dispData, q[0], q[1], q[2], q[3], LWCSYS_WORLD);
        if (coa.setColor) coa.setColor(coa.dispData, rgba2);
        if (coa.quad) coa.quad(coa.dispData, q[0], q[1], q[2], q[3], LWCSYS_WORLD);

        if (coa.setCSysItem) coa.setCSysItem(coa.dispData, cameraAccess.cameraID);
        if (!coa.circle) return;
        double eyes[2][3];
        Store(pLeft, eyes[0]);
        Store(pRight, eyes[1]);
        for (double radius : {0.03, 0.01})
            for (auto &eye : eyes) coa.circle(coa.dispData, eye, radius, LWCSYS_WORLD);
    }
};

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace StereoCam
