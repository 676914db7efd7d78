// cubemap.h -- the Cubemap camera's servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace CubemapCam {
extern const lentara::CameraServers kServers;
} // namespace CubemapCam
