// dome.h -- the Dome camera's servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace DomeCam {
extern const lentara::CameraServers kServers;
} // namespace DomeCam
