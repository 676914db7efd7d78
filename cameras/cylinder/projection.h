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
// The film point's part of the ray, which needs no pose: the offset along the
// cylinder's axis and the sine and cosine of the angle around it.
struct CylinderFilm {
    double s, sinB, cosB;
    bool upright;
};

inline CylinderFilm CylinderFilmAt(const CylinderParams &p, double filmX, double filmY, double W, double H) {
    const double mid = (p.minAngle + p.maxAngle) * 0.5;
    const double span = p.maxAngle - p.minAngle;
    CylinderFilm f;
    f.upright = p.sizeMode != 0;
    double b;
    // The angle is taken in this order on purpose: the film coordinate in
    // half film sizes first, so the film edge is exactly +-1 and gives
    // exactly mid +- span / 2 for every film size (the upper and lower angle
    // themselves for a symmetric span), and a film size too small for
    // span / size to be finite still gives mid at the film centre. Any
    // rearrangement (mid + x * (span / W), say) moves the last bits of about
    // a fifth of the rays.
    if (f.upright) {
        // Upright cylinder: angle across the width, linear along the height.
        b = mid + span * (filmX / (0.5 * W)) * 0.5;
        f.s = (filmY / (0.5 * H)) * p.length * 0.5;
    } else {
        // Lying cylinder: film x is measured in half film heights, so the
        // linear extent across the frame is length * W / H.
        b = mid + span * (filmY / (0.5 * H)) * 0.5;
        f.s = (filmX / (0.5 * H)) * p.length * 0.5;
    }
    f.sinB = std::sin(b);
    f.cosB = std::cos(b);
    return f;
}

inline CylinderRay CylinderRayFrom(const CylinderFilm &f, const lentara::Pose &pose) {
    using lentara::Vec3;
    const Vec3 &P = pose.position, &R = pose.right, &U = pose.up, &F = pose.forward;
    Vec3 origin, D;
    if (f.upright) {
        origin = P + f.s * U;
        D = f.sinB * R + f.cosB * F;
    } else {
        origin = P + f.s * R;
        D = f.sinB * U + f.cosB * F;
    }
    return {origin, lentara::Normalize(D)};
}

inline CylinderRay CylinderRayAt(const CylinderParams &p, const lentara::Pose &pose, double filmX, double filmY,
                                 double W, double H) {
    return CylinderRayFrom(CylinderFilmAt(p, filmX, filmY, W, H), pose);
}

} // namespace CylinderCam
