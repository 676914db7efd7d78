// projection.h -- the Cylinder camera's mapping, free of host calls: along one
// film axis the rays fan out in angle, along the other the ray origins slide
// in a straight line while the rays stay parallel.
//
// Parameters (channel, meaning, default):
//   HorizontalFOVradians   length of the linear film axis, scene units   1.0
//   MaxVerticalFOVradians  angle at the positive end of the angular axis 10 deg
//   MinVerticalFOVradians  angle at the negative end                     -10 deg
//   SizeMode               0: cylinder along the right axis (linear
//                          horizontally); any other value: upright
//                          (linear vertically)                           1
#pragma once

#include <cmath>

#include "framework/motion.h"
#include "framework/vec.h"

namespace CylinderCam {

struct CylinderParams {
    double length;
    double maxAngle;
    double minAngle;
    int sizeMode;
};

struct CylinderRay {
    lentara::Vec3 origin, direction;
};

// The ray through film point (filmX, filmY) on a film of width W and height H.
inline CylinderRay CylinderRayAt(const CylinderParams &p, const lentara::Pose &pose, double filmX, double filmY,
                                 double W, double H) {
    using lentara::Vec3;
    const double mid = (p.minAngle + p.maxAngle) * 0.5;
    const double span = p.maxAngle - p.minAngle;
    const Vec3 &P = pose.position, &R = pose.right, &U = pose.up, &F = pose.forward;
    Vec3 origin, D;
    if (p.sizeMode != 0) {
        // Upright cylinder: angle across the width, linear along the height.
        const double b = mid + span * (filmX / (0.5 * W)) * 0.5;
        const double s = (filmY / (0.5 * H)) * p.length * 0.5;
        origin = P + s * U;
        D = std::sin(b) * R + std::cos(b) * F;
    } else {
        // Lying cylinder: film x is measured in half film heights, so the
        // linear extent across the frame is length * W / H.
        const double b = mid + span * (filmY / (0.5 * H)) * 0.5;
        const double s = (filmX / (0.5 * H)) * p.length * 0.5;
        origin = P + s * R;
        D = std::sin(b) * U + std::cos(b) * F;
    }
    return {origin, lentara::Normalize(D)};
}

} // namespace CylinderCam
