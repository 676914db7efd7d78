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

// The world direction of a camera-space direction on the pose axes.
using lentara::WorldDirectionNormalised;

} // namespace PanoramicCam
