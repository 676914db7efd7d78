// dome.h -- the Dome camera's panel ids (what the host's panel calls its
// controls) and its servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace DomeCam {
// Panel ids.
enum : unsigned int { ID_LOGO = 0x8000, ID_VERSION, ID_FOV, ID_TILT, ID_LENS, ID_FIT };

extern const lentara::CameraServers kServers;
} // namespace DomeCam
