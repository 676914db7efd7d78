// projection.h -- the Panoramic camera's mapping, free of host calls.
//
// Parameters (channel, meaning, default):
//   HorizontalFOVradians   azimuth span across the film width      2*pi (360 deg)
//   MaxVerticalFOVradians  elevation at the top edge of the film   pi/4 (45 deg)
//   MinVerticalFOVradians  elevation at the bottom edge            -pi/4 (-45 deg)
#pragma once

#include <cmath>

#include "framework/motion.h"
#include "framework/vec.h"

namespace PanoramicCam {

struct PanoramaParams {
    double horizontalFov;
    double maxVerticalFov;
    double minVerticalFov;
};

// Camera-space direction of film point (filmX, filmY) on a film of width W and
// height H: film x gives the azimuth about the up axis, film y the elevation.
// `elevation` keeps the sine and cosine of the last elevation (see SinCosMemo).
inline lentara::Vec3 CameraDirection(const PanoramaParams &p, double filmX, double filmY, double W, double H,
                                     lentara::SinCosMemo &elevation) {
    const double a = (filmX / (0.5 * W)) * p.horizontalFov * 0.5;
    const double e = 0.5 * (p.maxVerticalFov + p.minVerticalFov) +
                     ((p.maxVerticalFov - p.minVerticalFov) * (filmY / (0.5 * H))) * 0.5;
    double se, ce;
    lentara::SinCos(elevation, e, se, ce);
    return {ce * std::sin(a), se, ce * std::cos(a)};
}
inline lentara::Vec3 CameraDirection(const PanoramaParams &p, double filmX, double filmY, double W, double H) {
    lentara::SinCosMemo fresh;
    return CameraDirection(p, filmX, filmY, W, H, fresh);
}

// World direction of the ray: the camera-space direction on the pose axes,
// normalised.
inline lentara::Vec3 WorldDirection(const lentara::Pose &pose, lentara::Vec3 d) {
    const lentara::Vec3 D = {d.x * pose.right.x + d.y * pose.up.x + d.z * pose.forward.x,
                             d.x * pose.right.y + d.y * pose.up.y + d.z * pose.forward.y,
                             d.x * pose.right.z + d.y * pose.up.z + d.z * pose.forward.z};
    const double len = std::sqrt(D.x * D.x + D.y * D.y + D.z * D.z);
    return {D.x / len, D.y / len, D.z / len};
}

} // namespace PanoramicCam
