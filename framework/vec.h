// vec.h -- the small vector helpers the projections share, and the one place
// where a computed ray is checked and handed to the host.
#pragma once

#include <cmath>
#include <cstring>
#include <limits>

#include "module/lwhost.h"

namespace lentara {

struct Vec3 {
    double x, y, z;
};

inline Vec3 Load(const double v[3]) { return {v[0], v[1], v[2]}; }
inline void Store(const Vec3 &v, double out[3]) {
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(double s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Normalize(Vec3 a) {
    const double len = std::sqrt(Dot(a, a));
    return {a.x / len, a.y / len, a.z / len};
}
// World direction of a camera-space direction d on the camera's right, up
// and forward axes, as it comes (not normalised).
inline Vec3 WorldDirectionUnnormalised(Vec3 right, Vec3 up, Vec3 forward, Vec3 d) {
    return {d.x * right.x + d.y * up.x + d.z * forward.x, d.x * right.y + d.y * up.y + d.z * forward.y,
            d.x * right.z + d.y * up.z + d.z * forward.z};
}

inline bool IsFinite(Vec3 a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }

// The sine and cosine of the last argument one thread asked for: projections
// whose angle repeats along a scanline (an elevation from film y alone) take
// both from here instead of calling sincos again.  Starts at the argument +0.
struct SinCosMemo {
    double arg = 0.0, sin = 0.0, cos = 1.0;
};
inline void SinCos(SinCosMemo &m, double x, double &s, double &c) {
    if (std::memcmp(&m.arg, &x, sizeof x) != 0) {
        m.arg = x;
        m.sin = std::sin(x);
        m.cos = std::cos(x);
    }
    s = m.sin;
    c = m.cos;
}

// Whether every value is finite, in one test: x - x is +0 for every finite x
// and NaN for an infinity or a NaN, and a sum with a NaN in it is NaN.
template <class... D>
inline bool AllFinite(D... x) {
    return (... + (x - x)) == 0.0;
}

// Film size the host reports is usable for a projection.
// Finite and not zero is one range test on the magnitude (false for a NaN).
inline bool FilmSideIsUsable(double side) {
    const double s = std::fabs(side);
    return s > 0.0 && s <= std::numeric_limits<double>::max();
}
inline bool FilmIsUsable(double width, double height) { return FilmSideIsUsable(width) && FilmSideIsUsable(height); }

// +0 when every component is finite, NaN otherwise: x - x is +0 for every
// finite x and NaN for an infinity or a NaN, and a sum with a NaN is NaN.
inline double FiniteProbe(Vec3 a) { return (a.x - a.x) + (a.y - a.y) + (a.z - a.z); }

// The one check of a ray before the host gets it: every member finite and
// the direction not zero (a direction that overflowed on the way can come out
// as zero; rounding up to infinity still counts as not zero). A ray whose
// film normal is its direction passes no normal. The probes are summed per
// vector, so the test is a short chain of additions, not one per member.
inline bool RayIsUsableFromProbe(double probe, Vec3 dir) {
    const double size = std::fabs(dir.x) + std::fabs(dir.y) + std::fabs(dir.z);
    return probe == 0.0 && size > 0.0;
}
inline bool RayIsUsable(Vec3 pos, Vec3 dir) { return RayIsUsableFromProbe(FiniteProbe(pos) + FiniteProbe(dir), dir); }
inline bool RayIsUsable(Vec3 pos, Vec3 dir, Vec3 filmNorm) {
    return RayIsUsableFromProbe((FiniteProbe(pos) + FiniteProbe(dir)) + FiniteProbe(filmNorm), dir);
}
// The same for a ray record another camera wrote.
inline bool RayIsUsable(const LWCameraRay &r) { return RayIsUsable(Load(r.rayPos), Load(r.rayDir), Load(r.filmNorm)); }

// The same check for a ray whose direction and film normal are widened from
// single precision: the sum of their magnitudes cannot overflow a double, so
// for them finite and (direction) not zero is one range test on that sum.
inline bool RayIsUsableSinglePrecision(Vec3 pos, Vec3 dir, Vec3 filmNorm) {
    const double dirSize = std::fabs(dir.x) + std::fabs(dir.y) + std::fabs(dir.z);
    const double normalSize = std::fabs(filmNorm.x) + std::fabs(filmNorm.y) + std::fabs(filmNorm.z);
    const double total = (dirSize + normalSize) + ((pos.x - pos.x) + (pos.y - pos.y) + (pos.z - pos.z));
    return dirSize > 0.0 && total <= std::numeric_limits<double>::max();
}

// Writes origin, direction and film normal when `usable` (the ray's check)
// and returns 1; otherwise leaves the record untouched and returns 0 (no ray).
inline int WriteCheckedRay(LWCameraRay *ray, bool usable, Vec3 pos, Vec3 dir, Vec3 filmNorm) {
    if (!usable) return LWCAMTYPEEVAL_NO_RAY;
    Store(pos, ray->rayPos);
    Store(dir, ray->rayDir);
    Store(filmNorm, ray->filmNorm);
    return LWCAMTYPEEVAL_RAY;
}
inline int WriteRay(LWCameraRay *ray, Vec3 pos, Vec3 dir, Vec3 filmNorm) {
    return WriteCheckedRay(ray, RayIsUsable(pos, dir, filmNorm), pos, dir, filmNorm);
}
// A ray whose film normal is its direction.
inline int WriteRay(LWCameraRay *ray, Vec3 pos, Vec3 dir) { return WriteCheckedRay(ray, RayIsUsable(pos, dir), pos, dir, dir); }

} // namespace lentara
