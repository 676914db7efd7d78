// cylinder.h -- activation functions of the Cylinder camera's servers.
#pragma once

#include "module/lwhost.h"

namespace CylinderCam {
int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData);
int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData);
int CameraGizmo(int version, GlobalFunc *global, void *local, void *serverData);
} // namespace CylinderCam
