// projection.h -- the Skybox camera's mapping, free of host calls.
//
// The film is a grid of 4 columns and 3 rows. The middle row holds the views
// to the left, front, right and back; the bottom cell under column 2 looks
// down; the top cell looks up, over column 2 in the cross layout
// (skyboxType 0) or over column 4 in the alternate layout (skyboxType 1).
// The other cells have no view. Each view is a pinhole at distance
// 0.1685 * H, a little beyond the 90 degrees of a cube face, so neighbouring
// views never overlap.
#pragma once

#include <cmath>

#include "framework/vec.h"

namespace SkyboxCam {

enum SkyboxType { kCrossShape = 0, kAlternateShape = 1 };

enum class Face { None, Left, Front, Right, Back, Down, Up };

// A film point's view and the point moved to that view's own centre.
struct Cell {
    Face face;
    double x, y;
};

// The view of film point (x, y) on a film W x H. Column bounds -W/4, 0, W/4
// and row bounds -H/6, H/6 belong to the cell left of and below them.
inline Cell SkyboxCell(double x, double y, double W, double H, int skyboxType) {
    const int column = x <= W * -0.25 ? 1 : x <= W * 0.0 ? 2 : x <= W * 0.25 ? 3 : 4;
    const int row = y <= H * (-1.0 / 6.0) ? 0 : y <= H * (1.0 / 6.0) ? 1 : 2; // bottom, middle, top
    static const double kShiftX[5] = {0.0, 0.375, 0.125, -0.125, -0.375};
    const double xCell = x + W * kShiftX[column];
    if (row == 1) {
        static const Face kMiddle[5] = {Face::None, Face::Left, Face::Front, Face::Right, Face::Back};
        return {kMiddle[column], xCell, y};
    }
    if (row == 0) return column == 2 ? Cell{Face::Down, xCell, y + H * (1.0 / 3.0)} : Cell{Face::None, x, y};
    const int upColumn = skyboxType == kCrossShape ? 2 : skyboxType == kAlternateShape ? 4 : 0;
    if (column == upColumn) return {Face::Up, xCell, y + H * (-1.0 / 3.0)};
    return {Face::None, x, y};
}

// Camera-space direction of a cell point, unit length: the pinhole direction
// u of the face turned onto the face's axis.
inline lentara::Vec3 CameraDirection(const Cell &cell, double H, int skyboxType) {
    const double z = 0.1685 * H;
    const double L = std::sqrt(cell.x * cell.x + cell.y * cell.y + z * z);
    const double inv = 1.0 / L;
    const lentara::Vec3 u = {cell.x * inv, cell.y * inv, z * inv};
    switch (cell.face) {
    case Face::Left: return {-u.z, u.y, u.x};
    case Face::Front: return u;
    case Face::Right: return {u.z, u.y, -u.x};
    case Face::Back: return {-u.x, u.y, -u.z};
    case Face::Down: return {u.x, -u.z, u.y};
    case Face::Up:
        // The alternate layout's up view joins the back view below it.
        return skyboxType == kCrossShape ? lentara::Vec3{u.x, u.z, -u.y} : lentara::Vec3{-u.x, u.z, u.y};
    case Face::None: break;
    }
    return {0.0, 0.0, 0.0};
}

// World direction of a camera-space direction c, not normalised (the faces'
// directions are unit vectors already): the rows of the access record's
// toWorld are the camera's right, up and forward axes.
inline lentara::Vec3 WorldDirectionUnnormalised(const double toWorld[3][3], lentara::Vec3 c) {
    using lentara::Load;
    return lentara::WorldDirectionUnnormalised(Load(toWorld[0]), Load(toWorld[1]), Load(toWorld[2]), c);
}

} // namespace SkyboxCam
