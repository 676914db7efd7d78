// projection.h -- the Stereo camera's mapping, free of host calls.
//
// Parameters (channel, meaning, default):
//   ZoomFactor             film distance d = ZoomFactor * film height / 2   host camera's zoom
//   EyeSeparation          distance between the eyes along the right axis  host camera's separation
//   ConvergenceLimit       the eyes turn toward the convergence item only  10
//                          while it is at most this far from the eye
//   HorizontalScale        kept with the scene, no effect                  1
//   HorizontalShiftFactor  kept with the scene, no effect                  1
// Settings: convergenceItemIndex (0 = none), showConvergencePlane (0).
#pragma once

#include <cmath>

#include "framework/lens.h"
#include "framework/motion.h"
#include "framework/vec.h"

namespace StereoCam {

struct StereoParams {
    double zoom;             // Z
    double eyeSeparation;    // e
    double convergenceLimit; // L
    lentara::ThinLens lens;
    bool converge;           // a convergence item is chosen
};

struct StereoRay {
    lentara::Vec3 origin, direction;
};

// Ray through film point (x, y) and lens point (a, b) on a film W x H: the
// left half (x < 0) is seen by the left eye, the rest by the right eye, each
// eye's half frame centred on its own axis. `pConvergence` is the
// convergence item's position at the ray's time. False when no finite ray
// exists.
inline bool Evaluate(const StereoParams &p, const lentara::Pose &pose, lentara::Vec3 pConvergence, double W,
                     double H, double x, double y, double a, double b, StereoRay &out) {
    using lentara::Vec3;
    const double h = p.eyeSeparation * 0.5;
    const double d = p.zoom * H * 0.5;
    const double r = lentara::UsableLensRadius(d * p.lens.lensFactor);
    const Vec3 offset = (a * r) * pose.right + (b * r) * pose.up;

    // pick the eye; x = 0 and a film x that is not a number go to the right
    double xEye;
    Vec3 pEye;
    if (x < 0.0) {
        xEye = x + 0.25 * W;
        pEye = pose.position - h * pose.right;
    } else {
        xEye = x - 0.25 * W;
        pEye = pose.position + h * pose.right;
    }
    const Vec3 origin = pEye + offset;

    // toe in toward the convergence item while it is within the limit,
    // measured from this ray's own origin
    Vec3 axis = pose.forward;
    if (p.converge) {
        const Vec3 t = pConvergence - origin;
        const double l = std::sqrt(Dot(t, t));
        if (l > 0.0 && p.convergenceLimit >= l) axis = {t.x / l, t.y / l, t.z / l};
    }

    const Vec3 v = d * axis + xEye * pose.right + y * pose.up;
    if (!(Dot(v, v) > 0.0)) return false;
    out.origin = origin;
    out.direction = lentara::FocusedDirection(v, offset, p.lens.focusDistance);
    return lentara::RayIsUsable(out.origin, out.direction);
}

// The film normal shared by every ray of one camera state: the camera's
// forward axis, normalised.
inline lentara::Vec3 FilmNormal(const double forward[3]) { return lentara::Normalize(lentara::Load(forward)); }

} // namespace StereoCam
