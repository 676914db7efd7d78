// Broken module descriptors, one per build flag, for the loader's checks.
#include "module/lwhost.h"

#if defined(_WIN32)
#define BAD_EXPORT __declspec(dllexport)
#else
#define BAD_EXPORT __attribute__((visibility("default")))
#endif

namespace {
char gData;
void *goodStartup() { return &gData; }
void *failingStartup() { return nullptr; }
void noShutdown(void *) {}
ServerRecord kNone[] = {{nullptr, nullptr, nullptr, nullptr}};
}  // namespace

#ifndef BAD_NO_DESCRIPTOR
#if defined(BAD_SYNC)
#define SYNC 0x19941204u
#else
#define SYNC MOD_SYSSYNC
#endif
#if defined(BAD_VERSION)
#define VER 2u
#else
#define VER MOD_SYSVER
#endif
#if defined(BAD_STARTUP)
#define START failingStartup
#else
#define START goodStartup
#endif
extern "C" {
BAD_EXPORT ModuleDescriptor _mod_descrip = {SYNC, VER, MOD_MACHINE_UNIX, START, noShutdown, kNone};
}
#else
extern "C" {
BAD_EXPORT int not_a_descriptor = 1;
}
#endif

// Keeps the unused helpers referenced in every variant.
extern "C" {
BAD_EXPORT void *bad_module_refs[] = {reinterpret_cast<void *>(goodStartup), reinterpret_cast<void *>(failingStartup),
                                      reinterpret_cast<void *>(noShutdown), kNone};
}
