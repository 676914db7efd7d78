// cylinder.h -- the Cylinder camera's panel ids (what the host's
// panel calls its controls) and its servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace CylinderCam {
// Panel ids.
enum : unsigned int { ID_ZOOM = 0x8000, ID_VERSION, ID_LOGO = 0x8005, ID_LENGTH, ID_SIZE, ID_ANGLE_MAX,
    ID_ANGLE_MIN };

extern const lentara::CameraServers kServers;
} // namespace CylinderCam
