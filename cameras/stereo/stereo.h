// stereo.h -- the Stereo camera's panel ids (what the host's
// panel calls its controls) and its servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace StereoCam {
// Panel ids.
enum : unsigned int { ID_ZOOM = 0x8001, ID_CONVERGENCE_ITEM, ID_SHOW_PLANE, ID_EYE_SEPARATION, ID_CONVERGENCE_LIMIT,
    ID_HSCALE, ID_HSHIFT, ID_VERSION, ID_LOGO = 0x800c };

extern const lentara::CameraServers kServers;
} // namespace StereoCam
