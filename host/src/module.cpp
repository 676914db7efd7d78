#include "standin/module.h"

#include "standin/host.h"

#include <cstdio>
#include <map>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace standin {

namespace {

void *openLibrary(const std::string &path, std::string &error) {
#ifdef _WIN32
    HMODULE h = LoadLibraryA(path.c_str());
    if (!h) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "LoadLibrary failed (error %lu)", static_cast<unsigned long>(GetLastError()));
        error = buf;
    }
    return reinterpret_cast<void *>(h);
#else
    dlerror();
    void *h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char *msg = dlerror();
        error = msg ? msg : "dlopen failed";
    }
    return h;
#endif
}

void *findSymbol(void *handle, const char *name) {
#ifdef _WIN32
    return reinterpret_cast<void *>(GetProcAddress(reinterpret_cast<HMODULE>(handle), name));
#else
    return dlsym(handle, name);
#endif
}

void closeLibrary(void *handle) {
#ifdef _WIN32
    FreeLibrary(reinterpret_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
}

// Startup runs when a library is first loaded and shutdown when its last
// user lets go, as the host does for a module file.
struct Loaded {
    int users = 0;
    void *serverData = nullptr;
};
std::mutex gLoadedMutex;
std::map<void *, Loaded> gLoaded;

}  // namespace

std::string ServerInfo::tag(unsigned int code) const {
    for (const auto &t : tags)
        if (t.first == code) return t.second;
    return std::string();
}

std::string ServerInfo::userName() const {
    std::string n = tag(SRVTAG_USERNAME | LANGID_USENGLISH);
    if (n.empty()) n = tag(SRVTAG_USERNAME | LANGID_UKENGLISH);
    return n.empty() ? name : n;
}

Module::Module(const std::string &path) : path_(path) {
    handle_ = openLibrary(path, error_);
    if (!handle_) {
        error_ = "cannot load module " + path + ": " + error_;
        return;
    }
    desc_ = static_cast<const ModuleDescriptor *>(findSymbol(handle_, "_mod_descrip"));
    char buf[160];
    if (!desc_) {
        error_ = "module " + path + " has no _mod_descrip symbol";
    } else if (desc_->sysSync != MOD_SYSSYNC) {
        std::snprintf(buf, sizeof buf, "bad module synchronisation value 0x%08X (expected 0x%08X)", desc_->sysSync,
                      MOD_SYSSYNC);
        error_ = buf;
    } else if (desc_->sysVersion != MOD_SYSVER) {
        std::snprintf(buf, sizeof buf, "unsupported module descriptor version %u (expected %u)", desc_->sysVersion,
                      MOD_SYSVER);
        error_ = buf;
    } else if (!desc_->startup) {
        error_ = "module has no startup function";
    } else {
        sysMachine_ = desc_->sysMachine;
        std::lock_guard<std::mutex> lock(gLoadedMutex);
        Loaded &l = gLoaded[handle_];
        if (l.users == 0) l.serverData = desc_->startup();
        if (!l.serverData) {
            gLoaded.erase(handle_);
            error_ = "module startup failed";
        } else {
            ++l.users;
            serverData_ = l.serverData;
        }
    }
    if (!serverData_) {
        closeLibrary(handle_);
        handle_ = nullptr;
        desc_ = nullptr;
        return;
    }
    for (const ServerRecord *r = desc_->serverDefs; r && r->className; ++r) {
        ServerInfo info;
        info.className = r->className;
        info.name = r->name ? r->name : "";
        info.activate = r->activate;
        // The list ends at the first entry with tag code 0, whatever its text
        // (the SDK's own examples end theirs with an empty string).
        for (const ServerTagInfo *t = r->tagInfo; t && t->tag != 0; ++t)
            info.tags.emplace_back(t->tag, t->string ? t->string : "");
        servers_.push_back(std::move(info));
    }
}

Module::~Module() {
    if (!handle_) return;
    if (Host *host = Host::current()) host->releaseModule(*this);
    {
        std::lock_guard<std::mutex> lock(gLoadedMutex);
        auto it = gLoaded.find(handle_);
        if (it != gLoaded.end() && --it->second.users == 0) {
            if (desc_->shutdown) desc_->shutdown(it->second.serverData);
            gLoaded.erase(it);
        }
    }
    closeLibrary(handle_);
}

const ServerInfo *Module::find(const std::string &className, const std::string &name) const {
    for (const auto &s : servers_)
        if (s.className == className && s.name == name) return &s;
    return nullptr;
}

std::vector<std::string> Module::names(const std::string &className) const {
    std::vector<std::string> out;
    for (const auto &s : servers_)
        if (s.className == className) out.push_back(s.name);
    return out;
}

int Module::activate(const std::string &className, const std::string &name, int version, void *local) const {
    const ServerInfo *s = find(className, name);
    if (!s || !s->activate || !ok()) return -1;
    return s->activate(version, Host::globalFunc(), local, serverData_);
}

int Module::activateDown(const std::string &className, const std::string &name, int high, int low, void *local,
                         int *version, std::vector<int> *offered) const {
    int result = -1;
    for (int v = high; v >= low; --v) {
        if (offered) offered->push_back(v);
        if (version) *version = v;
        result = activate(className, name, v, local);
        if (result != AFUNC_BADVERSION) break;
    }
    return result;
}

int Module::activateUp(const std::string &className, const std::string &name, int low, int high, void *local,
                       int *version, std::vector<int> *offered) const {
    int result = -1;
    for (int v = low; v <= high; ++v) {
        if (offered) offered->push_back(v);
        if (version) *version = v;
        result = activate(className, name, v, local);
        if (result != AFUNC_BADVERSION) break;
    }
    return result;
}

int Module::activateHandler(const std::string &name, LWCameraHandler *local, int *version,
                            std::vector<int> *offered) const {
    return activateDown(LWCAMERA_HCLASS, name, LWCAMERA_VERSION, 1, local, version, offered);
}

int Module::activateInterface(const std::string &name, LWInterface *local, int *version,
                              std::vector<int> *offered) const {
    return activateUp(LWCAMERA_ICLASS, name, 1, LWINTERFACE_VERSION, local, version, offered);
}

int Module::activateGizmo(const std::string &name, LWGizmo *local, int *version, std::vector<int> *offered) const {
    return activateDown(LWCAMERA_GCLASS, name, 3, 1, local, version, offered);
}

}  // namespace standin
