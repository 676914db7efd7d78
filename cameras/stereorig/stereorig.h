// stereorig.h -- activation functions of the Stereo Rig camera's servers.
#pragma once

#include "module/lwhost.h"

namespace StereoRigCam {
int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData);
int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData);
int CameraGizmo(int version, GlobalFunc *global, void *local, void *serverData);
} // namespace StereoRigCam
