// superpano.h -- the SuperPano camera's servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace AdvPanCam {
extern const lentara::CameraServers kServers;
} // namespace AdvPanCam
