// performance.h -- the Performance camera's servers: its row in the timing
// module's list, and the two activation functions on their own.
#pragma once

#include "framework/camera_servers.h"

namespace PerformanceCam {
extern const lentara::CameraServers kServers;
int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData);
int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData);
} // namespace PerformanceCam
