// stereo.h -- activation functions of the Stereo camera's servers.
#pragma once

#include "module/lwhost.h"

namespace StereoCam {
int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData);
int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData);
int CameraGizmo(int version, GlobalFunc *global, void *local, void *serverData);
} // namespace StereoCam
