// fisheye.h -- the Fisheye camera's servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace FisheyeCam {
extern const lentara::CameraServers kServers;
} // namespace FisheyeCam
