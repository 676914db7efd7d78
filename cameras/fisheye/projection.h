// projection.h -- the Fisheye camera's mapping, free of host calls.
//
// Parameters (channel, meaning, default):
//   ZoomFactor     film distance d = ZoomFactor * film height / 2   host camera's zoom
//   FisheyePower   p: a film radius r becomes s * r^p               1.0
//   FisheyeScale   s (computed from the film when automatic)       1.0
// Settings: autoDistortionScale (1), parallelFilmNormals (1),
//   previewInCameraView (0), gridType (1; kept, changes nothing).
#pragma once

#include <cmath>

#include "framework/lens.h"
#include "framework/motion.h"
#include "framework/vec.h"

namespace FisheyeCam {

struct FisheyeParams {
    double zoom;          // Z
    double power;         // p
    double scale;         // s
    lentara::ThinLens lens;
    bool parallelFilmNormals;
};

struct FisheyeRay {
    lentara::Vec3 origin, direction, filmNormal;
};

// The scale that keeps the film's half diagonal R at its own radius:
// R^p * R^(1-p) = R. False, with `scale` untouched, when the film size is
// unknown or the result is not finite.
inline bool AutomaticScale(double W, double H, double power, double &scale) {
    if (!(W > 0.0) || !(H > 0.0) || !std::isfinite(W) || !std::isfinite(H)) return false;
    const double R = std::sqrt((W * 0.5) * (W * 0.5) + (H * 0.5) * (H * 0.5));
    const double s = std::pow(R, 1.0 - power);
    if (!std::isfinite(s)) return false;
    scale = s;
    return true;
}

// Ray through film point (x, y) and lens point (a, b) for the pose, on a film
// of height H. False when no finite ray exists (a negative power at the film
// centre, a film of no height).
inline bool Evaluate(const FisheyeParams &p, const lentara::Pose &pose, double H, double x, double y, double a,
                     double b, FisheyeRay &out) {
    using lentara::Vec3;
    // film distance and lens radius
    const double d = p.zoom * H * 0.5;
    const double r = lentara::UsableLensRadius(d * p.lens.lensFactor);
    // lens offset in the lens plane
    const Vec3 offset = (a * r) * pose.right + (b * r) * pose.up;

    // bend the film radius by the power law (a power of 1 leaves it as it is)
    const double len = std::sqrt(x * x + y * y);
    const double rho = (p.power == 1.0 ? len : std::pow(len, p.power)) * p.scale;
    if (!std::isfinite(rho)) return false;
    double cosT, sinT;
    lentara::FilmAngleCosSin(x, y, len, cosT, sinT);
    const Vec3 v = (rho * cosT) * pose.right + (rho * sinT) * pose.up + d * pose.forward;
    if (!(Dot(v, v) > 0.0)) return false;

    out.origin = pose.position + offset;
    out.direction = lentara::FocusedDirection(v, offset, p.lens.focusDistance);
    out.filmNormal = p.parallelFilmNormals ? pose.forward : out.direction;
    return lentara::RayIsUsable(out.origin, out.direction, out.filmNormal);
}

} // namespace FisheyeCam
