// lens.h -- the thin lens shared by the cameras with depth of field: the lens
// radius factor and the direction toward the point in focus.
#pragma once

#include <cmath>

#include "framework/vec.h"

namespace lentara {

// 0.5 / f-stop; 0 (a pinhole) for an f-stop that is not positive and finite.
inline double LensFactorFor(double fStop) {
    if (!(fStop > 0.0) || !std::isfinite(fStop)) return 0.0;
    const double f = 0.5 / fStop;
    return std::isfinite(f) ? f : 0.0;
}

// A focus distance the lens can focus at.
inline bool FocusIsUsable(double focusDistance) { return focusDistance > 0.0 && std::isfinite(focusDistance); }

// Unit direction from a point offset by lensOffset (in the lens plane) toward
// the point in focus on the pinhole ray v: that point lies at focusDistance
// along v. Without a usable focus distance the lens focuses at infinity and
// the pinhole direction is kept.
inline Vec3 FocusedDirection(Vec3 v, Vec3 lensOffset, double focusDistance) {
    const double len = std::sqrt(Dot(v, v));
    if (!FocusIsUsable(focusDistance)) return (1.0 / len) * v;
    const Vec3 pFocus = (focusDistance / len) * v;
    return Normalize(pFocus - lensOffset);
}

} // namespace lentara
