// cylinder.h -- the Cylinder camera's servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace CylinderCam {
extern const lentara::CameraServers kServers;
} // namespace CylinderCam
