// The camera types under test, read from the server tables of the built
// module files (listed once, in tests/support/camera_modules.cmake), and data
// kept per type that fails clearly for a type it lacks.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "standin/host.h"

namespace testsupport {

struct ModuleFile {
    std::string target; // the CMake target, e.g. "Vantor_Lentara"
    std::string path;   // the built file
};

// Every module of camera types, in list order.
const std::vector<ModuleFile> &CameraModules();

// The built file of a listed module, by target name; empty, with a failure,
// for a target the list does not hold.
std::string ModulePath(const std::string &target);

struct CameraType {
    std::string module; // target of the module that holds it
    std::string path;   // that module's file
    std::string server; // handler server name
};
inline void PrintTo(const CameraType &t, std::ostream *os) { *os << t.server; }

// The handler servers of a loaded module, in table order.
std::vector<std::string> HandlerServers(const standin::Module &module);

// Every camera type of every listed module, in list and table order. A
// module that does not load adds a failure and no types.
const std::vector<CameraType> &AllCameraTypes();

// The entry kept for a server in data keyed by server name, or null with a
// failure that names the server and the data to extend.
template <class T>
const T *DataFor(const std::map<std::string, T> &data, const std::string &server, const char *what) {
    auto it = data.find(server);
    if (it != data.end()) return &it->second;
    ADD_FAILURE() << "camera type " << server << " has no entry in " << what
                  << ": a new type needs its row there";
    return nullptr;
}

// A popup whose first entry is "(none)": the choice of a scene camera.
bool IsCameraChoice(standin::Host &host, LWXPanelID panel, unsigned int cid);

} // namespace testsupport
