// projection.h -- the Perspective family's thin-lens mapping, free of host calls.
//
// Parameters (meaning, source):
//   filmDistance   distance of the film plane, zoom factor * film height * 0.5
//   lensRadius     filmDistance * 0.5 / f-stop; 0 for a pinhole
//   focusDistance  distance from the camera to the plane in focus
//
// The pose and the working vectors are kept in single precision, with the two
// divisions of the normalisation taken in double precision; every step below
// rounds where the family has always rounded, so stored renders keep their rays.
#pragma once

#include <cmath>

#include "framework/motion.h"
#include "framework/vec.h"

namespace PerspectiveCam {

struct Vec3f {
    float x, y, z;
};

inline Vec3f ToSingle(const lentara::Vec3 &v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}
inline lentara::Vec3 ToDouble(const Vec3f &v) { return {v.x, v.y, v.z}; }
inline float DotF(const Vec3f &a, const Vec3f &b) {
    const float xx = a.x * b.x;
    const float yy = a.y * b.y;
    const float zz = a.z * b.z;
    const float s = xx + yy;
    return s + zz;
}
inline Vec3f ScaleF(const Vec3f &v, float s) { return {v.x * s, v.y * s, v.z * s}; }

// The frame pose rounded to single precision.
struct PoseF {
    Vec3f position, right, up, forward;
};

inline PoseF ToSingle(const lentara::Pose &p) {
    return {ToSingle(p.position), ToSingle(p.right), ToSingle(p.up), ToSingle(p.forward)};
}

struct LensParams {
    float filmDistance;
    float lensRadius;
    double focusDistance;
};

// Film distance for a zoom factor and film height, rounded to single precision.
inline float FilmDistance(double zoom, double filmHeight) { return static_cast<float>(zoom * filmHeight * 0.5); }

// Lens radius for a film distance and f-stop; an f-stop that is not a positive
// number gives a pinhole.
inline float LensRadius(float filmDistance, double fStop) {
    if (!(std::isfinite(fStop) && fStop > 0.0)) return 0.0f;
    return static_cast<float>(static_cast<double>(filmDistance) * 0.5 / fStop);
}

// A focus distance that is not a positive number leaves no plane to focus on.
inline bool FocusIsUsable(double focusDistance) { return std::isfinite(focusDistance) && focusDistance > 0.0; }

struct Ray {
    lentara::Vec3 origin, direction, filmNormal;
};

// Unit vector of v in the family's precision: v.v summed in single precision,
// the reciprocal length in double, the scaling in single.
inline Vec3f NormalizeF(const Vec3f &v) {
    const float g = static_cast<float>(1.0 / std::sqrt(static_cast<double>(DotF(v, v))));
    return ScaleF(v, g);
}

// The ray through film point (filmX, filmY) and lens sample (lensX, lensY).
// Non-finite input yields non-finite components; the caller refuses such rays.
inline Ray ThinLensRay(const PoseF &pose, const LensParams &lens, double filmX, double filmY, double lensX,
                       double lensY) {
    const Vec3f &P = pose.position, &R = pose.right, &U = pose.up, &F = pose.forward;
    Ray ray;
    ray.filmNormal = ToDouble(F);

    // Lens offset in the lens plane, spanned by the right and up axes.
    const double a = lens.lensRadius;
    const double ox = lensX * a;
    const double oy = lensY * a;
    const lentara::Vec3 offset = {ox * R.x + oy * U.x, ox * R.y + oy * U.y, ox * R.z + oy * U.z};
    ray.origin = {P.x + offset.x, P.y + offset.y, P.z + offset.z};

    // Direction through the film point for a pinhole at P.
    const float x = static_cast<float>(filmX);
    const float y = static_cast<float>(filmY);
    const float f = lens.filmDistance;
    const Vec3f V = {x * R.x + y * U.x + f * F.x, x * R.y + y * U.y + f * F.y, x * R.z + y * U.z + f * F.z};

    if (!FocusIsUsable(lens.focusDistance)) {
        ray.direction = ToDouble(NormalizeF(V));
        return ray;
    }

    // Compute the point in focus on the pinhole ray, then aim the lens sample at it.
    const float s = static_cast<float>(lens.focusDistance / std::sqrt(static_cast<double>(DotF(V, V))));
    const Vec3f Q = ScaleF(V, s);
    const Vec3f G = {static_cast<float>(Q.x - offset.x), static_cast<float>(Q.y - offset.y),
                     static_cast<float>(Q.z - offset.z)};
    ray.direction = ToDouble(NormalizeF(G));
    return ray;
}

} // namespace PerspectiveCam
