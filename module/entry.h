// entry.h -- what a plug-in module file lists: its notice text and its
// camera types, one row each. module/entry.cpp, compiled into every module
// file, builds the descriptor, the server table and the user-name lists
// from it.
#pragma once

#include <cstddef>

#include "framework/handler.h"
#include "module/lwhost.h"

namespace lentara {

constexpr int kMaxModuleTypes = 32;

// One camera type: its servers (handler, interface and, when the type has
// one, gizmo) under one server name, with the user name in US and UK English.
struct CameraTypeRow {
    const char *serverName;
    const char *userName;
    const CameraServers &servers;
};

struct ModuleList {
    const char *notice; // the text the module data block's first word points to
    const CameraTypeRow *types;
    int typeCount;
};

template <std::size_t N>
constexpr ModuleList MakeModuleList(const char *notice, const CameraTypeRow (&types)[N]) {
    static_assert(N <= kMaxModuleTypes, "more camera types than the server table holds");
    return {notice, types, static_cast<int>(N)};
}

// Defined once in each module file's list.
extern const ModuleList kModule;

} // namespace lentara
