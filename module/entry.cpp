// entry.cpp -- the module entry every plug-in module file shares: the
// exported descriptor, startup and shutdown, and the server table built from
// the module's list of camera types (kModule).
#include <cstdlib>

#include "framework/services.h"
#include "module/entry.h"

namespace {

using lentara::kModule;

void *Startup() {
    auto *data = static_cast<lentara::ModuleData *>(std::calloc(1, sizeof(lentara::ModuleData)));
    if (data) data->notice = kModule.notice;
    return data;
}

void Shutdown(void *serverData) {
    if (serverData) std::free(serverData);
}

// Each type's user name, then the end of its list.
ServerTagInfo _tagInfo[lentara::kMaxModuleTypes][3];
// Three servers per camera type under one name (two for a type without a
// gizmo), in the list's order, then the end of the table.
ServerRecord _ServerDesc[3 * lentara::kMaxModuleTypes + 1];

bool FillServerTable() {
    int n = 0;
    for (int i = 0; i < kModule.typeCount && i < lentara::kMaxModuleTypes; ++i) {
        const lentara::CameraTypeRow &t = kModule.types[i];
        ServerTagInfo *tags = _tagInfo[i];
        tags[0] = {t.userName, SRVTAG_USERNAME | LANGID_USENGLISH};
        tags[1] = {t.userName, SRVTAG_USERNAME | LANGID_UKENGLISH};
        tags[2] = {nullptr, 0};
        _ServerDesc[n++] = {LWCAMERA_HCLASS, t.serverName, t.servers.handler, tags};
        _ServerDesc[n++] = {LWCAMERA_ICLASS, t.serverName, t.servers.ui, tags};
        if (t.servers.gizmo) _ServerDesc[n++] = {LWCAMERA_GCLASS, t.serverName, t.servers.gizmo, tags};
    }
    _ServerDesc[n] = {nullptr, nullptr, nullptr, nullptr};
    return true;
}

// Filled when the file is loaded, before the host reads the descriptor.
[[maybe_unused]] const bool serverTableFilled = FillServerTable();

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
