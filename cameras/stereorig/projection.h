// projection.h -- the Stereo Rig camera's mapping, free of host calls: two
// thin-lens cameras side by side on the right axis, with parallel, off-axis
// (shifted film) or toed-in eyes.
//
// Parameters (channel, meaning, default):
//   ZoomFactor           film distance d = ZoomFactor * eye image height / 2  host camera's zoom
//   EyeSeparation        distance between the eyes along the right axis      host camera's separation
//   ConvergenceDistance  distance C of the zero-parallax point on the axis   host camera's focal distance
//                        (C <= 0 or not finite: parallel eyes)
// Settings: Mode (off-axis, parallel, toe-in), Layout (side by side,
//   over-under, left eye only, right eye only).
#pragma once

#include <cfloat>
#include <cmath>

#include "framework/eyeimage.h"
#include "framework/lens.h"
#include "framework/motion.h"
#include "framework/vec.h"

namespace StereoRigCam {

enum class RigMode { OffAxis, Parallel, ToeIn };

struct StereoRigParams {
    double zoom, eyeSeparation, convergence;
    RigMode mode;
    lentara::EyeLayout layout;
    double lensFactor;    // 0.5 / f-stop, 0 for a pinhole
    double focusDistance; // <= 0 or not finite: focused at infinity
};

// What every ray of one camera state shares.
struct StereoRig {
    double zoom, halfSeparation;
    RigMode mode; // parallel where the convergence distance is not usable
    lentara::EyeLayout layout;
    double shift;            // off-axis: film shift per unit of film distance, h / C
    double cosBeta, sinBeta; // toe-in: each eye's turn toward the convergence point
    double lensFactor, focusDistance;
};

struct StereoRigRay {
    lentara::Vec3 origin, direction, filmNormal;
};

inline StereoRig MakeRig(const StereoRigParams &p) {
    const double h = 0.5 * p.eyeSeparation, C = p.convergence;
    StereoRig rig = {p.zoom, h, p.mode, p.layout, 0.0, 1.0, 0.0, p.lensFactor, p.focusDistance};
    if (!(C > 0.0 && std::isfinite(C))) {
        rig.mode = RigMode::Parallel;
        return rig;
    }
    rig.shift = h / C;
    const double beta = std::atan(h / C);
    rig.cosBeta = std::cos(beta);
    rig.sinBeta = std::sin(beta);
    return rig;
}

// Ray through film point (x, y) and lens point (a, b) on a film W x H for
// the pose; not finite where the parameters or the film are not. False when
// the ray has no direction at all.
LENTARA_ALWAYS_INLINE bool Evaluate(const StereoRig &rig, const lentara::Pose &pose, double W, double H, double x,
                                    double y, double a, double b, StereoRigRay &out) {
    using lentara::Vec3;
    const lentara::EyePoint eye = lentara::EyePointOf(rig.layout, x, y, W, H);
    const double k = eye.sign;
    const double d = rig.zoom * eye.height * 0.5;

    // the eye's own axes: turned about U toward the convergence point when
    // toed in; the film shifted toward the other eye when off-axis
    Vec3 right = pose.right, forward = pose.forward;
    double xFilm = eye.x;
    if (rig.mode == RigMode::ToeIn) {
        forward = rig.cosBeta * pose.forward - (k * rig.sinBeta) * pose.right;
        right = rig.cosBeta * pose.right + (k * rig.sinBeta) * pose.forward;
    } else if (rig.mode == RigMode::OffAxis) {
        xFilm -= k * rig.shift * d;
    }
    Vec3 v = xFilm * right + eye.y * pose.up + d * forward;
    const double vv = Dot(v, v);
    if (!(vv >= DBL_MIN && vv <= DBL_MAX)) {
        // only its direction is used: bring an extreme one into range
        const double m = std::fmax(std::fabs(v.x), std::fmax(std::fabs(v.y), std::fabs(v.z)));
        if (!(m > 0.0 && m <= DBL_MAX)) return false;
        v = {v.x / m, v.y / m, v.z / m};
    }

    const Vec3 offset = lentara::LensOffset(rig.lensFactor, d, a, b, right, pose.up);
    out.origin = pose.position + (k * rig.halfSeparation) * pose.right + offset;
    out.direction = lentara::FocusedDirection(v, offset, rig.focusDistance);
    out.filmNormal = forward;
    return true;
}

} // namespace StereoRigCam
