// panoramic.h -- the Panoramic camera's panel ids (what the host's
// panel calls its controls) and its servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace PanoramicCam {
// Panel ids.
enum : unsigned int { ID_ZOOM = 0x8000, ID_VERSION, ID_LOGO = 0x8005, ID_HFOV, ID_VFOV_MAX, ID_VFOV_MIN };

extern const lentara::CameraServers kServers;
} // namespace PanoramicCam
