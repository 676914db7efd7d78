// camera_servers.h -- the activation functions of one camera type's servers,
// as a camera folder hands them to its module's list.
#pragma once

#include "module/lwhost.h"

namespace lentara {

// The gizmo activation may be null: no gizmo server.
struct CameraServers {
    ActivateFunc *handler;
    ActivateFunc *ui; // the interface server
    ActivateFunc *gizmo;
};

} // namespace lentara
