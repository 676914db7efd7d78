// The Cubemap camera's faces and layouts on their own: where each face sits,
// seams that agree, empty cells and the face overlap.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "cameras/cubemap/projection.h"

using namespace CubemapCam;
using lentara::Vec3;

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double W = 0.048, H = 0.036;

// The faces' viewing axes, written out independently of the code.
const Vec3 kAxis[kFaceCount] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};

// Expected faces per layout, rows from the top (-1: empty).
struct Expected {
    int layout, order, columns, rows;
    std::vector<int> faces;
};
const std::vector<Expected> kLayouts = {
    {kHorizontalCross, 0, 4, 3, {-1, kUp, -1, -1, kLeft, kFront, kRight, kBack, -1, kDown, -1, -1}},
    {kVerticalCross, 1, 3, 4, {-1, kUp, -1, kLeft, kFront, kRight, -1, kDown, -1, -1, kBack, -1}},
    {kStripRow, kAxisOrder, 6, 1, {kRight, kLeft, kUp, kDown, kFront, kBack}},
    {kStripRow, kViewOrder, 6, 1, {kFront, kRight, kBack, kLeft, kUp, kDown}},
    {kStripColumn, kAxisOrder, 1, 6, {kRight, kLeft, kUp, kDown, kFront, kBack}},
    {kStripColumn, kViewOrder, 1, 6, {kFront, kRight, kBack, kLeft, kUp, kDown}},
    {kBlocks, kAxisOrder, 3, 2, {kRight, kLeft, kUp, kDown, kFront, kBack}},
    {kBlocks, kViewOrder, 3, 2, {kFront, kRight, kBack, kLeft, kUp, kDown}},
};

// Film point at (u, v) of cell (column, row), u and v in half cell sizes.
void CellPoint(const Expected &e, int column, int row, double u, double v, double &x, double &y) {
    const double cw = W / e.columns, ch = H / e.rows;
    x = -W / 2 + cw * (column + 0.5) + u * cw / 2;
    y = H / 2 - ch * (row + 0.5) + v * ch / 2;
}

bool Dir(const CubemapParams &p, double x, double y, Vec3 &d) { return CubemapDirection(p, x, y, W, H, d); }

void ExpectSame(Vec3 a, Vec3 b, double tol) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}
} // namespace

TEST(CubemapProjection, EachLayoutPutsEveryFaceInItsCellAndLeavesTheRestEmpty) {
    for (const Expected &e : kLayouts)
        for (int row = 0; row < e.rows; ++row)
            for (int column = 0; column < e.columns; ++column) {
                SCOPED_TRACE(testing::Message() << "layout " << e.layout << " order " << e.order << " cell "
                                                << column << "," << row);
                const int face = e.faces[row * e.columns + column];
                // the centre and two points near the corners of the cell
                for (double s : {0.0, 0.9, -0.9}) {
                    double x, y;
                    CellPoint(e, column, row, s, -s, x, y);
                    Vec3 d{};
                    const bool ray = Dir({0.0, e.layout, e.order}, x, y, d);
                    ASSERT_EQ(ray, face >= 0);
                    if (!ray) continue;
                    EXPECT_NEAR(lentara::Dot(d, d), 1.0, 1e-15);
                    if (s == 0.0) {
                        ExpectSame(d, kAxis[face], 0.0);
                    } else {
                        // a pinhole face: the point is at distance 1 in front of it
                        EXPECT_NEAR(lentara::Dot(d, kAxis[face]), 1.0 / std::sqrt(1.0 + 2 * s * s), 1e-15);
                    }
                }
            }
}

