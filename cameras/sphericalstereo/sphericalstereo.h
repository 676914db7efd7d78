// sphericalstereo.h -- activation functions of the Spherical Stereo camera's servers.
#pragma once

#include "module/lwhost.h"

namespace SphericalStereoCam {
int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData);
int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData);
int CameraGizmo(int version, GlobalFunc *global, void *local, void *serverData);
} // namespace SphericalStereoCam
