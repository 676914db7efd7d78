// Poses and vector checks for the tests of projections on their own.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/motion.h"
#include "framework/vec.h"

namespace testsupport {

using lentara::Pose;
using lentara::Vec3;

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
inline constexpr double kInf = std::numeric_limits<double>::infinity();
// The stand-in host's default film, 36 x 24 mm.
inline constexpr double W = 0.036, H = 0.024;
inline const Pose kIdentity = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

inline double Angle(Vec3 a, Vec3 b) {
    const double c = lentara::Dot(a, b) / std::sqrt(lentara::Dot(a, a) * lentara::Dot(b, b));
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c)));
}
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline void ExpectVec(Vec3 a, Vec3 b, double tol) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

// A turned camera: heading about Y, then pitch about X, then bank about Z,
// built independently of the code under test.
inline Pose Turned(double h, double p, double b, Vec3 position) {
    auto rotY = [](double a, Vec3 v) {
        return Vec3{std::cos(a) * v.x + std::sin(a) * v.z, v.y, -std::sin(a) * v.x + std::cos(a) * v.z};
    };
    auto rotX = [](double a, Vec3 v) {
        return Vec3{v.x, std::cos(a) * v.y - std::sin(a) * v.z, std::sin(a) * v.y + std::cos(a) * v.z};
    };
    auto rotZ = [](double a, Vec3 v) {
        return Vec3{std::cos(a) * v.x - std::sin(a) * v.y, std::sin(a) * v.x + std::cos(a) * v.y, v.z};
    };
    auto rot = [&](Vec3 v) { return rotY(h, rotX(p, rotZ(b, v))); };
    return {position, rot({1, 0, 0}), rot({0, 1, 0}), rot({0, 0, 1})};
}

} // namespace testsupport
