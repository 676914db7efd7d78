// projection.h -- the SuperPano camera's mapping, free of host calls: the
// latitude-longitude band with separate scales for each half of the frame and
// a shift of the film point before projection.
//
// Parameters (channel, meaning, default):
//   HorizontalFOVradians   azimuth span across the film width            2*pi (360 deg)
//   MaxVerticalFOVradians  elevation at the top edge of the film         pi/4 (45 deg)
//   MinVerticalFOVradians  elevation at the bottom edge                  -pi/4 (-45 deg)
//   HScalePos, HScaleNeg   scale of the right component, right/left half 1.0
//   VScalePos, VScaleNeg   scale of the up component, upper/lower half   1.0
//   HShift, VShift         shift of the film point in half-film units    0.0
#pragma once

#include <cmath>

#include "framework/motion.h"
#include "framework/vec.h"

namespace AdvPanCam {

struct SuperPanoParams {
    double horizontalFov;
    double maxVerticalFov;
    double minVerticalFov;
    double hScalePos, vScalePos, hScaleNeg, vScaleNeg;
    double hShift, vShift;
};

// Camera-space direction (not normalised) of film point (filmX, filmY) on a
// film of width W and height H.
// `elevation` keeps the sine and cosine of the last elevation (see SinCosMemo).
inline lentara::Vec3 CameraDirection(const SuperPanoParams &p, double filmX, double filmY, double W, double H,
                                     lentara::SinCosMemo &elevation) {
    const double u = filmX / (0.5 * W) + p.hShift;
    const double v = filmY / (0.5 * H) + p.vShift;
    const double a = u * p.horizontalFov * 0.5;
    const double e = 0.5 * (p.maxVerticalFov + p.minVerticalFov) +
                     ((p.maxVerticalFov - p.minVerticalFov) * v) * 0.5;
    double se, ce;
    lentara::SinCos(elevation, e, se, ce);
    // Scale each half separately; the scales bend that half's rays before normalising.
    const double x = ce * std::sin(a) * (a > 0.0 ? p.hScalePos : p.hScaleNeg);
    const double y = se * (e > 0.0 ? p.vScalePos : p.vScaleNeg);
    const double z = std::cos(a) * ce;
    return {x, y, z};
}
inline lentara::Vec3 CameraDirection(const SuperPanoParams &p, double filmX, double filmY, double W, double H) {
    lentara::SinCosMemo fresh;
    return CameraDirection(p, filmX, filmY, W, H, fresh);
}

// The world direction of a camera-space direction on the pose axes.
using lentara::WorldDirectionNormalised;

} // namespace AdvPanCam
