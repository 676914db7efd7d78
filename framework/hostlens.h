// hostlens.h -- the host camera's lens as the thin-lens camera types read it:
// the f-stop when they are made and on every new frame, the focus distance on
// every new frame.
#pragma once

#include "framework/lens.h"
#include "framework/services.h"

namespace lentara {

// The lens of `camera` at the current time: lensFactor = 0.5 / f-stop (0
// for a pinhole) and, when focusDistance is given, the focus distance. Each
// stays as it is where the host lacks the service.
inline void ReadHostLens(HostServices &s, LWItemID camera, double &lensFactor, double *focusDistance) {
    if (!s.camerainfo) return;
    const double now = s.CurrentTime();
    if (s.camerainfo->fStop) lensFactor = LensFactorFor(s.camerainfo->fStop(camera, now));
    if (focusDistance && s.camerainfo->focalDistance) *focusDistance = s.camerainfo->focalDistance(camera, now);
}

} // namespace lentara
