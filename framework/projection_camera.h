// projection_camera.h -- a single-view camera whose ray is a pure projection
// of the film point, turned into world space by the pose of the ray's
// exposure fraction and started at the pose's position (film normal: the
// direction).
//
// What the rays of one frame share (parameters and film size made ready: a
// "frame" of the type's own) is prepared at new time, new frame and copy. The
// film comes from the access record passed with each call: when that film is
// not the one prepared for, the call prepares its own.
#pragma once

#include "framework/camera.h"
#include "framework/motion.h"
#include "framework/vec.h"

namespace lentara {

// Frame: what the rays share, with the film width W and height H it was made
// for. CameraVector: the pure projection, a camera-space vector along the ray
// (any length: the world direction is normalised) or false for no ray.
template <class Frame, bool (*CameraVector)(const Frame &, double, double, Vec3 &)>
class ProjectionCamera : public SingleViewCamera {
public:
    using SingleViewCamera::SingleViewCamera;

    LWError NewTime(LWFrame frame, LWTime time) override {
        SingleViewCamera::NewTime(frame, time);
        Refresh();
        return nullptr;
    }
    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) override {
        NewFrame(frame, access);
        Refresh();
        return nullptr;
    }
    void CopyFrom(const CameraBase &from) override {
        SingleViewCamera::CopyFrom(from);
        Refresh();
    }

    int Evaluate(double fpx, double fpy, double, double, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const override {
        if (!access) return LWCAMTYPEEVAL_NO_RAY;
        if (!(access->filmSize[0] == frame_.W && access->filmSize[1] == frame_.H))
            return TraceOnOwnFilm(fpx, fpy, fraction, ray, access);
        return Trace(frame_, fpx, fpy, fraction, ray, access);
    }

protected:
    // What the rays on a W x H film share, from the current values and settings.
    virtual Frame Prepare(double W, double H) const = 0;

private:
    Frame frame_{}; // made for no film until the first new time or frame
    void Refresh() { frame_ = Prepare(cameraAccess.filmSize[0], cameraAccess.filmSize[1]); }

    LENTARA_ALWAYS_INLINE int Trace(const Frame &f, double fpx, double fpy, double fraction, LWCameraRay *ray,
                                    const LWCameraAccess *access) const {
        Vec3 local;
        if (!CameraVector(f, fpx, fpy, local)) return LWCAMTYPEEVAL_NO_RAY;
        Pose scratch;
        const Pose &pose = PoseAt(fraction, access, scratch);
        return WriteRay(ray, pose.position, WorldDirectionNormalised(pose, local));
    }
    // A call whose film is not the frame's: what its rays share, made for it
    // (apart from the per-ray path, which keeps no such record on its stack).
    LENTARA_NOINLINE int TraceOnOwnFilm(double fpx, double fpy, double fraction, LWCameraRay *ray,
                                        const LWCameraAccess *access) const {
        const Frame own = Prepare(access->filmSize[0], access->filmSize[1]);
        return Trace(own, fpx, fpy, fraction, ray, access);
    }
};

} // namespace lentara
