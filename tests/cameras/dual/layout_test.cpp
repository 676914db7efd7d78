// The Dual camera's layout on its own: which half a film point falls in and
// where it lands on that half's camera film.
#include <gtest/gtest.h>

#include "cameras/dual/layout.h"
#include "tests/support/tile_point.h"

namespace {

using namespace testsupport;

TEST(DualGrid, HalvesAndTheirShifts) {
    const auto &g = MultiCam::kLayout;
    ExpectPoint(LocateTile(g, 0.0, 0.003, W, H), 0, 0.25 * W, 0.003); // the centre goes left
    ExpectPoint(LocateTile(g, -W / 2, -H / 2, W, H), 0, -W / 2 + 0.25 * W, -H / 2);
    ExpectPoint(LocateTile(g, W / 2, H / 2, W, H), 1, W / 2 - 0.25 * W, H / 2);
    EXPECT_DOUBLE_EQ(LocateTile(g, -W / 2, 0, W, H).fpx, -W / 4);
    EXPECT_DOUBLE_EQ(LocateTile(g, W / 2, 0, W, H).fpx, W / 4);
    // The smallest positive film x already belongs to the right half.
    EXPECT_EQ(LocateTile(g, 5e-324, 0, W, H).tile, 1);
    // Beyond the film edge a point stays with its side, shifted the same way.
    ExpectPoint(LocateTile(g, -W, 0, W, H), 0, -W + 0.25 * W, 0);
    ExpectPoint(LocateTile(g, 2 * W, 0, W, H), 1, 2 * W - 0.25 * W, 0);
    // The film height is not read: film y passes through for any height.
    EXPECT_EQ(LocateTile(g, 0.001, 123.0, W, 0.0).fpy, 123.0);
}

} // namespace
