#include "tests/support/camera_types.h"

namespace testsupport {

const std::vector<ModuleFile> &CameraModules() {
    static const std::vector<ModuleFile> modules = {
#include "camera_modules.inc"
    };
    return modules;
}

std::string ModulePath(const std::string &target) {
    for (const ModuleFile &m : CameraModules())
        if (m.target == target) return m.path;
    ADD_FAILURE() << target << " is not in the list of camera modules";
    return {};
}

std::vector<std::string> HandlerServers(const standin::Module &module) { return module.names(LWCAMERA_HCLASS); }

const std::vector<CameraType> &AllCameraTypes() {
    static const std::vector<CameraType> types = [] {
        // Reading a table needs no host; a host made here would take the
        // place of the caller's.
        std::vector<CameraType> out;
        for (const ModuleFile &m : CameraModules()) {
            standin::Module module(m.path);
            if (!module.ok()) {
                ADD_FAILURE() << m.target << " (" << m.path << ") does not load: " << module.error();
                continue;
            }
            for (const std::string &server : HandlerServers(module)) out.push_back({m.target, m.path, server});
        }
        return out;
    }();
    return types;
}

bool IsCameraChoice(standin::Host &host, LWXPanelID panel, unsigned int cid) {
    if (host.panels().popupCount(panel, cid) < 1) return false;
    return host.panels().popupName(panel, cid, 0) == "(none)";
}

} // namespace testsupport
