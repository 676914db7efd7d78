// projection.h -- the Dome camera's fisheye lens models, free of host calls.
//
// Parameters (channel, meaning, default):
//   FieldOfView   full angle of the image circle                  pi (180 deg)
//   DomeTilt      turn about the camera's right axis, + tilts up   0
// Settings:
//   Lens  0 equidistant, 1 equisolid, 2 stereographic, 3 orthographic  (0)
//   Fit   circle radius R0: 0 half the frame height, 1 half the width,
//         2 half the diagonal                                          (0)
//
// A film point at radius r from the centre has rho = r / R0; outside the
// circle (rho > 1) there is no ray, on it there is one. With alpha = half the
// field of view, its angle off the axis is
//   equidistant    theta = rho * alpha
//   equisolid      theta = 2 asin(rho sin(alpha / 2))
//   stereographic  theta = 2 atan(rho tan(alpha / 2))
//   orthographic   theta = asin(rho sin(min(alpha, pi / 2)))
// and its direction (sin theta cos phi, sin theta sin phi, cos theta) with
// phi the film point's angle (cos phi and sin phi taken as x / r and y / r),
// then turned about x by the tilt (+z toward +y).
#pragma once

#include <cmath>

#include "framework/vec.h"

namespace DomeCam {

enum Lens { kEquidistant, kEquisolid, kStereographic, kOrthographic, kLensCount };
enum Fit { kFitHeight, kFitWidth, kFitCorners, kFitCount };

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

struct DomeParams {
    double fieldOfView;
    double domeTilt;
    int lens;
    int fit;
};

// What every ray of one film size and one set of parameters shares.
struct DomeFrame {
    bool usable;     // false: no ray anywhere (film, field of view or tilt not usable)
    double W, H;     // the film it was made for
    double R0;       // circle radius on the film
    double invR0;    // 1 / R0
    int lens;
    double alpha;    // half the field of view, clamped to the lens's range
    double lensK;    // sin(alpha/2), tan(alpha/2) or sin(min(alpha, pi/2)) by lens
    double cosTilt, sinTilt;
};

// The field of view within the range the lens model takes: (0, 2 pi], below
// 2 pi for the stereographic lens (its circle edge would lie at infinity),
// at most pi for the orthographic one. A value that is not finite stays so.
inline double ClampFieldOfView(double fov, int lens) {
    if (!std::isfinite(fov)) return fov;
    const double smallest = 4.9406564584124654e-324; // the smallest positive double
    const double largest = lens == kStereographic ? std::nextafter(kTwoPi, 0.0) : lens == kOrthographic ? kPi : kTwoPi;
    return fov < smallest ? smallest : fov > largest ? largest : fov;
}

// Circle radius for a fit on a W x H film.
inline double CircleRadius(int fit, double W, double H) {
    const double w = std::fabs(W), h = std::fabs(H);
    switch (fit) {
    case kFitWidth: return w * 0.5;
    case kFitCorners: return std::sqrt(w * w + h * h) * 0.5;
    default: return h * 0.5;
    }
}

inline DomeFrame PrepareDome(const DomeParams &p, double W, double H) {
    DomeFrame f{};
    f.W = W;
    f.H = H;
    f.lens = (p.lens >= 0 && p.lens < kLensCount) ? p.lens : kEquidistant;
    f.usable = lentara::FilmIsUsable(W, H) && std::isfinite(p.fieldOfView) && std::isfinite(p.domeTilt);
    if (!f.usable) return f;
    f.R0 = CircleRadius(p.fit, W, H);
    f.invR0 = 1.0 / f.R0;
    f.usable = std::isfinite(f.R0) && f.R0 > 0.0 && std::isfinite(f.invR0);
    f.alpha = ClampFieldOfView(p.fieldOfView, f.lens) * 0.5;
    switch (f.lens) {
    case kEquisolid: f.lensK = std::sin(f.alpha * 0.5); break;
    case kStereographic: f.lensK = std::tan(f.alpha * 0.5); break;
    case kOrthographic: f.lensK = std::sin(std::fmin(f.alpha, kPi * 0.5)); break;
    default: f.lensK = 1.0; break;
    }
    f.cosTilt = std::cos(p.domeTilt);
    f.sinTilt = std::sin(p.domeTilt);
    return f;
}

// Camera-space direction (unit length) of film point (x, y); false for no
// ray: outside the circle, a film point that is not finite, or a frame that
// is not usable.
inline bool DomeDirection(const DomeFrame &f, double x, double y, lentara::Vec3 &out) {
    const double r = std::sqrt(x * x + y * y);
    // rho <= 1 tested on the radius itself, so the circle's edge is exact
    if (!(r <= f.R0) || !f.usable) return false;
    const double rho = r * f.invR0;
    double theta;
    switch (f.lens) {
    case kEquisolid: theta = 2.0 * std::asin(rho * f.lensK); break;
    case kStereographic: theta = 2.0 * std::atan(rho * f.lensK); break;
    case kOrthographic: theta = std::asin(rho * f.lensK); break;
    default: theta = rho * f.alpha; break;
    }
    const double s = std::sin(theta), c = std::cos(theta);
    double cosPhi, sinPhi;
    lentara::FilmAngleCosSin(x, y, r, cosPhi, sinPhi);
    const double cx = s * cosPhi, cy = s * sinPhi;
    // turn about x by the tilt: +z toward +y
    out = {cx, cy * f.cosTilt + c * f.sinTilt, c * f.cosTilt - cy * f.sinTilt};
    return true;
}

inline bool DomeDirection(const DomeParams &p, double x, double y, double W, double H, lentara::Vec3 &out) {
    return DomeDirection(PrepareDome(p, W, H), x, y, out);
}

} // namespace DomeCam
