// overscan.h -- the Overscan camera's servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace OverscanCam {
extern const lentara::CameraServers kServers;
} // namespace OverscanCam
