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

// Writes origin, direction and film normal when all are finite and the
// direction is not zero (a direction that overflowed on the way can come out
// as zero) and returns 1; otherwise leaves the record untouched and returns 0
// (no ray).
inline int WriteRay(LWCameraRay *ray, Vec3 pos, Vec3 dir, Vec3 filmNorm) {
    if (!IsFinite(pos) || !IsFinite(dir) || !IsFinite(filmNorm)) return LWCAMTYPEEVAL_NO_RAY;
    if (dir.x == 0.0 && dir.y == 0.0 && dir.z == 0.0) return LWCAMTYPEEVAL_NO_RAY;
    Store(pos, ray->rayPos);
    Store(dir, ray->rayDir);
    Store(filmNorm, ray->filmNorm);
    return LWCAMTYPEEVAL_RAY;
}

// The same for a ray whose film normal is its direction, with the checks in
// one test: x - x is +0 for every finite x and NaN for an infinity or a NaN,
// so the sum of those differences is zero exactly when all six members are
// finite, and the sum of the direction's magnitudes is then above zero
// exactly when the direction is not zero (rounding up to infinity still
// counts as not zero).
inline int WriteRay(LWCameraRay *ray, Vec3 pos, Vec3 dir) {
    const double probe = ((pos.x - pos.x) + (pos.y - pos.y) + (pos.z - pos.z)) +
                         ((dir.x - dir.x) + (dir.y - dir.y) + (dir.z - dir.z));
    const double size = std::fabs(dir.x) + std::fabs(dir.y) + std::fabs(dir.z);
    if (!(probe == 0.0 && size > 0.0)) return LWCAMTYPEEVAL_NO_RAY;
    Store(pos, ray->rayPos);
    Store(dir, ray->rayDir);
    Store(dir, ray->filmNorm);
    return LWCAMTYPEEVAL_RAY;
}

} // namespace lentara
