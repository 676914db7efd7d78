// fourup.h -- the 4Up camera's servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace FourUpCam {
extern const lentara::CameraServers kServers;
} // namespace FourUpCam
