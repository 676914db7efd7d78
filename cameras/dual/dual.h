// dual.h -- the Dual camera's panel ids (what the host's
// panel calls its controls) and its servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace MultiCam {
// Panel ids.
enum : unsigned int { ID_LOGO = 0x8000, ID_VERSION = 0x8002, ID_LEFT = 0x8006, ID_RIGHT };

extern const lentara::CameraServers kServers;
} // namespace MultiCam
