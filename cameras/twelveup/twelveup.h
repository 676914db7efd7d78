// twelveup.h -- the 12Up camera's servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace TwelveUpCam {
extern const lentara::CameraServers kServers;
} // namespace TwelveUpCam
