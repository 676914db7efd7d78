// performance.h -- activation functions of the Performance camera's servers.
#pragma once

#include "module/lwhost.h"

namespace PerformanceCam {
int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData);
int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData);
} // namespace PerformanceCam
