// perspective.cpp -- the Perspective family: a thin-lens perspective camera with
// its own motion sampling and a single-precision pose, offered as three camera
// types that differ only in the flags word they report:
//   "VantorPerspectiveCam"           depth of field (flags 1)
//   "VantorPerspectiveNoDOFCam"      no depth of field (flags 0)
//   "VantorPerspectiveNoDOFNoMBCam"  no depth of field (flags 0); motion
//                                    sampling follows the host's frame record
//                                    exactly as for the other two
// All three share the instance class, the panel and the gizmo.
#include "cameras/perspective/perspective.h"

#include "cameras/perspective/projection.h"
#include "framework/handler.h"

namespace PerspectiveCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

namespace {
// The rounded pose of the last repeated fraction each thread evaluated, so a
// repeated fraction costs neither the interpolation nor the rounding.
thread_local FractionCache<RoundedPose> tPose LENTARA_FAST_TLS;
thread_local FractionCache<char> tLastMiss LENTARA_FAST_TLS;
} // namespace

// The "SizeAxis" envelope and its stored choice are kept in the scene for
// older scenes' sake; no ray depends on them.
enum Param { ZoomFactor, SizeAxis };
enum Setting { sizeAxisChoice };

constexpr ParamDesc kParams[] = {
    {"ZoomFactor", 0.0},
    {"SizeAxis", 0.0}, // starts at the zoom factor, see CameraPlugin
};

constexpr SettingDesc kSettings[] = {{"sizeAxisChoice", 1}};

constexpr BlockItem kBlock[] = {BlockEnvelope(SizeAxis), BlockSetting(sizeAxisChoice)};

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    EnvelopeControl(ID_ZOOM, "ZoomFactor", "zoomfactor-env", ZoomFactor),
};

LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    LENTARA_LOGO_HINTS(ID_LOGO, &services),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VERSION), HintWord(0),
    HintWordU(XPTAG_END),
};

const CameraTypeDesc kDesc =
    CameraType("VantorPerspectiveCam", "VantorPerspectiveCam Dec 11 2010 10:02:17", services, gInstance, kNeedsVParm)
        .Params(kParams, ZoomFactor)
        .Settings(kSettings)
        .Block(kBlock)
        .Panel<kControls>(InterfaceHint)
        .Flags(LWCAMTYPEF_SUPPORTSDOF);

class CameraPlugin final : public DescribedCamera<kDesc> {
public:
    explicit CameraPlugin(LWItemID item) : DescribedCamera(item) {
        HostServices &s = svc();
        const double now = s.CurrentTime();
        if (s.camerainfo && s.camerainfo->filmSize) {
            double w = 0.0, h = 0.0;
            s.camerainfo->filmSize(item, &w, &h);
            filmHeight = h;
        }
        if (s.camerainfo && s.camerainfo->fStop) fStop = s.camerainfo->fStop(item, now);

        // "SizeAxis" starts at the zoom factor as well.
        SetValue(SizeAxis, value[ZoomFactor]);
        UpdateLens();
    }

    // The film distance follows the zoom envelope; the lens radius follows the
    // film distance at the f-stop read when the camera was made.
    void UpdateLens() {
        lens.filmDistance = FilmDistance(value[ZoomFactor], filmHeight);
        lens.lensRadius = LensRadius(lens.filmDistance, fStop);
    }

    LWError NewTime(LWFrame frame, LWTime time) override {
        SingleViewCamera::NewTime(frame, time);
        UpdateLens();
        return nullptr;
    }

    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) override {
        // The focus distance is refreshed on every call, changed frame or not.
        HostServices &s = svc();
        if (access && s.camerainfo && s.camerainfo->focalDistance)
            lens.focusDistance = s.camerainfo->focalDistance(access->cameraID, s.CurrentTime());
        NewFrame(frame, access);
        UpdateLens();
        return nullptr;
    }

    void CopyFrom(const CameraBase &other) override {
        SingleViewCamera::CopyFrom(other);
        const auto &from = static_cast<const CameraPlugin &>(other);
        filmHeight = from.filmHeight;
        fStop = from.fStop;
        UpdateLens();
    }

    int Evaluate(double fpx, double fpy, double lpx, double lpy, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const override {
        // Each way to the pose traces on its own, so a pose worked out for
        // this ray stays in registers and a cached one is read where it lies.
        if (samples.Empty()) return Trace(Rounded(PoseAt(fraction, access)), fpx, fpy, lpx, lpy, ray);
        FractionCache<RoundedPose> &c = tPose;
        if (c.Holds(samples, fraction)) return Trace(c.value, fpx, fpy, lpx, lpy, ray);
        if (RepeatedMiss(tLastMiss, samples, fraction)) {
            c.value = RoundedAt(samples, fraction);
            c.Mark(samples, fraction);
            return Trace(c.value, fpx, fpy, lpx, lpy, ray);
        }
        return TraceFresh(fraction, fpx, fpy, lpx, lpy, ray);
    }

private:
    // The ray from a pose interpolated for this ray alone. Out of line, the
    // compiler keeps a tighter kernel than inlined beside the cached pose's;
    // the interpolation is done here too, as a pose handed over in memory
    // would be read back with wider loads than it was stored with.
    LENTARA_NOINLINE int TraceFresh(double fraction, double fpx, double fpy, double lpx, double lpy,
                                    LWCameraRay *ray) const {
        return Trace(RoundedAt(samples, fraction), fpx, fpy, lpx, lpy, ray);
    }

    template <class PoseT>
    LENTARA_ALWAYS_INLINE int Trace(const PoseT &pose, double fpx, double fpy, double lpx, double lpy,
                                    LWCameraRay *ray) const {
        return WriteLensRay(ray, ThinLensRay(pose, lens, fpx, fpy, lpx, lpy));
    }

    double filmHeight = 0.0; // host camera's film height at creation
    double fStop = 0.0;      // host camera's f-stop at creation
    LensParams lens = {0.0f, 0.0f, 0.0};
};

using CB = Callbacks<CameraPlugin>;

// The family differs only in the flags word; without depth of field it is 0.
unsigned int C_FlagsNoDOF(LWInstance) noexcept { return 0; }

int CameraHandler_NoDOF(int version, GlobalFunc *global, void *local, void *serverData) {
    HandlerTable table = CB::Table();
    table.flags = C_FlagsNoDOF;
    return ActivateHandler(version, global, local, serverData, services, kNeedsVParm, table);
}

const CameraServers kServers_DOF_MB = ServersOf<CameraPlugin>();
const CameraServers kServers_NoDOF_MB = {CameraHandler_NoDOF, CB::CameraInterface, CB::CameraGizmo};
const CameraServers kServers_NoDOF_NoMB = {CameraHandler_NoDOF, CB::CameraInterface, CB::CameraGizmo};

} // namespace PerspectiveCam
