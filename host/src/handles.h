// handles.h -- the IDs the stand-in host hands plug-ins for envelopes, panels
// and evaluators. They are numbers from one counter, never given out twice,
// not addresses: the record of a destroyed object can be freed at once, and
// its ID still names nothing afterwards (a new object never takes it over).
#pragma once

#include <atomic>
#include <cstdint>

namespace standin {

inline std::uintptr_t NewHandle() {
    static std::atomic<std::uintptr_t> last{0};
    // Multiples of 16, so an ID looks like any aligned pointer to a plug-in.
    return (last.fetch_add(1, std::memory_order_relaxed) + 1) << 4;
}

template <class Id>
Id HandleId(std::uintptr_t handle) {
    return reinterpret_cast<Id>(handle);
}

inline std::uintptr_t HandleOf(const void *id) { return reinterpret_cast<std::uintptr_t>(id); }

}  // namespace standin
