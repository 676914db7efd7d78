// panoramic.h -- the Panoramic camera's servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace PanoramicCam {
extern const lentara::CameraServers kServers;
} // namespace PanoramicCam
