// The Skybox projection on its own: the cell grid of both layouts and the
// six views of one seamless cube.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "cameras/skybox/projection.h"
#include "tests/support/pose.h"

using namespace lentara;
using namespace testsupport;

namespace {
using SkyboxCam::Face;
const double SW = 0.032, SH = 0.024; // 4:3, square cells

Face FaceAt(double x, double y, int type) { return SkyboxCam::SkyboxCell(x, y, SW, SH, type).face; }

// World direction of the point (cx, cy) of a face's own view, measured from
// the view's centre.
Vec3 ViewDirection(Face face, double cx, double cy, int type, const double toWorld[3][3]) {
    return SkyboxCam::WorldDirectionUnnormalised(toWorld, SkyboxCam::CameraDirection({face, cx, cy}, SH, type));
}
} // namespace

TEST(SkyboxProjection, GridBoundariesBelongToTheCellLeftAndBelow) {
    EXPECT_EQ(FaceAt(-SW / 4, 0, 0), Face::Left);
    EXPECT_EQ(FaceAt(std::nextafter(-SW / 4, 0.0), 0, 0), Face::Front);
    EXPECT_EQ(FaceAt(0.0, 0, 0), Face::Front);
    EXPECT_EQ(FaceAt(1e-12, 0, 0), Face::Right);
    EXPECT_EQ(FaceAt(SW / 4, 0, 0), Face::Right);
    EXPECT_EQ(FaceAt(std::nextafter(SW / 4, 1.0), 0, 0), Face::Back);
    // the row bounds are the products H * (-1/6) and H * (1/6)
    const double low = SH * (-1.0 / 6.0), high = SH * (1.0 / 6.0);
    EXPECT_EQ(FaceAt(-SW / 8, low, 0), Face::Down);
    EXPECT_EQ(FaceAt(-SW / 8, std::nextafter(low, 0.0), 0), Face::Front);
    EXPECT_EQ(FaceAt(-SW / 8, high, 0), Face::Front);
    EXPECT_EQ(FaceAt(-SW / 8, std::nextafter(high, 1.0), 0), Face::Up);
}

TEST(SkyboxProjection, BothLayoutsPlaceSixViewsAndLeaveSixCellsEmpty) {
    // Cell centres, bottom row first; columns left to right.
    const Face N = Face::None;
    const Face cross[3][4] = {
        {N, Face::Down, N, N}, {Face::Left, Face::Front, Face::Right, Face::Back}, {N, Face::Up, N, N}};
    const Face alternate[3][4] = {
        {N, Face::Down, N, N}, {Face::Left, Face::Front, Face::Right, Face::Back}, {N, N, N, Face::Up}};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) {
            const double x = -SW / 2 + SW / 8 + col * SW / 4, y = -SH / 2 + SH / 6 + row * SH / 3;
            EXPECT_EQ(FaceAt(x, y, SkyboxCam::kCrossShape), cross[row][col]) << row << "," << col;
            EXPECT_EQ(FaceAt(x, y, SkyboxCam::kAlternateShape), alternate[row][col]) << row << "," << col;
            // any other type has no view above the middle row
            const Face other = row == 2 ? N : cross[row][col];
            EXPECT_EQ(FaceAt(x, y, 2), other);
            EXPECT_EQ(FaceAt(x, y, -1), other);
            // the point is moved to the centre of its view
            const SkyboxCam::Cell c = SkyboxCam::SkyboxCell(x, y, SW, SH, SkyboxCam::kCrossShape);
            if (c.face != N) {
                EXPECT_NEAR(c.x, 0.0, 1e-15);
                EXPECT_NEAR(c.y, 0.0, 1e-15);
            }
        }
}

