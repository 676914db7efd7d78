// cubemap.h -- the Cubemap camera's panel ids (what the host's panel calls its
// controls) and its servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace CubemapCam {
// Panel ids.
enum : unsigned int { ID_LOGO = 0x8000, ID_VERSION, ID_OVERLAP, ID_LAYOUT, ID_ORDER };

extern const lentara::CameraServers kServers;
} // namespace CubemapCam
