// fisheye.h -- the Fisheye camera's panel ids (what the host's
// panel calls its controls) and its servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace FisheyeCam {
// Panel ids.
enum : unsigned int { ID_ZOOM = 0x8000, ID_POWER, ID_SCALE, ID_VERSION, ID_LOGO = 0x8007, ID_PREVIEW, ID_GRIDTYPE,
    ID_AUTOSCALE, ID_PARALLEL };

extern const lentara::CameraServers kServers;
} // namespace FisheyeCam
