// superpano.h -- the SuperPano camera's panel ids (what the host's
// panel calls its controls) and its servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace AdvPanCam {
// Panel ids.
enum : unsigned int { ID_ZOOM = 0x8000, ID_VERSION, ID_LOGO = 0x8005, ID_HFOV, ID_VFOV_MAX, ID_VFOV_MIN,
    ID_VSCALE_POS, ID_HSCALE_POS, ID_VSCALE_NEG, ID_HSCALE_NEG, ID_VSHIFT, ID_HSHIFT };

extern const lentara::CameraServers kServers;
} // namespace AdvPanCam
