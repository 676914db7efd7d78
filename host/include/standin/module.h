// Loading a plug-in module file the way the host does: open the shared
// library, find `_mod_descrip`, check it, run startup, read the server table;
// on destruction run shutdown with the startup result and close the library.
// Loading the same file twice shares one startup/shutdown.
#ifndef STANDIN_MODULE_H
#define STANDIN_MODULE_H

#include "module/lwhost.h"

#include <string>
#include <utility>
#include <vector>

namespace standin {

struct ServerInfo {
    std::string className;
    std::string name;
    ActivateFunc *activate = nullptr;
    std::vector<std::pair<unsigned int, std::string>> tags;  // (tag, text)
    // Text of the tag with the given code, or empty.
    std::string tag(unsigned int code) const;
    // US-English user name, else UK-English, else the server name.
    std::string userName() const;
};

class Module {
public:
    explicit Module(const std::string &path);
    ~Module();
    Module(const Module &) = delete;
    Module &operator=(const Module &) = delete;

    bool ok() const { return serverData_ != nullptr; }
    const std::string &error() const { return error_; }
    const std::string &path() const { return path_; }
    unsigned int sysMachine() const { return sysMachine_; }
    void *serverData() const { return serverData_; }
    const ModuleDescriptor *descriptor() const { return desc_; }

    const std::vector<ServerInfo> &servers() const { return servers_; }
    const ServerInfo *find(const std::string &className, const std::string &name) const;
    std::vector<std::string> names(const std::string &className) const;

    // One activation call with the given version, the host's global function
    // and the module's server data.  -1 when the server does not exist.
    int activate(const std::string &className, const std::string &name, int version, void *local) const;

    // Negotiated activations.  `version` receives the version that was
    // accepted (or the last one offered); `offered` lists every version tried.
    int activateHandler(const std::string &name, LWCameraHandler *local, int *version = nullptr,
                        std::vector<int> *offered = nullptr) const;
    int activateInterface(const std::string &name, LWInterface *local, int *version = nullptr,
                          std::vector<int> *offered = nullptr) const;
    int activateGizmo(const std::string &name, LWGizmo *local, int *version = nullptr,
                      std::vector<int> *offered = nullptr) const;
    // Generic forms: from `high` down to `low`, or from `low` up to `high`,
    // while the result is AFUNC_BADVERSION.
    int activateDown(const std::string &className, const std::string &name, int high, int low, void *local,
                     int *version, std::vector<int> *offered) const;
    int activateUp(const std::string &className, const std::string &name, int low, int high, void *local,
                   int *version, std::vector<int> *offered) const;

private:
    std::string path_;
    std::string error_;
    void *handle_ = nullptr;
    const ModuleDescriptor *desc_ = nullptr;
    unsigned int sysMachine_ = 0;
    void *serverData_ = nullptr;
    std::vector<ServerInfo> servers_;
};

}  // namespace standin

#endif
