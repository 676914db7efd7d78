// The 12Up camera's layout on its own: which tile a film point falls in and
// where it lands on that tile camera's film.
#include <gtest/gtest.h>

#include <cmath>

#include "cameras/dual/layout.h" // the Dual, against which the 12Up differs
#include "cameras/twelveup/layout.h"
#include "tests/support/tile_point.h"

namespace {

using namespace testsupport;

TEST(TwelveUpGrid, TilesRowByRowFromTheBottomLeft) {
    const auto &g = TwelveUpCam::kLayout;
    const double third = H * (1.0 / 3.0);
    ExpectPoint(LocateTile(g, 0, 0, W, H), 5, W * 0.125, 0.0); // centre: tile 2-2
    ExpectPoint(LocateTile(g, -W / 2, -H / 2, W, H), 0, -W / 2 + W * 0.375, -H / 2 + third);
    ExpectPoint(LocateTile(g, W / 2, H / 2, W, H), 11, W / 2 + W * (-0.375), H / 2 + H * (-1.0 / 3.0));
    EXPECT_NEAR(LocateTile(g, -W / 2, -H / 2, W, H).fpx, -W / 8, 1e-15);
    EXPECT_NEAR(LocateTile(g, -W / 2, -H / 2, W, H).fpy, -H / 6, 1e-15);

    // Every tile's centre lands on its camera's film centre.
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) {
            const double x = -W / 2 + (c + 0.5) * W / 4, y = -H / 2 + (r + 0.5) * H / 3;
            const GridPoint p = LocateTile(g, x, y, W, H);
            EXPECT_EQ(p.tile, r * 4 + c);
            EXPECT_NEAR(p.fpx, 0.0, 1e-15);
            EXPECT_NEAR(p.fpy, 0.0, 1e-15);
        }
}

// The middle row of the 12Up adds +0 to film y, so -0 comes out as +0; the
// Dual hands film y on as it is.
TEST(TwelveUpGrid, MiddleRowAddsPlusZero) {
    const GridPoint p = LocateTile(TwelveUpCam::kLayout, 0.001, -0.0, W, H);
    EXPECT_EQ(p.tile, 6);
    EXPECT_EQ(p.fpy, 0.0);
    EXPECT_FALSE(std::signbit(p.fpy));
    EXPECT_TRUE(std::signbit(LocateTile(MultiCam::kLayout, 0.001, -0.0, W, H).fpy));
}

TEST(TwelveUpGrid, BoundariesBelongToTheLowerColumnAndRow) {
    const auto &g = TwelveUpCam::kLayout;
    const double sixth = H * (1.0 / 6.0);
    // Column edges at W * -0.25, 0, W * 0.25.
    EXPECT_EQ(LocateTile(g, W * -0.25, -H / 2, W, H).tile, 0);
    EXPECT_EQ(LocateTile(g, 0.0, -H / 2, W, H).tile, 1);
    EXPECT_EQ(LocateTile(g, W / 4, -H / 2, W, H).tile, 2); // x = W/4 exactly: column 3
    EXPECT_EQ(LocateTile(g, std::nextafter(W / 4, 1.0), -H / 2, W, H).tile, 3);
    // Row edges at H * -1/6 and H * 1/6.
    EXPECT_EQ(LocateTile(g, -W / 2, -sixth, W, H).tile, 0);
    EXPECT_EQ(LocateTile(g, -W / 2, std::nextafter(-sixth, 1.0), W, H).tile, 4);
    EXPECT_EQ(LocateTile(g, -W / 2, sixth, W, H).tile, 4); // y = H/6 exactly: row 2
    EXPECT_EQ(LocateTile(g, -W / 2, std::nextafter(sixth, 1.0), W, H).tile, 8);
    // (W/4, H/6) is tile 2-3, handed on as (W/4 - W/8, H/6).
    ExpectPoint(LocateTile(g, W / 4, sixth, W, H), 6, W / 4 + W * (-0.125), sixth);
}

} // namespace
