// perspective.h -- activation functions of the Perspective family's servers:
// three handlers (with depth of field, without, without depth of field and
// motion blur) sharing one interface and one gizmo.
#pragma once

#include "module/lwhost.h"

namespace PerspectiveCam {
int CameraHandler_DOF_MB(int version, GlobalFunc *global, void *local, void *serverData);
int CameraHandler_NoDOF_MB(int version, GlobalFunc *global, void *local, void *serverData);
int CameraHandler_NoDOF_NoMB(int version, GlobalFunc *global, void *local, void *serverData);
int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData);
int CameraGizmo(int version, GlobalFunc *global, void *local, void *serverData);
} // namespace PerspectiveCam
