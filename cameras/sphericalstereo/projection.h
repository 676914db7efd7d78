// projection.h -- the Spherical Stereo camera's mapping, free of host calls: an
// omni-directional stereo panorama, every column of an eye's image seen from
// that eye's point on a circle around the camera.
//
// Parameters (channel, meaning, default):
//   HorizontalFOVradians  azimuth span across an eye image's width       2*pi
//   VerticalFOVradians    elevation span across an eye image's height    pi
//   EyeSeparation         diameter of the eyes' circle                   host camera's separation
//   PoleMergeFrom         elevation where the eyes start to merge        pi/3 (60 deg)
//   PoleMergeTo           elevation from which they coincide             5*pi/12 (75 deg)
//   ConvergenceDistance   distance at which both eyes' rays of a pixel   0 (parallel eyes)
//                         meet; 0 or less: they meet at infinity
// Setting: Layout (over-under, side by side, left eye only, right eye only).
#pragma once

#include <cmath>
#include <cstring>

#include "framework/eyeimage.h"
#include "framework/motion.h"
#include "framework/vec.h"

namespace SphericalStereoCam {

struct SphericalStereoParams {
    double horizontalFov, verticalFov;
    double eyeSeparation;
    double poleMergeFrom, poleMergeTo;
    double convergence;
    lentara::EyeLayout layout;
};

struct SphericalStereoRay {
    lentara::Vec3 origin, direction; // the film normal is the direction
};

constexpr double kPi = 3.14159265358979323846;

// The share m(e) of the eye separation kept at elevation e: 1 up to `from`,
// 0 from `to` on, a half cosine in between; with to <= from it drops from 1
// to 0 at `from`.
inline double PoleMerge(double e, double from, double to) {
    const double ae = std::fabs(e);
    if (!(to > from)) return ae < from ? 1.0 : 0.0;
    if (ae <= from) return 1.0;
    if (ae >= to) return 0.0;
    return 0.5 + 0.5 * std::cos(kPi * (ae - from) / (to - from));
}

// The sine, cosine and pole merge of the last elevation (and merge bounds)
// one thread asked for: they follow film y alone, so a scanline repeats them.
// Starts at elevation +0 with bounds +0, whose merge is 0.
struct ElevationMemo {
    double e = 0.0, from = 0.0, to = 0.0;
    double sin = 0.0, cos = 1.0, merge = 0.0;
};
inline void ElevationTerms(ElevationMemo &m, double e, double from, double to) {
    const double key[3] = {e, from, to};
    if (std::memcmp(&m.e, key, sizeof key) == 0) return;
    m.e = e;
    m.from = from;
    m.to = to;
    m.sin = std::sin(e);
    m.cos = std::cos(e);
    m.merge = PoleMerge(e, from, to);
}

// The ray of a film point in camera space, before the pose: the eye's offset
// from the camera (along the right and forward axes) and the direction.
struct EyeRay {
    double offsetRight, offsetForward;
    lentara::Vec3 direction; // not normalised
};

// Ray through film point (x, y) on a film W x H in camera space; not finite
// where the parameters or the film are not. `memo` keeps the terms of the
// last elevation (see ElevationMemo).
LENTARA_ALWAYS_INLINE EyeRay CameraRay(const SphericalStereoParams &p, double W, double H, double x, double y,
                                       ElevationMemo &memo) {
    using lentara::Vec3;
    const lentara::EyePoint eye = lentara::EyePointOf(p.layout, x, y, W, H);
    const double a = (eye.x / (0.5 * eye.width)) * p.horizontalFov * 0.5;
    const double e = (eye.y / (0.5 * eye.height)) * p.verticalFov * 0.5;
    ElevationTerms(memo, e, p.poleMergeFrom, p.poleMergeTo);
    const double se = memo.sin, ce = memo.cos;
    const double sa = std::sin(a), ca = std::cos(a);

    // eye on the circle: s along t = cos a R - sin a F, merged toward the poles
    const double s = eye.sign * 0.5 * p.eyeSeparation * memo.merge;
    const Vec3 d = {ce * sa, se, ce * ca};
    const Vec3 t = {ca, 0.0, -sa};

    // toward P + C d: C d - s t, scaled by 1 / C or 1 / |s| (whichever keeps
    // it bounded) so that extreme distances do not overflow on the way
    Vec3 D = d;
    const double C = p.convergence;
    if (C > 0.0 && std::isfinite(C)) {
        const double q = s / C;
        D = std::fabs(q) <= 1.0 ? d - q * t : (1.0 / std::fabs(q)) * d - std::copysign(1.0, q) * t;
    }
    return {s * ca, -s * sa, D};
}

// The same ray in world space for the pose.
LENTARA_ALWAYS_INLINE SphericalStereoRay WorldRay(const EyeRay &r, const lentara::Pose &pose) {
    return {pose.position + r.offsetRight * pose.right + r.offsetForward * pose.forward,
            lentara::WorldDirectionNormalised(pose, r.direction)};
}

inline SphericalStereoRay Evaluate(const SphericalStereoParams &p, const lentara::Pose &pose, double W, double H,
                                   double x, double y) {
    ElevationMemo fresh;
    return WorldRay(CameraRay(p, W, H, x, y, fresh), pose);
}

} // namespace SphericalStereoCam
