// sphericalstereo.h -- the Spherical Stereo camera's servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace SphericalStereoCam {
extern const lentara::CameraServers kServers;
} // namespace SphericalStereoCam
