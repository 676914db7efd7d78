// skybox.h -- the Skybox camera's panel ids (what the host's
// panel calls its controls) and its servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace SkyboxCam {
// Panel ids.
enum : unsigned int { ID_LOGO = 0x8000, ID_VERSION = 0x8002, ID_TYPE = 0x8006, ID_DIAGRAM = 0x8012 };

extern const lentara::CameraServers kServers;
} // namespace SkyboxCam
