// Checks of where a grid camera's layout sends a film point.
#pragma once

#include <gtest/gtest.h>

#include "composite/grid.h"

namespace testsupport {

// The stand-in host's default film, 36 x 24 mm.
inline constexpr double kFilmW = 0.036, kFilmH = 0.024;

// The tile and the point on that tile camera's film, exactly.
inline void ExpectPoint(const lentara::GridPoint &p, int tile, double fx, double fy) {
    EXPECT_EQ(p.tile, tile);
    EXPECT_EQ(p.fpx, fx);
    EXPECT_EQ(p.fpy, fy);
}

} // namespace testsupport
