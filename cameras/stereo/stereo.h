// stereo.h -- the Stereo camera's servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace StereoCam {
extern const lentara::CameraServers kServers;
} // namespace StereoCam