TEST(SkyboxProjection, ViewCentresLookAlongTheTurnedAxes) {
    const Pose pose = Turned(0.6, -0.4, 0.25, {0, 0, 0});
    const double toWorld[3][3] = {{pose.right.x, pose.right.y, pose.right.z},
                                  {pose.up.x, pose.up.y, pose.up.z},
                                  {pose.forward.x, pose.forward.y, pose.forward.z}};
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    struct Expect {
        Face face;
        int type;
        Vec3 camera;
    } cases[] = {{Face::Left, 0, {-1, 0, 0}}, {Face::Front, 0, {0, 0, 1}}, {Face::Right, 0, {1, 0, 0}},
                 {Face::Back, 0, {0, 0, -1}}, {Face::Down, 0, {0, -1, 0}}, {Face::Up, 0, {0, 1, 0}},
                 {Face::Up, 1, {0, 1, 0}}};
    for (const Expect &e : cases) {
        ExpectVec(ViewDirection(e.face, 0, 0, e.type, identity), e.camera, 1e-15);
        const Vec3 world = e.camera.x * pose.right + e.camera.y * pose.up + e.camera.z * pose.forward;
        ExpectVec(ViewDirection(e.face, 0, 0, e.type, toWorld), world, 1e-15);
    }
}

TEST(SkyboxProjection, TurnedCameraGivesOneSeamlessCube) {
    // Each view spans 2 atan((1/6) / 0.1685) of the 90 degrees of a face, so
    // neighbouring edges lie a fixed hair apart: ~0.63 degrees.
    const double seam = 2.0 * (kPi / 4 - std::atan((1.0 / 6.0) / 0.1685));
    const double e = SH / 6; // half a cell
    for (const Pose &pose :
         {kIdentity, Turned(0.5, 0.0, 0.0, {}), Turned(0.3, 0.7, -0.45, {}), Turned(-2.0, -1.1, 2.5, {})}) {
        const double M[3][3] = {{pose.right.x, pose.right.y, pose.right.z},
                                {pose.up.x, pose.up.y, pose.up.z},
                                {pose.forward.x, pose.forward.y, pose.forward.z}};
        for (int type : {0, 1}) {
            // Views side by side on the film meet along the same edge points.
            struct Pair {
                Face a, b;
                bool horizontal; // b to the right of a, else b above a
            };
            std::vector<Pair> pairs = {{Face::Left, Face::Front, true},
                                       {Face::Front, Face::Right, true},
                                       {Face::Right, Face::Back, true},
                                       {Face::Back, Face::Left, true},
                                       {Face::Down, Face::Front, false}};
            pairs.push_back(type == 0 ? Pair{Face::Front, Face::Up, false} : Pair{Face::Back, Face::Up, false});
            for (const Pair &p : pairs)
                for (double t = -1.0; t <= 1.0; t += 0.25) {
                    const Vec3 a =
                        p.horizontal ? ViewDirection(p.a, e, t * e, type, M) : ViewDirection(p.a, t * e, e, type, M);
                    const Vec3 b =
                        p.horizontal ? ViewDirection(p.b, -e, t * e, type, M) : ViewDirection(p.b, t * e, -e, type, M);
                    EXPECT_LT(Angle(a, b), seam * 1.0001) << int(p.a) << "/" << int(p.b) << " t " << t;
                    // the seam crosses the edge, it does not run along it
                    EXPECT_GT(Dot(Cross(a, b), Cross(a, b)), 0.0);
                }
            // Every edge of every view has a partner edge of another view.
            const Face faces[] = {Face::Left, Face::Front, Face::Right, Face::Back, Face::Down, Face::Up};
            std::vector<std::pair<Face, Vec3>> edges;
            for (Face f : faces)
                for (double t = -1.0; t <= 1.0; t += 0.5) {
                    edges.push_back({f, ViewDirection(f, e, t * e, type, M)});
                    edges.push_back({f, ViewDirection(f, -e, t * e, type, M)});
                    edges.push_back({f, ViewDirection(f, t * e, e, type, M)});
                    edges.push_back({f, ViewDirection(f, t * e, -e, type, M)});
                }
            for (const auto &a : edges) {
                double nearest = 10.0;
                for (const auto &b : edges)
                    if (b.first != a.first)
                        nearest = std::fmin(nearest, Angle(a.second, b.second));
                EXPECT_LT(nearest, seam * 1.0001);
            }
        }
    }
}
