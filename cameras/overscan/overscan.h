// overscan.h -- the Overscan camera's panel ids (what the host's
// panel calls its controls) and its servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace OverscanCam {
// Panel ids.
enum : unsigned int { ID_VERSION = 0x8001, ID_LOGO = 0x8005, ID_OVERSCAN, ID_CAMERA, ID_VJITTER, ID_HJITTER,
    ID_CAMERA_RES, ID_OVERSCAN_RES };

extern const lentara::CameraServers kServers;
} // namespace OverscanCam
