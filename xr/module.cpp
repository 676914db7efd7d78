// module.cpp -- the Vantor_LentaraXR module entry: descriptor, startup and
// shutdown, and the server table of the immersive camera types.
#include <cstdlib>

#include "cameras/cubemap/cubemap.h"
#include "cameras/dome/dome.h"
#include "framework/services.h"
#include "module/lwhost.h"

namespace {

const char kNotice[] = "Vantor Lentara XR immersive cameras v2.0";

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

LENTARA_USER_NAME(_tagInfo1, "Vantor Dome Camera");
LENTARA_USER_NAME(_tagInfo2, "Vantor Cubemap Camera");

#define LENTARA_SERVERS(ns, name, tags)                                                                      \
    {LWCAMERA_HCLASS, name, ns::CameraHandler, tags}, {LWCAMERA_ICLASS, name, ns::CameraInterface, tags},    \
        {LWCAMERA_GCLASS, name, ns::CameraGizmo, tags}

ServerRecord _ServerDesc[] = {
    LENTARA_SERVERS(DomeCam, "VantorDomeCam", _tagInfo1),
    LENTARA_SERVERS(CubemapCam, "VantorCubemapCam", _tagInfo2),
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
