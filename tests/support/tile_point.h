// Checks of where a grid camera's layout sends a film point.
#pragma once

#include <gtest/gtest.h>

#include "composite/grid.h"
#include "tests/support/pose.h" // the film size

namespace testsupport {

using lentara::GridPoint;
using lentara::LocateTile;

// The tile and the point on that tile camera's film, exactly.
inline void ExpectPoint(const lentara::GridPoint &p, int tile, double fx, double fy) {
    EXPECT_EQ(p.tile, tile);
    EXPECT_EQ(p.fpx, fx);
    EXPECT_EQ(p.fpy, fy);
}

} // namespace testsupport
