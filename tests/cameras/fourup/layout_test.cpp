// The 4Up camera's layout on its own: which quarter a film point falls in
// and where it lands on that quarter's camera film.
#include <gtest/gtest.h>

#include "cameras/fourup/layout.h"
#include "tests/support/tile_point.h"

namespace {

using namespace testsupport;

TEST(FourUpGrid, QuartersFromTheBottomLeft) {
    const auto &g = FourUpCam::kLayout;
    ExpectPoint(LocateTile(g, 0, 0, W, H), 0, 0.25 * W, 0.25 * H); // centre: tile 1-1
    ExpectPoint(LocateTile(g, -W / 2, -H / 2, W, H), 0, -W / 2 + 0.25 * W, -H / 2 + 0.25 * H);
    ExpectPoint(LocateTile(g, W / 2, H / 2, W, H), 3, W / 2 - 0.25 * W, H / 2 - 0.25 * H);
    EXPECT_EQ(LocateTile(g, 0.01, -0.01, W, H).tile, 1); // bottom right
    EXPECT_EQ(LocateTile(g, -0.01, 0.01, W, H).tile, 2); // top left
    // Tile 1-1 is at the bottom (negative y), not the top.
    EXPECT_EQ(LocateTile(g, -0.01, -0.01, W, H).tile, 0);
    EXPECT_DOUBLE_EQ(LocateTile(g, W / 2, H / 2, W, H).fpx, W / 4);
    EXPECT_DOUBLE_EQ(LocateTile(g, -W / 2, -H / 2, W, H).fpy, -H / 4);
}

} // namespace
