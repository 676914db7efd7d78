// perspective.h -- the Perspective family's servers, for their rows in the
// module's list: three handlers (with depth of field, without, without depth
// of field and motion blur) sharing one interface and one gizmo.
#pragma once

#include "framework/camera_servers.h"

namespace PerspectiveCam {
// Panel ids.
enum : unsigned int { ID_ZOOM = 0x8000, ID_VERSION, ID_LOGO = 0x8005 };

extern const lentara::CameraServers kServers_DOF_MB;
extern const lentara::CameraServers kServers_NoDOF_MB;
extern const lentara::CameraServers kServers_NoDOF_NoMB;
} // namespace PerspectiveCam
