// twelveup.h -- the 12Up camera's panel ids (what the host's
// panel calls its controls) and its servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace TwelveUpCam {
// Panel ids; tile n's control is ID_CAM_FIRST + n, up to 0x8011.
enum : unsigned int { ID_LOGO = 0x8000, ID_VERSION = 0x8002, ID_CAM_FIRST = 0x8006 };

extern const lentara::CameraServers kServers;
} // namespace TwelveUpCam
