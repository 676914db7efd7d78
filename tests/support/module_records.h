// The records a host hands a module: the handler record an activation fills
// in, and the descriptor a module file exports.
#pragma once

#include <gtest/gtest.h>

#include "standin/host.h"

namespace testsupport {

// A handler record with its sub-records, as the host hands one to an
// activation (the record points into itself, so it is not copied).
struct HandlerRecord {
    LWInstanceFuncs inst{};
    LWItemFuncs item{};
    LWRenderFuncs rend{};
    LWCameraHandler h{&inst, &item, &rend, nullptr, nullptr, nullptr, nullptr};
    HandlerRecord() = default;
    HandlerRecord(const HandlerRecord &) = delete;
    HandlerRecord &operator=(const HandlerRecord &) = delete;
};

// The descriptor's sync word, version and the machine type of the platform
// built for.
inline void ExpectDescriptorHeader(const ModuleDescriptor *d) {
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->sysSync, 0x04121994u);
    EXPECT_EQ(d->sysVersion, 3u);
#if defined(_WIN32)
    EXPECT_EQ(d->sysMachine, 0x300u);
#elif defined(__APPLE__)
    EXPECT_EQ(d->sysMachine, 0x400u);
#else
    EXPECT_EQ(d->sysMachine, 0x200u);
#endif
}

} // namespace testsupport
