// performance.h -- the Performance camera's servers: its row in the timing
// module's list, and the two activation functions on their own.
#pragma once

#include "framework/camera_servers.h"

namespace PerformanceCam {
// Panel ids.
enum : unsigned int { ID_LOGO = 0x8000, ID_VERSION = 0x8002, ID_CAMERA = 0x8006, ID_NUMCALLS, ID_TOTALTIME,
    ID_AVERAGETIME };

extern const lentara::CameraServers kServers;
int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData);
int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData);
} // namespace PerformanceCam
