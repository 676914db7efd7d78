// stereorig.h -- the Stereo Rig camera's panel ids (what the host's panel
// calls its controls) and its servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace StereoRigCam {
// Panel ids.
enum : unsigned int { ID_LOGO = 0x8000, ID_VERSION, ID_ZOOM, ID_EYE_SEPARATION, ID_CONVERGENCE, ID_MODE, ID_LAYOUT };

extern const lentara::CameraServers kServers;
} // namespace StereoRigCam
