// lens.h -- the thin lens shared by the cameras with depth of field: the lens
// radius factor and the direction toward the point in focus.
#pragma once

#include <cfloat>
#include <cmath>

#include "framework/services.h"
#include "framework/vec.h"

namespace lentara {

// 0.5 / f-stop; 0 (a pinhole) for an f-stop that is not positive and finite.
inline double LensFactorFor(double fStop) {
    if (!(fStop > 0.0) || !std::isfinite(fStop)) return 0.0;
    const double f = 0.5 / fStop;
    return std::isfinite(f) ? f : 0.0;
}

// A thin lens: its radius per unit of film distance and where it focuses.
struct ThinLens {
    double lensFactor = 0.0;    // 0.5 / f-stop, 0 for a pinhole
    double focusDistance = 0.0; // <= 0 or not finite: focused at infinity
};

// The thin lens as the host's camera item sets it (the focus distance is
// unknown until the first frame: focused at infinity).
struct LensReading : ThinLens {

    // The lens factor from the item's f-stop now (at creation).
    void ReadFStop(HostServices &s, LWItemID item) {
        if (s.camerainfo && s.camerainfo->fStop) lensFactor = LensFactorFor(s.camerainfo->fStop(item, s.CurrentTime()));
    }
    // Both, at a frame set-up: read on every call, also when nothing else
    // changed.
    void ReadForFrame(HostServices &s, LWItemID camera) {
        if (!s.camerainfo) return;
        const double now = s.CurrentTime();
        if (s.camerainfo->fStop) lensFactor = LensFactorFor(s.camerainfo->fStop(camera, now));
        if (s.camerainfo->focalDistance) focusDistance = s.camerainfo->focalDistance(camera, now);
    }
};

// A focus distance the lens can focus at.
inline bool FocusIsUsable(double focusDistance) { return focusDistance > 0.0 && std::isfinite(focusDistance); }

// A lens radius the lens can be sampled on: one that is not finite (a finite
// lens factor times a large film distance can still round to infinity, and a
// lens sample would then be 0 * inf even at the centre) is a pinhole.
inline double UsableLensRadius(double radius) { return std::isfinite(radius) ? radius : 0.0; }

// Offset of lens sample (a, b) from the lens centre, in the lens plane spanned
// by `right` and `up`, for a lens of radius filmDistance * lensFactor.
inline Vec3 LensOffset(double lensFactor, double filmDistance, double a, double b, Vec3 right, Vec3 up) {
    const double r = UsableLensRadius(filmDistance * lensFactor);
    return (a * r) * right + (b * r) * up;
}

// Unit direction from a point offset by lensOffset (in the lens plane) toward
// the point in focus on the pinhole ray v: that point lies at focusDistance
// along v, the unit vector v / |v| scaled by the distance. Without a usable
// focus distance the lens focuses at infinity and the pinhole direction is
// kept. So it is when the squared length g.g of the way to the point in focus
// leaves the range of normal doubles: it overflows for a focus beyond about
// 1.3e154 (the direction would come out zero), and drops below DBL_MIN for a
// focus nearer than about 1.5e-154 at (or that near) the lens centre, where
// 1 / |g| loses its precision (a visibly non-unit direction) down to 0 / 0;
// the pinhole direction is the exact answer at the centre.
inline Vec3 FocusedDirection(Vec3 v, Vec3 lensOffset, double focusDistance) {
    const double len = std::sqrt(Dot(v, v));
    if (!FocusIsUsable(focusDistance)) return (1.0 / len) * v;
    const Vec3 pFocus = {v.x / len * focusDistance, v.y / len * focusDistance, v.z / len * focusDistance};
    const Vec3 g = pFocus - lensOffset;
    const double gg = Dot(g, g);
    if (!(gg >= DBL_MIN && gg <= DBL_MAX)) return (1.0 / len) * v;
    const double glen = std::sqrt(gg);
    return {g.x / glen, g.y / glen, g.z / glen};
}

} // namespace lentara