TEST(CubemapProjection, FacesThatShareAnEdgeAgreeAlongIt) {
    // (layout, cell a, cell b, b is to the right of a rather than below it)
    struct Seam {
        int layout, columnA, rowA;
        bool across;
    };
    const Seam seams[] = {
        {kHorizontalCross, 0, 1, true}, {kHorizontalCross, 1, 1, true}, {kHorizontalCross, 2, 1, true},
        {kHorizontalCross, 1, 0, false}, {kHorizontalCross, 1, 1, false},
        {kVerticalCross, 0, 1, true},   {kVerticalCross, 1, 1, true},   {kVerticalCross, 1, 0, false},
        {kVerticalCross, 1, 1, false},  {kVerticalCross, 1, 2, false},
    };
    for (const Seam &s : seams) {
        const Expected &e = kLayouts[s.layout == kHorizontalCross ? 0 : 1];
        for (double along : {-0.8, 0.0, 0.5}) {
            SCOPED_TRACE(testing::Message() << "layout " << s.layout << " cell " << s.columnA << "," << s.rowA
                                            << (s.across ? " right" : " down") << " at " << along);
            double xa, ya, xb, yb;
            CellPoint(e, s.columnA, s.rowA, s.across ? 1.0 : along, s.across ? along : -1.0, xa, ya);
            CellPoint(e, s.columnA + s.across, s.rowA + !s.across, s.across ? -1.0 : along, s.across ? along : 1.0,
                      xb, yb);
            Vec3 a{}, b{};
            ASSERT_TRUE(Dir({0.0, s.layout, 0}, xa, ya, a));
            ASSERT_TRUE(Dir({0.0, s.layout, 0}, xb, yb, b));
            ExpectSame(a, b, 1e-13);
        }
    }
    // the cross's middle row closes: the back's right edge meets the left's left edge
    Vec3 a{}, b{};
    ASSERT_TRUE(Dir({0.0, kHorizontalCross, 0}, W / 2, 0.3 * H / 6, a));
    ASSERT_TRUE(Dir({0.0, kHorizontalCross, 0}, -W / 2, 0.3 * H / 6, b));
    ExpectSame(a, b, 1e-13);
}

TEST(CubemapProjection, PointsOnCellBoundariesBelongToTheLeftOrLowerCell) {
    // horizontal cross: the up face (column 1, top row) has empty cells to its
    // right and below-left
    const double edgeX = W * (2.0 / 4 - 0.5), edgeY = H * (0.5 - 1.0 / 3);
    Vec3 d;
    EXPECT_TRUE(Dir({0.0, kHorizontalCross, 0}, edgeX, H * 0.4, d));                         // on its right edge: up
    EXPECT_FALSE(Dir({0.0, kHorizontalCross, 0}, std::nextafter(edgeX, 1.0), H * 0.4, d)); // just right: empty
    EXPECT_TRUE(Dir({0.0, kHorizontalCross, 0}, -W * 0.4, edgeY, d));                      // left face below
    EXPECT_FALSE(Dir({0.0, kHorizontalCross, 0}, -W * 0.4, std::nextafter(edgeY, 1.0), d));
    // the frame's own edges have rays
    EXPECT_TRUE(Dir({0.0, kStripRow, 0}, -W / 2, H / 2, d));
    EXPECT_TRUE(Dir({0.0, kStripRow, 0}, W / 2, -H / 2, d));
}

TEST(CubemapProjection, OverlapWidensEveryFace) {
    for (double overlap : {0.0, 0.2, -0.3}) {
        double x, y;
        CellPoint(kLayouts[0], 2, 1, 1.0, 0.0, x, y); // right face, middle of its right edge
        Vec3 d{};
        ASSERT_TRUE(Dir({overlap, kHorizontalCross, 0}, x, y, d));
        EXPECT_NEAR(std::acos(lentara::Dot(d, kAxis[kRight])), kPi / 4 + overlap / 2, 1e-14) << overlap;
    }
}

TEST(CubemapProjection, UnusableInputGivesNoRay) {
    Vec3 d;
    const double inf = std::numeric_limits<double>::infinity();
    for (double v : {kNaN, inf, -inf}) {
        EXPECT_FALSE(Dir({v, 0, 0}, 0.001, 0.0, d));
        EXPECT_FALSE(Dir({0.0, 0, 0}, v, 0.0, d));
        EXPECT_FALSE(Dir({0.0, 0, 0}, 0.001, v, d));
        EXPECT_FALSE(CubemapDirection({0.0, 0, 0}, 0.001, 0.0, v, H, d));
        EXPECT_FALSE(CubemapDirection({0.0, 0, 0}, 0.001, 0.0, W, v, d));
    }
    EXPECT_FALSE(CubemapDirection({0.0, 0, 0}, 0.0, 0.0, 0.0, H, d));
    EXPECT_FALSE(CubemapDirection({0.0, 0, 0}, 0.0, 0.0, W, 0.0, d));
    // settings out of range: the horizontal cross in axis order
    Vec3 a{}, b{};
    ASSERT_TRUE(Dir({0.0, 99, -1}, -0.003, 0.001, a));
    ASSERT_TRUE(Dir({0.0, 0, 0}, -0.003, 0.001, b));
    ExpectSame(a, b, 0.0);
}
