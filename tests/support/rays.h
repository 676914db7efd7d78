// Vector arithmetic on the plain arrays of a camera ray, and ray comparison,
// for tests that read rays through the stand-in host.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "standin/host.h"

namespace testsupport {

struct V3 {
    double x, y, z;
};
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator*(double s, V3 a) { return {s * a.x, s * a.y, s * a.z}; }
inline double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double Length(V3 a) { return std::sqrt(Dot(a, a)); }
inline V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline V3 FromArray(const double *v) { return {v[0], v[1], v[2]}; }
inline double Angle(V3 a, V3 b) {
    const double c = Dot(a, b) / (Length(a) * Length(b));
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c)));
}
inline void ExpectNear(V3 a, V3 b, double tol, const std::string &what = "") {
    EXPECT_NEAR(a.x, b.x, tol) << what;
    EXPECT_NEAR(a.y, b.y, tol) << what;
    EXPECT_NEAR(a.z, b.z, tol) << what;
}

// Position, direction and film normal equal bit for bit.
inline bool SameRay(const LWCameraRay &a, const LWCameraRay &b) {
    return std::memcmp(a.rayPos, b.rayPos, sizeof a.rayPos) == 0 &&
           std::memcmp(a.rayDir, b.rayDir, sizeof a.rayDir) == 0 &&
           std::memcmp(a.filmNorm, b.filmNorm, sizeof a.filmNorm) == 0;
}

} // namespace testsupport
