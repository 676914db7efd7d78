// module.cpp -- the timing_camera module entry: descriptor, startup and
// shutdown, and its two servers.
#include <cstdlib>

#include "framework/services.h"
#include "module/lwhost.h"
#include "timing/performance.h"

namespace {

const char kNotice[] = "Vantor Lentara timing camera v0.8";

void *Startup() {
    auto *data = static_cast<lentara::ModuleData *>(std::calloc(1, sizeof(lentara::ModuleData)));
    if (data) data->notice = kNotice;
    return data;
}

void Shutdown(void *serverData) {
    if (serverData) std::free(serverData);
}

ServerTagInfo _tagInfo[] = {
    {"Performance Camera", SRVTAG_USERNAME | LANGID_USENGLISH},
    {"Performance Camera", SRVTAG_USERNAME | LANGID_UKENGLISH},
    {nullptr, 0},
};

// No gizmo server: the camera draws nothing in the viewport.
ServerRecord _ServerDesc[] = {
    {LWCAMERA_HCLASS, "PerformanceCamera", PerformanceCam::CameraHandler, _tagInfo},
    {LWCAMERA_ICLASS, "PerformanceCamera", PerformanceCam::CameraInterface, _tagInfo},
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
