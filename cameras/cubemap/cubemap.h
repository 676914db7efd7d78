// cubemap.h -- activation functions of the Cubemap camera's servers.
#pragma once

#include "module/lwhost.h"

namespace CubemapCam {
int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData);
int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData);
int CameraGizmo(int version, GlobalFunc *global, void *local, void *serverData);
} // namespace CubemapCam
