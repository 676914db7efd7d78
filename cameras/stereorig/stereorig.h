// stereorig.h -- the Stereo Rig camera's servers, for its row in the module's list.
#pragma once

#include "framework/camera_servers.h"

namespace StereoRigCam {
extern const lentara::CameraServers kServers;
} // namespace StereoRigCam
