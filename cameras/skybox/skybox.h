// skybox.h -- the Skybox camera's servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace SkyboxCam {
extern const lentara::CameraServers kServers;
} // namespace SkyboxCam
