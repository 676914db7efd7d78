// overscan.h -- activation functions of the Overscan camera's servers.
#pragma once

#include "module/lwhost.h"

namespace OverscanCam {
int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData);
int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData);
int CameraGizmo(int version, GlobalFunc *global, void *local, void *serverData);
} // namespace OverscanCam
