// module.cpp -- the Vantor_Lentara module entry: descriptor, startup and
// shutdown, and the server table.
#include <cstdlib>

#include "framework/services.h"
#include "module/lwhost.h"
#include "module/servers.h"

namespace {

const char kNotice[] = "Vantor Lentara camera collection v1.5";

void *Startup() {
    auto *data = static_cast<lentara::ModuleData *>(std::calloc(1, sizeof(lentara::ModuleData)));
    if (data) data->notice = kNotice;
    return data;
}

void Shutdown(void *serverData) {
    if (serverData) std::free(serverData);
}

#define LENTARA_USER_NAME(list, text)                                                                        \
    ServerTagInfo list[] = {{text, SRVTAG_USERNAME | LANGID_USENGLISH},                                      \
                            {text, SRVTAG_USERNAME | LANGID_UKENGLISH},                                      \
                            {nullptr, 0}}

LENTARA_USER_NAME(_tagInfo1, "Vantor Dual Camera");
LENTARA_USER_NAME(_tagInfo2, "Vantor 4Up Camera");
LENTARA_USER_NAME(_tagInfo3, "Vantor 12Up Camera");
LENTARA_USER_NAME(_tagInfo4, "Vantor Stereo Camera");
LENTARA_USER_NAME(_tagInfo5, "Vantor Skybox Camera");
LENTARA_USER_NAME(_tagInfo6, "Vantor Panoramic Camera");
LENTARA_USER_NAME(_tagInfo7, "Vantor Cylinder Camera");
LENTARA_USER_NAME(_tagInfo8, "Vantor Perspective");
LENTARA_USER_NAME(_tagInfo9, "Vantor Fisheye Camera");
LENTARA_USER_NAME(_tagInfo10, "Vantor No DoF");
LENTARA_USER_NAME(_tagInfo11, "Vantor No DoF No MB");
LENTARA_USER_NAME(_tagInfo12, "Vantor SuperPano Camera");
LENTARA_USER_NAME(_tagInfo18, "Vantor Overscan Camera");

// Three servers per camera type, one name: handler, interface, gizmo.
#define LENTARA_SERVERS(ns, name, tags)                                                                      \
    {LWCAMERA_HCLASS, name, ns::CameraHandler, tags}, {LWCAMERA_ICLASS, name, ns::CameraInterface, tags},    \
        {LWCAMERA_GCLASS, name, ns::CameraGizmo, tags}

// The same for a type whose handler activation has its own name (the
// Perspective family shares one interface and gizmo among three handlers).
#define LENTARA_SERVERS_H(ns, handler, name, tags)                                                           \
    {LWCAMERA_HCLASS, name, ns::handler, tags}, {LWCAMERA_ICLASS, name, ns::CameraInterface, tags},          \
        {LWCAMERA_GCLASS, name, ns::CameraGizmo, tags}

ServerRecord _ServerDesc[] = {
    LENTARA_SERVERS(MultiCam, "VantorMultiCam", _tagInfo1),
    LENTARA_SERVERS(FourUpCam, "Vantor4UpCam", _tagInfo2),
    LENTARA_SERVERS(TwelveUpCam, "Vantor12UpCam", _tagInfo3),
    LENTARA_SERVERS(StereoCam, "VantorStereoCam", _tagInfo4),
    LENTARA_SERVERS(SkyboxCam, "VantorSkyboxCam", _tagInfo5),
    LENTARA_SERVERS(PanoramicCam, "VantorPanoramicCam", _tagInfo6),
    LENTARA_SERVERS(CylinderCam, "VantorCylinderCam", _tagInfo7),
    LENTARA_SERVERS_H(PerspectiveCam, CameraHandler_DOF_MB, "VantorPerspectiveCam", _tagInfo8),
    LENTARA_SERVERS(FisheyeCam, "VantorFisheyeCam", _tagInfo9),
    LENTARA_SERVERS_H(PerspectiveCam, CameraHandler_NoDOF_MB, "VantorPerspectiveNoDOFCam", _tagInfo10),
    LENTARA_SERVERS_H(PerspectiveCam, CameraHandler_NoDOF_NoMB, "VantorPerspectiveNoDOFNoMBCam", _tagInfo11),
    LENTARA_SERVERS(AdvPanCam, "VantorAdvPanCam", _tagInfo12),
    LENTARA_SERVERS(OverscanCam, "VantorOverscanCam", _tagInfo18),
    {nullptr, nullptr, nullptr, nullptr},
};

} // namespace

extern "C" {
#if defined(_WIN32)
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
ModuleDescriptor _mod_descrip = {
    MOD_SYSSYNC, MOD_SYSVER,
#if defined(_WIN32)
    MOD_MACHINE_WIN,
#elif defined(__APPLE__)
    MOD_MACHINE_MAC,
#else
    MOD_MACHINE_UNIX,
#endif
    Startup, Shutdown, _ServerDesc,
};
}
