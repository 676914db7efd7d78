// sphericalstereo.h -- the Spherical Stereo camera's panel ids (what the
// host's panel calls its controls) and its servers, for its row in the
// module's list.
#pragma once

#include "framework/camera_servers.h"

namespace SphericalStereoCam {
// Panel ids.
enum : unsigned int {
    ID_LOGO = 0x8000,
    ID_VERSION,
    ID_HFOV,
    ID_VFOV,
    ID_EYE_SEPARATION,
    ID_MERGE_FROM,
    ID_MERGE_TO,
    ID_CONVERGENCE,
    ID_LAYOUT,
};

extern const lentara::CameraServers kServers;
} // namespace SphericalStereoCam
