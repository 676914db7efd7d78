// fourup.h -- activation functions of the 4Up camera's servers.
#pragma once

#include "module/lwhost.h"

namespace FourUpCam {
int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData);
int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData);
int CameraGizmo(int version, GlobalFunc *global, void *local, void *serverData);
} // namespace FourUpCam
