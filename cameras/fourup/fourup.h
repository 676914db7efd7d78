// fourup.h -- the 4Up camera's panel ids (what the host's
// panel calls its controls) and its servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace FourUpCam {
// Panel ids.
enum : unsigned int { ID_LOGO = 0x8000, ID_VERSION = 0x8002, ID_CAM_1_1 = 0x8006, ID_CAM_1_2, ID_CAM_2_1, ID_CAM_2_2 };

extern const lentara::CameraServers kServers;
} // namespace FourUpCam
