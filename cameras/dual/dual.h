// dual.h -- the Dual camera's servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace MultiCam {
extern const lentara::CameraServers kServers;
} // namespace MultiCam
