// dome.h -- activation functions of the Dome camera's servers.
#pragma once

#include "module/lwhost.h"

namespace DomeCam {
int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData);
int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData);
int CameraGizmo(int version, GlobalFunc *global, void *local, void *serverData);
} // namespace DomeCam
