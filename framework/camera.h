// camera.h -- the contract of a camera type: the hooks a type may provide
// (virtual, each overridden with `override`), the instance state common to
// all types, enveloped parameters, scene blocks and the frame set-up with
// motion sampling.
//
// A camera type is a `final` class derived from CameraBase (or
// SingleViewCamera) with
//   static const CameraTypeDesc &Desc();   // its description
//   explicit CameraPlugin(LWItemID item);  // defaults and envelopes
//   int Evaluate(...) const override;      // the ray
// and whichever hooks below it changes (DescribedCamera<kDesc> at the end
// supplies the first two). The host callbacks (handler.h) call the final
// class, so Evaluate costs no indirect call.
#pragma once

#include <cstdint>

#include "framework/description.h"
#include "framework/motion.h"
#include "framework/services.h"
#include "module/lwhost.h"

namespace lentara {

// The fixed panel version line and build stamp of this release.
extern const char kVersionText[];

// Creates an enveloped parameter in the item's channel group and gives it the
// initial value; null (and nothing else done) when the host cannot create it.
LWVParmID create_vpenv(const HostServices &svc, int type, const char *name, LWChanGroupID group,
                       const char *owner, double *initial);

// State common to every camera instance, and the hooks.
class CameraBase {
public:
    CameraBase(const CameraTypeDesc &desc, LWItemID item);
    virtual ~CameraBase();
    CameraBase(const CameraBase &) = delete;
    CameraBase &operator=(const CameraBase &) = delete;

    const CameraTypeDesc &desc;
    LWCameraAccess cameraAccess;
    LWFrameInfo frameInfo;
    int renderMode = 0;
    int currentFrame = 0;
    double currentTime = 0.0;
    LWItemID item; // the camera item given at creation
    LWVParmID envelope[kMaxParams];
    double value[kMaxParams];
    std::int32_t setting[kMaxSettings];
    bool frameSeen = false; // a frame has been set up since creation or copy

    // ---- hooks -------------------------------------------------------------

    // The ray for a film and lens point at an exposure fraction (the per-ray
    // path: no allocation, no lock, no write to shared state).
    virtual int Evaluate(double fpx, double fpy, double lpx, double lpy, double fraction, LWCameraRay *ray,
                         const LWCameraAccess *access) const = 0;
    // Evaluates every envelope at the time into its value field; a type whose
    // values depend on others extends it (NewTime and the type's own frame
    // set-up call it).
    virtual void get_vpValues(double time);
    virtual LWError InitRender(int mode) {
        renderMode = mode;
        return nullptr;
    }
    virtual void CleanUpRender() {}
    virtual LWError NewTime(LWFrame frame, LWTime time) {
        currentFrame = frame;
        currentTime = time;
        get_vpValues(time);
        return nullptr;
    }
    virtual LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) {
        NewFrameRecords(frame, access);
        return nullptr;
    }
    virtual int Preview(double, double, LWDMatrix4, const LWCameraAccess *) { return 0; }
    // Takes over another instance of the same type.
    virtual void CopyFrom(const CameraBase &from) { CopyCommon(from); }
    // Writes and reads the scene block in the type's save order.
    virtual void Save(const LWSaveState *save) const;
    virtual void Load(const LWLoadState *load);
    // Panel get and set of one id: the description's bindings (PanelGetCommon,
    // PanelSetCommon) unless the type answers more.
    virtual void *PanelValue(unsigned int vid);
    virtual void PanelChange(unsigned int vid, void *value);
    // The panel built for this instance (null when none could be made).
    virtual void PanelCreated(LWXPanelID) {}
    // Draws the viewport gizmo; the usual camera draws nothing.
    virtual void DrawGizmo(LWCustomObjAccess &) const {}

    // ---- helpers -----------------------------------------------------------

    // Sets a parameter's value field and its envelope's plain value (which a
    // keyed envelope ignores).
    void SetValue(int index, double v);
    // A scratch envelope standing in for parameter i's record when the host
    // could not make the parameter's envelope: set up like that envelope but
    // in no channel group, holding the parameter's value. Null when none can
    // be made; the caller destroys it.
    LWVParmID ScratchEnvelope(int i) const;
    // Takes over another instance's records, values, settings and envelope
    // contents; render state is reset.
    void CopyCommon(const CameraBase &from);
    // Frame set-up: true when the frame or access record changed (values
    // re-evaluated and the records stored).
    bool NewFrameRecords(const LWFrameInfo *frame, const LWCameraAccess *access);

    HostServices &svc() const { return *desc.services; }

    // The film of a ray: the last frame set up's, or before the first frame
    // (and after a copy) that of the call's access record.
    const double *FilmOf(const LWCameraAccess *access) const {
        return (!frameSeen && access) ? access->filmSize : cameraAccess.filmSize;
    }
};

// Base of the single-view cameras: adds the motion samples of the camera item.
class SingleViewCamera : public CameraBase {
public:
    using CameraBase::CameraBase;
    MotionSamples samples;

    // Frame set-up with motion sampling; true when the records changed or the
    // samples were made anew (see CameraBase::NewFrameRecords).
    bool NewFrame(const LWFrameInfo *frame, const LWCameraAccess *access);
    void CopyFrom(const CameraBase &from) override {
        CopyCommon(from);
        samples.CleanUp();
    }
    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) override {
        NewFrame(frame, access);
        return nullptr;
    }
    // The pose for the fraction, either the per-thread cached one or `scratch`
    // filled in; see PoseForFraction.
    const Pose &PoseAt(double fraction, const LWCameraAccess *access, Pose &scratch) const {
        return PoseForFraction(samples, fraction, access, scratch);
    }
    // The ray of a projection that gives a camera-space direction from the
    // film point and film size alone (localDirection(W, H)): that direction
    // first, as its trigonometry needs no pose, then the pose at the fraction
    // and the ray from the camera's position along the normalised world
    // direction.
    template <class LocalDirection>
    int TraceDirection(double fraction, const LWCameraAccess *access, LWCameraRay *ray,
                       LocalDirection localDirection) const {
        if (!access || !FilmIsUsable(access->filmSize[0], access->filmSize[1])) return LWCAMTYPEEVAL_NO_RAY;
        const Vec3 local = localDirection(access->filmSize[0], access->filmSize[1]);
        Pose scratch;
        const Pose &pose = PoseAt(fraction, access, scratch);
        return WriteRay(ray, pose.position, WorldDirectionNormalised(pose, local));
    }
    // By value, for paths off the per-ray one.
    Pose PoseAt(double fraction, const LWCameraAccess *access) const {
        return PoseForFraction(samples, fraction, access);
    }
};

// The base of a camera class described by D: its Desc() and the constructor
// from the camera item.
//   class CameraPlugin final : public DescribedCamera<kDesc> { ... };
template <const CameraTypeDesc &D, class Base = SingleViewCamera>
class DescribedCamera : public Base {
public:
    static const CameraTypeDesc &Desc() { return D; }
    explicit DescribedCamera(LWItemID item) : Base(D, item) {}
};

} // namespace lentara
